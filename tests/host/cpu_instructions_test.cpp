// The documented instructions: results, flags, addressing and the order of
// their memory accesses.
#include <gtest/gtest.h>

#include "tests/host/cpu_test_bus.h"

namespace {

using cpu_test::Machine;
using cpu_test::R;
using cpu_test::W;
using Log = std::vector<cpu_test::Access>;

TEST(CpuAddressing, JmpIndirectWrapsWithinThePointersPage) {
  Machine m;
  m.bus.ram[0x10FF] = 0x34;
  m.bus.ram[0x1000] = 0x12;
  m.bus.ram[0x1100] = 0x56;
  m.run({0x6C, 0xFF, 0x10});
  EXPECT_EQ(m.cpu.pc, 0x1234);
}

TEST(CpuAddressing, IndirectYTakesThePointersHighByteFromZeroPageStart) {
  Machine m;
  m.bus.ram[0x00FF] = 0x00;
  m.bus.ram[0x0000] = 0x30;
  m.bus.ram[0x0100] = 0x99;  // not the high byte
  m.bus.ram[0x3005] = 0x42;
  m.cpu.y = 5;
  m.run({0xB1, 0xFF});
  EXPECT_EQ(m.cpu.a, 0x42);
  EXPECT_EQ(m.bus.log, (Log{R(0x200, 0xB1), R(0x201, 0xFF), R(0x00FF, 0x00), R(0x0000, 0x30),
                            R(0x3005, 0x42)}));
}

TEST(CpuAddressing, IndexedIndirectWrapsInZeroPage) {
  Machine m;
  m.bus.ram[0x00FF] = 0x78;
  m.bus.ram[0x0000] = 0x56;
  m.bus.ram[0x5678] = 0xAB;
  m.cpu.x = 0x0F;
  m.run({0xA1, 0xF0});  // LDA ($F0,X): pointer at $FF/$00
  EXPECT_EQ(m.cpu.a, 0xAB);
}

TEST(CpuAddressing, ZeroPageIndexedStaysInPageZero) {
  Machine m;
  m.bus.ram[0x007F] = 0x11;
  m.cpu.x = 0x80;
  m.run({0xB5, 0xFF});  // LDA $FF,X -> $7F
  EXPECT_EQ(m.cpu.a, 0x11);
  m.bus.ram[0x0010] = 0x22;
  m.cpu.y = 0x11;
  m.run({0xB6, 0xFF});  // LDX $FF,Y -> $10
  EXPECT_EQ(m.cpu.x, 0x22);
}

TEST(CpuAddressing, AbsoluteIndexedWrapsAtSixteenBits) {
  Machine m;
  m.bus.ram[0x0001] = 0x5A;
  m.cpu.x = 0x02;
  m.run({0xBD, 0xFF, 0xFF});
  EXPECT_EQ(m.cpu.a, 0x5A);
}

TEST(CpuAddressing, RelativeBranchesBackwardAndForward) {
  Machine m;
  m.set(kFlagZero, true);
  m.run({0xF0, 0xFC});  // BEQ -4 from $0202
  EXPECT_EQ(m.cpu.pc, 0x01FE);
  m.run({0xF0, 0x7F});
  EXPECT_EQ(m.cpu.pc, 0x0281);
  m.run({0xF0, 0x80});  // exactly -128: backward, the farthest a branch goes
  EXPECT_EQ(m.cpu.pc, 0x0182);
  m.run({0xF0, 0x81});
  EXPECT_EQ(m.cpu.pc, 0x0183);
  m.set(kFlagZero, false);
  m.run({0xF0, 0x10});
  EXPECT_EQ(m.cpu.pc, 0x0202);
}

TEST(CpuLoads, SetZeroAndNegativeFromTheValue) {
  Machine m;
  m.run({0xA9, 0x00});
  EXPECT_TRUE(m.flag(kFlagZero));
  EXPECT_FALSE(m.flag(kFlagNegative));
  m.run({0xA2, 0x80});
  EXPECT_FALSE(m.flag(kFlagZero));
  EXPECT_TRUE(m.flag(kFlagNegative));
  EXPECT_EQ(m.cpu.x, 0x80);
  m.run({0xA0, 0x01});
  EXPECT_FALSE(m.flag(kFlagZero) || m.flag(kFlagNegative));
}

TEST(CpuStores, WriteOnceAndSetNoFlags) {
  Machine m;
  m.cpu.a = 0;
  m.cpu.status = kFlagConstant | kFlagNegative;
  m.run({0x8D, 0x00, 0x30});
  EXPECT_EQ(m.bus.writes(), (Log{W(0x3000, 0x00)}));
  EXPECT_TRUE(m.flag(kFlagNegative));
  EXPECT_FALSE(m.flag(kFlagZero));
}

TEST(CpuStores, IndexedStoreDoesNotReadItsTarget) {
  Machine m;
  m.cpu.a = 0x77;
  m.cpu.x = 1;
  m.run({0x9D, 0xFF, 0x12});
  EXPECT_EQ(m.bus.log, (Log{R(0x200, 0x9D), R(0x201, 0xFF), R(0x202, 0x12), W(0x1300, 0x77)}));
}

TEST(CpuTransfers, TxsSetsNoFlagsButTsxDoes) {
  Machine m;
  m.cpu.x = 0;
  m.cpu.status = kFlagConstant;
  m.run({0x9A});
  EXPECT_EQ(m.cpu.sp, 0);
  EXPECT_FALSE(m.flag(kFlagZero));
  m.cpu.sp = 0x80;
  m.run({0xBA});
  EXPECT_EQ(m.cpu.x, 0x80);
  EXPECT_TRUE(m.flag(kFlagNegative));
}

TEST(CpuArithmetic, AdcSetsCarryAndOverflow) {
  struct Case { uint8_t a, m; bool c; uint8_t r; bool carry, overflow; };
  const Case cases[] = {
      {0x01, 0x01, false, 0x02, false, false}, {0x7F, 0x01, false, 0x80, false, true},
      {0xFF, 0x01, false, 0x00, true, false},  {0x80, 0x80, false, 0x00, true, true},
      {0x80, 0xFF, true, 0x80, true, false},   {0x3F, 0x40, true, 0x80, false, true},
  };
  for (const Case& k : cases) {
    Machine m;
    m.cpu.a = k.a;
    m.set(kFlagCarry, k.c);
    m.run({0x69, k.m});
    EXPECT_EQ(m.cpu.a, k.r) << int(k.a) << "+" << int(k.m);
    EXPECT_EQ(m.flag(kFlagCarry), k.carry);
    EXPECT_EQ(m.flag(kFlagOverflow), k.overflow);
    EXPECT_EQ(m.flag(kFlagZero), k.r == 0);
    EXPECT_EQ(m.flag(kFlagNegative), (k.r & 0x80) != 0);
  }
}

TEST(CpuArithmetic, SbcOfZeroDependsOnlyOnCarry) {
  Machine m;
  m.cpu.a = 0x42;
  m.set(kFlagCarry, true);
  m.run({0xE9, 0x00});
  EXPECT_EQ(m.cpu.a, 0x42);
  EXPECT_TRUE(m.flag(kFlagCarry));
  m.set(kFlagCarry, false);
  m.run({0xE9, 0x00});
  EXPECT_EQ(m.cpu.a, 0x41);
  EXPECT_TRUE(m.flag(kFlagCarry));
}

TEST(CpuArithmetic, SbcBorrowsAndOverflows) {
  Machine m;
  m.cpu.a = 0x80;
  m.set(kFlagCarry, true);
  m.run({0xE9, 0x01});
  EXPECT_EQ(m.cpu.a, 0x7F);
  EXPECT_TRUE(m.flag(kFlagOverflow));
  EXPECT_TRUE(m.flag(kFlagCarry));
  m.run({0xEB, 0x80});  // the undocumented second SBC #imm
  EXPECT_EQ(m.cpu.a, 0xFF);
  EXPECT_FALSE(m.flag(kFlagCarry));
  EXPECT_TRUE(m.flag(kFlagOverflow));
}

TEST(CpuArithmetic, ComparesSetCarryZeroAndNegative) {
  Machine m;
  m.cpu.a = 0x10;
  m.run({0xC9, 0x20});
  EXPECT_FALSE(m.flag(kFlagCarry));
  EXPECT_TRUE(m.flag(kFlagNegative));
  m.cpu.x = 0x20;
  m.run({0xE0, 0x20});
  EXPECT_TRUE(m.flag(kFlagCarry) && m.flag(kFlagZero));
  m.cpu.y = 0xFF;
  m.run({0xC0, 0x00});
  EXPECT_TRUE(m.flag(kFlagCarry) && m.flag(kFlagNegative));
  EXPECT_FALSE(m.flag(kFlagZero));
}

TEST(CpuLogic, BitCopiesBitsSevenAndSix) {
  Machine m;
  m.bus.ram[0x40] = 0xC0;
  m.cpu.a = 0x3F;
  m.run({0x24, 0x40});
  EXPECT_TRUE(m.flag(kFlagZero) && m.flag(kFlagNegative) && m.flag(kFlagOverflow));
  m.bus.ram[0x40] = 0x01;
  m.run({0x24, 0x40});
  EXPECT_FALSE(m.flag(kFlagZero) || m.flag(kFlagNegative) || m.flag(kFlagOverflow));
  EXPECT_EQ(m.cpu.a, 0x3F);
}

TEST(CpuLogic, AndOraEor) {
  Machine m;
  m.cpu.a = 0xF0;
  m.run({0x29, 0x0F});
  EXPECT_EQ(m.cpu.a, 0x00);
  EXPECT_TRUE(m.flag(kFlagZero));
  m.run({0x09, 0x81});
  EXPECT_EQ(m.cpu.a, 0x81);
  EXPECT_TRUE(m.flag(kFlagNegative));
  m.run({0x49, 0xFF});
  EXPECT_EQ(m.cpu.a, 0x7E);
}

TEST(CpuShifts, AccumulatorForms) {
  Machine m;
  m.cpu.a = 0x81;
  m.run({0x0A});
  EXPECT_EQ(m.cpu.a, 0x02);
  EXPECT_TRUE(m.flag(kFlagCarry));
  m.run({0x2A});  // ROL: carry in at bit 0
  EXPECT_EQ(m.cpu.a, 0x05);
  EXPECT_FALSE(m.flag(kFlagCarry));
  m.run({0x4A});
  EXPECT_EQ(m.cpu.a, 0x02);
  EXPECT_TRUE(m.flag(kFlagCarry));
  m.run({0x6A});  // ROR: carry in at bit 7
  EXPECT_EQ(m.cpu.a, 0x81);
  EXPECT_TRUE(m.flag(kFlagNegative));
  EXPECT_FALSE(m.flag(kFlagCarry));
}

TEST(CpuShifts, RotatesOnMemoryWriteTheOldValueFirst) {
  Machine m;
  m.bus.ram[0xD019] = 0x81;
  m.set(kFlagCarry, false);
  m.run({0x2E, 0x19, 0xD0});
  EXPECT_EQ(m.bus.writes(), (Log{W(0xD019, 0x81), W(0xD019, 0x02)}));
  m.run({0x6E, 0x19, 0xD0});  // ROR with the carry ROL left
  EXPECT_EQ(m.bus.writes(), (Log{W(0xD019, 0x02), W(0xD019, 0x81)}));
}

TEST(CpuShifts, ShiftsAndIncrementsOnMemoryWriteOnce) {
  const uint8_t opcodes[] = {0x0E, 0x4E, 0xEE, 0xCE};  // ASL LSR INC DEC abs
  const uint8_t results[] = {0x84, 0x21, 0x43, 0x41};
  for (int i = 0; i < 4; i++) {
    Machine m;
    m.bus.ram[0x3000] = 0x42;
    m.run({opcodes[i], 0x00, 0x30});
    EXPECT_EQ(m.bus.writes(), (Log{W(0x3000, results[i])})) << int(opcodes[i]);
  }
}

TEST(CpuShifts, RotateOnAccumulatorTouchesNoMemory) {
  Machine m;
  m.cpu.a = 0x01;
  m.run({0x6A});
  EXPECT_TRUE(m.bus.writes().empty());
  EXPECT_EQ(m.cpu.a, 0x00);
}

TEST(CpuFlags, SetAndClearInstructions) {
  Machine m;
  m.run({0x38});
  EXPECT_TRUE(m.flag(kFlagCarry));
  m.run({0x18});
  EXPECT_FALSE(m.flag(kFlagCarry));
  m.run({0xF8});
  EXPECT_TRUE(m.flag(kFlagDecimal));
  m.run({0xD8});
  EXPECT_FALSE(m.flag(kFlagDecimal));
  m.run({0x78});
  EXPECT_TRUE(m.flag(kFlagInterrupt));
  m.run({0x58});
  EXPECT_FALSE(m.flag(kFlagInterrupt));
  m.set(kFlagOverflow, true);
  m.run({0xB8});
  EXPECT_FALSE(m.flag(kFlagOverflow));
}

TEST(CpuFlags, EveryStepSetsBitFive) {
  Machine m;
  m.cpu.status = 0;
  m.run({0xEA});
  EXPECT_TRUE(m.flag(kFlagConstant));
}

TEST(CpuStack, PhpPushesBreakAndBitFive) {
  Machine m;
  m.cpu.status = kFlagConstant | kFlagCarry;
  m.run({0x08});
  EXPECT_EQ(m.bus.writes(), (Log{W(0x01FF, 0x31)}));
  EXPECT_EQ(m.cpu.sp, 0xFE);
}

TEST(CpuStack, PlpAndRtiLeaveBreakAndBitFiveSet) {
  Machine m;
  m.cpu.sp = 0xFC;
  m.bus.ram[0x01FD] = 0x00;
  m.run({0x28});
  EXPECT_EQ(m.cpu.status, 0x30);
  m.cpu.sp = 0xFC;
  m.bus.ram[0x01FD] = 0xC3;
  m.bus.ram[0x01FE] = 0x34;
  m.bus.ram[0x01FF] = 0x12;
  m.run({0x40});
  EXPECT_EQ(m.cpu.status, 0xF3);
  EXPECT_EQ(m.cpu.pc, 0x1234);
  EXPECT_EQ(m.cpu.sp, 0xFF);
}

TEST(CpuStack, PushAndPullWrapInPageOne) {
  Machine m;
  m.cpu.sp = 0x00;
  m.cpu.a = 0x5A;
  m.run({0x48});
  EXPECT_EQ(m.bus.writes(), (Log{W(0x0100, 0x5A)}));
  EXPECT_EQ(m.cpu.sp, 0xFF);
  m.run({0x68});  // pulls from $0100 again
  EXPECT_EQ(m.cpu.a, 0x5A);
  EXPECT_EQ(m.cpu.sp, 0x00);
}

TEST(CpuControl, JsrPushesReturnMinusOneAndRtsAddsOne) {
  Machine m;
  m.run({0x20, 0x00, 0x40});
  EXPECT_EQ(m.cpu.pc, 0x4000);
  EXPECT_EQ(m.bus.writes(), (Log{W(0x01FF, 0x02), W(0x01FE, 0x02)}));
  m.load({0x60}, 0x4000);
  m.step();
  EXPECT_EQ(m.cpu.pc, 0x0203);
  EXPECT_EQ(m.cpu.sp, 0xFF);
}

TEST(CpuControl, BrkPushesOpcodePlusTwoAndStatusWithBreak) {
  Machine m;
  m.bus.ram[0xFFFE] = 0x00;
  m.bus.ram[0xFFFF] = 0x90;
  m.cpu.status = kFlagConstant | kFlagDecimal;
  m.run({0x00, 0xEA});
  EXPECT_EQ(m.cpu.pc, 0x9000);
  EXPECT_EQ(m.bus.writes(), (Log{W(0x01FF, 0x02), W(0x01FE, 0x02), W(0x01FD, 0x38)}));
  EXPECT_TRUE(m.flag(kFlagInterrupt));
  EXPECT_TRUE(m.flag(kFlagDecimal));
}

TEST(CpuControl, JmpAbsolute) {
  Machine m;
  m.run({0x4C, 0x34, 0x12});
  EXPECT_EQ(m.cpu.pc, 0x1234);
}

TEST(CpuControl, OperandAddressHoldsTheEffectiveAddress) {
  Machine m;
  m.run({0xA9, 0x01});
  EXPECT_EQ(m.cpu.operand_address, 0x0201);  // the immediate byte
  m.set(kFlagCarry, false);
  m.run({0x90, 0x10});
  EXPECT_EQ(m.cpu.operand_address, 0x0212);  // the branch target
  EXPECT_EQ(m.cpu.opcode, 0x90);
}

}  // namespace
