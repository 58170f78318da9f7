// The C64 runner: pass by pass, as the machine's main loop drives the face.
#include "tools/c64host/c64_runner.h"

#include <stdio.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "drivers/ata.h"
#include "emulator/c64.h"
#include "emulator/clock.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"
#include "filesystem/fat.h"
#include "hosted/simulated_8042.h"
#include "hosted/simulated_ata_drive.h"

using korvan::drivers::AdvancedTechnologyAttachment;

namespace {

constexpr uint16_t kKeyCount = c64::NDX;
constexpr uint8_t kKeyBufferSize = 10;
constexpr uint16_t kProgramStart = c64::TXTTAB;  // VARTAB, ARYTAB and STREND follow
constexpr uint16_t kVariablesStart = c64::VARTAB;

bool read_file(const std::string& path, std::vector<uint8_t>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    fprintf(stderr, "c64host: cannot read %s\n", path.c_str());
    return false;
  }
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool load_roms_from(const std::string& dir, Memory* memory) {
  std::vector<uint8_t> basic, chargen, kernal;
  if (!read_file(dir + "/basic.bin", &basic) || !read_file(dir + "/chargen.bin", &chargen) ||
      !read_file(dir + "/kernal.bin", &kernal))
    return false;
  memory->load_roms(basic.data(), static_cast<uint32_t>(basic.size()), chargen.data(),
                    static_cast<uint32_t>(chargen.size()), kernal.data(),
                    static_cast<uint32_t>(kernal.size()));
  return true;
}

// The disk as the kernel sees it: an image behind an ATA drive on the
// primary channel, its first partition mounted.
struct HostDisk {
  explicit HostDisk(const std::string& path)
      : store(path, true), drive(&store), channel(AdvancedTechnologyAttachment::kPrimaryBase),
        ata(true, AdvancedTechnologyAttachment::kPrimaryBase), volume((channel.connect(true, &drive), &ata), 0) {}
  korvan::hosted::ImageFileStore store;
  korvan::hosted::SimulatedAtaDrive drive;
  korvan::hosted::SimulatedAtaChannel channel;
  AdvancedTechnologyAttachment ata;
  korvan::filesystem::Fat32 volume;
};

uint16_t read_word(Memory* memory, uint16_t address) {
  return static_cast<uint16_t>(memory->read_byte_no_io(address) |
                               memory->read_byte_no_io(static_cast<uint16_t>(address + 1)) << 8);
}

// What a direct-mode LOAD of a BASIC program leaves behind: the bytes at the
// file's load address, and the variables, arrays and free space starting
// right after them.
bool load_program(const std::string& path, Memory* memory) {
  std::vector<uint8_t> prg;
  if (!read_file(path, &prg)) return false;
  uint32_t load = prg.size() >= 2 ? prg[0] | prg[1] << 8 : 0;
  uint32_t end = load + static_cast<uint32_t>(prg.size()) - 2;
  if (prg.size() < 2 || end > 0xA000) {
    fprintf(stderr, "c64host: %s is not a PRG file that fits below $A000\n", path.c_str());
    return false;
  }
  for (size_t i = 2; i < prg.size(); i++)
    memory->write_byte(static_cast<uint16_t>(load + i - 2), prg[i]);
  for (uint16_t pointer = kVariablesStart; pointer < kVariablesStart + 6; pointer += 2) {
    memory->write_byte(pointer, static_cast<uint8_t>(end));
    memory->write_byte(static_cast<uint16_t>(pointer + 1), static_cast<uint8_t>(end >> 8));
  }
  return true;
}

// The BASIC program area (TXTTAB up to VARTAB) with its load address.
bool save_program(const std::string& path, Memory* memory) {
  uint16_t start = read_word(memory, kProgramStart);
  uint16_t end = read_word(memory, kVariablesStart);
  std::vector<uint8_t> prg = {static_cast<uint8_t>(start), static_cast<uint8_t>(start >> 8)};
  for (uint32_t address = start; address < end; address++)
    prg.push_back(memory->read_byte_no_io(static_cast<uint16_t>(address)));
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(prg.data()), static_cast<std::streamsize>(prg.size()));
  if (!out.flush()) {
    fprintf(stderr, "c64host: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

std::string screen_text(const FaceNode& face) {
  return std::string(reinterpret_cast<const char*>(face.text), kFaceTextSize);
}

void print_screen(const FaceNode& face) {
  for (int32_t row = 0; row < face.height; row++) {
    std::string line(reinterpret_cast<const char*>(face.text) + row * face.width,
                     static_cast<size_t>(face.width));
    size_t end = line.find_last_not_of(' ');
    line.erase(end == std::string::npos ? 0 : end + 1);
    printf("%s\n", line.c_str());
  }
}

}  // namespace

int run_c64(const C64Options& options) {
  // An idle keyboard controller, so the pass's poll finds nothing waiting.
  korvan::hosted::Simulated8042 controller;
  std::unique_ptr<HostDisk> disk;
  if (!options.disk.empty()) {
    disk = std::make_unique<HostDisk>(options.disk);
    if (!disk->store.ok() || !disk->volume.Mounted()) {
      fprintf(stderr, "c64host: no FAT32 volume in %s\n", options.disk.c_str());
      return 2;
    }
  }

  C64 machine;
  if (machine.mem == nullptr) return 2;
  if (!options.roms_dir.empty() && !load_roms_from(options.roms_dir, machine.mem)) return 2;
  if (disk) machine.io->fat32(&disk->volume);

  std::string typed;
  for (const std::string& text : options.typed) typed += text;
  size_t next_key = 0;
  bool typing = false;
  bool found = false;

  FaceNode& face = g_c64_face;
  machine.begin();
  for (uint32_t pass = 0; pass < options.passes && !found; pass++) {
    if (!machine.run_pass()) break;
    std::string screen = screen_text(face);
    if (!typing && (screen.find("READY.") != std::string::npos || pass >= options.passes / 2)) {
      typing = true;
      if (!options.load_prg.empty() && !load_program(options.load_prg, machine.mem)) return 2;
    }
    // Only as much as the KERNAL's buffer has room for, so nothing is dropped.
    // and only while interrupts are on: the KERNAL takes keys out of its
    // buffer with them off, and a key put in meanwhile could be lost.
    while (typing && next_key < typed.size() && machine.mem->read_byte_no_io(kKeyCount) < kKeyBufferSize &&
           (f6502_context()->status & kFlagInterrupt) == 0)
      face_key(&face, static_cast<uint8_t>(typed[next_key++]));
    if (options.has_until && screen.find(options.until) != std::string::npos) found = true;
  }
  if (options.screen) print_screen(face);
  // The processor's own cycles: those the video chip took from it do not count.
  if (options.cycles) printf("cycles %u\n", f6502_context()->cycles - machine.clock->stalled());
  if (!options.save_prg.empty() && !save_program(options.save_prg, machine.mem)) return 2;
  return (options.has_until && !found) ? 1 : 0;
}
