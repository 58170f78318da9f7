// The C64 on a serial terminal: the text screen mirrored to COM1 as ANSI
// text whenever it changes, and bytes received on COM1 typed into the C64.
#pragma once
#include <stdint.h>

#include "drivers/serial.h"

class SerialMirror {
 public:
  static constexpr int kColumns = 40;
  static constexpr int kRows = 25;
  // A full screen is about 1,100 bytes, some 0.3 s at 38,400 baud: rows are
  // sent no more often than this, changes in between wait for the next turn.
  static constexpr uint32_t kIntervalMillis = 50;

  using Put = void (*)(void* context, uint8_t byte);

  // The next update repaints the whole terminal (a new machine, or the
  // terminal overwritten by the console).
  void invalidate() { valid_ = false; }
  // Sends the rows of screen that differ from what the terminal shows.
  void update(const uint8_t* screen, uint32_t now, Put put, void* context);

 private:
  void send_row(int row, const uint8_t* text, Put put, void* context);

  uint8_t shown_[kColumns * kRows] = {};
  bool valid_ = false;
  uint32_t last_update_ = 0;
};

// Turns terminal input into the characters the C64 face types: RETURN for
// CR (with a following LF dropped) or a lone LF, DEL for Backspace and
// Delete, the cursor keys for the terminal's ESC [ A-D sequences.
class TerminalDecoder {
 public:
  // The character for the face, or 0 for none (yet).
  uint8_t decode(uint8_t byte);

 private:
  enum class State : uint8_t { Plain, Escape, Sequence };
  State state_ = State::Plain;
  bool after_cr_ = false;
};

// Received serial bytes on their way from the serial interrupt (the only
// producer) to the main loop (the only consumer).
constexpr uint32_t kSerialInputSize = 256;
extern volatile uint8_t g_serial_input[kSerialInputSize];
extern volatile uint32_t g_serial_input_head;
extern volatile uint32_t g_serial_input_tail;

// Queues every received byte; a full queue drops the byte.
class IOSerialEventHandler : public korvan::drivers::SerialEventHandler {
 public:
  void OnReceive(uint8_t byte) override;
};
