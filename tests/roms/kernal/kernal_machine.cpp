// The KERNAL test machine.
#include "tests/roms/kernal/kernal_machine.h"

#include <fstream>
#include <iterator>

#include "face/face_node.h"
#include "face/fake6502.h"
#include "face/fake6502_bridge.h"

namespace {

constexpr uint8_t kCommandCall = 1;
constexpr uint8_t kReadyMark = 0xA5;
constexpr uint16_t kRequest = 0x0002;
constexpr uint16_t kStatus = 0x0090;
constexpr uint16_t kKeyCount = 0x00C6;
constexpr uint8_t kKeyBufferSize = 10;
constexpr uint16_t kChrin = 0xFFCF;
constexpr uint16_t kChrout = 0xFFD2;

std::vector<uint8_t> read_image(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

char screen_code_to_ascii(uint8_t code) {
  if (code == 0x00) return '@';
  if (code <= 0x1A) return static_cast<char>(code + 0x40);
  if (code < 0x40) return static_cast<char>(code);
  return '~';  // graphics and reversed characters
}

}  // namespace

KernalMachine::KernalMachine() {
  memory_.vic(&vic_);
  memory_.sid(&sid_);
  memory_.cia1(&cia1_);
  memory_.cia2(&cia2_);
  cia1_.io(&io_);
  const std::string dir = KERNAL_TEST_ROM_DIR;
  std::vector<uint8_t> basic = read_image(dir + "/basic.bin");
  std::vector<uint8_t> kernal = read_image(dir + "/kernal.bin");
  std::vector<uint8_t> chargen = read_image(dir + "/chargen.bin");
  chargen.resize(4096);
  ok_ = basic.size() == 8192 && kernal.size() == 8192;
  if (!ok_) return;
  memory_.load_roms(basic.data(), 8192, chargen.data(), 4096, kernal.data(), 8192);
  kernal_image_ = kernal;
  face_bind_c64(&g_c64_face, &memory_);
  face_realize(&g_c64_face);
  clock_.source(&f6502_context()->cycles);
  cia1_.cpu(&cpu_);
  cia1_.clock(&clock_);
  cia2_.cpu(&cpu_);
  cia2_.clock(&clock_);
  vic_.cpu(&cpu_);
  vic_.clock(&clock_);
  g_c64_self.clock = &clock_;
}

KernalMachine::~KernalMachine() { face_bind_c64(&g_c64_face, nullptr); }

void KernalMachine::press(std::vector<int> keys) {
  release_all();
  held_ = std::move(keys);
  for (int key : held_) io_.hold_c64_key(static_cast<uint8_t>(key), true);
}

void KernalMachine::release_all() {
  for (int key : held_) io_.hold_c64_key(static_cast<uint8_t>(key), false);
  held_.clear();
}

void KernalMachine::step() {
  face_tick_steps(&g_c64_face, 1);
  uint8_t request = memory_.read_byte_no_io(kRequest);
  if (request >= IO::kFirstRequest && request <= IO::kLastRequest) {
    host_requests_++;
    memory_.write_byte_no_io(kRequest, 0);
    if (host_request_)
      host_request_(*this, request);
    else if (request >= IO::kRequestOpen)
      memory_.write_byte_no_io(kStatus, memory_.read_byte_no_io(kStatus) | 0x80);  // no drive

  }
}

void KernalMachine::run(uint32_t instructions) {
  for (uint32_t i = 0; i < instructions; i++) step();
}

void KernalMachine::run_jiffies(uint32_t count) { run_cycles(count * kJiffyCycles); }

void KernalMachine::run_cycles(uint32_t cycles) {
  uint32_t start = f6502_context()->cycles;
  while (f6502_context()->cycles - start < cycles) step();
}

bool KernalMachine::boot() {
  if (!ok_) return false;
  for (uint32_t i = 0; i < 3000000; i++) {
    step();
    if (memory_.read_byte_no_io(kReady) == kReadyMark) return true;
  }
  return false;
}

CallResult KernalMachine::call(uint16_t target, uint8_t a, uint8_t x, uint8_t y, bool carry, uint32_t limit) {
  poke(kMailbox + 1, a);
  poke(kMailbox + 2, x);
  poke(kMailbox + 3, y);
  poke(kMailbox + 4, carry ? 0x01 : 0x00);
  memory_.write_word_no_io(kMailbox + 5, target);
  poke(kMailbox, kCommandCall);
  CallResult result;
  for (uint32_t i = 0; i < limit && !result.completed; i++) {
    step();
    result.completed = peek(kMailbox) == 0;
  }
  result.a = peek(kMailbox + 8);
  result.x = peek(kMailbox + 9);
  result.y = peek(kMailbox + 10);
  result.p = peek(kMailbox + 11);
  return result;
}

CallResult KernalMachine::call_typing(uint16_t target, const std::string& keys, uint32_t limit) {
  poke(kMailbox + 4, 0x00);
  memory_.write_word_no_io(kMailbox + 5, target);
  poke(kMailbox, kCommandCall);
  CallResult result;
  size_t next = 0;
  for (uint32_t i = 0; i < limit && !result.completed; i++) {
    // A key every few thousand instructions, as a typist's keys arrive
    // between the machine's instruction batches.
    if (i % 3000 == 0 && next < keys.size() && peek(kKeyCount) < kKeyBufferSize)
      face_key(&g_c64_face, static_cast<uint8_t>(keys[next++]));
    step();
    result.completed = peek(kMailbox) == 0;
  }
  result.a = peek(kMailbox + 8);
  result.x = peek(kMailbox + 9);
  result.y = peek(kMailbox + 10);
  result.p = peek(kMailbox + 11);
  return result;
}

void KernalMachine::print(const std::vector<uint8_t>& bytes) {
  for (uint8_t byte : bytes) call(kChrout, byte);
}

void KernalMachine::print(const std::string& text) { print(std::vector<uint8_t>(text.begin(), text.end())); }

std::string KernalMachine::input_line(const std::string& keys) {
  std::string line;
  std::string pending = keys;
  for (int count = 0; count < 100; count++) {
    CallResult result = call_typing(kChrin, pending);
    pending.clear();  // all typed during the first call, which waits for RETURN
    if (!result.completed || result.a == 0x0D) break;
    line += static_cast<char>(result.a);
  }
  return line;
}

std::vector<uint8_t> KernalMachine::screen_row(int row) const {
  std::vector<uint8_t> codes;
  for (int column = 0; column < 40; column++) codes.push_back(peek(kScreen + row * 40 + column));
  return codes;
}

std::string KernalMachine::screen_text(int row) const {
  std::string text;
  for (uint8_t code : screen_row(row)) text += screen_code_to_ascii(code);
  size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

void KernalMachine::type(uint8_t character) { face_key(&g_c64_face, character); }

void KernalMachine::nmi() { f6502_nmi(); }

void KernalMachine::load(uint16_t addr, const std::vector<uint8_t>& code) {
  for (size_t i = 0; i < code.size(); i++) poke(static_cast<uint16_t>(addr + i), code[i]);
}
