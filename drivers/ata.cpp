// ATA PIO disk driver: identification report and single-sector transfers by polling.
#include "drivers/ata.h"
#include "lib/stdio.h"

namespace korvan {
namespace drivers {

namespace {

// Identify strings hold two characters per word with the first in the high byte.
void CopyIdentifyString(const uint8_t* identify, int firstWord, int chars, char* out) {
  for (int i = 0; i < chars; i += 2) {
    out[i] = static_cast<char>(identify[2 * firstWord + i + 1]);
    out[i + 1] = static_cast<char>(identify[2 * firstWord + i]);
  }
  out[chars] = 0;
}

uint16_t IdentifyWord(const uint8_t* identify, int word) {
  return static_cast<uint16_t>(identify[2 * word] | (identify[2 * word + 1] << 8));
}

uint32_t IdentifyDoubleWord(const uint8_t* identify, int word) {
  return IdentifyWord(identify, word) | (static_cast<uint32_t>(IdentifyWord(identify, word + 1)) << 16);
}

}  // namespace

AdvancedTechnologyAttachment::AdvancedTechnologyAttachment(bool master, uint16_t portBase)
    : master(master),
      dataPort(portBase),
      errorPort(portBase + 1),
      sectorCountPort(portBase + 2),
      lbaLowPort(portBase + 3),
      lbaMidPort(portBase + 4),
      lbaHighPort(portBase + 5),
      devicePort(portBase + 6),
      commandPort(portBase + 7),
      controlPort(portBase + 0x206) {}

AdvancedTechnologyAttachment::~AdvancedTechnologyAttachment() {}

void AdvancedTechnologyAttachment::Identify() {
  uint8_t select = master ? kSelectMaster : kSelectSlave;
  devicePort.Write(select);
  controlPort.Write(0);
  // The channel's status is sampled with the master selected; an empty
  // channel floats to 0xFF, a channel without any drive reads 0.
  devicePort.Write(kSelectMaster);
  uint8_t status = commandPort.Read();
  if (status == 0xFF || status == 0) {
    printf("no device\n");
    return;
  }

  devicePort.Write(select);
  sectorCountPort.Write(0);
  lbaLowPort.Write(0);
  lbaMidPort.Write(0);
  lbaHighPort.Write(0);
  commandPort.Write(static_cast<uint8_t>(Command::IdentifyDevice));
  status = commandPort.Read();
  if (status == 0) {
    printf("No device");
    return;
  }

  bool aborted = false;
  uint32_t polls = 0;
  for (; polls < kPollLimit; ++polls) {
    status = commandPort.Read();
    if (status & kStatusError) {
      aborted = true;
      break;
    }
    if (!(status & kStatusBusy) && (status & kStatusDataRequest)) break;
  }
  if (polls == kPollLimit) return;

  bool packetDevice = false;
  if (aborted) {
    // A packet device refuses IDENTIFY DEVICE and leaves its signature behind.
    uint8_t mid = lbaMidPort.Read();
    uint8_t high = lbaHighPort.Read();
    packetDevice = (mid == kPacketSignatureMid && high == kPacketSignatureHigh) ||
                   (mid == kSataPacketSignatureMid && high == kSataPacketSignatureHigh);
    commandPort.Read();
  }

  uint8_t identify[kSectorSize];
  for (uint32_t i = 0; i < kSectorSize; i += 2) {
    uint16_t word = dataPort.Read();
    identify[i] = static_cast<uint8_t>(word & 0xFF);
    identify[i + 1] = static_cast<uint8_t>(word >> 8);
  }

  char serial[kIdentifySerialChars + 1];
  char model[kIdentifyModelChars + 1];
  CopyIdentifyString(identify, kIdentifySerialWord, kIdentifySerialChars, serial);
  CopyIdentifyString(identify, kIdentifyModelWord, kIdentifyModelChars, model);
  bool lba48 = (IdentifyWord(identify, kIdentifyCommandSetWord) & kCommandSetLba48) != 0;
  uint32_t sectors = IdentifyDoubleWord(identify, lba48 ? kIdentifyLba48SectorsWord : kIdentifyLba28SectorsWord);

  printf(packetDevice ? "ATAPI" : "ATA");
  printf("\n       Serial : %s ", serial);
  printf("\n        Model : %s", model);
  printf("\n    Size (MB) : %u - ", sectors / 2048);
  printf(lba48 ? "LBA48" : "LBA28");
}

bool AdvancedTechnologyAttachment::AddressSector(uint32_t sector) {
  bool lba48 = sector > kLba28Limit;
  uint8_t device = master ? kLbaMaster : kLbaSlave;
  if (!lba48) device |= static_cast<uint8_t>((sector >> 24) & 0x0F);
  devicePort.Write(device);
  errorPort.Write(0);
  if (lba48) {
    // The task file registers are two-deep in LBA48 mode: high-order bytes go first.
    sectorCountPort.Write(0);
    lbaLowPort.Write(static_cast<uint8_t>(sector >> 24));
    lbaMidPort.Write(0);
    lbaHighPort.Write(0);
  }
  sectorCountPort.Write(1);
  lbaLowPort.Write(static_cast<uint8_t>(sector));
  lbaMidPort.Write(static_cast<uint8_t>(sector >> 8));
  lbaHighPort.Write(static_cast<uint8_t>(sector >> 16));
  return lba48;
}

bool AdvancedTechnologyAttachment::WaitNotBusy(uint8_t& status) {
  for (uint32_t polls = 0; polls < kPollLimit; ++polls) {
    status = commandPort.Read();
    if ((status & kStatusError) || !(status & kStatusBusy)) return true;
  }
  return false;
}

bool AdvancedTechnologyAttachment::WaitForData(uint8_t& status) {
  for (uint32_t polls = 0; polls < kPollLimit; ++polls) {
    status = commandPort.Read();
    if (status & kStatusError) return true;
    if (!(status & kStatusBusy) && (status & kStatusDataRequest)) return true;
  }
  return false;
}

int AdvancedTechnologyAttachment::ReadSector(uint32_t sector, uint8_t* data, int /*count*/) {
  bool lba48 = AddressSector(sector);
  commandPort.Write(static_cast<uint8_t>(lba48 ? Command::ReadSectorsExt : Command::ReadSectors));
  uint8_t status = 0;
  int result = kAtaOk;
  if (!WaitForData(status)) {
    result = kAtaTimeout;
  } else if (status & kStatusError) {
    result = kAtaCommandError;
  }
  if (result != kAtaOk) {
    printf("ERROR");
    return result;
  }
  for (uint32_t i = 0; i < kSectorSize; i += 2) {
    uint16_t word = dataPort.Read();
    data[i] = static_cast<uint8_t>(word & 0xFF);
    data[i + 1] = static_cast<uint8_t>(word >> 8);
  }
  return kAtaOk;
}

int AdvancedTechnologyAttachment::WriteSector(uint32_t sector, const uint8_t* data, uint32_t count) {
  if (count > kSectorSize) return kAtaCountTooLarge;
  bool lba48 = AddressSector(sector);
  commandPort.Write(static_cast<uint8_t>(lba48 ? Command::WriteSectorsExt : Command::WriteSectors));
  uint8_t status = 0;
  if (!WaitForData(status)) return kAtaTimeout;
  if (status & kStatusError) return kAtaCommandError;

  uint32_t sent = 0;
  for (; sent < count; sent += 2) {
    uint16_t high = (sent + 1 < count) ? data[sent + 1] : 0;
    dataPort.Write(static_cast<uint16_t>(data[sent] | (high << 8)));
  }
  for (; sent < kSectorSize; sent += 2) dataPort.Write(0);

  status = commandPort.Read();
  if (status == 0) return kAtaNoStatusAfterData;
  if (!WaitNotBusy(status)) return kAtaTimeout;
  if (status & kStatusError) return kAtaCommandError;

  commandPort.Write(static_cast<uint8_t>(lba48 ? Command::FlushCacheExt : Command::FlushCache));
  status = commandPort.Read();
  if (status == 0) return kAtaNoStatusAfterFlush;
  if (!WaitNotBusy(status)) return kAtaTimeout;
  if (status & kStatusError) return kAtaFlushError;
  return kAtaOk;
}

}  // namespace drivers
}  // namespace korvan
