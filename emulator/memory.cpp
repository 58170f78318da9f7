// The C64 memory map: bank table, chip dispatch, the video window and the
// system's ROM and RAM patches.
#include "emulator/memory.h"

#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/roms/c64_locations.h"
#include "emulator/roms/rom_images.h"
#include "emulator/sid.h"
#include "emulator/vic.h"
#include "lib/string.h"

namespace {

constexpr uint32_t kAddressSpace = 0x10000;

constexpr uint8_t kLoram = 0x01;
constexpr uint8_t kHiram = 0x02;
constexpr uint8_t kCharen = 0x04;

// What the port's pins read when they are inputs: the three bank lines and
// the cassette switch sense are pulled up (no button pressed); the cassette
// write and motor lines read low. Bits 6 and 7 go to no pin at all: they
// keep the level last driven for about 50 ms (measured on a C64 at about
// 49,000 cycles), then read 0.
constexpr uint8_t kPortPulledUp = kLoram | kHiram | kCharen | 0x10;
constexpr uint8_t kPortFloating = 0xC0;
constexpr uint32_t kFloatingFalloffCycles = 49000;
// The port as the KERNAL leaves it, but with the bank lines low in the
// latch; the pull-up of bit 4 still reads through.
constexpr uint8_t kPowerOnDirection = 0x2F;
constexpr uint8_t kPowerOnOutput = 0x07;

constexpr uint16_t kBasicStart = 0xA000;
constexpr uint16_t kCharStart = 0xD000;
constexpr uint16_t kKernalStart = 0xE000;
constexpr uint32_t kBasicSize = 0x2000;
constexpr uint32_t kCharSize = 0x1000;
constexpr uint32_t kKernalSize = 0x2000;

constexpr uint8_t kPageBasic = 0xA0, kPageBasicEnd = 0xBF;
constexpr uint8_t kPageVic = 0xD0, kPageVicEnd = 0xD3;
constexpr uint8_t kPageCharacters = 0xD0, kPageCharactersEnd = 0xDF;
constexpr uint8_t kPageSid = 0xD4, kPageSidEnd = 0xD7;
constexpr uint8_t kPageCia1 = 0xDC;
constexpr uint8_t kPageCia2 = 0xDD;
constexpr uint8_t kPageKernal = 0xE0;

constexpr uint8_t kVicRegisterMask = 0x7F;
constexpr uint8_t kCiaRegisterMask = 0x0F;
constexpr uint16_t kVicWindowMask = 0x3FFF;

// Where the built-in programs go.
constexpr uint16_t kMonitorProgramStart = 0x9000;
constexpr uint32_t kMonitorProgramEnd = 0xA000;  // first address after its 4 KB
constexpr uint16_t kStartupProgramStart = 0x0801;
constexpr uint32_t kPrgHeaderSize = 2;

constexpr uint8_t low(uint16_t address) { return static_cast<uint8_t>(address & 0xFF); }
constexpr uint8_t high(uint16_t address) { return static_cast<uint8_t>(address >> 8); }

// LOAD from device 4 or above: raise request 4 in HOSTREQ for the host, then
// leave through FILE NOT FOUND if the host set ST bit 1, else report the
// end address in X/Y with carry clear. The ROM holds the same bytes; this
// copy is what the machine runs, so a ROM change cannot leave it behind.
constexpr uint16_t kLoadHandoff = c64::rom::disk_load_handoff;
constexpr uint32_t kLoadBranchOperand = 10;  // where BCS's offset stands in the code below
constexpr uint16_t kLoadBranchEnd = kLoadHandoff + kLoadBranchOperand + 1;
constexpr int kLoadBranch = c64::rom::file_not_found_exit - kLoadBranchEnd;
static_assert(kLoadBranch >= -128 && kLoadBranch <= 127, "FILE NOT FOUND exit out of branch range");
static_assert(c64::HOSTREQ < 0x100 && c64::STATUS < 0x100 && c64::EAL < 0xFF,
              "the hand-off's zero-page operands");
constexpr uint8_t kLoadHandoffCode[] = {
    0xA9, 0x04,                                  // LDA #$04
    0x8D, low(c64::HOSTREQ), high(c64::HOSTREQ),  // STA HOSTREQ
    0xA5, low(c64::STATUS),                      // LDA STATUS
    0x4A, 0x4A,                                  // LSR A; LSR A
    0xB0, static_cast<uint8_t>(kLoadBranch),     // BCS file_not_found_exit
    0x20, low(c64::rom::print_loading), high(c64::rom::print_loading),  // JSR print_loading
    0x18,                                        // CLC
    0xA6, low(c64::EAL),                         // LDX EAL
    0xA4, low(c64::EAL + 1),                     // LDY EAL+1
    0x60,                                        // RTS
};
static_assert(kLoadHandoffCode[kLoadBranchOperand - 1] == 0xB0,
              "the branch offset counts from the byte after BCS's operand");

// SAVE to device 4 or above: raise request 5 and report success.
constexpr uint16_t kSaveHandoff = c64::rom::disk_save_handoff;
constexpr uint8_t kSaveHandoffCode[] = {
    0xA9, 0x05,                                  // LDA #$05
    0x8D, low(c64::HOSTREQ), high(c64::HOSTREQ),  // STA HOSTREQ
    0x18,                                        // CLC
    0x60,                                        // RTS
};

void copy_image(uint8_t* slot, uint32_t slot_size, const uint8_t* image, uint32_t size) {
  uint32_t count = size < slot_size ? size : slot_size;
  if (image != nullptr && count > 0) memcpy(slot, image, count);
  if (count < slot_size) memset(slot + count, 0, slot_size - count);
}

// Copies a PRG image's data (without its load-address header) to start;
// returns the number of bytes copied. An empty image, or one that would
// reach limit or beyond, copies nothing: half a program is no program.
uint32_t copy_program(uint8_t* ram, uint16_t start, uint32_t limit, const uint8_t* image,
                      uint32_t size) {
  if (image == nullptr || size <= kPrgHeaderSize) return 0;
  uint32_t count = size - kPrgHeaderSize;
  if (count > limit - start) return 0;
  memcpy(ram + start, image + kPrgHeaderSize, count);
  return count;
}

}  // namespace

Memory::Memory() : ram_(new uint8_t[kAddressSpace]), rom_(new uint8_t[kAddressSpace]) {
  memset(rom_, 0, kAddressSpace);
  // Power-on RAM: alternating $00 and $FF bytes.
  for (uint32_t addr = 0; addr < kAddressSpace; addr++) ram_[addr] = (addr & 1) ? 0xFF : 0x00;
  load_roms(basicRomC64, basicRomC64_size, charRomC64, charRomC64_size, kernalRomC64,
            kernalRomC64_size);
  port_direction_ = kPowerOnDirection;
  port_output_ = kPowerOnOutput;
  update_port();
}

Memory::~Memory() {
  delete[] ram_;
  delete[] rom_;
}

void Memory::load_roms(const uint8_t* basic, uint32_t basic_size, const uint8_t* chargen,
                       uint32_t chargen_size, const uint8_t* kernal, uint32_t kernal_size) {
  copy_image(rom_ + kBasicStart, kBasicSize, basic, basic_size);
  copy_image(rom_ + kCharStart, kCharSize, chargen, chargen_size);
  copy_image(rom_ + kKernalStart, kKernalSize, kernal, kernal_size);
  patch_roms();
}

void Memory::patch_roms() {
  memcpy(rom_ + kLoadHandoff, kLoadHandoffCode, static_cast<uint32_t>(sizeof(kLoadHandoffCode)));
  memcpy(rom_ + kSaveHandoff, kSaveHandoffCode, static_cast<uint32_t>(sizeof(kSaveHandoffCode)));
}

void Memory::let_host_type_keys() { rom_[c64::rom::host_types_keys] = 1; }

// The ROM images never change after load_roms, so a bank switch only
// re-reads the table; copying and re-patching them here would give the same
// bytes.
void Memory::setup_memory_banks(uint8_t levels) {
  bool loram = levels & kLoram;
  bool hiram = levels & kHiram;
  bool charen = levels & kCharen;
  for (uint8_t& region : banks_) region = kRam;
  if (hiram) banks_[kRegionKernal] = kRom;
  if (loram && hiram) banks_[kRegionBasic] = kRom;
  // With both ROM lines low the decoder maps RAM at $D000 whatever CHAREN is.
  if (loram || hiram) banks_[kRegionCharIo] = charen ? kIo : kRom;

  for (int page = 0; page < 256; page++) map_page(page, ram_, false);
  if (banks_[kRegionBasic] == kRom)
    for (int page = kPageBasic; page <= kPageBasicEnd; page++) map_page(page, rom_, false);
  if (banks_[kRegionKernal] == kRom)
    for (int page = kPageKernal; page <= 0xFF; page++) map_page(page, rom_, false);
  if (banks_[kRegionCharIo] == kRom) {
    for (int page = kPageCharacters; page <= kPageCharactersEnd; page++) map_page(page, rom_, false);
  } else if (banks_[kRegionCharIo] == kIo) {
    for (int page = kPageVic; page <= kPageVicEnd; page++) map_page(page, nullptr, true);
    for (int page = kPageSid; page <= kPageSidEnd; page++) map_page(page, nullptr, true);
    map_page(kPageCia1, nullptr, true);
    map_page(kPageCia2, nullptr, true);
  }
  // While a floating port bit may still fall, zero-page reads take the slow
  // path that notices it.
  if (falloff_pending_) map_page(0, nullptr, false);
}

void Memory::map_page(uint8_t page, const uint8_t* source, bool chip_writes) {
  read_pages_[page] = source != nullptr ? source + (page << 8) : nullptr;
  chip_write_pages_[page] = chip_writes;
}

// Only pages the bank table marks as chip pages arrive here. A chip that is
// not wired reads as the RAM byte beneath it and ignores writes.
uint8_t Memory::read_io(uint16_t addr) {
  uint8_t page = addr >> 8;
  if (page == 0) return read_zero_page(addr);
  if (page >= kPageSid && page <= kPageSidEnd) {
    if (sid_ != nullptr) return sid_->read_register(addr & Sid::kRegisterMask);
  } else if (page == kPageCia1) {
    if (cia1_ != nullptr) return cia1_->read_register(addr & kCiaRegisterMask);
  } else if (page == kPageCia2) {
    if (cia2_ != nullptr) return cia2_->read_register(addr & kCiaRegisterMask);
  } else if (vic_ != nullptr) {
    return vic_->read_register(addr & kVicRegisterMask);
  }
  return ram_[addr];
}

void Memory::write_io(uint16_t addr, uint8_t value) {
  uint8_t page = addr >> 8;
  if (page >= kPageSid && page <= kPageSidEnd) {
    if (sid_ != nullptr) sid_->write_register(addr & Sid::kRegisterMask, value);
  } else if (page == kPageCia1) {
    if (cia1_ != nullptr) cia1_->write_register(addr & kCiaRegisterMask, value);
  } else if (page == kPageCia2) {
    if (cia2_ != nullptr) cia2_->write_register(addr & kCiaRegisterMask, value);
  } else if (vic_ != nullptr) {
    vic_->write_register(addr & kVicRegisterMask, value);
  }
}

void Memory::write_trap(uint16_t addr, uint8_t value) {
  if (addr <= kProcessorPort) write_port(addr, value);
  else patch_ram();
}

void Memory::write_port(uint16_t addr, uint8_t value) {
  uint8_t released = port_direction_;
  if (addr == kProcessorPortDirection) port_direction_ = value;
  else port_output_ = value;
  released &= static_cast<uint8_t>(~port_direction_);
  floating_levels_ = static_cast<uint8_t>((floating_levels_ & ~port_direction_) |
                                          (port_output_ & port_direction_)) & kPortFloating;
  if (released & floating_levels_) {
    falloff_pending_ = true;
    falloff_at_ = now() + kFloatingFalloffCycles;
  }
  update_port();
}

// A bit reads the output latch where it is an output and the pin where it
// is an input; the bank lines the decoder sees are the same levels.
void Memory::update_port() {
  uint8_t inputs = kPortPulledUp | (floating_levels_ & ~port_direction_);
  uint8_t levels =
      static_cast<uint8_t>((port_output_ & port_direction_) | (inputs & ~port_direction_));
  ram_[kProcessorPortDirection] = port_direction_;
  ram_[kProcessorPort] = levels;
  setup_memory_banks(levels);
}

uint8_t Memory::read_zero_page(uint16_t addr) {
  if (falloff_pending_ && static_cast<int32_t>(now() - falloff_at_) >= 0) {
    falloff_pending_ = false;
    floating_levels_ &= port_direction_;
    update_port();
  }
  return ram_[addr];
}

uint16_t Memory::read_word(uint16_t addr) {
  uint8_t low = read_byte(addr);
  return static_cast<uint16_t>(low | (read_byte(static_cast<uint16_t>(addr + 1)) << 8));
}

void Memory::write_word(uint16_t addr, uint16_t value) {
  write_byte(addr, static_cast<uint8_t>(value));
  write_byte(static_cast<uint16_t>(addr + 1), static_cast<uint8_t>(value >> 8));
}

uint16_t Memory::read_word_no_io(uint16_t addr) const {
  return static_cast<uint16_t>(ram_[addr] | (ram_[static_cast<uint16_t>(addr + 1)] << 8));
}

void Memory::write_word_no_io(uint16_t addr, uint16_t value) {
  ram_[addr] = static_cast<uint8_t>(value);
  ram_[static_cast<uint16_t>(addr + 1)] = static_cast<uint8_t>(value >> 8);
}

uint16_t Memory::vic_address(uint16_t addr) const {
  uint16_t base = cia2_ != nullptr ? cia2_->vic_base_address() : 0;
  return static_cast<uint16_t>(base + (addr & kVicWindowMask));
}

uint8_t Memory::vic_read_byte(uint16_t addr) const {
  uint16_t a = vic_address(addr);
  uint16_t block = a & 0xF000;
  if (block == 0x1000 || block == 0x9000) return rom_[kCharStart | (a & 0x0FFF)];
  return ram_[a];
}

const uint8_t* Memory::character_rom() const { return rom_ + kCharStart; }

void Memory::patch_ram() {
  patch_ram(monitorPrgC64, monitorPrgC64_size, startupPrgC64, startupPrgC64_size);
}

void Memory::patch_ram(const uint8_t* monitor, uint32_t monitor_size, const uint8_t* startup,
                       uint32_t startup_size) {
  if (copy_program(ram_, kMonitorProgramStart, kMonitorProgramEnd, monitor, monitor_size) > 0) {
    write_word_no_io(c64::CBINV, kMonitorProgramStart);
    // BASIC's strings grow down from the top of its memory, which would be
    // inside the monitor: its top comes down to the monitor's start, as a
    // user would lower it by hand for a program loaded there.
    write_word_no_io(c64::MEMSIZ, kMonitorProgramStart);
    write_word_no_io(c64::FRETOP, kMonitorProgramStart);
  }
  // The start-up program must end below the monitor, never over it.
  uint32_t length = copy_program(ram_, kStartupProgramStart, kMonitorProgramStart, startup,
                                 startup_size);
  if (length > 0) write_word_no_io(c64::VARTAB, static_cast<uint16_t>(kStartupProgramStart + length));
}
