// The serial terminal's screen mirror and input decoding.
#include "emulator/serial_console.h"

volatile uint8_t g_serial_input[kSerialInputSize];
volatile uint32_t g_serial_input_head = 0;
volatile uint32_t g_serial_input_tail = 0;

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kDelete = 0x7F;

// PETSCII codes the face types.
constexpr uint8_t kReturn = 0x0D;
constexpr uint8_t kDel = 0x14;
constexpr uint8_t kCursorUp = 0x91, kCursorDown = 0x11, kCursorRight = 0x1D, kCursorLeft = 0x9D;

void put_text(const char* text, SerialMirror::Put put, void* context) {
  for (; *text != 0; text++) put(context, static_cast<uint8_t>(*text));
}

void put_decimal(uint32_t value, SerialMirror::Put put, void* context) {
  if (value >= 10) put_decimal(value / 10, put, context);
  put(context, static_cast<uint8_t>('0' + value % 10));
}

}  // namespace

// ESC [ row ; 1 H moves to the row; ESC [ K erases what the row showed
// beyond its text.
void SerialMirror::send_row(int row, const uint8_t* text, Put put, void* context) {
  int length = kColumns;
  while (length > 0 && text[length - 1] == ' ') length--;
  put(context, kEscape);
  put(context, '[');
  put_decimal(static_cast<uint32_t>(row + 1), put, context);
  put_text(";1H", put, context);
  for (int i = 0; i < length; i++) {
    uint8_t c = text[i];
    put(context, c >= 0x20 && c < 0x7F ? c : ' ');
  }
  put(context, kEscape);
  put_text("[K", put, context);
}

void SerialMirror::update(const uint8_t* screen, uint32_t now, Put put, void* context) {
  if (valid_ && now - last_update_ < kIntervalMillis) return;
  bool repaint = !valid_;
  bool sent = false;
  if (repaint) put_text("\x1b[2J", put, context);
  for (int row = 0; row < kRows; row++) {
    const uint8_t* text = screen + row * kColumns;
    uint8_t* shown = shown_ + row * kColumns;
    bool differs = repaint;
    for (int i = 0; i < kColumns && !differs; i++) differs = text[i] != shown[i];
    if (!differs) continue;
    for (int i = 0; i < kColumns; i++) shown[i] = text[i];
    send_row(row, text, put, context);
    sent = true;
  }
  valid_ = true;
  if (sent) last_update_ = now;
}

uint8_t TerminalDecoder::decode(uint8_t byte) {
  bool after_cr = after_cr_;
  after_cr_ = false;
  if (state_ == State::Escape) {
    state_ = byte == '[' || byte == 'O' ? State::Sequence : State::Plain;
    return 0;
  }
  if (state_ == State::Sequence) {
    // Parameters and intermediates continue the sequence; a letter ends it.
    if (byte >= 0x20 && byte <= 0x3F) return 0;
    state_ = State::Plain;
    if (byte == 'A') return kCursorUp;
    if (byte == 'B') return kCursorDown;
    if (byte == 'C') return kCursorRight;
    if (byte == 'D') return kCursorLeft;
    return 0;
  }
  if (byte == kEscape) {
    state_ = State::Escape;
    return 0;
  }
  if (byte == kCarriageReturn) {
    after_cr_ = true;
    return kReturn;
  }
  if (byte == kLineFeed) return after_cr ? 0 : kReturn;
  if (byte == kBackspace || byte == kDelete) return kDel;
  if (byte >= 0x20 && byte < 0x7F) return byte;
  return 0;
}

void IOSerialEventHandler::OnReceive(uint8_t byte) {
  if (g_serial_input_head - g_serial_input_tail >= kSerialInputSize) return;
  g_serial_input[g_serial_input_head % kSerialInputSize] = byte;
  g_serial_input_head = g_serial_input_head + 1;
}
