// The main loop's key tables, indexed by the scancode without its release bit.
#include "emulator/scan_decoder.h"

namespace {

// Backspace is the C64's DEL (INST with shift), typed into the KERNAL's
// keyboard buffer like any character. Tab gives nothing here: it is
// RUN/STOP, which the KERNAL only sees in the keyboard matrix. The cursor
// keys reach the ring only as their $E0 prefix; they arrive through the key
// events instead (IO::OnKeyDown).
constexpr uint8_t kDel = 0x14, kInst = 0x94;

constexpr uint8_t kmap[128] = {
    // $00-$0F
    0, 0x1B, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '-', '=', kDel, 0,
    // $10-$1F
    'q', 'w', 'e', 'r', 't', 'y', 'u', 'i', 'o', 'p', '[', ']', 0x0D, 0, 'a', 's',
    // $20-$2F
    'd', 'f', 'g', 'h', 'j', 'k', 'l', ';', '\'', 0x60, 0, 0x5C, 'z', 'x', 'c', 'v',
    // $30-$3F
    'b', 'n', 'm', ',', '.', '/', 0, '*', 0, 0x20, 0, 0, 0, 0, 0, 0,
    // $40-$4F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // $50-$5F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

constexpr uint8_t kmap_shift[128] = {
    // $00-$0F
    0, 0x1B, '!', '@', '#', '$', '%', '^', '&', '*', '(', ')', '_', '+', kInst, 0,
    // $10-$1F
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', '{', '}', 0x0D, 0, 'A', 'S',
    // $20-$2F
    'D', 'F', 'G', 'H', 'J', 'K', 'L', ':', '"', 0x7E, 0, 0x7C, 'Z', 'X', 'C', 'V',
    // $30-$3F
    'B', 'N', 'M', '<', '>', '?', 0, '*', 0, 0x20, 0, 0, 0, 0, 0, 0,
    // $40-$4F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
    // $50-$5F
    0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
};

}  // namespace

uint8_t ScanDecoder::decode(uint8_t byte) {
  uint8_t code = byte & static_cast<uint8_t>(~kReleased);
  bool released = (byte & kReleased) != 0;
  if (code == kLeftShift || code == kRightShift) {
    shift_down_ = !released;
    return 0;
  }
  if (released) return 0;
  return shift_down_ ? kmap_shift[code] : kmap[code];
}

uint8_t ScanDecoder::unshifted(uint8_t code) { return kmap[code & static_cast<uint8_t>(~kReleased)]; }
