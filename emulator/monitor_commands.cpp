// The debugging monitor's commands: memory and registers of the machine,
// sectors, partitions and files of the volume.
#include "emulator/cpu.h"
#include "emulator/memory.h"
#include "emulator/monitor.h"
#include "emulator/roms/c64_locations.h"
#include "filesystem/d64_fat_store.h"
#include "filesystem/d64_listing.h"
#include "filesystem/fat.h"
#include "lib/stdio.h"
#include "lib/string.h"

using korvan::filesystem::Fat32;

namespace {

constexpr uint8_t kSlot = 1;
constexpr uint32_t kRowBytes = 16;
constexpr uint32_t kSectorBytes = 512;
constexpr uint32_t kDefaultSectorBytes = 256;
constexpr uint16_t kDefaultAddress = 0x0800;
constexpr uint16_t kBasicEnd = c64::VARTAB;
constexpr uint32_t kAddressLimit = 0xFFFF;
constexpr uint32_t kNumberLimit = 0xFFFFFFFF;
constexpr int kArguments = 3;
const char kTestPattern[] = "SBCDEFGHIJKLMNOPQRSTUVWXYZ1234567890AAABBBCCCDD";

// The line cut into its command letter and arguments: one blank separates
// them; count says how many there were (an empty one between two blanks
// counts, trailing blanks do not), extra holds what lies beyond the third.
struct CommandLine {
  char command = 0;
  char args[kArguments][Monitor::kLineCapacity + 1] = {};
  int count = 0;
  const char* extra = "";

  explicit CommandLine(const char* line) {
    command = line[0];
    const char* at = line + 1;
    for (; count < kArguments && *at == ' '; count++) {
      at++;
      size_t length = 0;
      while (at[length] != 0 && at[length] != ' ') length++;
      memcpy(args[count], at, length);
      args[count][length] = 0;
      at += length;
    }
    // A blank at the end of the line brings no argument.
    if (at[0] == ' ' && at[1] == 0) at++;
    if (*at != 0) {
      extra = at + 1;
      count++;
    }
    while (count > 0 && count <= kArguments && args[count - 1][0] == 0 && at[0] == 0) count--;
  }
};

// Says, after the line's "?", what was wrong with an argument.
void refuse(const char* what, const char* argument) { printf("? %s: %s", what, argument); }

int digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A number argument, every character a digit of base, at most limit. An
// empty argument is absent: the value keeps its default. False, having
// said why, for one that is not such a number.
bool number_argument(const char* text, int base, uint32_t limit, uint32_t* value) {
  if (text[0] == 0) return true;
  uint64_t number = 0;
  for (const char* c = text; *c != 0; c++) {
    int digit = digit_value(*c);
    if (digit < 0 || digit >= base) {
      refuse(base == 16 ? "not a hex number" : "not a decimal number", text);
      return false;
    }
    // Past the limit it stays past it, however many digits follow.
    if (number <= limit) number = number * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (number > limit) {
    refuse(limit == kAddressLimit ? "past FFFF" : "too large", text);
    return false;
  }
  *value = static_cast<uint32_t>(number);
  return true;
}

bool hex_argument(const char* text, uint32_t limit, uint32_t* value) {
  return number_argument(text, 16, limit, value);
}

// False, having said so, when the line has more arguments than the command takes.
bool at_most(const CommandLine& line, int arguments) {
  if (line.count <= arguments) return true;
  refuse("too many arguments", arguments < kArguments ? line.args[arguments] : line.extra);
  return false;
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

// How many arguments a command takes; -1 for a letter that is none.
int arguments_taken(char command) {
  switch (command) {
    case 'P': case 'R': return 0;
    case 'D': case 'E': case 'F': case 'I': case 'J': return 1;
    case 'L': case 'M': case 'N': case 'S': return 2;
    case 'W': return 3;
    default: return -1;
  }
}

}  // namespace

// Each command answers its line itself, a bad argument with "? what: it"
// before anything is done; a command that cannot run at all (no machine or
// volume) or an unknown letter gets a plain "?".
void Monitor::process_cmd() {
  if (length_ == 0) return;
  CommandLine line(line_);
  int takes = arguments_taken(line.command);
  if (takes >= 0 && !at_most(line, takes)) return;
  bool done = false;
  switch (line.command) {
    case 'M': done = show_memory(line.args[0], line.args[1]); break;
    case 'R': done = show_registers(); break;
    case 'P': done = show_partitions(); break;
    case 'D': done = show_directory(line.args[0]); break;
    case 'I': done = show_image_directory(line.args[0]); break;
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
  if (memory_ == nullptr) return false;
  uint32_t start = 0, end = 0;
  if (!hex_argument(from, kAddressLimit, &start)) return true;
  // No end: one row, none starting past FFFF.
  end = start + kRowBytes > kAddressLimit + 1 ? kAddressLimit + 1 : start + kRowBytes;
  if (!hex_argument(to, kAddressLimit, &end)) return true;
  if (end <= start) {
    refuse("end not after start", to);
    return true;
  }
  for (; start < end && !stop_requested(); start += kRowBytes) {
    printf("\n%04X: ", start);
    uint8_t row[kRowBytes];
    for (uint32_t i = 0; i < kRowBytes; i++) {
      row[i] = memory_->read_byte(static_cast<uint16_t>(start + i));
      printf("%02X%c", row[i], ' ');
    }
    for (uint8_t byte : row) printf("%c", byte >= 0x20 && byte <= 0x7E ? byte : '.');
  }
  if (start < end) puts("\nstopped");
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
  if (volume_ == nullptr) return false;
  uint32_t first = 0;  // the root
  if (!hex_argument(cluster, kNumberLimit, &first)) return true;
  volume_->ReadDirectory(first);
  return true;
}

// The D64 image's directory as LOAD"$" would list it inside the image,
// with the status the listing ended in (0, or what damage stopped it).
bool Monitor::show_image_directory(const char* name) {
  using namespace korvan::filesystem;
  if (volume_ == nullptr) return false;
  D64FatStore store(*volume_, name);
  D64Image image(store);
  DriveStatus status = image.Mount();
  uint8_t* program = status == kDriveOk ? new uint8_t[D64Listing::kMostBytes] : nullptr;
  if (program != nullptr) {
    uint32_t length = D64Listing::Render(image, nullptr, program, D64Listing::kMostBytes, status);
    D64Listing::ForEachLine(program, length, [](uint16_t number, const uint8_t* text, uint32_t count) {
      printf("\n%d ", number);
      for (uint32_t i = 0; i < count; i++)
        if (text[i] != D64Listing::kReverseOn) printf("%c", text[i] >= 0x20 && text[i] <= 0x7E ? text[i] : '.');
    });
    delete[] program;
  } else if (status == kDriveOk) {
    status = kDriveNoChannel;
  }
  printf("\nstatus=%d", status);
  return true;
}

bool Monitor::show_sector(const char* sector, const char* count) {
  if (volume_ == nullptr) return false;
  uint32_t number = 0, bytes = kDefaultSectorBytes;
  if (!hex_argument(sector, kNumberLimit, &number) || !number_argument(count, 10, kNumberLimit, &bytes))
    return true;
  if (bytes == 0 || bytes > kSectorBytes) {
    refuse("not 1 to 512", count);
    return true;
  }
  uint8_t data[kSectorBytes];
  // A failed read has printed the driver's ERROR; its buffer is not shown.
  if (volume_->ReadSector(number, data) != 0) return true;
  displayMemory(data, static_cast<uint16_t>(bytes));
  return true;
}

// The file's bytes, read through the open-file table, which refuses a file
// whose chain is shorter than its size (status 9) before anything is read.
// Esc stops the print; every outcome ends with its status, 4 for the whole file.
bool Monitor::show_file(const char* name) {
  if (volume_ == nullptr) return false;
  int status = volume_->OpenFile(kSlot, name, Fat32::kModeRead);
  if (status == 0) {
    puts("\n");
    uint8_t byte = 0;
    while (!stop_requested() && (status = volume_->ReadNextFileByte(kSlot, byte)) == 0) printf("%c", byte);
    volume_->CloseFile(kSlot);
    if (status == 0) puts("\nstopped");
  }
  printf("\nstatus=%d", status);
  return true;
}

bool Monitor::load_file(const char* name, const char* at) {
  if (volume_ == nullptr || memory_ == nullptr) return false;
  uint32_t address = kDefaultAddress;
  if (!hex_argument(at, kAddressLimit, &address)) return true;
  int status = volume_->OpenFile(kSlot, name, Fat32::kModeRead);
  if (status == 0) {
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
  if (volume_ == nullptr || memory_ == nullptr) return false;
  uint32_t start = kDefaultAddress, end = basic_end(memory_);
  if (!hex_argument(from, kAddressLimit, &start) || !hex_argument(to, kAddressLimit, &end)) return true;
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
