// A C64 memory map with our KERNAL and the mailbox fixture in the BASIC slot,
// driven through the C64 face one instruction at a time so tests can press
// matrix keys and answer the LOAD/SAVE hand-off the way the machine does.
#pragma once
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "emulator/cia1.h"
#include "emulator/cia2.h"
#include "emulator/clock.h"
#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/sid.h"
#include "emulator/vic.h"

struct CallResult {
  bool completed = false;
  uint8_t a = 0, x = 0, y = 0, p = 0;
  bool carry() const { return (p & 0x01) != 0; }
  bool zero() const { return (p & 0x02) != 0; }
};

class KernalMachine {
 public:
  // The fixture's mailbox (see mailbox.s).
  static constexpr uint16_t kMailbox = 0xC000;
  static constexpr uint16_t kColdSp = kMailbox + 16;
  static constexpr uint16_t kColdP = kMailbox + 17;
  static constexpr uint16_t kWarmStarts = kMailbox + 18;
  static constexpr uint16_t kReady = kMailbox + 19;
  static constexpr uint16_t kScreen = 0x0400;
  static constexpr uint16_t kColorRam = 0xD800;
  // A free RAM area for data the tests hand to KERNAL calls.
  static constexpr uint16_t kScratch = 0xC100;

  // Loads the images from the test build's ROM directory. ok() is false
  // when they are missing.
  KernalMachine();
  ~KernalMachine();
  bool ok() const { return ok_; }

  // Runs until the fixture serves calls; false if it never does.
  bool boot();
  void run(uint32_t instructions);
  // Runs for the processor time of count jiffies, as CIA 1's timer A counts
  // them with the KERNAL's latch ($4025 + 1 cycles each).
  void run_jiffies(uint32_t count);
  void run_cycles(uint32_t cycles);
  static constexpr uint32_t kJiffyCycles = 0x4025 + 1;
  // Calls a KERNAL routine from the fixture with these registers and carry.
  CallResult call(uint16_t target, uint8_t a = 0, uint8_t x = 0, uint8_t y = 0, bool carry = false,
                  uint32_t limit = 2000000);
  // Types through the face, keeping at most what the keyboard buffer holds,
  // while a call runs.
  CallResult call_typing(uint16_t target, const std::string& keys, uint32_t limit = 4000000);
  // Prints every byte through CHROUT.
  void print(const std::vector<uint8_t>& bytes);
  void print(const std::string& text);
  // Reads CHRIN until $0D while typing keys; returns the characters before $0D.
  std::string input_line(const std::string& keys);

  // A byte of kernal.bin as built, before the machine's patches.
  uint8_t kernal_image_byte(uint16_t addr) const { return kernal_image_[addr - 0xE000]; }
  uint8_t peek(uint16_t addr) const { return memory_.read_byte_no_io(addr); }
  uint16_t peek_word(uint16_t addr) const { return memory_.read_word_no_io(addr); }
  void poke(uint16_t addr, uint8_t value) { memory_.write_byte_no_io(addr, value); }
  // As the machine's face does when it types the keys itself.
  void let_host_type_keys() { memory_.let_host_type_keys(); }
  uint8_t read(uint16_t addr) { return memory_.read_byte(addr); }
  // Screen codes of one physical row, 40 of them.
  std::vector<uint8_t> screen_row(int row) const;
  std::string screen_text(int row) const;  // as ASCII, blanks trimmed
  uint8_t color_at(int row, int column) const { return peek(kColorRam + row * 40 + column); }
  uint8_t vic_register(uint8_t reg) { return vic_.read_register(reg); }

  // The processor's NMI line, as the RESTORE key pulls it.
  void nmi();
  // Copies code into RAM.
  void load(uint16_t addr, const std::vector<uint8_t>& code);

  // One character through the face, as the machine's keyboard path types it.
  void type(uint8_t character);

  // Matrix keys held down (key number = row * 8 + column), held in IO's
  // matrix, so CIA 1 reads them there.
  void press(std::vector<int> keys);
  void release_all();

  // Called whenever the ROM raises the LOAD (4) or SAVE (5) request in $02,
  // before the next instruction runs, as the machine's trap does.
  void on_host_request(std::function<void(KernalMachine&, uint8_t)> handler) {
    host_request_ = std::move(handler);
  }
  int host_requests() const { return host_requests_; }

 private:
  void step();

  Memory memory_;
  // The chips on the running core's clock, their interrupts on its lines.
  Cpu cpu_;
  Clock clock_;
  Vic vic_;
  Sid sid_;
  Cia1 cia1_;
  Cia2 cia2_;
  IO io_;
  bool ok_ = false;
  std::vector<uint8_t> kernal_image_;
  std::vector<int> held_;
  std::function<void(KernalMachine&, uint8_t)> host_request_;
  int host_requests_ = 0;
};
