// The main loop's key tables, indexed by the scancode without its release bit.
#include "emulator/scan_decoder.h"

#include "emulator/colour_keys.h"

namespace {

// Esc types nothing: it is the monitor's key. Backspace is the C64's DEL (INST with shift), typed into the KERNAL's
// keyboard buffer like any character. Tab gives nothing here: it is
// RUN/STOP, which the KERNAL only sees in the keyboard matrix. The cursor
// keys reach the ring only as their $E0 prefix; they arrive through the key
// events instead (IO::OnKeyDown). The PC keys the C64 lacks stand in for its
// own: ` is the left arrow, \ the pound sign, ^ (Shift+6) the up arrow, ~
// (Shift+`) pi.
constexpr uint8_t kDel = 0x14, kInst = 0x94, kReturn = 0x0D, kShiftedSpace = 0xA0;
constexpr uint8_t kLeftArrow = 0x5F, kPound = 0x5C, kUpArrow = 0x5E, kPi = 0xDE;
// F1, F3, F5, F7 and, shifted, F2, F4, F6, F8, as the C64 types them.
constexpr uint8_t kF1 = 0x85, kF3 = 0x86, kF5 = 0x87, kF7 = 0x88;
constexpr uint8_t kF2 = 0x89, kF4 = 0x8A, kF6 = 0x8B, kF8 = 0x8C;

constexpr uint8_t kmap[128] = {
    // $00-$0F
    0, 0, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '-', '=', kDel, 0,
    // $10-$1F
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', '[', ']', kReturn, 0, 'A', 'S',
    // $20-$2F
    'D', 'F', 'G', 'H', 'J', 'K', 'L', ';', '\'', kLeftArrow, 0, kPound, 'Z', 'X', 'C', 'V',
    // $30-$3F
    'B', 'N', 'M', ',', '.', '/', 0, '*', 0, ' ', 0, kF1, kF2, kF3, kF4, kF5,
    // $40-$4F
    kF6, kF7, kF8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // $50-$5F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// Shifted letters are the C64's shifted codes: graphics in the upper-case
// set, capitals in the lower-case set. Shifted F1 is F2 and shifted RETURN
// is $8D, as on the C64. The PC's { } | have no C64 key: they give what
// the C64 keys they stand at give with SHIFT (+ - and the pound sign).
constexpr uint8_t kShiftedPlus = 0xDB, kShiftedMinus = 0xDD, kShiftedPound = 0xA9, kShiftedReturn = 0x8D;
constexpr uint8_t kmap_shift[128] = {
    // $00-$0F
    0, 0, '!', '@', '#', '$', '%', kUpArrow, '&', '*', '(', ')', kLeftArrow, '+', kInst, 0,
    // $10-$1F
    0xD1, 0xD7, 0xC5, 0xD2, 0xD4, 0xD9, 0xD5, 0xC9, 0xCF, 0xD0, kShiftedPlus, kShiftedMinus, kShiftedReturn, 0, 0xC1, 0xD3,
    // $20-$2F
    0xC4, 0xC6, 0xC7, 0xC8, 0xCA, 0xCB, 0xCC, ':', '"', kPi, 0, kShiftedPound, 0xDA, 0xD8, 0xC3, 0xD6,
    // $30-$3F
    0xC2, 0xCE, 0xCD, '<', '>', '?', 0, '*', 0, kShiftedSpace, 0, kF2, kF2, kF4, kF4, kF6,
    // $40-$4F
    kF6, kF8, kF8, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // $50-$5F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

// C= with A-Z: the graphics on the left front of the C64's letter keys.
constexpr uint8_t kCommodoreLetters[26] = {
    0xB0, 0xBF, 0xBC, 0xAC, 0xB1, 0xBB, 0xA5, 0xB4, 0xA2, 0xB5, 0xA1, 0xB6, 0xA7,
    0xAA, 0xB9, 0xAF, 0xAB, 0xB2, 0xAE, 0xA3, 0xB8, 0xBE, 0xB3, 0xBD, 0xB7, 0xAD,
};
constexpr uint8_t kCommodorePound = 0xA8;
constexpr uint8_t kControlMask = 0x1F;

bool is_letter(uint8_t c) { return c >= 'A' && c <= 'Z'; }
bool is_digit(uint8_t c) { return c >= '0' && c <= '9'; }

}  // namespace

// A modifier's make code repeats while it is held; only its first press
// counts for the set switch.
bool ScanDecoder::modifier(uint8_t code, bool released) {
  bool* held = nullptr;
  if (code == kLeftShift || code == kRightShift) held = &shift_down_;
  if (code == kAlt) held = &commodore_down_;
  if (code == kControl) held = &control_down_;
  if (held == nullptr) return false;
  bool was_held = *held;
  *held = !released;
  if (!released && !was_held && shift_down_ && commodore_down_) set_switch_ = true;
  return true;
}

uint8_t ScanDecoder::decode(uint8_t byte) {
  if (byte == kExtendedPrefix) {
    extended_ = true;
    return 0;
  }
  bool extended = extended_;
  extended_ = false;
  uint8_t code = byte & static_cast<uint8_t>(~kReleased);
  bool released = (byte & kReleased) != 0;
  // The keyboard's fake shifts around the cursor block are no Shift key.
  if (extended && (code == kLeftShift || code == kRightShift)) return 0;
  if (modifier(code, released) || released) return 0;
  uint8_t plain = kmap[code];
  if (control_down_) {
    if (is_digit(plain)) return kControlDigitCodes[plain - '0'];
    if (is_letter(plain)) return plain & kControlMask;
  }
  if (commodore_down_) {
    if (is_digit(plain) && kCommodoreDigitCodes[plain - '0'] != 0) return kCommodoreDigitCodes[plain - '0'];
    if (is_letter(plain)) return kCommodoreLetters[plain - 'A'];
    if (plain == kPound) return kCommodorePound;
  }
  return shift_down_ ? kmap_shift[code] : plain;
}

bool ScanDecoder::take_set_switch() {
  bool asked = set_switch_;
  set_switch_ = false;
  return asked;
}

uint8_t ScanDecoder::unshifted(uint8_t code) { return kmap[code & static_cast<uint8_t>(~kReleased)]; }
