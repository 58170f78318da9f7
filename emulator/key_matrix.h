// The C64 keys that the held PC keys stand for, as CIA 1's 8 x 8 matrix
// shows them to a program that scans it: the key that types a character on
// the PC stands at the C64 key that types it, so the matrix and the
// characters the face types agree.
#pragma once
#include <stdint.h>

class KeyMatrix {
 public:
  static constexpr int kRows = 8;

  // Takes one raw set-1 byte from the scancode ring. Presses count only
  // while the machine has the keyboard (machines); releases always, so no
  // key stays held across the monitor's turn.
  void take(uint8_t byte, bool machines);

  // Port B's bits for the row (0-7) driven low: a held key reads 0.
  uint8_t row(int row) const { return row >= 0 && row < kRows ? rows_[row] : 0xFF; }

 private:
  static constexpr int kPcKeys = 256;  // set-1 key numbers, $80 up the extended ones
  void recompute();
  bool is_held(int pc_key) const { return (held_[pc_key / 8] & (1u << (pc_key % 8))) != 0; }

  uint8_t held_[kPcKeys / 8] = {};
  uint8_t rows_[kRows] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  bool extended_ = false;
};
