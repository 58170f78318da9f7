// The C64 on a serial terminal: the text screen mirrored to COM1 as ANSI
// text in UTF-8 whenever it changes, and bytes received on COM1 typed into
// the C64.
#pragma once
#include <stdint.h>

#include "drivers/serial.h"
#include "emulator/face_cells.h"

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
  // Sends the rows of the screen that differ from what the terminal shows,
  // and, below them, how many received bytes had to be refused and how many
  // characters were dropped, once a count has changed.
  void update(const FaceCells& screen, uint32_t refused, uint32_t dropped, uint32_t now, Put put, void* context);

 private:
  void send_row(int row, const FaceCells& screen, Put put, void* context);
  void send_losses(uint32_t refused, uint32_t dropped, Put put, void* context);

  FaceCells shown_ = {};
  uint32_t refused_shown_ = 0;
  uint32_t dropped_shown_ = 0;
  bool valid_ = false;
  uint32_t last_update_ = 0;
};

// Turns terminal input into the PETSCII characters the C64 face types:
// letters for the character set in use (capitals are shifted letters in
// lower-case mode), RETURN for CR (with a following LF dropped) or a lone
// LF, DEL for Backspace and Delete, and the cursor keys, HOME (CLR with
// Shift) and F1-F8 for the terminal's escape sequences. Esc with a digit
// (Alt+digit in most terminals) is CTRL with it: the colours 1-8, RVS ON
// and OFF; Esc with a shifted digit of the US layout (! @ # $ % ^ & *) is
// C= with 1-8, the other eight colours. UTF-8 characters arrive as the
// PETSCII code that prints them (the pound sign, the arrows, pi, the
// graphics); what the C64 has no code for, and bytes that are no UTF-8,
// are dropped and counted.
class TerminalDecoder {
 public:
  // The character for the face, or 0 for none (yet).
  uint8_t decode(uint8_t byte, bool lower_case);
  // Characters dropped since the decoder was made.
  uint32_t dropped() const { return dropped_; }

 private:
  enum class State : uint8_t { Plain, Escape, Sequence, Utf8 };
  uint8_t finish_sequence(uint8_t final_byte);
  uint8_t start_utf8(uint8_t byte);
  uint8_t finish_utf8(bool lower_case);

  State state_ = State::Plain;
  bool after_cr_ = false;
  // The sequence's numeric parameters: the key, then xterm's modifiers.
  static constexpr int kParameters = 2;
  uint32_t parameters_[kParameters] = {};
  int parameter_ = 0;
  // The UTF-8 character being read: its bits so far, the bytes still to come.
  uint32_t code_point_ = 0;
  int continuations_ = 0;
  uint32_t dropped_ = 0;
};

// Received serial bytes on their way from the serial interrupt (the only
// producer) to the main loop (the only consumer): room for a long pasted
// program.
constexpr uint32_t kSerialInputSize = 65536;
extern volatile uint8_t g_serial_input[kSerialInputSize];
extern volatile uint32_t g_serial_input_head;
extern volatile uint32_t g_serial_input_tail;
// Bytes refused since boot because the queue was full.
extern volatile uint32_t g_serial_input_refused;
// Characters received that the C64 has no code for (TerminalDecoder::dropped
// of the main loop's decoder), for the mirror's notice.
extern uint32_t g_serial_input_dropped;
// Set by a received Ctrl-C (RUN/STOP), which skips the queue; cleared by
// the main loop when it presses the key.
extern volatile bool g_serial_run_stop;

// Queues every received byte. What does not fit is refused in whole lines:
// the unfinished line at the queue's end is taken back, and nothing is
// taken again until the queue has emptied and a line has ended, so no line
// is ever typed in part.
class IOSerialEventHandler : public korvan::drivers::SerialEventHandler {
 public:
  void OnReceive(uint8_t byte) override;

 private:
  bool refusing_ = false;
};
