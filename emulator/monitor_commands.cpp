// The debugging monitor's commands: memory and registers of the machine,
// sectors, partitions and files of the volume.
#include "emulator/cpu.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "filesystem/fat.h"
#include "lib/stdio.h"
#include "lib/stdlib.h"
#include "lib/string.h"

using korvan::filesystem::Fat32;

namespace {

constexpr uint8_t kSlot = 1;
constexpr uint32_t kRowBytes = 16;
constexpr uint32_t kSectorBytes = 512;
constexpr uint32_t kDefaultSectorBytes = 256;
constexpr uint16_t kDefaultAddress = 0x0800;
constexpr uint16_t kBasicEnd = 0x002D;  // VARTAB
constexpr uint32_t kAddressLimit = 0xFFFF;
// Eight hex digits already fill htoi's 32 bits; a longer argument would wrap.
constexpr int kLongestNumber = 8;
const char kTestPattern[] = "SBCDEFGHIJKLMNOPQRSTUVWXYZ1234567890AAABBBCCCDD";

// The line cut into its command letter and up to three arguments: one blank
// separates them, and the third runs to the end of the line.
struct CommandLine {
  char command = 0;
  char args[3][Monitor::kLineCapacity + 1] = {};

  explicit CommandLine(const char* line) {
    command = line[0];
    const char* at = line + 1;
    for (int arg = 0; arg < 3 && *at == ' '; arg++) {
      at++;
      size_t length = 0;
      while (at[length] != 0 && (arg == 2 || at[length] != ' ')) length++;
      memcpy(args[arg], at, length);
      args[arg][length] = 0;
      at += length;
    }
  }
};

// A hex argument as an address or count; false for one that cannot be one.
bool hex_value(const char* text, uint32_t* value) {
  if (strlen(text) > kLongestNumber) return false;
  *value = static_cast<uint32_t>(htoi(text));
  return true;
}

// A new file of count bytes, byte_at(i) giving each; the status of the first
// failure, of the close otherwise.
template <typename ByteAt>
int write_new_file(Fat32* volume, const char* name, uint32_t count, ByteAt byte_at) {
  int status = volume->OpenFile(kSlot, name, Fat32::kModeCreate);
  if (status != 0) return status;
  for (uint32_t i = 0; i < count && status == 0; i++) status = volume->WriteNextFileByte(kSlot, byte_at(i));
  int closed = volume->CloseFile(kSlot);
  return status != 0 ? status : closed;
}

uint16_t basic_end(Memory* memory) {
  return static_cast<uint16_t>(memory->read_byte(kBasicEnd) | memory->read_byte(kBasicEnd + 1) << 8);
}

}  // namespace

void Monitor::process_cmd() {
  if (length_ == 0) return;
  CommandLine line(line_);
  bool done = false;
  switch (line.command) {
    case 'M': done = show_memory(line.args[0], line.args[1]); break;
    case 'R': done = show_registers(); break;
    case 'P': done = show_partitions(); break;
    case 'D': done = show_directory(line.args[0]); break;
    case 'S': done = show_sector(line.args[0], line.args[1]); break;
    case 'F': done = show_file(line.args[0]); break;
    case 'L': done = load_file(line.args[0], line.args[1]); break;
    case 'W': done = write_file(line.args[0], line.args[1], line.args[2]); break;
    case 'E': done = erase_file(line.args[0]); break;
    case 'N': done = rename_file(line.args[0], line.args[1]); break;
    case 'J': done = write_test_file(line.args[0]); break;
    default: break;
  }
  if (!done) puts("?");
}

bool Monitor::show_memory(const char* from, const char* to) {
  uint32_t start = 0, end = 0;
  if (memory_ == nullptr || !hex_value(from, &start) || !hex_value(to, &end)) return false;
  if (end == 0) end = start + kRowBytes;
  if (end > kAddressLimit || start > kAddressLimit) return false;
  for (; start < end; start += kRowBytes) {
    printf("\n%04X: ", start);
    uint8_t row[kRowBytes];
    for (uint32_t i = 0; i < kRowBytes; i++) {
      row[i] = memory_->read_byte(static_cast<uint16_t>(start + i));
      printf("%02X%c", row[i], ' ');
    }
    for (uint8_t byte : row) printf("%c", byte >= 0x20 && byte <= 0x7E ? byte : '.');
  }
  return true;
}

bool Monitor::show_registers() {
  if (processor_ == nullptr) return false;
  printf("\n PC  AC XR YR SP\n");
  printf("%04X %02X %02X %02X %02X\n", processor_->pc(), processor_->a(), processor_->x(), processor_->y(),
         processor_->sp());
  return true;
}

bool Monitor::show_partitions() {
  if (volume_ == nullptr) return false;
  volume_->ReadPartitions();
  return true;
}

bool Monitor::show_directory(const char* cluster) {
  uint32_t first = 0;
  if (volume_ == nullptr || !hex_value(cluster, &first)) return false;
  volume_->ReadDirectory(first);
  return true;
}

bool Monitor::show_sector(const char* sector, const char* count) {
  uint32_t number = 0;
  if (volume_ == nullptr || !hex_value(sector, &number)) return false;
  uint32_t bytes = static_cast<uint32_t>(atoi(count));
  if (bytes == 0) bytes = kDefaultSectorBytes;
  if (bytes > kSectorBytes) return false;
  uint8_t data[kSectorBytes];
  // A failed read has printed the driver's ERROR; its buffer is not shown.
  if (volume_->ReadSector(number, data) != 0) return true;
  displayMemory(data, static_cast<uint16_t>(bytes));
  return true;
}

bool Monitor::show_file(const char* name) {
  if (volume_ == nullptr) return false;
  uint32_t size = volume_->GetFileSize(name);
  uint8_t* data = size > 0 ? new uint8_t[size] : nullptr;
  puts("\n");
  if (data == nullptr) return true;
  if (volume_->ReadFile(name, data, size) == 0)
    for (uint32_t i = 0; i < size; i++) printf("%c", data[i]);
  delete[] data;
  return true;
}

bool Monitor::load_file(const char* name, const char* at) {
  uint32_t address = 0;
  if (volume_ == nullptr || memory_ == nullptr || !hex_value(at, &address) || address > kAddressLimit)
    return false;
  int status = volume_->OpenFile(kSlot, name, Fat32::kModeRead);
  if (status == 0) {
    if (address == 0) address = kDefaultAddress;
    uint32_t count = 0;
    uint8_t byte = 0;
    // Memory ends at $FFFF; what lies beyond in the file is not loaded.
    while (address + count < kAddressLimit + 1 && (status = volume_->ReadNextFileByte(kSlot, byte)) == 0)
      memory_->write_byte(static_cast<uint16_t>(address + count++), byte);
    if (address + count > kAddressLimit && status == 0) {
      status = volume_->ReadNextFileByte(kSlot, byte);  // 4: the file ended with memory
      if (status == 0) {
        printf("\nmemory full at FFFF");
        status = korvan::filesystem::kFatVolumeFull;
      }
    }
    volume_->CloseFile(kSlot);
    uint16_t end = static_cast<uint16_t>(address + count);
    memory_->write_byte(kBasicEnd, static_cast<uint8_t>(end));
    memory_->write_byte(kBasicEnd + 1, static_cast<uint8_t>(end >> 8));
    printf("\n%d bytes written to %04X - %04X", count, address, end);
  }
  printf("\nstatus=%d", status);
  return true;
}

bool Monitor::write_file(const char* name, const char* from, const char* to) {
  uint32_t start = 0, end = 0;
  if (volume_ == nullptr || memory_ == nullptr || !hex_value(from, &start) || !hex_value(to, &end) ||
      start > kAddressLimit || end > kAddressLimit)
    return false;
  if (start == 0) start = kDefaultAddress;
  if (end == 0) end = basic_end(memory_);
  if (start >= end) {
    printf("\n%04X >= %04X", start, end);
    return true;
  }
  Memory* memory = memory_;
  int status = write_new_file(volume_, name, end - start + 1, [memory, start](uint32_t i) {
    return memory->read_byte(static_cast<uint16_t>(start + i));
  });
  printf("\nstatus=%d", status);
  return true;
}

bool Monitor::erase_file(const char* name) {
  if (volume_ == nullptr) return false;
  printf("\nstatus=%d", volume_->DeleteFile(name));
  return true;
}

bool Monitor::rename_file(const char* from, const char* to) {
  if (volume_ == nullptr) return false;
  printf("\nstatus=%d", volume_->RenameFile(from, to));
  return true;
}

bool Monitor::write_test_file(const char* name) {
  if (volume_ == nullptr) return false;
  int status = write_new_file(volume_, name, sizeof kTestPattern - 1,
                              [](uint32_t i) { return static_cast<uint8_t>(kTestPattern[i]); });
  printf("\nstatus=%d", status);
  return true;
}
