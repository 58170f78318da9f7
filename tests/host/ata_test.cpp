// ATA PIO driver against the simulated channel: identify report, addressing, transfers and faults.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drivers/ata.h"
#include "hosted/console_capture.h"
#include "hosted/port_bus.h"
#include "hosted/simulated_ata_drive.h"

using korvan::drivers::AdvancedTechnologyAttachment;
using korvan::hosted::ConsoleCapture;
using korvan::hosted::MemoryStore;
using korvan::hosted::SimulatedAtaChannel;
using korvan::hosted::SimulatedAtaDrive;

namespace {

constexpr uint16_t kPrimary = AdvancedTechnologyAttachment::kPrimaryBase;
constexpr uint16_t kSecondary = AdvancedTechnologyAttachment::kSecondaryBase;

std::string Padded(const std::string& text, size_t width) { return text + std::string(width - text.size(), ' '); }

std::vector<uint8_t> Pattern(uint32_t seed) {
  std::vector<uint8_t> bytes(512);
  for (size_t i = 0; i < bytes.size(); i++) bytes[i] = static_cast<uint8_t>(i * 7 + seed);
  return bytes;
}

// The values written to one port since the log was cleared.
std::vector<uint32_t> WritesTo(uint16_t port) {
  unsigned count = 0;
  const korvan::hosted::PortAccess* log = korvan::hosted::port_log(&count);
  std::vector<uint32_t> values;
  for (unsigned i = 0; i < count; i++)
    if (log[i].is_write && log[i].port == port) values.push_back(log[i].value);
  return values;
}

class AtaTest : public ::testing::Test {
 protected:
  // Runs before a derived fixture attaches its channel.
  AtaTest() { korvan::hosted::reset_ports(); }
  ~AtaTest() override { korvan::hosted::reset_ports(); }

  std::string IdentifyText(AdvancedTechnologyAttachment& disk) {
    ConsoleCapture capture;
    disk.Identify();
    return capture.text();
  }
};

TEST_F(AtaTest, IdentifyReportsSerialModelSizeAndLba48) {
  MemoryStore store(2097152);  // 1 GiB
  SimulatedAtaDrive drive(&store);
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, kPrimary);
  EXPECT_EQ("ATA\n       Serial : " + Padded(drive.serial, 20) + " \n        Model : " + Padded(drive.model, 40) +
                "\n    Size (MB) : 1024 - LBA48",
            IdentifyText(disk));
}

TEST_F(AtaTest, IdentifyWithoutLba48UsesTheLba28Capacity) {
  MemoryStore store(409600);  // 200 MiB
  SimulatedAtaDrive drive(&store);
  drive.lba48 = false;
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, kPrimary);
  std::string text = IdentifyText(disk);
  EXPECT_NE(std::string::npos, text.find("\n    Size (MB) : 200 - LBA28")) << text;
}

TEST_F(AtaTest, CapacitiesOfFourGibibytesAndMoreDoNotOverflow) {
  MemoryStore store(16);
  SimulatedAtaDrive drive(&store);
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, kPrimary);
  drive.reported_sectors = 16ull * 1024 * 2048;  // 16 GiB
  EXPECT_NE(std::string::npos, IdentifyText(disk).find("Size (MB) : 16384 - LBA48"));
  drive.reported_sectors = 4ull * 1024 * 2048;  // 4 GiB
  EXPECT_NE(std::string::npos, IdentifyText(disk).find("Size (MB) : 4096 - LBA48"));
}

TEST_F(AtaTest, EmptyChannelReportsNoDevice) {
  AdvancedTechnologyAttachment disk(true, kSecondary);
  EXPECT_EQ("no device\n", IdentifyText(disk));
}

TEST_F(AtaTest, MissingSlaveBehindAMasterReportsNoDeviceAfterIdentify) {
  MemoryStore store(16);
  SimulatedAtaDrive drive(&store);
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment slave(false, kPrimary);
  EXPECT_EQ("No device", IdentifyText(slave));
  EXPECT_TRUE(drive.commands.empty());
}

TEST_F(AtaTest, SlavePositionIsSelectedWithB0AndF0) {
  MemoryStore masterStore(16), slaveStore(2048);
  SimulatedAtaDrive master(&masterStore), slave(&slaveStore);
  slave.model = "SLAVE DISK";
  SimulatedAtaChannel channel(kSecondary);
  channel.connect(true, &master);
  channel.connect(false, &slave);
  AdvancedTechnologyAttachment disk(false, kSecondary);
  EXPECT_NE(std::string::npos, IdentifyText(disk).find("Model : SLAVE DISK"));
  std::vector<uint8_t> data(512);
  ASSERT_EQ(0, disk.ReadSector(5, data.data(), 512));
  EXPECT_TRUE(master.commands.empty());
  ASSERT_EQ(2u, slave.commands.size());
  EXPECT_EQ(0xF0, slave.commands[1].device);
  EXPECT_EQ(5u, slave.commands[1].lba);
}

TEST_F(AtaTest, PacketDeviceIsReportedAsAtapi) {
  MemoryStore store(16);
  SimulatedAtaDrive drive(&store);
  drive.packet_device = true;
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, kPrimary);
  std::string text = IdentifyText(disk);
  EXPECT_EQ(0u, text.find("ATAPI\n       Serial : ")) << text;
  EXPECT_NE(std::string::npos, text.find("\n        Model : "));
  EXPECT_NE(std::string::npos, text.find("\n    Size (MB) : 0 - LBA28"));
}

TEST_F(AtaTest, DriveThatNeverBecomesReadyPrintsNothing) {
  MemoryStore store(16);
  SimulatedAtaDrive drive(&store);
  drive.stuck_busy = true;
  SimulatedAtaChannel channel(kPrimary);
  channel.connect(true, &drive);
  AdvancedTechnologyAttachment disk(true, kPrimary);
  EXPECT_EQ("", IdentifyText(disk));
}

class AtaTransferTest : public AtaTest {
 protected:
  AtaTransferTest() : store(0x10000100), drive(&store), channel(kPrimary), disk(true, kPrimary) {
    channel.connect(true, &drive);
  }
  MemoryStore store;
  SimulatedAtaDrive drive;
  SimulatedAtaChannel channel;
  AdvancedTechnologyAttachment disk;
};

TEST_F(AtaTransferTest, ReadDeliversTheSectorInDiskOrder) {
  std::vector<uint8_t> sector = Pattern(3);
  store.write(1234, sector.data());
  std::vector<uint8_t> data(512, 0);
  EXPECT_EQ(0, disk.ReadSector(1234, data.data(), 512));
  EXPECT_EQ(sector, data);
  ASSERT_EQ(1u, drive.commands.size());
  EXPECT_EQ(0x20, drive.commands[0].command);
  EXPECT_EQ(1u, drive.commands[0].count);
}

TEST_F(AtaTransferTest, WriteStoresTheSectorAndFlushes) {
  std::vector<uint8_t> sector = Pattern(9);
  EXPECT_EQ(0, disk.WriteSector(77, sector.data(), 512));
  std::vector<uint8_t> stored(512);
  store.read(77, stored.data());
  EXPECT_EQ(sector, stored);
  EXPECT_EQ(1u, drive.flushes);
  ASSERT_EQ(2u, drive.commands.size());
  EXPECT_EQ(0x30, drive.commands[0].command);
  EXPECT_EQ(0xE7, drive.commands[1].command);
}

TEST_F(AtaTransferTest, HighestLba28SectorKeepsLba28Addressing) {
  korvan::hosted::clear_port_log();
  std::vector<uint8_t> data(512);
  ASSERT_EQ(0, disk.ReadSector(0x0FFFFFFF, data.data(), 512));
  EXPECT_EQ(std::vector<uint32_t>{0xEF}, WritesTo(kPrimary + 6));
  EXPECT_EQ(std::vector<uint32_t>{0xFF}, WritesTo(kPrimary + 3));
  EXPECT_EQ(std::vector<uint32_t>{0x20}, WritesTo(kPrimary + 7));
  EXPECT_EQ(0x0FFFFFFFu, drive.commands.back().lba);
}

TEST_F(AtaTransferTest, SectorAbove28BitsUsesLba48WithHighBytesFirst) {
  std::vector<uint8_t> sector = Pattern(5);
  korvan::hosted::clear_port_log();
  ASSERT_EQ(0, disk.WriteSector(0x10000001, sector.data(), 512));
  EXPECT_EQ(std::vector<uint32_t>{0xE0}, WritesTo(kPrimary + 6));
  EXPECT_EQ((std::vector<uint32_t>{0x10, 0x01}), WritesTo(kPrimary + 3));
  EXPECT_EQ((std::vector<uint32_t>{0x00, 0x01}), WritesTo(kPrimary + 2));
  EXPECT_EQ((std::vector<uint32_t>{0x34, 0xEA}), WritesTo(kPrimary + 7));
  EXPECT_EQ(0x10000001u, drive.commands[0].lba);
  std::vector<uint8_t> stored(512);
  store.read(0x10000001, stored.data());
  EXPECT_EQ(sector, stored);
}

TEST_F(AtaTransferTest, CountAbove512IsRefusedBeforeTouchingTheDrive) {
  std::vector<uint8_t> data(600, 1);
  korvan::hosted::clear_port_log();
  EXPECT_EQ(1, disk.WriteSector(3, data.data(), 513));
  unsigned accesses = 0;
  korvan::hosted::port_log(&accesses);
  EXPECT_EQ(0u, accesses);
}

TEST_F(AtaTransferTest, ShortWritesArePaddedWithZeros) {
  std::vector<uint8_t> old = Pattern(1);
  store.write(8, old.data());
  store.write(9, old.data());
  std::vector<uint8_t> data = {0x11, 0x22, 0x33, 0x44};
  EXPECT_EQ(0, disk.WriteSector(8, data.data(), 0));
  EXPECT_EQ(0, disk.WriteSector(9, data.data(), 3));
  std::vector<uint8_t> zero(512, 0), stored(512);
  store.read(8, stored.data());
  EXPECT_EQ(zero, stored);
  std::vector<uint8_t> expected(512, 0);
  expected[0] = 0x11;
  expected[1] = 0x22;
  expected[2] = 0x33;
  store.read(9, stored.data());
  EXPECT_EQ(expected, stored);
}

TEST_F(AtaTransferTest, ReadErrorPrintsErrorAndLeavesTheBuffer) {
  drive.bad_read_sectors.insert(40);
  std::vector<uint8_t> data = Pattern(2), before = data;
  ConsoleCapture capture;
  EXPECT_EQ(korvan::drivers::kAtaCommandError, disk.ReadSector(40, data.data(), 512));
  EXPECT_STREQ("ERROR", capture.text());
  EXPECT_EQ(before, data);
}

TEST_F(AtaTransferTest, ReadBeyondTheEndOfTheDiskFails) {
  std::vector<uint8_t> data(512);
  ConsoleCapture capture;
  EXPECT_NE(0, disk.ReadSector(0x10000100, data.data(), 512));
}

TEST_F(AtaTransferTest, StuckBusyDriveTimesOutInsteadOfHanging) {
  drive.stuck_busy = true;
  std::vector<uint8_t> data = Pattern(4), before = data;
  ConsoleCapture capture;
  EXPECT_EQ(korvan::drivers::kAtaTimeout, disk.ReadSector(1, data.data(), 512));
  EXPECT_STREQ("ERROR", capture.text());
  EXPECT_EQ(before, data);
  EXPECT_EQ(korvan::drivers::kAtaTimeout, disk.WriteSector(1, data.data(), 512));
}

TEST_F(AtaTransferTest, DriveThatNeverAsksForDataTimesOut) {
  drive.never_data_request = true;
  std::vector<uint8_t> data(512);
  ConsoleCapture capture;
  EXPECT_EQ(korvan::drivers::kAtaTimeout, disk.ReadSector(1, data.data(), 512));
  EXPECT_EQ(korvan::drivers::kAtaTimeout, disk.WriteSector(1, data.data(), 512));
  EXPECT_EQ(0u, drive.sectors_written);
}

TEST_F(AtaTransferTest, WriteErrorsReportTheirStage) {
  std::vector<uint8_t> data = Pattern(6);
  drive.bad_write_sectors.insert(12);
  EXPECT_EQ(korvan::drivers::kAtaCommandError, disk.WriteSector(12, data.data(), 512));
  drive.bad_write_sectors.clear();

  drive.status_zero_after_data = true;
  EXPECT_EQ(korvan::drivers::kAtaNoStatusAfterData, disk.WriteSector(12, data.data(), 512));
  drive.status_zero_after_data = false;

  drive.status_zero_after_flush = true;
  EXPECT_EQ(korvan::drivers::kAtaNoStatusAfterFlush, disk.WriteSector(12, data.data(), 512));
  drive.status_zero_after_flush = false;

  drive.flush_error = true;
  EXPECT_EQ(korvan::drivers::kAtaFlushError, disk.WriteSector(12, data.data(), 512));
  drive.flush_error = false;

  EXPECT_EQ(0, disk.WriteSector(12, data.data(), 512));
}

TEST_F(AtaTransferTest, EveryTransferReselectsTheDriveInLbaMode) {
  std::vector<uint8_t> data(512);
  ASSERT_EQ(0, disk.ReadSector(0x0A0B0C0D, data.data(), 512));
  ASSERT_EQ(0, disk.WriteSector(0x01020304, data.data(), 512));
  EXPECT_EQ(0xEA, drive.commands[0].device);
  EXPECT_EQ(0x0A0B0C0Du, drive.commands[0].lba);
  EXPECT_EQ(0xE1, drive.commands[1].device);
  EXPECT_EQ(0x01020304u, drive.commands[1].lba);
}

}  // namespace
