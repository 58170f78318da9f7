// A simulated legacy ATA channel: task-file decoding, PIO data phases and injected faults.
#include "hosted/simulated_ata_drive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace korvan::hosted {

namespace {

constexpr unsigned kSectorBytes = 512;

// Status bits.
constexpr uint8_t kBusy = 0x80;
constexpr uint8_t kReady = 0x40;
constexpr uint8_t kSeekComplete = 0x10;
constexpr uint8_t kDataRequest = 0x08;
constexpr uint8_t kError = 0x01;
constexpr uint8_t kIdle = kReady | kSeekComplete;

// Error register bits.
constexpr uint8_t kUncorrectable = 0x40;
constexpr uint8_t kIdNotFound = 0x10;
constexpr uint8_t kAborted = 0x04;

// Device register bits.
constexpr uint8_t kDeviceLba = 0x40;
constexpr uint8_t kDeviceSlave = 0x10;

// Control register bits.
constexpr uint8_t kSoftwareReset = 0x04;

enum : uint8_t {
  kReadSectors = 0x20,
  kReadSectorsExt = 0x24,
  kWriteSectors = 0x30,
  kWriteSectorsExt = 0x34,
  kFlushCache = 0xE7,
  kFlushCacheExt = 0xEA,
  kIdentifyDevice = 0xEC,
};

// Register offsets from the channel base.
enum : uint16_t {
  kDataRegister = 0,
  kFeaturesRegister = 1,
  kCountRegister = 2,
  kLowRegister = 3,
  kMidRegister = 4,
  kHighRegister = 5,
  kDeviceRegister = 6,
  kCommandRegister = 7,
  kControlRegister = 0x206,
};

void push(uint8_t (&pair)[2], uint8_t value) {
  pair[1] = pair[0];
  pair[0] = value;
}

// IDENTIFY strings: blank-padded, two characters a word, the first in the high byte.
void put_string(uint8_t* identify, int first_word, int chars, const std::string& text) {
  for (int i = 0; i < chars; i++) {
    char c = i < static_cast<int>(text.size()) ? text[i] : ' ';
    identify[2 * first_word + (i ^ 1)] = static_cast<uint8_t>(c);
  }
}

void put_word(uint8_t* identify, int word, uint16_t value) {
  identify[2 * word] = static_cast<uint8_t>(value);
  identify[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

}  // namespace

ImageFileStore::ImageFileStore(const std::string& path, bool writable) {
  fd_ = ::open(path.c_str(), writable ? O_RDWR : O_RDONLY);
  struct stat info;
  if (fd_ >= 0 && ::fstat(fd_, &info) == 0)
    sectors_ = (static_cast<uint64_t>(info.st_size) + kSectorBytes - 1) / kSectorBytes;
}

ImageFileStore::~ImageFileStore() {
  if (fd_ >= 0) ::close(fd_);
}

bool ImageFileStore::read(uint64_t lba, uint8_t* out) {
  if (fd_ < 0 || lba >= sectors_) return false;
  std::fill(out, out + kSectorBytes, 0);
  return ::pread(fd_, out, kSectorBytes, static_cast<off_t>(lba * kSectorBytes)) >= 0;
}

bool ImageFileStore::write(uint64_t lba, const uint8_t* in) {
  if (fd_ < 0 || lba >= sectors_) return false;
  return ::pwrite(fd_, in, kSectorBytes, static_cast<off_t>(lba * kSectorBytes)) == kSectorBytes;
}

MemoryStore::MemoryStore(const uint8_t* image, size_t bytes)
    : sectors_((bytes + kSectorBytes - 1) / kSectorBytes) {
  for (uint64_t lba = 0; lba < sectors_; lba++) {
    size_t offset = lba * kSectorBytes;
    size_t take = std::min<size_t>(kSectorBytes, bytes - offset);
    std::vector<uint8_t>& sector = data_[lba];
    sector.assign(kSectorBytes, 0);
    std::copy(image + offset, image + offset + take, sector.begin());
  }
}

bool MemoryStore::read(uint64_t lba, uint8_t* out) {
  if (lba >= sectors_) return false;
  auto found = data_.find(lba);
  if (found == data_.end())
    std::fill(out, out + kSectorBytes, 0);
  else
    std::copy(found->second.begin(), found->second.end(), out);
  return true;
}

bool MemoryStore::write(uint64_t lba, const uint8_t* in) {
  if (lba >= sectors_) return false;
  data_[lba].assign(in, in + kSectorBytes);
  return true;
}

PartitionedStore::PartitionedStore(SectorStore* volume, uint32_t first_sector, uint8_t type)
    : volume_(volume), first_sector_(first_sector), head_(first_sector) {
  uint8_t mbr[kSectorBytes] = {};
  uint8_t* entry = mbr + 446;
  entry[0] = 0x80;
  entry[4] = type;
  uint64_t count = std::min<uint64_t>(volume->sectors(), 0xFFFFFFFF);
  for (int i = 0; i < 4; i++) {
    entry[8 + i] = static_cast<uint8_t>(first_sector >> (8 * i));
    entry[12 + i] = static_cast<uint8_t>(count >> (8 * i));
  }
  mbr[510] = 0x55;
  mbr[511] = 0xAA;
  head_.write(0, mbr);
}

bool PartitionedStore::read(uint64_t lba, uint8_t* out) {
  return lba < first_sector_ ? head_.read(lba, out) : volume_->read(lba - first_sector_, out);
}

bool PartitionedStore::write(uint64_t lba, const uint8_t* in) {
  return lba < first_sector_ ? head_.write(lba, in) : volume_->write(lba - first_sector_, in);
}

SimulatedAtaChannel::SimulatedAtaChannel(uint16_t base) : base_(base) {
  attach_ports(base, base + kCommandRegister, this);
  attach_ports(base + kControlRegister, base + kControlRegister, this);
}

SimulatedAtaChannel::~SimulatedAtaChannel() { detach_ports(this); }

void SimulatedAtaChannel::connect(bool master, SimulatedAtaDrive* drive) { drives_[master ? 0 : 1] = drive; }

SimulatedAtaDrive* SimulatedAtaChannel::selected() const { return drives_[(device_ & kDeviceSlave) ? 1 : 0]; }

uint8_t SimulatedAtaChannel::status() {
  SimulatedAtaDrive* drive = selected();
  // The other drive pulls the bus low for a position that holds nothing.
  if (drive == nullptr) return 0;
  if (drive->stuck_busy && !drive->commands.empty()) return kBusy;
  if (zero_status_pending_) {
    zero_status_pending_ = false;
    return 0;
  }
  if (busy_left_ > 0) {
    busy_left_--;
    return kBusy;
  }
  return status_;
}

uint32_t SimulatedAtaChannel::read(uint16_t port, unsigned /*width_bytes*/) {
  switch (port - base_) {
    case kDataRegister: {
      if (phase_ != Phase::ReadData) return 0;
      uint16_t word = static_cast<uint16_t>(buffer_[buffer_pos_] | (buffer_[buffer_pos_ + 1] << 8));
      buffer_pos_ += 2;
      if (buffer_pos_ == kSectorBytes) {
        if (SimulatedAtaDrive* drive = selected()) drive->sectors_read++;
        if (--sectors_left_ > 0) {
          next_lba_++;
          begin_sector_read();
        } else {
          become_ready(Phase::Idle);
        }
      }
      return word;
    }
    case kFeaturesRegister: return error_;
    case kCountRegister: return count_[0];
    case kLowRegister: return low_[0];
    case kMidRegister: return mid_[0];
    case kHighRegister: return high_[0];
    case kDeviceRegister: return device_;
    case kCommandRegister:
    case kControlRegister: return status();
    default: return 0xFF;
  }
}

void SimulatedAtaChannel::write(uint16_t port, uint32_t value, unsigned /*width_bytes*/) {
  uint8_t byte = static_cast<uint8_t>(value);
  switch (port - base_) {
    case kDataRegister:
      if (phase_ != Phase::WriteData) return;
      buffer_[buffer_pos_] = static_cast<uint8_t>(value);
      buffer_[buffer_pos_ + 1] = static_cast<uint8_t>(value >> 8);
      buffer_pos_ += 2;
      if (buffer_pos_ == kSectorBytes) finish_sector_write();
      return;
    case kCountRegister: push(count_, byte); return;
    case kLowRegister: push(low_, byte); return;
    case kMidRegister: push(mid_, byte); return;
    case kHighRegister: push(high_, byte); return;
    case kDeviceRegister: device_ = byte; return;
    case kCommandRegister: execute(byte); return;
    case kControlRegister:
      if (byte & kSoftwareReset) {
        phase_ = Phase::Idle;
        status_ = kIdle;
        error_ = 0;
        busy_left_ = 0;
      }
      return;
    default: return;
  }
}

uint64_t SimulatedAtaChannel::lba28() const {
  return low_[0] | (mid_[0] << 8) | (high_[0] << 16) | (static_cast<uint64_t>(device_ & 0x0F) << 24);
}

uint64_t SimulatedAtaChannel::lba48() const {
  return low_[0] | (mid_[0] << 8) | (high_[0] << 16) | (static_cast<uint64_t>(low_[1]) << 24) |
         (static_cast<uint64_t>(mid_[1]) << 32) | (static_cast<uint64_t>(high_[1]) << 40);
}

void SimulatedAtaChannel::fail(uint8_t error_bits) {
  phase_ = Phase::Idle;
  error_ = error_bits;
  status_ = kIdle | kError;
}

void SimulatedAtaChannel::become_ready(Phase phase) {
  phase_ = phase;
  error_ = 0;
  status_ = phase == Phase::Idle ? kIdle : static_cast<uint8_t>(kIdle | kDataRequest);
  buffer_pos_ = 0;
}

void SimulatedAtaChannel::execute(uint8_t command) {
  SimulatedAtaDrive* drive = selected();
  if (drive == nullptr) return;
  bool extended = command == kReadSectorsExt || command == kWriteSectorsExt;
  uint64_t lba = extended ? lba48() : lba28();
  uint32_t count = extended ? (count_[0] | (count_[1] << 8)) : count_[0];
  if (count == 0) count = extended ? 65536 : 256;
  drive->commands.push_back({command, device_, lba, count});
  busy_left_ = drive->busy_reads;

  switch (command) {
    case kIdentifyDevice:
      if (drive->packet_device) {
        fail(kAborted);
        low_[0] = 0x01;
        mid_[0] = 0x14;
        high_[0] = 0xEB;
        return;
      }
      load_identify(*drive);
      sectors_left_ = 1;
      become_ready(Phase::ReadData);
      return;
    case kReadSectors:
    case kReadSectorsExt:
    case kWriteSectors:
    case kWriteSectorsExt: {
      if (!(device_ & kDeviceLba)) return fail(kAborted);
      if (lba + count > drive->store->sectors()) return fail(kIdNotFound);
      next_lba_ = lba;
      sectors_left_ = count;
      bool reading = command == kReadSectors || command == kReadSectorsExt;
      if (drive->never_data_request) {
        phase_ = Phase::Idle;
        status_ = kIdle;
        return;
      }
      if (reading)
        begin_sector_read();
      else
        become_ready(Phase::WriteData);
      return;
    }
    case kFlushCache:
    case kFlushCacheExt:
      drive->flushes++;
      zero_status_pending_ = drive->status_zero_after_flush;
      if (drive->flush_error) return fail(kAborted);
      become_ready(Phase::Idle);
      return;
    default:
      fail(kAborted);
  }
}

void SimulatedAtaChannel::begin_sector_read() {
  SimulatedAtaDrive* drive = selected();
  if (drive->bad_read_sectors.count(next_lba_) || !drive->store->read(next_lba_, buffer_))
    return fail(kUncorrectable);
  become_ready(Phase::ReadData);
}

void SimulatedAtaChannel::finish_sector_write() {
  SimulatedAtaDrive* drive = selected();
  busy_left_ = drive->busy_reads;
  zero_status_pending_ = drive->status_zero_after_data;
  bool refused = drive->bad_write_sectors.count(next_lba_) || drive->writes_before_failure == 0;
  if (refused || !drive->store->write(next_lba_, buffer_)) return fail(kUncorrectable);
  if (drive->writes_before_failure > 0) drive->writes_before_failure--;
  drive->sectors_written++;
  if (--sectors_left_ > 0) {
    next_lba_++;
    become_ready(Phase::WriteData);
  } else {
    become_ready(Phase::Idle);
  }
}

void SimulatedAtaChannel::load_identify(SimulatedAtaDrive& drive) {
  std::fill(buffer_, buffer_ + kSectorBytes, 0);
  uint64_t sectors = drive.reported_sectors ? drive.reported_sectors : drive.store->sectors();
  put_word(buffer_, 0, 0x0040);  // fixed, non-removable
  put_string(buffer_, 10, 20, drive.serial);
  put_string(buffer_, 23, 8, "1.0");
  put_string(buffer_, 27, 40, drive.model);
  put_word(buffer_, 49, 0x0200);  // LBA supported
  uint32_t lba28_sectors = static_cast<uint32_t>(std::min<uint64_t>(sectors, 0x0FFFFFFF));
  put_word(buffer_, 60, static_cast<uint16_t>(lba28_sectors));
  put_word(buffer_, 61, static_cast<uint16_t>(lba28_sectors >> 16));
  uint16_t command_set = static_cast<uint16_t>(0x4000 | (drive.lba48 ? 0x0400 : 0));
  put_word(buffer_, 83, command_set);
  put_word(buffer_, 86, command_set);
  for (int i = 0; i < 4; i++) put_word(buffer_, 100 + i, static_cast<uint16_t>(sectors >> (16 * i)));
}

}  // namespace korvan::hosted
