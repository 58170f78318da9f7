// Faces and the C64 face: guards, realize defaults, the interrupt cadence,
// the screen scrape and the keyboard buffer.
#include <gtest/gtest.h>

#include <string>

#include "emulator/clock.h"
#include "emulator/memory.h"
#include "face/face_node.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"

namespace {

struct Calls {
  int init = 0, step = 0, observe = 0, input = 0;
  uint32_t last_count = 0;
  uint8_t last_key = 0;
  std::string order;
};

FaceNode recording_node(Calls* calls) {
  FaceNode node = {};
  node.user = calls;
  node.init = [](void* u) { static_cast<Calls*>(u)->init++; static_cast<Calls*>(u)->order += 'i'; };
  node.step = [](void* u, uint32_t n) -> uint32_t {
    Calls* c = static_cast<Calls*>(u);
    c->step++;
    c->last_count = n;
    c->order += 's';
    return 0;
  };
  node.observe = [](void* u, uint8_t*, int32_t, int32_t) {
    static_cast<Calls*>(u)->observe++;
    static_cast<Calls*>(u)->order += 'o';
  };
  node.input = [](void* u, uint8_t k) {
    static_cast<Calls*>(u)->input++;
    static_cast<Calls*>(u)->last_key = k;
  };
  return node;
}

TEST(Face, NullNodesAreIgnored) {
  face_realize(nullptr);
  face_tick(nullptr);
  face_tick_steps(nullptr, 10);
  face_tick_observe(nullptr);
  face_key(nullptr, 'a');
  C64Self before = g_c64_self;
  Memory memory;
  face_bind_c64(nullptr, &memory);
  EXPECT_EQ(g_c64_self.memory, before.memory);
}

TEST(Face, InactiveNodeIgnoresEverythingButRealize) {
  Calls calls;
  FaceNode node = recording_node(&calls);
  face_tick(&node);
  face_tick_steps(&node, 5);
  face_tick_observe(&node);
  face_key(&node, 'x');
  EXPECT_EQ(calls.order, "");
  EXPECT_EQ(node.state, 0);
}

TEST(Face, RealizeFillsDefaultsAndRunsInit) {
  Calls calls;
  FaceNode node = recording_node(&calls);
  node.name = "c64";
  node.text[5] = 'Q';
  face_realize(&node);
  EXPECT_EQ(node.width, 40);
  EXPECT_EQ(node.height, 25);
  EXPECT_EQ(node.state, 3);
  EXPECT_EQ(node.active, 1);
  EXPECT_EQ(calls.init, 1);
  for (uint8_t cell : node.text) ASSERT_EQ(cell, 0x20);
  uint64_t hash = face_phi_hash("c64");
  EXPECT_EQ(node.hash_lo, static_cast<uint32_t>(hash));
  EXPECT_EQ(node.hash_hi, static_cast<uint32_t>(hash >> 32));
}

TEST(Face, PresetSizeIsKept) {
  FaceNode node = {};
  node.width = 20;
  node.height = 10;
  face_realize(&node);  // no callbacks at all
  EXPECT_EQ(node.width, 20);
  EXPECT_EQ(node.height, 10);
}

TEST(Face, TickStepsThenObservesAndMarksTheState) {
  Calls calls;
  FaceNode node = recording_node(&calls);
  face_realize(&node);
  face_tick(&node);
  EXPECT_EQ(calls.order, "iso");
  EXPECT_EQ(calls.last_count, 200000u);
  EXPECT_EQ(node.state, 4);
  face_tick_steps(&node, 12000);
  EXPECT_EQ(calls.last_count, 12000u);
  face_tick_observe(&node);
  face_key(&node, 'k');
  EXPECT_EQ(calls.order, "isoso");
  EXPECT_EQ(calls.last_key, 'k');
  EXPECT_EQ(node.state, 4);
}

TEST(Face, SplitStepMarksTheStateToo) {
  Calls calls;
  FaceNode node = recording_node(&calls);
  face_realize(&node);
  face_tick_steps(&node, 1);
  EXPECT_EQ(node.state, 4);
}

TEST(Face, NullCallbacksAreSkipped) {
  FaceNode node = {};
  face_realize(&node);
  face_tick(&node);
  face_key(&node, 'a');
  EXPECT_EQ(node.state, 4);
}

TEST(Face, PhiHash) {
  EXPECT_EQ(face_phi_hash(""), 0u);
  EXPECT_EQ(face_phi_hash(nullptr), 0u);
  uint64_t h = 0;
  for (char c : std::string("c64")) h = (h ^ static_cast<uint8_t>(c)) * 0x9E3779B97F4A7C15ull + 1;
  EXPECT_EQ(face_phi_hash("c64"), h);
  EXPECT_NE(face_phi_hash("c64"), face_phi_hash("c65"));
}

// The C64 face over a memory whose reset vector points at a loop of NOPs
// with interrupts enabled and an IRQ handler that counts in $FB.
class C64Face : public ::testing::Test {
 protected:
  static constexpr uint16_t kLoop = 0x2000;
  static constexpr uint16_t kHandler = 0x3000;
  static constexpr uint16_t kIrqCount = 0x00FB;

  void SetUp() override {
    memory.write_byte(Memory::kProcessorPort, 0x35);  // RAM at $E000, I/O kept
    memory.write_word_no_io(0xFFFC, kLoop);
    memory.write_word_no_io(0xFFFE, kHandler);
    const uint8_t loop[] = {0x58, 0xEA, 0xEA, 0x4C, 0x01, 0x20};  // CLI; NOP; NOP; JMP $2001
    for (int i = 0; i < 6; i++) memory.write_byte_no_io(kLoop + i, loop[i]);
    const uint8_t handler[] = {0xE6, 0xFB, 0x40};  // INC $FB; RTI
    for (int i = 0; i < 3; i++) memory.write_byte_no_io(kHandler + i, handler[i]);
    memory.write_byte_no_io(kIrqCount, 0);
    face = FaceNode{};
    face_bind_c64(&face, &memory);
    face_realize(&face);
  }
  void TearDown() override { f6502_bind(nullptr); }

  Memory memory;
  FaceNode face;
};

TEST_F(C64Face, BindFillsTheNodeAndRealizeResetsTheCore) {
  EXPECT_STREQ(face.name, "c64");
  EXPECT_EQ(face.user, &g_c64_self);
  EXPECT_EQ(g_c64_self.memory, &memory);
  EXPECT_EQ(g_c64_self.steps, 0u);
  EXPECT_EQ(f6502_pc(), kLoop);
  EXPECT_EQ(face.coord(face.user), kLoop);
}

TEST_F(C64Face, BindLeavesStateActiveAndText) {
  face.text[0] = 'Z';
  face_bind_c64(&face, &memory);
  EXPECT_EQ(face.state, 3);
  EXPECT_EQ(face.active, 1);
  EXPECT_EQ(face.text[0], 'Z');
}

// The jiffy comes from CIA 1 now: the face raises no interrupt of its own.
TEST_F(C64Face, NoInterruptComesFromTheFaceItself) {
  face_tick_steps(&face, 16667 * 3);
  EXPECT_EQ(memory.read_byte_no_io(kIrqCount), 0);
  EXPECT_EQ(g_c64_self.steps, 3u * 16667);
}

// A chip that wants to run every 100 cycles, recording when it is run.
class EveryHundredCycles final : public Clocked {
 public:
  uint32_t run(uint32_t now) override {
    if (runs < 8) at[runs] = now;
    runs++;
    return (now / 100 + 1) * 100;
  }
  uint32_t at[8] = {};
  int runs = 0;
};

// The face serves the clock after the instruction during which an event
// falls: never before it, never later than that instruction's end.
TEST_F(C64Face, ChipsAreRunAfterTheInstructionThatReachesTheirEvent) {
  Clock clock(&f6502_context()->cycles);
  EveryHundredCycles chip;
  clock.attach(&chip);
  g_c64_self.clock = &clock;
  face_tick_steps(&face, 500);  // the loop's instructions take 2 or 3 cycles
  g_c64_self.clock = nullptr;
  ASSERT_GE(chip.runs, 8);
  for (int i = 1; i < 8; i++) {
    EXPECT_GE(chip.at[i], 100u * i) << i;
    EXPECT_LT(chip.at[i], 100u * i + 3) << i;
  }
}

TEST_F(C64Face, ScreenCodesBecomeText) {
  // [ pound ] up-arrow left-arrow, then digits and punctuation, then graphics.
  const uint8_t codes[] = {0x00, 0x01, 0x1A, 0x1B, 0x1C, 0x1D, 0x1E, 0x1F,
                           0x20, 0x30, 0x3F, 0x40, 0x51, 0xA0, 0xFF};
  const char* expected = "@AZ[\\]^_ 0?";
  for (int i = 0; i < 15; i++) memory.write_byte_no_io(0x0400 + i, codes[i]);
  memory.write_byte_no_io(0x0400 + 999, 0x05);
  face_tick_observe(&face);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(face.text), 11), expected);
  EXPECT_EQ(face.text[11], ' ');
  EXPECT_EQ(face.text[12], ' ');  // $51 ball
  EXPECT_EQ(face.text[13], ' ');  // $A0 reversed space
  EXPECT_EQ(face.text[14], ' ');
  EXPECT_EQ(face.text[999], 'E');
}

TEST_F(C64Face, ObserveStopsAtTheNodesSize) {
  uint8_t text[1000];
  for (uint8_t& t : text) t = '#';
  memory.write_byte_no_io(0x0400, 0x01);
  c64_observe(&g_c64_self, text, 2, 2);
  EXPECT_EQ(text[0], 'A');
  EXPECT_EQ(text[4], '#');
  c64_observe(&g_c64_self, text, 100, 100);  // never past the 1000 bytes
}

// The scan's record of the held key is the matrix's (IO keeps it), so
// typing leaves it as it was.
TEST_F(C64Face, KeysGoIntoTheKernalBufferUpperCased) {
  memory.write_byte_no_io(0x00C6, 0);
  memory.write_byte_no_io(0x00CB, 0x0A);
  memory.write_byte_no_io(0x00C5, 0x0A);
  face_key(&face, 'a');
  face_key(&face, '{');
  EXPECT_EQ(memory.read_byte_no_io(0x0277), 0x41);
  EXPECT_EQ(memory.read_byte_no_io(0x0278), '{');
  EXPECT_EQ(memory.read_byte_no_io(0x00C6), 2);
  EXPECT_EQ(memory.read_byte_no_io(0x00CB), 0x0A);
  EXPECT_EQ(memory.read_byte_no_io(0x00C5), 0x0A);
  EXPECT_EQ(memory.read_byte_no_io(0x028A), 0x40);
}

TEST_F(C64Face, FullBufferDropsTheKeyButStillStopsTheScansRepeat) {
  memory.write_byte_no_io(0x00C6, 10);
  memory.write_byte_no_io(0x0277 + 10, 0x77);
  memory.write_byte_no_io(0x00CB, 0x00);
  memory.write_byte_no_io(0x00C5, 0x00);
  memory.write_byte_no_io(0x028A, 0x80);
  face_key(&face, 'b');
  EXPECT_EQ(memory.read_byte_no_io(0x00C6), 10);
  EXPECT_EQ(memory.read_byte_no_io(0x0277 + 10), 0x77);
  EXPECT_EQ(memory.read_byte_no_io(0x028A), 0x40);
  memory.write_byte_no_io(0x00C6, 9);  // the tenth slot is still free
  face_key(&face, 'c');
  EXPECT_EQ(memory.read_byte_no_io(0x0277 + 9), 'C');
  EXPECT_EQ(memory.read_byte_no_io(0x00C6), 10);
}

TEST_F(C64Face, UnrealizedNodeTakesNoKeys) {
  FaceNode fresh = {};
  face_bind_c64(&fresh, &memory);
  memory.write_byte_no_io(0x00C6, 0);
  face_key(&fresh, 'a');
  EXPECT_EQ(memory.read_byte_no_io(0x00C6), 0);
}

TEST_F(C64Face, RebindingToANewMemoryResetsTheCoreThere) {
  face_tick_steps(&face, 100);
  Memory other;
  other.write_byte(Memory::kProcessorPort, 0x35);
  other.write_word_no_io(0xFFFC, 0x4000);
  face_bind_c64(&face, &other);
  face_realize(&face);
  EXPECT_EQ(f6502_pc(), 0x4000);
  EXPECT_EQ(g_c64_self.steps, 0u);
  EXPECT_EQ(face.state, 3);
}

}  // namespace
