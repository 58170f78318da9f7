// A flat 64 KB memory for CPU core tests that logs every access in order.
#pragma once
#include <stdint.h>

#include <initializer_list>
#include <vector>

#include "face/fake6502_core.h"

namespace cpu_test {

struct Access {
  bool write;
  uint16_t address;
  uint8_t value;
  bool operator==(const Access& other) const {
    return write == other.write && address == other.address && value == other.value;
  }
};

inline Access R(uint16_t address, uint8_t value) { return {false, address, value}; }
inline Access W(uint16_t address, uint8_t value) { return {true, address, value}; }

struct RecordingBus {
  std::vector<uint8_t> ram = std::vector<uint8_t>(0x10000, 0);
  std::vector<Access> log;
  uint8_t read(uint16_t address) {
    log.push_back(R(address, ram[address]));
    return ram[address];
  }
  void write(uint16_t address, uint8_t value) {
    log.push_back(W(address, value));
    ram[address] = value;
  }
  void push(uint16_t address, uint8_t value) { write(address, value); }
  std::vector<Access> writes() const {
    std::vector<Access> out;
    for (const Access& a : log)
      if (a.write) out.push_back(a);
    return out;
  }
};

// A processor at `origin` with a fresh stack, I clear and bit 5 set.
struct Machine {
  static constexpr uint16_t kOrigin = 0x0200;
  RecordingBus bus;
  fake6502_context cpu = {};

  Machine() {
    cpu.pc = kOrigin;
    cpu.sp = 0xFF;
    cpu.status = kFlagConstant;
  }
  void load(std::initializer_list<uint8_t> bytes, uint16_t at = kOrigin) {
    uint16_t address = at;
    for (uint8_t b : bytes) bus.ram[address++] = b;
  }
  // Executes one instruction and returns the cycles it took.
  uint32_t step() {
    uint32_t before = cpu.cycles;
    bus.log.clear();
    fake6502::step(&cpu, bus);
    return cpu.cycles - before;
  }
  // Runs an instruction given as bytes at the origin.
  uint32_t run(std::initializer_list<uint8_t> bytes) {
    cpu.pc = kOrigin;
    load(bytes);
    return step();
  }
  bool flag(uint8_t f) const { return (cpu.status & f) != 0; }
  void set(uint8_t f, bool on) { cpu.status = on ? (cpu.status | f) : (cpu.status & ~f); }
};

}  // namespace cpu_test
