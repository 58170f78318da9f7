// Reset, IRQ, NMI and interrupt requests of the core, its wrappers over the
// C64 memory map, and the Cpu register model that fronts the running core.
#include <gtest/gtest.h>

#include "emulator/cpu.h"
#include "emulator/memory.h"
#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;
using cpu_test::R;
using cpu_test::W;
using Log = std::vector<cpu_test::Access>;

constexpr uint8_t kNop = 0xEA;

void set_vectors(Machine& m) {
  m.bus.ram[0xFFFA] = 0x00; m.bus.ram[0xFFFB] = 0x80;  // NMI $8000
  m.bus.ram[0xFFFC] = 0x00; m.bus.ram[0xFFFD] = 0xE0;  // reset $E000
  m.bus.ram[0xFFFE] = 0x00; m.bus.ram[0xFFFF] = 0x90;  // IRQ $9000
}

TEST(CpuReset, SixDummyReadsThenTheVector) {
  Machine m;
  set_vectors(m);
  m.cpu.a = 1; m.cpu.x = 2; m.cpu.y = 3;
  m.cpu.status = kFlagDecimal | kFlagCarry;
  m.cpu.cycles = 99;
  m.cpu.reserved_count = 5;
  fake6502::reset(&m.cpu, m.bus);
  EXPECT_EQ(m.bus.log, (Log{R(0x00FF, 0), R(0x00FF, 0), R(0x00FF, 0), R(0x0100, 0),
                            R(0x01FF, 0), R(0x01FE, 0), R(0xFFFC, 0x00), R(0xFFFD, 0xE0)}));
  EXPECT_EQ(m.cpu.pc, 0xE000);
  EXPECT_EQ(m.cpu.sp, 0xFD);
  EXPECT_EQ(m.cpu.status, kFlagDecimal | kFlagCarry | kFlagInterrupt | kFlagConstant);
  EXPECT_EQ(m.cpu.a, 1);
  EXPECT_EQ(m.cpu.x, 2);
  EXPECT_EQ(m.cpu.y, 3);
  EXPECT_EQ(m.cpu.cycles, 0u);
  EXPECT_EQ(m.cpu.reserved_count, 0u);
}

TEST(CpuIrq, LostWhileInterruptsAreDisabled) {
  Machine m;
  set_vectors(m);
  m.cpu.status = kFlagConstant | kFlagInterrupt;
  fake6502::irq(&m.cpu, m.bus);
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin);
  EXPECT_TRUE(m.bus.log.empty());
  m.cpu.status = kFlagConstant;
  m.load({0xEA});
  m.step();  // nothing was remembered
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin + 1);
}

TEST(CpuIrq, PushesStatusWithBreakClearAndKeepsDecimal) {
  Machine m;
  set_vectors(m);
  m.cpu.pc = 0x1234;
  m.cpu.status = kFlagConstant | kFlagBreak | kFlagDecimal;
  uint32_t cycles = m.cpu.cycles;
  fake6502::irq(&m.cpu, m.bus);
  EXPECT_EQ(m.bus.writes(), (Log{W(0x01FF, 0x12), W(0x01FE, 0x34), W(0x01FD, 0x28)}));
  EXPECT_EQ(m.cpu.pc, 0x9000);
  EXPECT_TRUE(m.flag(kFlagInterrupt));
  EXPECT_TRUE(m.flag(kFlagDecimal));
  EXPECT_EQ(m.cpu.cycles, cycles + 7) << "the machine's time moves on during the entry";
}

TEST(CpuNmi, TakenEvenWithInterruptsDisabled) {
  Machine m;
  set_vectors(m);
  m.cpu.pc = 0x4321;
  m.cpu.status = kFlagConstant | kFlagInterrupt | kFlagDecimal;
  fake6502::nmi(&m.cpu, m.bus);
  EXPECT_EQ(m.bus.writes(), (Log{W(0x01FF, 0x43), W(0x01FE, 0x21), W(0x01FD, 0x2C)}));
  EXPECT_EQ(m.cpu.pc, 0x8000);
  EXPECT_TRUE(m.flag(kFlagDecimal));
}

TEST(CpuRequests, NmiRequestIsTakenBeforeTheNextInstruction) {
  Machine m;
  set_vectors(m);
  m.load({0xE8}, 0x8000);  // INX in the NMI handler
  m.cpu.status = kFlagConstant | kFlagInterrupt;
  fake6502_request_nmi(&m.cpu);
  m.step();
  EXPECT_EQ(m.cpu.x, 1);
  EXPECT_EQ(m.cpu.pc, 0x8001);
  EXPECT_EQ(m.bus.ram[0x01FE], Machine::kOrigin & 0xFF);
  EXPECT_EQ(m.cpu.nmi_request, 0);
}

TEST(CpuRequests, IrqRequestWaitsForInterruptsToBeEnabled) {
  Machine m;
  set_vectors(m);
  m.load({0xEA, 0x58, 0xEA});  // NOP, CLI, NOP
  m.load({0xC8}, 0x9000);      // INY in the IRQ handler
  m.cpu.status = kFlagConstant | kFlagInterrupt;
  fake6502_irq_line(&m.cpu, 0x01, true);
  m.step();
  m.step();
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin + 2);
  EXPECT_EQ(m.cpu.y, 0);
  m.step();  // the boundary after CLI takes it
  EXPECT_EQ(m.cpu.y, 1);
  EXPECT_EQ(m.cpu.pc, 0x9001);
  EXPECT_EQ(m.bus.ram[0x01FD] & (kFlagBreak | kFlagConstant), kFlagConstant);
  EXPECT_EQ(m.bus.ram[0x01FE], (Machine::kOrigin + 2) & 0xFF);
  EXPECT_EQ(m.cpu.irq_request, 0x01) << "the line stays until its source lets go";
}

// A wired OR: held while any source holds it, and taken again after RTI
// while still held.
TEST(CpuRequests, IrqLineIsALevelHeldByItsSources) {
  Machine m;
  set_vectors(m);
  m.load({0xEA, 0xEA, 0xEA});
  m.load({0xC8, 0x40}, 0x9000);  // INY, RTI
  m.cpu.status = kFlagConstant;
  fake6502_irq_line(&m.cpu, 0x01, true);
  fake6502_irq_line(&m.cpu, 0x02, true);
  fake6502_irq_line(&m.cpu, 0x01, false);
  m.step();  // entry, INY
  m.step();  // RTI
  m.step();  // entered again: source 2 still holds the line
  EXPECT_EQ(m.cpu.y, 2);
  fake6502_irq_line(&m.cpu, 0x02, false);
  m.step();  // RTI
  m.step();  // the program's NOP
  EXPECT_EQ(m.cpu.y, 2);
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin + 1);
}

TEST(CpuRequests, InterruptEntryTakesSevenCycles) {
  Machine m;
  set_vectors(m);
  m.load({0xEA});
  m.load({0xEA}, 0x9000);  // NOP in the IRQ handler
  m.cpu.status = kFlagConstant;
  fake6502_irq_line(&m.cpu, 0x01, true);
  uint32_t before = m.cpu.cycles;
  m.step();  // entry, then the handler's NOP
  EXPECT_EQ(m.cpu.cycles - before, 7u + 2u);
}

TEST(CpuRequests, NmiWinsOverAPendingIrqWhichWaitsForRti) {
  Machine m;
  set_vectors(m);
  m.load({0x40}, 0x8000);  // RTI in the NMI handler
  m.load({0xC8}, 0x9000);  // INY in the IRQ handler
  m.load({0xEA, 0xEA});
  fake6502_irq_line(&m.cpu, 0x01, true);
  fake6502_request_nmi(&m.cpu);
  m.step();  // NMI entry, then RTI back to the origin with I clear again
  EXPECT_EQ(m.cpu.pc, Machine::kOrigin);
  EXPECT_EQ(m.cpu.y, 0);
  m.step();  // now the IRQ
  EXPECT_EQ(m.cpu.y, 1);
}

TEST(CpuRequests, ResetDropsPendingRequests) {
  Machine m;
  set_vectors(m);
  fake6502_irq_line(&m.cpu, 0x01, true);
  fake6502_request_nmi(&m.cpu);
  fake6502::reset(&m.cpu, m.bus);
  EXPECT_EQ(m.cpu.irq_request, 0);
  EXPECT_EQ(m.cpu.nmi_request, 0);
}

// The wrappers and hooks over a real C64 memory map, all RAM.
class RunningCore : public ::testing::Test {
 protected:
  void SetUp() override {
    memory.write_byte(Memory::kProcessorPort, 0x34);  // RAM everywhere
    memory.write_word_no_io(0xFFFC, 0xC000);
    memory.write_word_no_io(0xFFFE, 0xC100);
    memory.write_word_no_io(0xFFFA, 0xC200);
    memory.write_byte_no_io(0xC100, kNop);  // the handlers
    memory.write_byte_no_io(0xC200, kNop);
    f6502_bind(&memory);
    f6502_reset();
  }
  void TearDown() override { f6502_bind(nullptr); }
  Memory memory;
};

TEST_F(RunningCore, WrappersRunTheBoundMemory) {
  memory.write_byte_no_io(0xC000, 0xA9);  // LDA #$11
  memory.write_byte_no_io(0xC001, 0x11);
  memory.write_byte_no_io(0xC002, 0xAA);  // TAX
  memory.write_byte_no_io(0xC003, 0xA8);  // TAY
  EXPECT_EQ(f6502_pc(), 0xC000);
  f6502_step();
  f6502_step();
  f6502_step();
  EXPECT_EQ(f6502_a(), 0x11);
  EXPECT_EQ(f6502_x(), 0x11);
  EXPECT_EQ(f6502_y(), 0x11);
  EXPECT_EQ(f6502_pc(), 0xC004);
}

TEST_F(RunningCore, UnboundHooksReadZeroAndDropWrites) {
  f6502_bind(nullptr);
  memory.write_byte_no_io(0x0300, 0x55);
  EXPECT_EQ(fake6502_mem_read(f6502_context(), 0x0300), 0);
  fake6502_mem_write(f6502_context(), 0x0300, 0x66);
  EXPECT_EQ(memory.read_byte_no_io(0x0300), 0x55);
  f6502_step();  // BRK from the zero that every read returns
  EXPECT_EQ(f6502_pc(), 0x0000);
}

TEST_F(RunningCore, IrqWrapperHonoursTheInterruptFlag) {
  f6502_irq();  // I is set after reset
  EXPECT_EQ(f6502_pc(), 0xC000);
  f6502_context()->status &= ~kFlagInterrupt;
  f6502_irq();
  EXPECT_EQ(f6502_pc(), 0xC100);
  f6502_nmi();
  EXPECT_EQ(f6502_pc(), 0xC200);
}

TEST_F(RunningCore, CpuResetLoadsTheVectorAndCountsSixCycles) {
  Cpu cpu;
  cpu.memory(&memory);
  f6502_context()->a = 9;
  cpu.reset();
  EXPECT_EQ(cpu.cycles(), 6u);
  EXPECT_EQ(cpu.pc(), 0xC000);
  EXPECT_EQ(cpu.a(), 0);
  EXPECT_EQ(cpu.x(), 0);
  EXPECT_EQ(cpu.y(), 0);
  EXPECT_EQ(cpu.sp(), 0);
  EXPECT_EQ(cpu.flags(), 0x30);
}

TEST_F(RunningCore, CpuAccessorsAreTheRunningCoresRegisters) {
  Cpu cpu;
  cpu.memory(&memory);
  memory.write_byte_no_io(0xC000, 0xE8);  // INX
  f6502_step();
  EXPECT_EQ(cpu.x(), 1);
  EXPECT_EQ(cpu.pc(), 0xC001);
  cpu.a(0x42);
  cpu.pc(0xC000);
  EXPECT_EQ(f6502_a(), 0x42);
  EXPECT_EQ(f6502_pc(), 0xC000);
  cpu.flags(0xFF);
  EXPECT_TRUE(cpu.cf() && cpu.zf() && cpu.idf() && cpu.dmf() && cpu.of() && cpu.nf());
  cpu.flags(0x00);
  EXPECT_EQ(cpu.flags(), 0x30);  // bits 4 and 5 always read set
  cpu.cf(true);
  cpu.nf(true);
  EXPECT_EQ(f6502_context()->status & (kFlagCarry | kFlagNegative), kFlagCarry | kFlagNegative);
}

TEST_F(RunningCore, CpuPushAndPopUseTheCoresStack) {
  Cpu cpu;
  cpu.memory(&memory);
  cpu.sp(0x00);
  cpu.push(0xAB);
  EXPECT_EQ(memory.read_byte_no_io(0x0100), 0xAB);
  EXPECT_EQ(f6502_context()->sp, 0xFF);
  EXPECT_EQ(cpu.pop(), 0xAB);
  EXPECT_EQ(cpu.sp(), 0x00);
}

TEST_F(RunningCore, CpuIrqIsTakenByTheCoreOnceInterruptsAreEnabled) {
  Cpu cpu;
  cpu.memory(&memory);
  memory.write_byte_no_io(0xC000, 0x58);  // CLI
  memory.write_byte_no_io(0xC001, 0xEA);
  cpu.irq_line(Cpu::kIrqCia1, true);
  f6502_step();  // I set: the request waits, CLI runs
  EXPECT_EQ(f6502_pc(), 0xC001);
  f6502_step();
  EXPECT_EQ(f6502_pc(), 0xC101);  // took the IRQ, ran its first instruction
  uint8_t pushed = memory.read_byte_no_io(0x01FB);
  EXPECT_EQ(pushed & (kFlagBreak | kFlagConstant), kFlagConstant);
  EXPECT_EQ(memory.read_word_no_io(0x01FC), 0xC001);
  cpu.irq_line(Cpu::kIrqCia1, false);
  EXPECT_EQ(f6502_context()->irq_request, 0);
}

// RESTORE and CIA 2 share the NMI line, which starts an NMI only on its edge:
// while CIA 2 holds it (unacknowledged), RESTORE gives none.
TEST_F(RunningCore, NmiComesOnlyFromAnEdgeOfTheSharedLine) {
  Cpu cpu;
  cpu.memory(&memory);
  cpu.reset();
  f6502_reset();
  cpu.nmi_line(true);
  EXPECT_EQ(f6502_context()->nmi_request, 1);
  f6502_context()->nmi_request = 0;
  cpu.nmi_line(true);
  cpu.nmi();
  EXPECT_EQ(f6502_context()->nmi_request, 0) << "the line was held: no edge";
  cpu.nmi_line(false);
  cpu.nmi();
  EXPECT_EQ(f6502_context()->nmi_request, 1);
}

TEST_F(RunningCore, CpuNmiIsTakenEveryTimeAndCountsSevenCycles) {
  Cpu cpu;
  cpu.memory(&memory);
  cpu.reset();
  f6502_reset();
  for (int i = 0; i < 9; i++) {
    cpu.nmi();
    f6502_step();
  }
  EXPECT_EQ(cpu.cycles(), 69u);
  EXPECT_EQ(f6502_context()->sp, 0xFD - 9 * 3);
}

TEST_F(RunningCore, CpuWritesNoInterruptFrameItself) {
  Cpu cpu;
  cpu.memory(&memory);
  cpu.reset();
  memory.write_byte_no_io(0x0100, 0x11);
  memory.write_byte_no_io(0x01FF, 0x22);
  cpu.irq_line(Cpu::kIrqVic, true);
  cpu.nmi();
  EXPECT_EQ(memory.read_byte_no_io(0x0100), 0x11);
  EXPECT_EQ(memory.read_byte_no_io(0x01FF), 0x22);
}

// $FF stored at $0139 loads the built-in programs (and points BRK at $9000),
// but $0139 is in the stack page: only a store instruction may do that, as
// POKE 313,255 does, never a push that happens to leave $FF there.
class BuiltInsTrigger : public RunningCore {
 protected:
  static constexpr uint16_t kBrkVector = 0x0316;
  static constexpr uint16_t kUnpatched = 0x1234;
  // Code at `at`, the stack pointer on $39, so the next push writes $0139.
  void prepare(std::initializer_list<uint8_t> code, uint16_t at = 0xC000) {
    memory.write_word_no_io(kBrkVector, kUnpatched);
    memory.write_byte_no_io(0x0139, 0x00);
    uint16_t address = at;
    for (uint8_t byte : code) memory.write_byte_no_io(address++, byte);
    f6502_context()->pc = at;
    f6502_context()->sp = 0x39;
    f6502_context()->status = kFlagConstant;
  }
  bool loaded() const { return memory.read_word_no_io(kBrkVector) == 0x9000; }
};

TEST_F(BuiltInsTrigger, PushesOfFfAt0139NeverLoadTheBuiltIns) {
  prepare({0xA9, 0xFF, 0x48});  // LDA #$FF; PHA
  f6502_step();
  f6502_step();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "PHA";

  prepare({0x08});  // PHP with every flag set pushes $FF
  f6502_context()->status = 0xFF;
  f6502_step();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "PHP";

  prepare({0x20, 0x00, 0xC1}, 0xFF00);  // JSR $C100 pushes $FF02, high byte first
  f6502_step();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "JSR";

  prepare({0x00, 0x00}, 0xFF00);  // BRK pushes $FF02
  f6502_step();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "BRK";

  prepare({kNop}, 0xFF00);  // the interrupt frames of an IRQ and an NMI at $FF00
  f6502_irq();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "IRQ";
  prepare({kNop}, 0xFF00);
  f6502_nmi();
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "NMI";

  prepare({});
  Cpu cpu;
  cpu.memory(&memory);
  cpu.push(0xFF);
  EXPECT_EQ(memory.read_byte_no_io(0x0139), 0xFF);
  EXPECT_FALSE(loaded()) << "Cpu::push";
}

TEST_F(BuiltInsTrigger, StoreInstructionsOfFfAt0139LoadThem) {
  prepare({0xA9, 0xFF, 0x8D, 0x39, 0x01});  // LDA #$FF; STA $0139
  f6502_step();
  f6502_step();
  EXPECT_TRUE(loaded()) << "STA";
  prepare({0xA2, 0xFF, 0x8E, 0x39, 0x01});  // LDX #$FF; STX $0139
  f6502_step();
  f6502_step();
  EXPECT_TRUE(loaded()) << "STX";
  prepare({0xA0, 0xFF, 0x8C, 0x39, 0x01});  // LDY #$FF; STY $0139
  f6502_step();
  f6502_step();
  EXPECT_TRUE(loaded()) << "STY";
  prepare({0xA9, 0xFF, 0xA2, 0x39, 0x9D, 0x00, 0x01});  // LDA #$FF; LDX #$39; STA $0100,X
  for (int i = 0; i < 3; i++) f6502_step();
  EXPECT_TRUE(loaded()) << "STA abs,X";
  prepare({0xA9, 0xFE, 0x8D, 0x39, 0x01});  // $FE is nothing special
  f6502_step();
  f6502_step();
  EXPECT_FALSE(loaded());
}

}  // namespace
