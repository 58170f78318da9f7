// The PC keyboard laid over the C64's matrix.
#include "emulator/key_matrix.h"

namespace {

// C64 key numbers, row * 8 + column (row = port A line, column = port B bit).
enum C64Key : uint8_t {
  kDel = 0, kReturn = 1, kCursorRight = 2, kF7 = 3, kF1 = 4, kF3 = 5, kF5 = 6, kCursorDown = 7,
  k3 = 8, kW = 9, kA = 10, k4 = 11, kZ = 12, kS = 13, kE = 14, kLeftShift = 15,
  k5 = 16, kR = 17, kD = 18, k6 = 19, kC = 20, kF = 21, kT = 22, kX = 23,
  k7 = 24, kY = 25, kG = 26, k8 = 27, kB = 28, kH = 29, kU = 30, kV = 31,
  k9 = 32, kI = 33, kJ = 34, k0 = 35, kM = 36, kK = 37, kO = 38, kN = 39,
  kPlus = 40, kP = 41, kL = 42, kMinus = 43, kPeriod = 44, kColon = 45, kAt = 46, kComma = 47,
  kPound = 48, kAsterisk = 49, kSemicolon = 50, kHome = 51, kRightShift = 52, kEquals = 53, kUpArrow = 54,
  kSlash = 55,
  k1 = 56, kLeftArrow = 57, kControl = 58, k2 = 59, kSpace = 60, kCommodore = 61, kQ = 62, kRunStop = 63,
  kNone = 0xFF,
};

// How a PC key's C64 key takes the shift keys: as the user holds them, with
// a SHIFT the C64 needs for the character (' is SHIFT+7, cursor up is SHIFT
// plus CRSR down), or without the SHIFT the PC needed (@ is SHIFT+2 on the
// PC, a key of its own on the C64).
enum class Shift : uint8_t { kAsHeld, kAdded, kTaken };

struct Mapping {
  uint8_t key;
  Shift shift;
};

struct PcKey {
  Mapping plain;
  Mapping shifted;  // with either PC Shift held, and neither Alt nor Ctrl
};

constexpr PcKey same(uint8_t key) { return {{key, Shift::kAsHeld}, {key, Shift::kAsHeld}}; }
constexpr PcKey shifted_to(uint8_t key, uint8_t shifted, Shift how) {
  return {{key, Shift::kAsHeld}, {shifted, how}};
}
constexpr PcKey none() { return same(kNone); }

constexpr int kSetOneKeys = 0x59;
constexpr int kExtended = 0x80;
constexpr uint8_t kReleased = 0x80;
constexpr uint8_t kExtendedPrefix = 0xE0;

// The PC's modifiers, by set-1 key number ($80 up for the extended ones).
constexpr int kPcLeftShift = 0x2A, kPcRightShift = 0x36, kPcControl = 0x1D, kPcAlt = 0x38;
constexpr int kPcRightControl = kExtended | kPcControl, kPcRightAlt = kExtended | kPcAlt;

// The cursor block and keypad keys, with or without the extended prefix.
constexpr PcKey kCursorUpKey = {{kCursorDown, Shift::kAdded}, {kCursorDown, Shift::kAdded}};
constexpr PcKey kCursorDownKey = {{kCursorDown, Shift::kAsHeld}, {kCursorDown, Shift::kTaken}};
constexpr PcKey kCursorLeftKey = {{kCursorRight, Shift::kAdded}, {kCursorRight, Shift::kAdded}};
constexpr PcKey kCursorRightKey = {{kCursorRight, Shift::kAsHeld}, {kCursorRight, Shift::kTaken}};

// US PC keys by set-1 key number. The PC keys the C64 lacks stand in for
// its own: ` is the left arrow (~ pi), \ the pound sign, ^ (Shift+6) the
// up arrow, _ (Shift+-) the left arrow too; F2, F4, F6 and F8 are shifted
// F1, F3, F5 and F7, as on the C64; Tab is RUN/STOP. Esc, F9-F12 and the
// keys without a C64 counterpart hold nothing.
constexpr PcKey kUsKeys[kSetOneKeys] = {
    // $00-$0F
    none(), none(), same(k1), shifted_to(k2, kAt, Shift::kTaken), same(k3), same(k4), same(k5),
    shifted_to(k6, kUpArrow, Shift::kTaken), shifted_to(k7, k6, Shift::kAsHeld),
    shifted_to(k8, kAsterisk, Shift::kTaken), shifted_to(k9, k8, Shift::kAsHeld),
    shifted_to(k0, k9, Shift::kAsHeld), shifted_to(kMinus, kLeftArrow, Shift::kTaken),
    shifted_to(kEquals, kPlus, Shift::kTaken), same(kDel), same(kRunStop),
    // $10-$1F
    same(kQ), same(kW), same(kE), same(kR), same(kT), same(kY), same(kU), same(kI), same(kO), same(kP),
    {{kColon, Shift::kAdded}, {kPlus, Shift::kAsHeld}},      // [ and {
    {{kSemicolon, Shift::kAdded}, {kMinus, Shift::kAsHeld}},  // ] and }
    same(kReturn), none(), same(kA), same(kS),
    // $20-$2F
    same(kD), same(kF), same(kG), same(kH), same(kJ), same(kK), same(kL),
    shifted_to(kSemicolon, kColon, Shift::kTaken), {{k7, Shift::kAdded}, {k2, Shift::kAsHeld}},
    shifted_to(kLeftArrow, kUpArrow, Shift::kAsHeld), none(), same(kPound), same(kZ), same(kX), same(kC),
    same(kV),
    // $30-$3F
    same(kB), same(kN), same(kM), same(kComma), same(kPeriod), same(kSlash), none(),
    shifted_to(kAsterisk, kAsterisk, Shift::kTaken), none(), same(kSpace), none(), same(kF1),
    {{kF1, Shift::kAdded}, {kF1, Shift::kAsHeld}}, same(kF3), {{kF3, Shift::kAdded}, {kF3, Shift::kAsHeld}},
    same(kF5),
    // $40-$4F
    {{kF5, Shift::kAdded}, {kF5, Shift::kAsHeld}}, same(kF7), {{kF7, Shift::kAdded}, {kF7, Shift::kAsHeld}},
    none(), none(), none(), none(), same(kHome), kCursorUpKey, none(), none(), kCursorLeftKey, none(),
    kCursorRightKey, none(), none(),
    // $50-$58
    kCursorDownKey, none(), none(), none(), none(), none(), none(), none(), none(),
};

// The extended keys that are not keypad keys behind the prefix: the keypad's
// Enter and slash. (Its fake shifts, sent around the cursor keys, hold nothing.)
constexpr int kPcKeypadEnter = 0x1C, kPcKeypadSlash = 0x35;
constexpr int kPcHome = 0x47, kPcUp = 0x48, kPcLeft = 0x4B, kPcRight = 0x4D, kPcDown = 0x50;

PcKey extended_key(int code) {
  switch (code) {
    case kPcKeypadEnter: return same(kReturn);
    case kPcKeypadSlash: return same(kSlash);
    case kPcHome:
    case kPcUp:
    case kPcLeft:
    case kPcRight:
    case kPcDown: return kUsKeys[code];
    default: return none();
  }
}

bool is_modifier(int pc_key) {
  return pc_key == kPcLeftShift || pc_key == kPcRightShift || pc_key == kPcControl || pc_key == kPcAlt ||
         pc_key == kPcRightControl || pc_key == kPcRightAlt;
}

void hold(uint8_t rows[KeyMatrix::kRows], uint8_t key) {
  if (key != kNone) rows[key / 8] &= static_cast<uint8_t>(~(1u << (key % 8)));
}

}  // namespace

void KeyMatrix::take(uint8_t byte, bool machines) {
  if (byte == kExtendedPrefix) {
    extended_ = true;
    return;
  }
  int code = byte & ~kReleased;
  bool released = (byte & kReleased) != 0;
  bool extended = extended_;
  extended_ = false;
  if (code >= kSetOneKeys) return;
  int pc_key = extended ? kExtended | code : code;
  if (extended && !is_modifier(pc_key) && extended_key(code).plain.key == kNone) return;
  if (!released && !machines) return;
  uint8_t bit = static_cast<uint8_t>(1u << (pc_key % 8));
  held_[pc_key / 8] = released ? static_cast<uint8_t>(held_[pc_key / 8] & ~bit) : static_cast<uint8_t>(held_[pc_key / 8] | bit);
  recompute();
}

// The PC's Shift changes which C64 key a PC key stands at only on its own:
// with C= or CTRL the C64 picks its table by those, so the keys stay where
// their unshifted characters are and the Shift is passed on as it is held.
void KeyMatrix::recompute() {
  uint8_t rows[kRows] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  bool left_shift = is_held(kPcLeftShift), right_shift = is_held(kPcRightShift);
  bool control = is_held(kPcControl) || is_held(kPcRightControl);
  bool commodore = is_held(kPcAlt) || is_held(kPcRightAlt);
  bool symbols = (left_shift || right_shift) && !control && !commodore;
  bool add_shift = false, take_shift = false;
  for (int pc_key = 0; pc_key < kPcKeys; pc_key++) {
    if (!is_held(pc_key) || is_modifier(pc_key)) continue;
    int code = pc_key & ~kExtended;
    PcKey key = (pc_key & kExtended) != 0 ? extended_key(code) : kUsKeys[code];
    const Mapping& mapping = symbols ? key.shifted : key.plain;
    if (mapping.key == kNone) continue;
    hold(rows, mapping.key);
    add_shift |= mapping.shift == Shift::kAdded;
    take_shift |= mapping.shift == Shift::kTaken;
  }
  if (!take_shift) {
    if (left_shift) hold(rows, kLeftShift);
    if (right_shift || add_shift) hold(rows, kRightShift);
  }
  if (control) hold(rows, kControl);
  if (commodore) hold(rows, kCommodore);
  for (int r = 0; r < kRows; r++) rows_[r] = rows[r];
}
