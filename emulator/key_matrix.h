// The C64 keys that the held PC keys stand for, as CIA 1's 8 x 8 matrix
// shows them to a program that scans it: the key that types a character on
// the PC stands at the C64 key that types it, so the matrix and the
// characters the face types agree.
#pragma once
#include <stdint.h>

class KeyMatrix {
 public:
  static constexpr int kRows = 8;
  static constexpr uint8_t kNoKey = 0x40;  // the KERNAL's "no key" key number
  // The SHFLAG bits of the modifier keys.
  static constexpr uint8_t kShiftBit = 0x01;
  static constexpr uint8_t kCommodoreBit = 0x02;
  static constexpr uint8_t kControlBit = 0x04;

  // Takes one raw set-1 byte from the scancode ring. Presses count only
  // while the machine has the keyboard (machines); releases always, so no
  // key stays held across the monitor's turn. True when the matrix changed.
  bool take(uint8_t byte, bool machines);

  // Port B's bits for the row (0-7) driven low: a held key reads 0.
  uint8_t row(int row) const { return row >= 0 && row < kRows ? rows_[row] : 0xFF; }

  // What the KERNAL's scan of these rows finds: the highest-numbered key
  // (row * 8 + column) other than SHIFT, C= and CTRL, or kNoKey; and the
  // SHFLAG bits of the modifiers held.
  static uint8_t scan_key(const uint8_t rows[kRows]);
  static uint8_t modifiers(const uint8_t rows[kRows]);

 private:
  static constexpr int kPcKeys = 256;  // set-1 key numbers, $80 up the extended ones
  void recompute();
  bool is_held(int pc_key) const { return (held_[pc_key / 8] & (1u << (pc_key % 8))) != 0; }

  uint8_t held_[kPcKeys / 8] = {};
  uint8_t rows_[kRows] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  bool extended_ = false;
};
