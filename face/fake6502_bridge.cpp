// The C64 face adapter.
#include "face/fake6502_bridge.h"

#include "emulator/clock.h"
#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"
#include "face/fake6502.h"

C64Self g_c64_self;
FaceNode g_c64_face;

namespace {
constexpr uint16_t kScreenMemory = c64::SCREEN_RAM;
constexpr uint16_t kKeyboardBuffer = c64::KEYD;
constexpr uint16_t kKeyCount = c64::NDX;
constexpr uint16_t kRepeatMode = c64::RPTFLG;
constexpr uint16_t kShiftMode = c64::MODE;
constexpr uint8_t kShiftModeLocked = 0x80;
constexpr uint16_t kVicMemoryPointers = c64::VIC_MEMPTR;
constexpr uint8_t kLowerCaseSet = 0x02;
constexpr uint8_t kNoRepeat = 0x40;
constexpr uint8_t kKeyBufferLast = 9;  // ten slots

// Screen codes to the face's ASCII: @, the letters and [ £ ] ↑ ← move up to
// $40-$5F (the pound sign and the arrows as \ ^ _), digits and punctuation
// coincide, graphics and reverse video show blank. Left at $1B-$1F, those
// five would reach the display and the serial console as control codes.
uint8_t screen_code_to_ascii(uint8_t code) {
  if (code <= 0x1F) return static_cast<uint8_t>(code + 0x40);
  if (code <= 0x3F) return code;
  return ' ';
}

C64Self* self_of(void* user) { return static_cast<C64Self*>(user); }
}  // namespace

void face_bind_c64(FaceNode* node, Memory* memory) {
  if (node == nullptr) return;
  g_c64_self.memory = memory;
  g_c64_self.steps = 0;
  g_c64_self.serve_request = nullptr;
  g_c64_self.serve_context = nullptr;
  g_c64_self.clock = nullptr;
  node->name = "c64";
  node->user = &g_c64_self;
  node->width = kFaceDefaultWidth;
  node->height = kFaceDefaultHeight;
  node->init = c64_init;
  node->step = c64_step;
  node->observe = c64_observe;
  node->input = c64_input;
  node->coord = c64_coord;
}

void c64_init(void* user) {
  C64Self* self = self_of(user);
  f6502_bind(self->memory);
  f6502_reset();
  self->steps = 0;
}

uint32_t c64_step(void* user, uint32_t count) {
  c64_run_instructions(self_of(user), count);
  return 0;
}

void c64_run_instructions(C64Self* self, uint32_t count) {
  static const uint8_t kNoRequest = 0;
  const volatile uint8_t* request =
      self->memory != nullptr ? self->memory->ram() + kC64HostRequest : &kNoRequest;
  Clock* clock = self->clock;
  for (uint32_t i = 0; i < count; i++) {
    f6502_step();
    self->steps++;
    if (clock != nullptr && clock->due()) clock->serve();
    // One compare per instruction: the requests are one run of values.
    if (static_cast<uint8_t>(*request - kC64FirstHostRequest) <= kC64LastHostRequest - kC64FirstHostRequest &&
        self->serve_request != nullptr)
      self->serve_request(self->serve_context);
  }
}

void c64_observe(void* user, uint8_t* text, int32_t width, int32_t height) {
  Memory* memory = self_of(user)->memory;
  if (memory == nullptr || text == nullptr) return;
  int64_t cells = static_cast<int64_t>(width) * height;
  for (int32_t i = 0; i < cells && i < kFaceTextSize; i++)
    text[i] = screen_code_to_ascii(memory->read_byte(static_cast<uint16_t>(kScreenMemory + i)));
}

void c64_input(void* user, uint8_t character) {
  Memory* memory = self_of(user)->memory;
  if (memory == nullptr) return;
  if (character >= 'a' && character <= 'z') character = static_cast<uint8_t>(character - 0x20);
  uint8_t count = memory->read_byte(kKeyCount);
  if (count <= kKeyBufferLast) {
    memory->write_byte(static_cast<uint16_t>(kKeyboardBuffer + count), character);
    memory->write_byte(kKeyCount, static_cast<uint8_t>(count + 1));
  }
  // The PC keyboard repeats a held key itself, so the KERNAL's scan must
  // not repeat it too; the matrix tells the scan what is held (IO).
  memory->write_byte(kRepeatMode, kNoRepeat);
}

int32_t c64_coord(void*) { return f6502_pc(); }

void c64_switch_character_set(void* user) {
  Memory* memory = self_of(user)->memory;
  if (memory == nullptr || (memory->read_byte_no_io(kShiftMode) & kShiftModeLocked) != 0) return;
  if (memory->bank(Memory::kRegionCharIo) != Memory::kIo) return;
  memory->write_byte(kVicMemoryPointers, static_cast<uint8_t>(memory->read_byte(kVicMemoryPointers) ^ kLowerCaseSet));
}
