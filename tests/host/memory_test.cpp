// The C64 memory map: bank table, chip dispatch, the video window and the
// ROM and RAM patches.
#include <gtest/gtest.h>

#include <vector>

#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/memory.h"
#include "emulator/roms/rom_images.h"
#include "emulator/sid.h"
#include "emulator/vic.h"

namespace {

// Recognisable ROM contents: each image byte tells which image it is from.
constexpr uint8_t kBasicByte = 0xBA;
constexpr uint8_t kCharByte = 0xC4;
constexpr uint8_t kKernalByte = 0xEE;

class MemoryMap : public ::testing::Test {
 protected:
  void SetUp() override {
    basic.assign(0x2000, kBasicByte);
    basic[0] = 0x94;
    chargen.assign(0x1000, kCharByte);
    chargen[0] = 0x3C;
    kernal.assign(0x2000, kKernalByte);
    memory.load_roms(basic.data(), 0x2000, chargen.data(), 0x1000, kernal.data(), 0x2000);
    memory.vic(&vic);
    memory.sid(&sid);
    memory.cia1(&cia1);
    memory.cia2(&cia2);
  }
  // Puts a RAM byte under every switchable area so ROM and RAM differ.
  void mark_ram() {
    for (uint16_t a : {0xA000, 0xD000, 0xD020, 0xD400, 0xDC00, 0xE000, 0xFFFF})
      memory.write_byte_no_io(a, 0x11);
  }
  std::vector<uint8_t> basic, chargen, kernal;
  Memory memory;
  Vic vic;
  Sid sid;
  Cia1 cia1;
  Cia2 cia2;
};

TEST_F(MemoryMap, PowerOnState) {
  EXPECT_EQ(memory.read_byte(0x0400), 0x00);
  EXPECT_EQ(memory.read_byte(0x0401), 0xFF);
  EXPECT_EQ(memory.read_byte(0xA000), 0x94);
  EXPECT_EQ(memory.read_byte(0xE000), kKernalByte);
  vic.write_register(0x20, 0x0E);
  EXPECT_EQ(memory.read_byte(0xD020), 0xFE);  // colour registers read their top nibble as 1
  // Before any program touches the port: bank lines high, the cassette
  // sense read through its pull-up.
  Memory fresh;
  EXPECT_EQ(fresh.read_byte(0x0000), 0x2F);
  EXPECT_EQ(fresh.read_byte(0x0001), 0x17);
  EXPECT_EQ(fresh.bank(Memory::kRegionBasic), Memory::kRom);
  EXPECT_EQ(fresh.bank(Memory::kRegionCharIo), Memory::kIo);
  EXPECT_EQ(fresh.bank(Memory::kRegionKernal), Memory::kRom);
}

TEST_F(MemoryMap, BankTableForAllEightConfigurations) {
  enum Seen { kSeesRam, kSeesRom, kSeesChip };
  struct Row { Seen basic, char_area, kernal; };
  // LORAM, HIRAM, CHAREN = bits 0, 1, 2.
  const Row rows[8] = {
      {kSeesRam, kSeesRam, kSeesRam},  {kSeesRam, kSeesRom, kSeesRam},
      {kSeesRam, kSeesRom, kSeesRom},  {kSeesRom, kSeesRom, kSeesRom},
      {kSeesRam, kSeesRam, kSeesRam},  {kSeesRam, kSeesChip, kSeesRam},
      {kSeesRam, kSeesChip, kSeesRom}, {kSeesRom, kSeesChip, kSeesRom},
  };
  vic.write_register(0x00, 0x77);
  for (uint8_t config = 0; config < 8; config++) {
    mark_ram();
    memory.write_byte(Memory::kProcessorPort, static_cast<uint8_t>(0x30 | config));
    const Row& row = rows[config];
    EXPECT_EQ(memory.read_byte(0xA000), row.basic == kSeesRom ? 0x94 : 0x11) << int(config);
    EXPECT_EQ(memory.read_byte(0xE000), row.kernal == kSeesRom ? kKernalByte : 0x11)
        << int(config);
    uint8_t d000 = row.char_area == kSeesRom ? 0x3C : row.char_area == kSeesChip ? 0x77 : 0x11;
    EXPECT_EQ(memory.read_byte(0xD000), d000) << int(config);
    EXPECT_EQ(memory.bank(Memory::kRegionCharIo),
              row.char_area == kSeesRom ? Memory::kRom
              : row.char_area == kSeesChip ? Memory::kIo : Memory::kRam);
    EXPECT_EQ(memory.read_byte(0x0001), 0x30 | config);
  }
}

TEST_F(MemoryMap, CharacterRomFillsTheWholeWindowWhereverItIsShown) {
  for (uint32_t i = 0; i < 0x1000; i++) chargen[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
  memory.load_roms(basic.data(), 0x2000, chargen.data(), 0x1000, kernal.data(), 0x2000);
  for (uint32_t a = 0xD000; a < 0xE000; a++)
    memory.write_byte_no_io(static_cast<uint16_t>(a), static_cast<uint8_t>(~chargen[a - 0xD000]));
  for (uint8_t config = 0; config < 8; config++) {
    memory.write_byte(Memory::kProcessorPort, static_cast<uint8_t>(0x30 | config));
    bool rom_lines_low = (config & 0x03) == 0;
    bool charen = (config & 0x04) != 0;
    uint8_t want = rom_lines_low ? Memory::kRam : charen ? Memory::kIo : Memory::kRom;
    EXPECT_EQ(memory.bank(Memory::kRegionCharIo), want) << "configuration " << int(config);
    if (want == Memory::kIo) continue;  // the chips' own tests cover what they read
    uint32_t mismatches = 0;
    for (uint32_t a = 0xD000; a < 0xE000; a++) {
      uint8_t seen = memory.read_byte(static_cast<uint16_t>(a));
      uint8_t rom = chargen[a - 0xD000];
      if (seen != (want == Memory::kRom ? rom : static_cast<uint8_t>(~rom))) mismatches++;
    }
    EXPECT_EQ(mismatches, 0u) << "configuration " << int(config);
  }
  memory.write_byte(Memory::kProcessorPort, 0x33);
  memory.write_byte(0xD800, 0x5A);  // a write reaches the RAM under the ROM
  EXPECT_EQ(memory.read_byte_no_io(0xD800), 0x5A);
  EXPECT_EQ(memory.read_byte(0xD800), chargen[0x800]);
}

TEST_F(MemoryMap, SwitchingOutBasicKeepsKernal) {
  mark_ram();
  memory.write_byte(Memory::kProcessorPort, 0x36);
  EXPECT_EQ(memory.read_byte(0xA000), 0x11);
  EXPECT_EQ(memory.read_byte(0xE000), kKernalByte);
  memory.write_byte(Memory::kProcessorPort, 0x34);
  cia1.write_register(0, 0x55);
  EXPECT_EQ(memory.read_byte(0xDC00), 0x11);  // the chips are out of reach
  EXPECT_EQ(memory.read_byte(0xD020), 0x11);
}

TEST_F(MemoryMap, WritesUnderRomLandInRam) {
  memory.write_byte(0xA123, 0x42);
  memory.write_byte(0xE456, 0x43);
  EXPECT_EQ(memory.read_byte(0xA123), kBasicByte);
  EXPECT_EQ(memory.read_byte_no_io(0xA123), 0x42);
  EXPECT_EQ(memory.read_byte_no_io(0xE456), 0x43);
  memory.write_byte(Memory::kProcessorPort, 0x31);  // char ROM at $D000
  memory.write_byte(0xD010, 0x44);
  EXPECT_EQ(memory.read_byte_no_io(0xD010), 0x44);
}

TEST_F(MemoryMap, ChipWriteInIoModeLeavesRamAlone) {
  memory.write_byte_no_io(0xD020, 0x11);
  memory.write_byte(0xD020, 0x05);
  EXPECT_EQ(memory.read_byte_no_io(0xD020), 0x11);
  EXPECT_EQ(vic.read_register(0x20), 0xF5);
  memory.write_byte(Memory::kProcessorPort, 0x34);
  memory.write_byte(0xD020, 0x06);
  EXPECT_EQ(memory.read_byte_no_io(0xD020), 0x06);
  EXPECT_EQ(vic.read_register(0x20), 0xF5);
}

TEST_F(MemoryMap, ChipRegistersRepeatThroughTheirPages) {
  memory.write_byte(0xD3E1, 0x09);  // $D3E1 & $7F = $61, the VIC's $21
  EXPECT_EQ(vic.read_register(0x21), 0xF9);
  EXPECT_EQ(memory.read_byte(0xD021), 0xF9);
  memory.write_byte(0xDCF2, 0x12);  // CIA 1 register 2, data direction A
  EXPECT_EQ(cia1.read_register(2), 0x12);
  EXPECT_EQ(memory.read_byte(0xDC02), 0x12);
  memory.write_byte(0xDD10, 0xFC);  // CIA 2 register 0
  EXPECT_EQ(cia2.read_register(0), 0xFC);
  EXPECT_EQ(memory.read_byte(0xDD30), 0xFC);
}

TEST_F(MemoryMap, SidRepeatsThroughItsPagesAndUnconnectedIoIsRam) {
  memory.write_byte_no_io(0xD41F, 0x33);
  memory.write_byte(0xD41F, 0x01);
  EXPECT_EQ(memory.read_byte_no_io(0xD41F), 0x33);
  memory.write_byte_no_io(0xD418, 0x44);
  memory.write_byte(0xD718, 0x0F);  // $D718 is $D418 again
  EXPECT_EQ(sid.read_register(Sid::kModeVolume), 0x0F) << "write-only registers read the last byte written";
  EXPECT_EQ(memory.read_byte(0xD418), 0x0F);
  EXPECT_EQ(memory.read_byte(0xD539), 0xFF) << "POT X without paddles";
  for (uint16_t a : {0xD800, 0xDBFF, 0xDE00, 0xDFFF}) {
    memory.write_byte(a, 0x0A);
    EXPECT_EQ(memory.read_byte(a), 0x0A) << a;
    EXPECT_EQ(memory.read_byte_no_io(a), 0x0A) << a;
  }
}

TEST(MemoryChips, UnwiredChipsReadAsRamAndIgnoreWrites) {
  Memory memory;
  memory.write_byte_no_io(0xD020, 0x21);
  memory.write_byte_no_io(0xDC00, 0x22);
  memory.write_byte(0xD020, 0x01);
  memory.write_byte(0xDC00, 0x02);
  memory.write_byte(0xD400, 0x03);
  EXPECT_EQ(memory.read_byte(0xD020), 0x21);
  EXPECT_EQ(memory.read_byte(0xDC00), 0x22);
  EXPECT_EQ(memory.read_byte(0xDD00), memory.read_byte_no_io(0xDD00));
}

TEST_F(MemoryMap, ProcessorPortReadsOutputsFromTheLatchAndInputsFromThePins) {
  memory.write_byte(Memory::kProcessorPort, 0xFE);  // LORAM low: BASIC out
  EXPECT_EQ(memory.read_byte(0x0000), 0x2F);
  // Outputs 0-3 and 5 from the latch; bit 4 (cassette sense) pulled up;
  // bits 6 and 7 were never driven.
  EXPECT_EQ(memory.read_byte(0x0001), 0x3E);
  EXPECT_EQ(memory.bank(Memory::kRegionBasic), Memory::kRam);
  EXPECT_EQ(memory.bank(Memory::kRegionKernal), Memory::kRom);
  EXPECT_EQ(memory.bank(Memory::kRegionCharIo), Memory::kIo);

  // A bank line switched to input floats high: the latch's 0 no longer
  // counts, BASIC comes back.
  memory.write_byte(Memory::kProcessorPortDirection, 0x2E);
  EXPECT_EQ(memory.read_byte(0x0001), 0x3F);
  EXPECT_EQ(memory.bank(Memory::kRegionBasic), Memory::kRom);
  // Driving it again brings the latch back.
  memory.write_byte(Memory::kProcessorPortDirection, 0x2F);
  EXPECT_EQ(memory.bank(Memory::kRegionBasic), Memory::kRam);

  // All inputs: the pull-ups, whatever the latch says.
  memory.write_byte(Memory::kProcessorPort, 0x00);
  memory.write_byte(Memory::kProcessorPortDirection, 0x00);
  EXPECT_EQ(memory.read_byte(0x0001), 0x17);
  EXPECT_EQ(memory.bank(Memory::kRegionBasic), Memory::kRom);
  EXPECT_EQ(memory.bank(Memory::kRegionKernal), Memory::kRom);
  EXPECT_EQ(memory.bank(Memory::kRegionCharIo), Memory::kIo);
  // The latch still holds what was written, for when the bits drive again.
  memory.write_byte(Memory::kProcessorPortDirection, 0x07);
  EXPECT_EQ(memory.read_byte(0x0001), 0x10);
  EXPECT_EQ(memory.bank(Memory::kRegionKernal), Memory::kRam);
}

TEST_F(MemoryMap, UnconnectedPortBitsKeepTheirLastLevelForAboutFiftyMilliseconds) {
  uint32_t cycles = 1000;
  memory.clock(&cycles);
  memory.write_byte(Memory::kProcessorPortDirection, 0xEF);  // bits 6 and 7 outputs
  memory.write_byte(Memory::kProcessorPort, 0xF7);
  EXPECT_EQ(memory.read_byte(0x0001), 0xF7);
  memory.write_byte(Memory::kProcessorPortDirection, 0x2F);  // released while high
  EXPECT_EQ(memory.read_byte(0x0001), 0xF7);
  cycles += 40000;
  EXPECT_EQ(memory.read_byte(0x0001), 0xF7);
  EXPECT_EQ(memory.read_byte(0x0042), memory.read_byte_no_io(0x0042));
  cycles += 10000;
  EXPECT_EQ(memory.read_byte(0x0001), 0x37);
  // A bit released low stays low, and nothing is pending.
  memory.write_byte(Memory::kProcessorPortDirection, 0x6F);
  memory.write_byte(Memory::kProcessorPort, 0x37);
  memory.write_byte(Memory::kProcessorPortDirection, 0x2F);
  cycles += 100;
  EXPECT_EQ(memory.read_byte(0x0001), 0x37);
  memory.clock(nullptr);
}

TEST_F(MemoryMap, WordsAreLittleEndianAndWrapAtTheTop) {
  memory.write_byte(Memory::kProcessorPort, 0x34);
  memory.write_word(0xFFFF, 0x1234);
  EXPECT_EQ(memory.read_byte(0xFFFF), 0x34);
  EXPECT_EQ(memory.read_byte_no_io(0x0000), 0x12);
  EXPECT_EQ(memory.read_word(0xFFFF), 0x1234);
  memory.write_word_no_io(0x2000, 0xBEEF);
  EXPECT_EQ(memory.read_word_no_io(0x2000), 0xBEEF);
  EXPECT_EQ(memory.read_byte(0x2000), 0xEF);
}

TEST_F(MemoryMap, VideoWindowFollowsCia2AndSeesTheCharacterRomShadow) {
  memory.write_byte_no_io(0x5000, 0x51);
  memory.write_byte_no_io(0x8123, 0x81);
  memory.write_byte_no_io(0xC000, 0xC0);
  memory.write_byte_no_io(0xE000, 0xE0);  // RAM under the KERNAL
  memory.write_byte(0xDD00, 0x03);        // bank 0
  EXPECT_EQ(memory.vic_read_byte(0x1000), 0x3C);
  EXPECT_EQ(memory.vic_read_byte(0x1FFF), kCharByte);
  EXPECT_EQ(memory.vic_read_byte(0x0400), memory.read_byte_no_io(0x0400));
  memory.write_byte(0xDD00, 0x02);  // bank 1, $4000
  EXPECT_EQ(memory.vic_read_byte(0x1000), 0x51);
  memory.write_byte(0xDD00, 0x01);  // bank 2, $8000: shadow at $9000
  EXPECT_EQ(memory.vic_read_byte(0x0123), 0x81);
  EXPECT_EQ(memory.vic_read_byte(0x1000), 0x3C);
  memory.write_byte(0xDD00, 0x00);  // bank 3, $C000: RAM, never I/O or KERNAL
  EXPECT_EQ(memory.vic_read_byte(0x0000), 0xC0);
  EXPECT_EQ(memory.vic_read_byte(0x2000), 0xE0);
  EXPECT_EQ(memory.vic_read_byte(0x4000), 0xC0);  // 14-bit window
}

// The matrix holds the C64 key a PC key's character is on, so the KERNAL
// decodes it with its own tables, as loaded.
TEST_F(MemoryMap, KeyboardTablesAreTheRomsOwn) {
  const uint16_t tables[] = {0xEBAE, 0xEBAF, 0xEBB2, 0xEBB3, 0xEBD5, 0xEBDA, 0xEBDD,
                             0xEBE2, 0xEBE5, 0xEBEF, 0xEBF4, 0xEBF7, 0xEBFD};
  for (uint16_t address : tables) EXPECT_EQ(memory.read_byte(address), kKernalByte) << address;
}

TEST_F(MemoryMap, PatchedLoadAndSaveHandoffs) {
  const uint8_t load[] = {0xA9, 0x04, 0x8D, 0x02, 0x00, 0xA5, 0x90, 0x4A, 0x4A, 0xB0,
                          0x61, 0x20, 0xD2, 0xF5, 0x18, 0xA6, 0xAE, 0xA4, 0xAF, 0x60};
  for (int i = 0; i < 20; i++) EXPECT_EQ(memory.read_byte(0xF4C4 + i), load[i]) << i;
  EXPECT_EQ(memory.read_byte(0xF4D8), kKernalByte);
  const uint8_t save[] = {0xA9, 0x05, 0x8D, 0x02, 0x00, 0x18, 0x60};
  for (int i = 0; i < 7; i++) EXPECT_EQ(memory.read_byte(0xF605 + i), save[i]) << i;
  EXPECT_EQ(memory.read_byte(0xF60C), kKernalByte);
}

TEST_F(MemoryMap, ShortRomImagesLeaveZerosBehind) {
  const uint8_t tiny[] = {0x01, 0x02};
  memory.load_roms(tiny, 2, tiny, 2, tiny, 2);
  EXPECT_EQ(memory.read_byte(0xA001), 0x02);
  EXPECT_EQ(memory.read_byte(0xA002), 0x00);
  EXPECT_EQ(memory.read_byte(0xF4C4), 0xA9);  // patched again
}

TEST_F(MemoryMap, StoringFeAt0139DoesNothingSpecial) {
  uint16_t brk = memory.read_word_no_io(0x0316);
  memory.write_byte(0x0139, 0xFE);
  EXPECT_EQ(memory.read_word_no_io(0x0316), brk);
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFE);
}

TEST_F(MemoryMap, StoringFfAt0139LoadsTheBuiltInPrograms) {
  ASSERT_GT(monitorPrgC64_size, 2u);
  ASSERT_GT(startupPrgC64_size, 2u);
  memory.write_word_no_io(0x002D, 0x1234);
  memory.write_byte(0x0139, 0xFF);
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_EQ(memory.read_word_no_io(0x0316), 0x9000);
  // Both images keep their load addresses' places and neither overlaps the
  // other: the start-up program ends below the monitor, which ends by $9FFF.
  EXPECT_EQ(monitorPrgC64[0] | monitorPrgC64[1] << 8, 0x9000);
  EXPECT_EQ(startupPrgC64[0] | startupPrgC64[1] << 8, 0x0801);
  uint32_t monitor_end = 0x9000 + monitorPrgC64_size - 2;
  uint32_t startup_end = 0x0801 + startupPrgC64_size - 2;
  EXPECT_LE(monitor_end, 0xA000u);
  EXPECT_LE(startup_end, 0x9000u);
  for (uint32_t i = 2; i < monitorPrgC64_size; i++)
    ASSERT_EQ(memory.read_byte_no_io(0x9000 + i - 2), monitorPrgC64[i]) << i;
  for (uint32_t i = 2; i < startupPrgC64_size; i++)
    ASSERT_EQ(memory.read_byte_no_io(0x0801 + i - 2), startupPrgC64[i]) << i;
  EXPECT_EQ(memory.read_byte_no_io(monitor_end), monitor_end & 1 ? 0xFF : 0x00);
  EXPECT_EQ(memory.read_word_no_io(0x002D), startup_end);
  // BASIC's top of memory and its strings come down to the monitor.
  EXPECT_EQ(memory.read_word_no_io(0x0037), 0x9000);
  EXPECT_EQ(memory.read_word_no_io(0x0033), 0x9000);
}

TEST_F(MemoryMap, EmptyOrOversizedBuiltInImagesLeaveMemoryAlone) {
  std::vector<uint8_t> before(0x10000);
  for (uint32_t a = 0; a < 0x10000; a++) before[a] = memory.read_byte_no_io(a);
  const uint8_t header_only[] = {0x00, 0x90};
  memory.patch_ram(nullptr, 0, header_only, 2);
  // A monitor longer than $9000-$9FFF and a start-up program reaching into it.
  std::vector<uint8_t> monitor(2 + 0x1001, 0x11), startup(2 + 0x9000 - 0x0801 + 1, 0x22);
  memory.patch_ram(monitor.data(), static_cast<uint32_t>(monitor.size()), startup.data(),
                   static_cast<uint32_t>(startup.size()));
  for (uint32_t a = 0; a < 0x10000; a++) ASSERT_EQ(memory.read_byte_no_io(a), before[a]) << a;

  // One byte less each, and both fit.
  monitor.pop_back();
  startup.pop_back();
  memory.patch_ram(monitor.data(), static_cast<uint32_t>(monitor.size()), startup.data(),
                   static_cast<uint32_t>(startup.size()));
  EXPECT_EQ(memory.read_byte_no_io(0x9FFF), 0x11);
  EXPECT_EQ(memory.read_byte_no_io(0x8FFF), 0x22);
  EXPECT_EQ(memory.read_word_no_io(0x002D), 0x9000);
  EXPECT_EQ(memory.read_word_no_io(0x0316), 0x9000);
}

}  // namespace
