// ATA PIO disk driver: one disk position on a legacy channel, one 512-byte sector per command.
#pragma once
#include <stdint.h>
#include "core/port.h"

namespace korvan {
namespace drivers {

// Results of ReadSector and WriteSector. The numbering of the write path is
// fixed (callers and the monitor show these numbers); the read path shares it.
enum AtaResult : int {
  kAtaOk = 0,
  kAtaCountTooLarge = 1,     // more than one sector's worth of bytes offered
  kAtaCommandError = 2,      // the drive set ERR after the read or write command
  kAtaNoStatusAfterData = 3, // status read 0 once the data was sent
  kAtaNoStatusAfterFlush = 4,// status read 0 after the flush command
  kAtaFlushError = 5,        // the drive set ERR while flushing its cache
  kAtaTimeout = 6,           // the drive stayed busy (or never asked for data)
};

class AdvancedTechnologyAttachment {
 public:
  static constexpr uint16_t kPrimaryBase = 0x1F0;
  static constexpr uint16_t kSecondaryBase = 0x170;
  static constexpr uint32_t kSectorSize = 512;
  // Status reads allowed for one wait. A status read on the ISA-compatible
  // task file costs about a microsecond, so this is roughly a second.
  static constexpr uint32_t kPollLimit = 1000000;

  AdvancedTechnologyAttachment(bool master, uint16_t portBase);
  ~AdvancedTechnologyAttachment();

  // Probes the position and prints what it holds (no trailing newline).
  void Identify();
  // Reads one sector into data, which must hold 512 bytes; count is ignored.
  // On failure prints "ERROR", leaves data unchanged and returns the reason.
  int ReadSector(uint32_t sector, uint8_t* data, int count);
  // Writes count bytes (at most 512, zero-padded) as one sector, then flushes
  // the drive's write cache. 0 on success, otherwise an AtaResult.
  int WriteSector(uint32_t sector, const uint8_t* data, uint32_t count);

 private:
  // Status register bits.
  static constexpr uint8_t kStatusBusy = 0x80;          // BSY
  static constexpr uint8_t kStatusDataRequest = 0x08;   // DRQ
  static constexpr uint8_t kStatusError = 0x01;         // ERR
  // Device register: LBA addressing, bits 5 and 7 always one, bit 4 the slave.
  static constexpr uint8_t kSelectMaster = 0xA0;
  static constexpr uint8_t kSelectSlave = 0xB0;
  static constexpr uint8_t kLbaMaster = 0xE0;
  static constexpr uint8_t kLbaSlave = 0xF0;
  static constexpr uint32_t kLba28Limit = 0x0FFFFFFF;
  // Identify data, in 16-bit words.
  static constexpr int kIdentifySerialWord = 10;
  static constexpr int kIdentifySerialChars = 20;
  static constexpr int kIdentifyModelWord = 27;
  static constexpr int kIdentifyModelChars = 40;
  static constexpr int kIdentifyLba28SectorsWord = 60;
  static constexpr int kIdentifyCommandSetWord = 83;
  static constexpr uint16_t kCommandSetLba48 = 1 << 10;
  static constexpr int kIdentifyLba48SectorsWord = 100;
  // Signature left in LBA mid/high by a packet device that aborts IDENTIFY.
  static constexpr uint8_t kPacketSignatureMid = 0x14;
  static constexpr uint8_t kPacketSignatureHigh = 0xEB;
  static constexpr uint8_t kSataPacketSignatureMid = 0x69;
  static constexpr uint8_t kSataPacketSignatureHigh = 0x96;

  enum class Command : uint8_t {
    ReadSectors = 0x20,
    ReadSectorsExt = 0x24,
    WriteSectors = 0x30,
    WriteSectorsExt = 0x34,
    FlushCache = 0xE7,
    FlushCacheExt = 0xEA,
    IdentifyDevice = 0xEC,
  };

  // Loads the task file for a one-sector transfer; true when LBA48 is needed.
  bool AddressSector(uint32_t sector);
  // Polls until BSY clears, or ERR shows. Leaves the last status in status.
  bool WaitNotBusy(uint8_t& status);
  // As WaitNotBusy, but also waits for DRQ before a data phase.
  bool WaitForData(uint8_t& status);

  bool master;
  hardwarecommunication::Port16Bit dataPort;
  hardwarecommunication::Port8Bit errorPort;
  hardwarecommunication::Port8Bit sectorCountPort;
  hardwarecommunication::Port8Bit lbaLowPort;
  hardwarecommunication::Port8Bit lbaMidPort;
  hardwarecommunication::Port8Bit lbaHighPort;
  hardwarecommunication::Port8Bit devicePort;
  hardwarecommunication::Port8Bit commandPort;
  hardwarecommunication::Port8Bit controlPort;
};

}  // namespace drivers
}  // namespace korvan
