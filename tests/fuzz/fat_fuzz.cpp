// libFuzzer target: any bytes as a whole disk, mounted, listed, read and written like at run time.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "drivers/ata.h"
#include "filesystem/fat.h"
#include "lib/vga.h"
#include "hosted/port_bus.h"
#include "hosted/simulated_ata_drive.h"

using korvan::drivers::AdvancedTechnologyAttachment;
using korvan::filesystem::Fat32;

namespace {

constexpr uint32_t kLargestFileRead = 1 << 20;
constexpr unsigned kNamesTried = 8;

// Root-directory names in the 12-character form, as the walker sees them.
std::vector<std::string> RootNames(Fat32& volume) {
  std::vector<std::string> names;
  for (uint8_t* sector = volume.ReadNextSectorInChain(volume.RootCluster());
       sector != nullptr && names.size() < kNamesTried; sector = volume.ReadNextSectorInChain(0)) {
    for (unsigned i = 0; i < 16 && names.size() < kNamesTried; i++) {
      const uint8_t* entry = sector + 32 * i;
      if (entry[0] == 0 || entry[0] == 0xE5) continue;
      names.push_back(std::string(entry, entry + 8) + "." + std::string(entry + 8, entry + 11));
    }
  }
  return names;
}

void Exercise(Fat32& volume) {
  volume.ReadPartitions();
  volume.ReadDirectory(0);
  uint8_t listing[4000];
  volume.GetCBMDir(listing, sizeof(listing));
  if (!volume.Mounted()) return;
  for (const std::string& name : RootNames(volume)) {
    volume.GetFileCluster(name.c_str());
    volume.ReadDirectory(volume.GetFileCluster(name.c_str()));
    if (volume.GetFileSize(name.c_str()) > kLargestFileRead) continue;
    if (volume.OpenFile(1, name.c_str(), Fat32::kModeRead) == 0) {
      uint8_t byte;
      while (volume.ReadNextFileByte(1, byte) == 0) {
      }
      volume.CloseFile(1);
    }
  }
  if (volume.OpenFile(2, "FUZZ    .PRG", Fat32::kModeCreate) == 0) {
    for (unsigned i = 0; i < 1500; i++)
      if (volume.WriteNextFileByte(2, static_cast<uint8_t>(i)) != 0) break;
    volume.CloseFile(2);
  }
  volume.RenameFile("FUZZ.PRG", "FUZZED.PRG");
  std::vector<std::string> names = RootNames(volume);
  if (!names.empty()) {
    std::string first = names[0];
    std::string shortName = first.substr(0, first.find(' ') < 8 ? first.find(' ') : 8) + "." + first.substr(9);
    volume.DeleteFile(shortName.c_str());
  }
  volume.DeleteFile("FUZZED.PRG");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool consoleReady = (qlib::vga_init(nullptr, 80, 16, 160, 16), true);
  (void)consoleReady;
  korvan::hosted::reset_ports();
  korvan::hosted::MemoryStore store(data, size);
  korvan::hosted::SimulatedAtaDrive drive(&store);
  drive.busy_reads = 0;
  korvan::hosted::SimulatedAtaChannel channel(AdvancedTechnologyAttachment::kPrimaryBase);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, AdvancedTechnologyAttachment::kPrimaryBase);
  {
    Fat32 volume(&disk, 0);
    Exercise(volume);
  }
  // What the volume wrote must mount and read again.
  Fat32 again(&disk, 0);
  again.ReadDirectory(0);
  return 0;
}
