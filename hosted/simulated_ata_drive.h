// A simulated legacy ATA channel with up to two drives, for host tests and tools.
//
// The channel decodes the task file the way a PIO-only drive does (LBA28 and
// the two-deep LBA48 registers, IDENTIFY, READ/WRITE SECTORS (EXT), FLUSH
// CACHE (EXT)) and keeps each drive's sectors in a disk image file or in a
// sparse in-memory store. Faults can be injected per drive.
#pragma once
#include <stdint.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "hosted/port_bus.h"

namespace korvan::hosted {

// Where a simulated drive keeps its sectors.
class SectorStore {
 public:
  virtual ~SectorStore() = default;
  virtual uint64_t sectors() const = 0;
  virtual bool read(uint64_t lba, uint8_t* out) = 0;
  virtual bool write(uint64_t lba, const uint8_t* in) = 0;
};

// Sectors of an image file, read and written in place (sparse files stay sparse).
class ImageFileStore : public SectorStore {
 public:
  // writable false opens the file read-only; writes then fail as media errors.
  explicit ImageFileStore(const std::string& path, bool writable = true);
  ~ImageFileStore() override;
  bool ok() const { return fd_ >= 0; }
  uint64_t sectors() const override { return sectors_; }
  bool read(uint64_t lba, uint8_t* out) override;
  bool write(uint64_t lba, const uint8_t* in) override;

 private:
  int fd_ = -1;
  uint64_t sectors_ = 0;
};

// A drive of any declared size whose unwritten sectors read as zeros.
class MemoryStore : public SectorStore {
 public:
  explicit MemoryStore(uint64_t sectors) : sectors_(sectors) {}
  // An image held in memory: its bytes, padded with zeros to whole sectors.
  MemoryStore(const uint8_t* image, size_t bytes);
  uint64_t sectors() const override { return sectors_; }
  bool read(uint64_t lba, uint8_t* out) override;
  bool write(uint64_t lba, const uint8_t* in) override;

 private:
  uint64_t sectors_;
  std::map<uint64_t, std::vector<uint8_t>> data_;
};

// A disk whose partition index 0 is a separate volume image, so that tools
// which only understand bare volumes (fsck.fat, mtools) can work on the same
// file the drive serves: the partition table and the gap before the volume
// are held in memory.
class PartitionedStore : public SectorStore {
 public:
  PartitionedStore(SectorStore* volume, uint32_t first_sector = 2048, uint8_t type = 0x0C);
  uint64_t sectors() const override { return first_sector_ + volume_->sectors(); }
  bool read(uint64_t lba, uint8_t* out) override;
  bool write(uint64_t lba, const uint8_t* in) override;

 private:
  SectorStore* volume_;
  uint32_t first_sector_;
  MemoryStore head_;
};

struct SimulatedAtaDrive {
  explicit SimulatedAtaDrive(SectorStore* store) : store(store) {}

  SectorStore* store;  // not owned
  std::string serial = "QS0000000001";
  std::string model = "QUILLON SIMULATED DISK";
  bool lba48 = true;
  // Capacity reported by IDENTIFY; 0 reports the store's size.
  uint64_t reported_sectors = 0;
  // Status reads that show BSY after each command before the drive answers.
  unsigned busy_reads = 2;

  // Injected faults.
  bool packet_device = false;      // abort IDENTIFY with the ATAPI signature
  bool stuck_busy = false;         // BSY forever once a command is written
  bool never_data_request = false; // transfers never raise DRQ (and never ERR)
  bool status_zero_after_data = false;  // one status read of 0 after write data
  bool flush_error = false;        // FLUSH CACHE ends with ERR
  bool status_zero_after_flush = false;  // one status read of 0 after FLUSH CACHE
  std::set<uint64_t> bad_read_sectors;   // reads of these abort with ERR
  std::set<uint64_t> bad_write_sectors;  // writes of these abort with ERR
  // Writes that succeed before every further write fails; -1: no limit.
  long writes_before_failure = -1;

  // What the drive saw.
  struct Command {
    uint8_t command;
    uint8_t device;
    uint64_t lba;
    uint32_t count;
  };
  std::vector<Command> commands;
  uint64_t sectors_read = 0;
  uint64_t sectors_written = 0;
  uint64_t flushes = 0;
};

class SimulatedAtaChannel : public PortDevice {
 public:
  // Attaches the task file at base..base+7 and the control port at base+0x206.
  explicit SimulatedAtaChannel(uint16_t base = 0x1F0);
  ~SimulatedAtaChannel() override;

  // Puts a drive (not owned; null removes it) in the master or slave position.
  void connect(bool master, SimulatedAtaDrive* drive);

  uint32_t read(uint16_t port, unsigned width_bytes) override;
  void write(uint16_t port, uint32_t value, unsigned width_bytes) override;

 private:
  enum class Phase { Idle, ReadData, WriteData };
  SimulatedAtaDrive* selected() const;
  uint8_t status();
  void execute(uint8_t command);
  void begin_sector_read();
  void finish_sector_write();
  void fail(uint8_t error_bits);
  void become_ready(Phase phase);
  uint64_t lba28() const;
  uint64_t lba48() const;
  void load_identify(SimulatedAtaDrive& drive);

  uint16_t base_;
  SimulatedAtaDrive* drives_[2] = {nullptr, nullptr};
  // Task file; the second byte of each pair is the value written before (LBA48).
  uint8_t error_ = 0, device_ = 0;
  uint8_t count_[2] = {0, 0}, low_[2] = {0, 0}, mid_[2] = {0, 0}, high_[2] = {0, 0};
  uint8_t status_ = 0x50;
  unsigned busy_left_ = 0;
  bool zero_status_pending_ = false;
  Phase phase_ = Phase::Idle;
  uint64_t next_lba_ = 0;
  uint32_t sectors_left_ = 0;
  uint8_t buffer_[512] = {};
  unsigned buffer_pos_ = 0;
};

}  // namespace korvan::hosted
