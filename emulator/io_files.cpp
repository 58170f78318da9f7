// LOAD and SAVE on the FAT32 volume: the host's half of the KERNAL's disk
// hand-off. The ROM stores a request in $02 and reads the result in its very
// next instructions, so the request is served before the processor goes on.
#include "emulator/io.h"

#include "emulator/memory.h"
#include "filesystem/fat.h"

using korvan::filesystem::Fat32;

namespace {

constexpr uint16_t kRequest = 0x0002;
constexpr uint8_t kRequestLoad = 4;
constexpr uint8_t kRequestSave = 5;
constexpr uint16_t kProgramStart = 0x002B;  // TXTTAB
constexpr uint16_t kProgramEnd = 0x002D;    // VARTAB
constexpr uint16_t kStatus = 0x0090;        // ST
constexpr uint16_t kVerifyFlag = 0x0093;    // VERCK: nonzero for VERIFY
constexpr uint16_t kLoadEnd = 0x00AE;       // EAL
constexpr uint16_t kNameLength = 0x00B7;
constexpr uint16_t kSecondary = 0x00B9;
constexpr uint16_t kNameAddress = 0x00BB;

// ST as the ROM reads it back.
constexpr uint8_t kStatusEndOfFile = 0x40;
constexpr uint8_t kStatusNotFound = 0x42;  // bit 1: the ROM's FILE NOT FOUND
constexpr uint8_t kStatusMismatch = 0x10;  // VERIFY found a different byte
constexpr uint8_t kStatusNotWritten = 0x02;
constexpr uint8_t kStatusNoDisk = 0x80;

constexpr uint8_t kSlot = 1;
constexpr uint16_t kDirectoryCapacity = 4000;
constexpr uint8_t kPlainNameLength = 8;
constexpr uint8_t kLongestName = 12;

uint16_t read_word(Memory* memory, uint16_t address) {
  return static_cast<uint16_t>(memory->read_byte(address) |
                               memory->read_byte(static_cast<uint16_t>(address + 1)) << 8);
}

void write_word(Memory* memory, uint16_t address, uint16_t value) {
  memory->write_byte(address, static_cast<uint8_t>(value));
  memory->write_byte(static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
}

// The file name the C64 gave, as the volume's lookup takes it: up to eight
// characters become NAME + blanks + ".PRG"; a name with its own extension
// ("README.TXT") is used as typed. Anything longer cannot be on the volume.
bool volume_name(Memory* memory, char (&name)[kLongestName + 1]) {
  uint8_t length = memory->read_byte(kNameLength);
  uint16_t address = read_word(memory, kNameAddress);
  bool dotted = false;
  for (uint8_t i = 0; i < length && i < kLongestName; i++)
    dotted |= memory->read_byte(static_cast<uint16_t>(address + i)) == '.';
  if (length == 0 || length > kLongestName || (length > kPlainNameLength && !dotted)) return false;
  const char blank[] = "        .PRG";
  for (int i = 0; i <= kLongestName; i++) name[i] = blank[i];
  for (uint8_t i = 0; i < length; i++) name[i] = static_cast<char>(memory->read_byte(static_cast<uint16_t>(address + i)));
  if (dotted) name[length] = '\0';
  return true;
}

// One byte of a LOAD, or of a VERIFY, which compares instead of writing.
class LoadTarget {
 public:
  LoadTarget(Memory* memory, uint16_t start, bool verify)
      : memory_(memory), next_(start), verify_(verify) {}
  void put(uint8_t byte) {
    if (!verify_)
      memory_->write_byte(next_, byte);
    else if (memory_->read_byte(next_) != byte)
      mismatch_ = true;
    next_++;  // 16-bit: wraps like the C64's own pointer
  }
  uint16_t end() const { return next_; }
  uint8_t status() const { return mismatch_ ? kStatusEndOfFile | kStatusMismatch : kStatusEndOfFile; }

 private:
  Memory* memory_;
  uint16_t next_;
  bool verify_;
  bool mismatch_ = false;
};

}  // namespace

void IO::serve_request() {
  if (memory_ == nullptr) return;
  uint8_t request = memory_->read_byte(kRequest);
  if (request == kRequestLoad) file_load();
  if (request == kRequestSave) file_save();
}

void IO::serve_request(void* io) { static_cast<IO*>(io)->serve_request(); }

void IO::file_load() {
  memory_->write_byte(kRequest, 0);
  bool verify = memory_->read_byte(kVerifyFlag) != 0;
  uint8_t length = memory_->read_byte(kNameLength);
  uint16_t name_address = read_word(memory_, kNameAddress);
  uint16_t start = read_word(memory_, kProgramStart);

  if (length == 1 && memory_->read_byte(name_address) == '$' && fat32_ != nullptr) {
    uint8_t* listing = new uint8_t[kDirectoryCapacity];
    if (listing == nullptr) {
      memory_->write_byte(kStatus, kStatusNotFound);
      return;
    }
    uint16_t size = fat32_->GetCBMDir(listing, kDirectoryCapacity);
    LoadTarget target(memory_, start, verify);
    for (uint16_t i = 0; i < size; i++) target.put(listing[i]);
    delete[] listing;
    write_word(memory_, kLoadEnd, target.end());
    if (verify) memory_->write_byte(kStatus, target.status());
    return;
  }

  char name[kLongestName + 1];
  // Whatever keeps the file from being read, the ROM must not report a load.
  if (fat32_ == nullptr || !volume_name(memory_, name) || fat32_->OpenFile(kSlot, name, Fat32::kModeRead) != 0) {
    memory_->write_byte(kStatus, kStatusNotFound);
    return;
  }
  uint8_t byte = 0;
  if (memory_->read_byte(kSecondary) == 1) {
    uint8_t low = fat32_->ReadNextFileByte(kSlot, byte) == 0 ? byte : 0;
    uint8_t high = fat32_->ReadNextFileByte(kSlot, byte) == 0 ? byte : 0;
    start = static_cast<uint16_t>(low | high << 8);
  }
  LoadTarget target(memory_, start, verify);
  while (fat32_->ReadNextFileByte(kSlot, byte) == 0) target.put(byte);
  fat32_->CloseFile(kSlot);
  // The end is reported for every load: the ROM hands it to BASIC, which
  // sets the end of the program from it.
  write_word(memory_, kLoadEnd, target.end());
  memory_->write_byte(kStatus, target.status());
}

void IO::file_save() {
  memory_->write_byte(kRequest, 0);
  if (fat32_ == nullptr) {
    memory_->write_byte(kStatus, kStatusNoDisk);
    return;
  }
  char name[kLongestName + 1];
  uint16_t start = read_word(memory_, kProgramStart);
  uint16_t end = read_word(memory_, kProgramEnd);
  if (!volume_name(memory_, name) || fat32_->OpenFile(kSlot, name, Fat32::kModeCreate) != 0) {
    memory_->write_byte(kStatus, kStatusNotWritten);
    return;
  }
  // Exactly the program area, start up to the byte before its end.
  int result = 0;
  for (uint32_t address = start; address < end && result == 0; address++)
    result = fat32_->WriteNextFileByte(kSlot, memory_->read_byte(static_cast<uint16_t>(address)));
  int closed = fat32_->CloseFile(kSlot);
  if (result != 0 || closed != 0) memory_->write_byte(kStatus, kStatusNotWritten);
}
