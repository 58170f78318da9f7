// Drive 8 on the host's side of the KERNAL's hand-off. The ROM stores a
// request in $02 and reads the result in its very next instructions, so each
// request is served before the processor goes on: LOAD, SAVE, and the
// channel calls OPEN, CLOSE, CHKIN, CHKOUT, CHRIN/GETIN, CHROUT and CLALL.
#include "emulator/io.h"

#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"
#include "face/fake6502_bridge.h"
#include "filesystem/disk_changer.h"
#include "filesystem/fat.h"

using korvan::filesystem::DriveStatus;
using korvan::filesystem::DiskChanger;
using korvan::filesystem::Fat32;
using namespace korvan::filesystem;

namespace {

constexpr uint16_t kRequest = c64::HOSTREQ;
constexpr uint16_t kBasicStart = c64::TXTTAB;
constexpr uint16_t kBasicTop = c64::MEMSIZ;
constexpr uint16_t kStatus = c64::STATUS;
constexpr uint16_t kVerifyFlag = c64::VERCK;  // nonzero for VERIFY
constexpr uint16_t kByte = c64::BSOUR;  // the byte of CHRIN and CHROUT
constexpr uint16_t kLoadEnd = c64::EAL;  // end of a LOAD, end of a SAVE
constexpr uint16_t kNameLength = c64::FNLEN;
constexpr uint16_t kSecondary = c64::SA;
constexpr uint16_t kNameAddress = c64::FNADR;
constexpr uint16_t kSaveStart = c64::STAL;
constexpr uint16_t kLoadAddress = c64::MEMUSS;  // where LOAD puts secondary address 0

// ST as the ROM reads it back.
constexpr uint8_t kStatusTimeout = 0x02;   // LOAD: not found; SAVE: not written; CHRIN: nothing to read
constexpr uint8_t kStatusTooLong = 0x04;   // LOAD: the file does not fit in memory
constexpr uint8_t kStatusMismatch = 0x10;  // VERIFY found a different byte
constexpr uint8_t kStatusEndOfFile = 0x40;
constexpr uint8_t kStatusNoDevice = 0x80;

constexpr uint8_t kReturn = 0x0D;
constexpr uint32_t kAddressSpace = 0x10000;
constexpr uint8_t kSecondaryMask = 0x0F;

uint16_t read_word(Memory* memory, uint16_t address) {
  return static_cast<uint16_t>(memory->read_byte(address) |
                               memory->read_byte(static_cast<uint16_t>(address + 1)) << 8);
}

void write_word(Memory* memory, uint16_t address, uint16_t value) {
  memory->write_byte(address, static_cast<uint8_t>(value));
  memory->write_byte(static_cast<uint16_t>(address + 1), static_cast<uint8_t>(value >> 8));
}

constexpr uint32_t kLongestName = 0xFF;

// The name SETNAM gave: FNLEN bytes at FNADR.
uint8_t read_name(Memory* memory, uint8_t (&name)[kLongestName]) {
  uint8_t length = memory->read_byte(kNameLength);
  uint16_t address = read_word(memory, kNameAddress);
  for (uint8_t i = 0; i < length; i++) name[i] = memory->read_byte(static_cast<uint16_t>(address + i));
  return length;
}

void set_status_bits(Memory* memory, uint8_t bits) {
  memory->write_byte(kStatus, static_cast<uint8_t>(memory->read_byte(kStatus) | bits));
}

static_assert(IO::kFirstRequest == kC64FirstHostRequest && IO::kLastRequest == kC64LastHostRequest,
              "the face serves exactly the requests the bridge knows");

}  // namespace

void IO::fat32(Fat32* volume) {
  release_drive();
  disks_ = volume != nullptr ? new DiskChanger(*volume) : nullptr;
  fat32_ = volume;
  drive_.changer(disks_);
  drive_.disk(disks_ != nullptr ? &disks_->Root() : nullptr);
  if (fat32_ != nullptr && clock_running_) fat32_->Clock(&clock_);
}

void IO::rtc(korvan::drivers::RTCDriver* rtc) {
  rtc_ = rtc;
  if (rtc_ == nullptr) return;
  korvan::drivers::datetime now{};
  rtc_->GetRTC(&now);
  clock_.start(now, current_milli);
  clock_running_ = true;
  if (fat32_ != nullptr) fat32_->Clock(&clock_);
}

void IO::release_drive() {
  drive_.disk(nullptr);
  drive_.changer(nullptr);
  delete disks_;
  disks_ = nullptr;
  if (fat32_ != nullptr && clock_running_) fat32_->Clock(nullptr);
}

void IO::serve_request() {
  if (memory_ == nullptr) return;
  uint8_t request = memory_->read_byte(kRequest);
  if (request < kFirstRequest || request > kLastRequest) return;
  memory_->write_byte(kRequest, 0);
  // Without a volume there is no drive: every call finds no device.
  if (disks_ == nullptr && request != kRequestClall) {
    memory_->write_byte(kStatus, request == kRequestLoad ? kStatusTimeout : kStatusNoDevice);
    return;
  }
  uint8_t sa = memory_->read_byte(kSecondary) & kSecondaryMask;
  switch (request) {
    case kRequestLoad: return file_load();
    case kRequestSave: return file_save();
    case kRequestOpen: {
      uint8_t name[kLongestName];
      uint8_t length = read_name(memory_, name);
      // As on the bus, an OPEN without a name tells the drive nothing.
      if (length > 0) drive_.open(sa, name, length);
      return;
    }
    case kRequestClose: return drive_.close(sa);
    case kRequestTalk: talker_ = sa; return;
    case kRequestListen: listener_ = sa; return;
    case kRequestRead: {
      uint8_t byte = kReturn;
      bool last = false;
      DriveStatus status = drive_.read(talker_, byte, last);
      if (status != kDriveOk) {
        byte = kReturn;
        set_status_bits(memory_, kStatusEndOfFile | kStatusTimeout);
      } else if (last) {
        set_status_bits(memory_, kStatusEndOfFile);
      }
      memory_->write_byte(kByte, byte);
      return;
    }
    case kRequestWrite: drive_.write(listener_, memory_->read_byte(kByte)); return;
    case kRequestClall: drive_.close_all(); return;
    case kRequestUnlisten: drive_.unlisten(listener_); return;
    default: return;
  }
}

void IO::serve_request(void* io) { static_cast<IO*>(io)->serve_request(); }

// LOAD and VERIFY: the file's first two bytes are its load address, used
// with secondary address 1; with 0 the bytes go where the caller said
// (BASIC: its start). Nothing is written past $FFFF, and a BASIC program
// that would end above BASIC's memory is not loaded at all.
void IO::file_load() {
  bool verify = memory_->read_byte(kVerifyFlag) != 0;
  uint8_t sa = memory_->read_byte(kSecondary);
  uint16_t start = read_word(memory_, kLoadAddress);
  uint16_t basic_start = read_word(memory_, kBasicStart);
  uint16_t basic_top = read_word(memory_, kBasicTop);
  // A program moved above BASIC's memory (the start pointed past its top)
  // is no BASIC program load.
  bool basic_program = sa == 0 && start == basic_start && start < basic_top;
  uint8_t name[kLongestName];
  uint8_t length = read_name(memory_, name);

  drive_.listing_room(basic_program ? basic_top - start + 2u : kAddressSpace - start + 2u);
  drive_.open(Drive::kLoadChannel, name, length);
  uint8_t low = 0, high = 0;
  bool last = false;
  if (drive_.status() != kDriveOk || drive_.read(Drive::kLoadChannel, low, last) != kDriveOk || last ||
      drive_.read(Drive::kLoadChannel, high, last) != kDriveOk) {
    drive_.close(Drive::kLoadChannel);
    memory_->write_byte(kStatus, kStatusTimeout);
    return;
  }
  if (sa == 1) start = static_cast<uint16_t>(low | high << 8);
  uint8_t* data = new uint8_t[kAddressSpace];
  if (data == nullptr) {
    drive_.close(Drive::kLoadChannel);
    memory_->write_byte(kStatus, kStatusTimeout);
    return;
  }
  // The bytes are gathered first, so a load that cannot fit changes nothing
  // it should not: a BASIC program load leaves memory and pointers alone.
  uint32_t count = 0;
  bool overflow = false;
  for (uint8_t byte = 0; !last && drive_.read(Drive::kLoadChannel, byte, last) == kDriveOk;) {
    if (start + count >= kAddressSpace) {
      overflow = true;
      break;
    }
    data[count++] = byte;
  }
  // A file the disk could not read to its end is not loaded at all; the
  // drive's status says what stopped it.
  bool cut_short = drive_.status() != kDriveOk;
  drive_.close(Drive::kLoadChannel);
  if (cut_short) {
    delete[] data;
    memory_->write_byte(kStatus, kStatusTimeout);
    return;
  }
  if (basic_program && !verify && start + count > basic_top) {
    delete[] data;
    memory_->write_byte(kStatus, kStatusTimeout | kStatusTooLong);
    return;
  }
  bool mismatch = false;
  for (uint32_t i = 0; i < count; i++) {
    uint16_t at = static_cast<uint16_t>(start + i);
    if (!verify)
      memory_->write_byte(at, data[i]);
    else if (memory_->read_byte(at) != data[i])
      mismatch = true;
  }
  delete[] data;
  // The end is reported for every load: the ROM hands it to BASIC, which
  // sets the end of the program from it.
  write_word(memory_, kLoadEnd, static_cast<uint16_t>(start + count));
  if (overflow) {
    memory_->write_byte(kStatus, kStatusTimeout | kStatusTooLong);
    return;
  }
  memory_->write_byte(kStatus, mismatch ? kStatusEndOfFile | kStatusMismatch : kStatusEndOfFile);
}

// SAVE: the load address (the start of the area), then the area from STAL
// up to the byte before EAL, on the save channel, so "@0:" replaces.
void IO::file_save() {
  uint16_t start = read_word(memory_, kSaveStart);
  uint16_t end = read_word(memory_, kLoadEnd);
  uint8_t name[kLongestName];
  uint8_t length = read_name(memory_, name);
  drive_.open(Drive::kSaveChannel, name, length);
  if (drive_.status() != kDriveOk) {
    memory_->write_byte(kStatus, kStatusTimeout);
    return;
  }
  DriveStatus status = drive_.write(Drive::kSaveChannel, static_cast<uint8_t>(start));
  if (status == kDriveOk) status = drive_.write(Drive::kSaveChannel, static_cast<uint8_t>(start >> 8));
  for (uint32_t at = start; at < end && status == kDriveOk; at++)
    status = drive_.write(Drive::kSaveChannel, memory_->read_byte(static_cast<uint16_t>(at)));
  drive_.close(Drive::kSaveChannel);
  if (status != kDriveOk || drive_.status() != kDriveOk) memory_->write_byte(kStatus, kStatusTimeout);
}
