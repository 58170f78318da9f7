// The C64's 64 KB address space: RAM, the ROM images, the chips' registers,
// and the bank configuration of the processor port at $0001.
#pragma once
#include <stddef.h>
#include <stdint.h>

class Vic;
class Cia1;
class Cia2;
class Sid;

class Memory {
 public:
  // Bank states of the switchable regions.
  static constexpr uint8_t kRom = 0;
  static constexpr uint8_t kRam = 1;
  static constexpr uint8_t kIo = 2;
  // Region numbers of the C64's address decoder; 3, 5 and 6 are switchable.
  static constexpr int kRegionBasic = 3;
  static constexpr int kRegionCharIo = 5;
  static constexpr int kRegionKernal = 6;
  static constexpr int kRegionCount = 7;

  static constexpr uint16_t kProcessorPortDirection = 0x0000;
  static constexpr uint16_t kProcessorPort = 0x0001;
  // Storing $FF here (POKE 313,255) loads the built-in programs; only a
  // store does, never a stack push (write_stack), though $0139 is in the stack page.
  static constexpr uint16_t kRamPatchTrigger = 0x0139;
  static constexpr uint8_t kRamPatchValue = 0xFF;

  Memory();
  ~Memory();
  Memory(const Memory&) = delete;
  Memory& operator=(const Memory&) = delete;

  // Maps BASIC, KERNAL and $D000-$DFFF after LORAM (bit 0), HIRAM (bit 1)
  // and CHAREN (bit 2) of levels, the port lines as the decoder sees them.
  void setup_memory_banks(uint8_t levels);
  // The bank state of a region; regions outside 0-6 read as RAM.
  uint8_t bank(int region) const {
    return region >= 0 && region < kRegionCount ? banks_[region] : kRam;
  }

  // The processor's view: banking and the chips' registers.
  inline uint8_t read_byte(uint16_t addr);
  inline void write_byte(uint16_t addr, uint8_t value);
  // A stack push's write (PHA, PHP, JSR, BRK, an interrupt frame): page $01
  // is RAM in every bank configuration, and a push is no store that could
  // trigger patch_ram.
  void write_stack(uint16_t addr, uint8_t value) { ram_[addr] = value; }
  uint16_t read_word(uint16_t addr);
  void write_word(uint16_t addr, uint16_t value);

  // Plain RAM, with no banking and no chip side effects.
  uint8_t read_byte_no_io(uint16_t addr) const { return ram_[addr]; }
  // The RAM itself, for the face's per-instruction look at the request byte.
  const uint8_t* ram() const { return ram_; }
  void write_byte_no_io(uint16_t addr, uint8_t value) { ram_[addr] = value; }
  uint16_t read_word_no_io(uint16_t addr) const;
  void write_word_no_io(uint16_t addr, uint16_t value);

  // The video chip's 16 KB window, with the character ROM shadow it sees at
  // $1000 and $9000; never I/O, BASIC or KERNAL.
  uint8_t vic_read_byte(uint16_t addr) const;
  // The processor's address of a video chip address, in the bank CIA 2 selects.
  uint16_t vic_address(uint16_t addr) const;
  // The 4 KB character ROM: the upper-case set, then the lower-case set.
  const uint8_t* character_rom() const;

  // Copies the three ROM images into place (a short image leaves zeros
  // behind it, a long one is cut at its slot) and applies patch_roms.
  void load_roms(const uint8_t* basic, uint32_t basic_size, const uint8_t* chargen,
                 uint32_t chargen_size, const uint8_t* kernal, uint32_t kernal_size);
  void patch_roms();
  // Tells the KERNAL's keyboard scan that the host types every key into the
  // buffer itself (the face does): the scan then only reports the matrix.
  void let_host_type_keys();
  // The built-in monitor and start-up program (PRG images) into RAM.
  void patch_ram();
  // The same with other images: an empty image, or one that does not fit
  // its place, leaves memory and the pointers as they were.
  void patch_ram(const uint8_t* monitor, uint32_t monitor_size, const uint8_t* startup,
                 uint32_t startup_size);

  // The processor's cycle count, which times the port's floating bits.
  void clock(const uint32_t* cycles) { clock_ = cycles; }

  void vic(Vic* chip) { vic_ = chip; }
  void cia1(Cia1* chip) { cia1_ = chip; }
  void cia2(Cia2* chip) { cia2_ = chip; }
  void sid(Sid* chip) { sid_ = chip; }

 private:
  uint8_t read_io(uint16_t addr);
  void write_io(uint16_t addr, uint8_t value);
  void write_trap(uint16_t addr, uint8_t value);
  void map_page(uint8_t page, const uint8_t* source, bool chip_writes);
  // The processor port: a write to $00 or $01, and the zero page read while
  // a floating bit still holds its charge.
  void write_port(uint16_t addr, uint8_t value);
  uint8_t read_zero_page(uint16_t addr);
  void update_port();
  uint32_t now() const { return clock_ != nullptr ? *clock_ : 0; }

  uint8_t* ram_;
  uint8_t* rom_;
  uint8_t banks_[kRegionCount];
  Vic* vic_ = nullptr;
  Cia1* cia1_ = nullptr;
  Cia2* cia2_ = nullptr;
  Sid* sid_ = nullptr;
  const uint32_t* clock_ = nullptr;
  // $00 and $01 as written; $0000/$0001 in ram_ hold what a read returns.
  uint8_t port_direction_ = 0;
  uint8_t port_output_ = 0;
  // Levels the unconnected port bits keep after they stop being driven,
  // until the charge has leaked away at falloff_at_.
  uint8_t floating_levels_ = 0;
  bool falloff_pending_ = false;
  uint32_t falloff_at_ = 0;
  // The bank table expanded per page, so an access is one lookup: where a
  // page reads from (null: a chip), and whether its writes go to a chip.
  const uint8_t* read_pages_[256];
  bool chip_write_pages_[256];
};

inline uint8_t Memory::read_byte(uint16_t addr) {
  const uint8_t* page = read_pages_[addr >> 8];
  if (page != nullptr) return page[addr & 0xFF];
  return read_io(addr);
}

inline void Memory::write_byte(uint16_t addr, uint8_t value) {
  if (chip_write_pages_[addr >> 8]) {
    write_io(addr, value);
    return;
  }
  ram_[addr] = value;
  if (addr <= kProcessorPort || (addr == kRamPatchTrigger && value == kRamPatchValue))
    write_trap(addr, value);
}
