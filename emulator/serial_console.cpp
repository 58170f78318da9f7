// The serial terminal's screen mirror and input decoding.
#include "emulator/serial_console.h"

#include "emulator/colour_keys.h"

volatile uint8_t g_serial_input[kSerialInputSize];
volatile uint32_t g_serial_input_head = 0;
volatile uint32_t g_serial_input_tail = 0;
volatile uint32_t g_serial_input_refused = 0;
uint32_t g_serial_input_dropped = 0;
volatile bool g_serial_run_stop = false;

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr uint8_t kCarriageReturn = 0x0D;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kBackspace = 0x08;
constexpr uint8_t kDelete = 0x7F;
constexpr uint8_t kControlC = 0x03;

// PETSCII codes the face types.
constexpr uint8_t kReturn = 0x0D;
constexpr uint8_t kDel = 0x14;
constexpr uint8_t kCursorUp = 0x91, kCursorDown = 0x11, kCursorRight = 0x1D, kCursorLeft = 0x9D;
constexpr uint8_t kHome = 0x13, kClear = 0x93;
constexpr uint8_t kShiftedLetters = 0x80;  // added to $41-$5A
// F1-F8 in the terminal's order.
constexpr uint8_t kFunctionKeys[8] = {0x85, 0x89, 0x86, 0x8A, 0x87, 0x8B, 0x88, 0x8C};

// The row below the mirrored screen, for the refusal notice.
constexpr uint32_t kNoticeRow = SerialMirror::kRows + 1;

// The 16 colours as the nearest of the terminal's 16 (foreground codes; the
// background's are 10 higher).
constexpr uint8_t kAnsiColours[16] = {30, 97, 31, 36, 35, 32, 34, 93, 33, 33, 91, 90, 37, 92, 94, 37};
constexpr uint8_t kAnsiBackgroundOffset = 10;
constexpr uint8_t kAnsiReverse = 7;
constexpr uint8_t kAnsiDefault = 0;

void put_text(const char* text, SerialMirror::Put put, void* context) {
  for (; *text != 0; text++) put(context, static_cast<uint8_t>(*text));
}

void put_decimal(uint32_t value, SerialMirror::Put put, void* context) {
  if (value >= 10) put_decimal(value / 10, put, context);
  put(context, static_cast<uint8_t>('0' + value % 10));
}

void put_utf8(uint32_t c, SerialMirror::Put put, void* context) {
  if (c < 0x80) {
    put(context, static_cast<uint8_t>(c));
  } else if (c < 0x800) {
    put(context, static_cast<uint8_t>(0xC0 | (c >> 6)));
    put(context, static_cast<uint8_t>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    put(context, static_cast<uint8_t>(0xE0 | (c >> 12)));
    put(context, static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
    put(context, static_cast<uint8_t>(0x80 | (c & 0x3F)));
  } else {
    put(context, static_cast<uint8_t>(0xF0 | (c >> 18)));
    put(context, static_cast<uint8_t>(0x80 | ((c >> 12) & 0x3F)));
    put(context, static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)));
    put(context, static_cast<uint8_t>(0x80 | (c & 0x3F)));
  }
}

void put_move(uint32_t row, SerialMirror::Put put, void* context) {
  put(context, kEscape);
  put(context, '[');
  put_decimal(row, put, context);
  put_text(";1H", put, context);
}

// How a cell is drawn on the terminal. The C64's start-up colours, light
// blue on blue, are left to the terminal's own, so a plain BASIC screen is
// plain text; 0 stands for the terminal's colour.
struct Rendition {
  uint8_t foreground;
  uint8_t background;
  bool reverse;
  bool operator!=(const Rendition& other) const {
    return foreground != other.foreground || background != other.background || reverse != other.reverse;
  }
};
constexpr Rendition kPlain = {0, 0, false};

uint8_t ansi_foreground(uint8_t colour) { return colour == kStartupTextColour ? 0 : kAnsiColours[colour & 0x0F]; }

uint8_t ansi_background(uint8_t colour) {
  return colour == kStartupBackground ? 0 : static_cast<uint8_t>(kAnsiColours[colour & 0x0F] + kAnsiBackgroundOffset);
}

bool is_blank(uint8_t code) { return code == ' '; }

// A blank cell keeps the rendition before it: its ink shows nowhere.
Rendition rendition_of(const FaceCells& screen, int i, const Rendition& before) {
  uint8_t code = screen.codes[i];
  Rendition r = {ansi_foreground(screen.colours[i]), ansi_background(screen.background),
                 (code & kScreenCodeReverse) != 0};
  if (!r.reverse && is_blank(code)) r.foreground = before.foreground;
  return r;
}

void put_rendition(const Rendition& r, SerialMirror::Put put, void* context) {
  put(context, kEscape);
  put(context, '[');
  put_decimal(kAnsiDefault, put, context);
  const uint8_t codes[] = {r.foreground, r.background, r.reverse ? kAnsiReverse : static_cast<uint8_t>(0)};
  for (uint8_t code : codes) {
    if (code == 0) continue;
    put(context, ';');
    put_decimal(code, put, context);
  }
  put(context, 'm');
}

}  // namespace

// ESC [ row ; 1 H moves to the row; ESC [ K erases what the row showed
// beyond its text. Trailing blanks on the terminal's own background are
// left to that erase.
void SerialMirror::send_row(int row, const FaceCells& screen, Put put, void* context) {
  const int first = row * kColumns;
  int length = kColumns;
  if (ansi_background(screen.background) == 0)
    while (length > 0 && is_blank(screen.codes[first + length - 1])) length--;
  put_move(static_cast<uint32_t>(row + 1), put, context);
  Rendition current = kPlain;
  for (int i = first; i < first + length; i++) {
    Rendition r = rendition_of(screen, i, current);
    if (r != current) put_rendition(r, put, context);
    current = r;
    put_utf8(screen_code_unicode(screen.codes[i], screen.lower_case), put, context);
  }
  if (current != kPlain) put_rendition(kPlain, put, context);
  put(context, kEscape);
  put_text("[K", put, context);
}

void SerialMirror::send_losses(uint32_t refused, uint32_t dropped, Put put, void* context) {
  put_move(kNoticeRow, put, context);
  if (refused != 0) {
    put_text("serial input full: ", put, context);
    put_decimal(refused, put, context);
    put_text(" bytes refused, in whole lines", put, context);
  }
  if (refused != 0 && dropped != 0) put_text("; ", put, context);
  if (dropped != 0) {
    put_decimal(dropped, put, context);
    put_text(" characters without a C64 code dropped", put, context);
  }
  put(context, kEscape);
  put_text("[K", put, context);
  refused_shown_ = refused;
  dropped_shown_ = dropped;
}

void SerialMirror::update(const FaceCells& screen, uint32_t refused, uint32_t dropped, uint32_t now, Put put,
                          void* context) {
  if (valid_ && now - last_update_ < kIntervalMillis) return;
  // A new background or character set changes every row.
  bool repaint = !valid_ || screen.background != shown_.background || screen.lower_case != shown_.lower_case;
  bool sent = false;
  if (!valid_) {
    put_text("\x1b[2J", put, context);
    refused_shown_ = 0;
    dropped_shown_ = 0;
  }
  shown_.background = screen.background;
  shown_.lower_case = screen.lower_case;
  for (int row = 0; row < kRows; row++) {
    const int first = row * kColumns;
    bool differs = repaint;
    for (int i = first; i < first + kColumns && !differs; i++)
      differs = screen.codes[i] != shown_.codes[i] || screen.colours[i] != shown_.colours[i];
    if (!differs) continue;
    for (int i = first; i < first + kColumns; i++) {
      shown_.codes[i] = screen.codes[i];
      shown_.colours[i] = screen.colours[i];
    }
    send_row(row, screen, put, context);
    sent = true;
  }
  if (refused != refused_shown_ || dropped != dropped_shown_) {
    send_losses(refused, dropped, put, context);
    sent = true;
  }
  valid_ = true;
  if (sent) last_update_ = now;
}

// xterm and the VT220 family: ESC [ A-D the cursor keys; ESC [ H, ESC O H
// and ESC [ 1 ~ (or 7 ~) HOME, Shift (modifier 2) making it CLR; ESC O P-S
// or ESC [ 11-14 ~ F1-F4; ESC [ 15, 17, 18, 19 ~ F5-F8.
uint8_t TerminalDecoder::finish_sequence(uint8_t final_byte) {
  uint32_t key = parameters_[0];
  bool shifted = parameters_[1] != 0 && ((parameters_[1] - 1) & 1) != 0;
  if (final_byte == 'A') return kCursorUp;
  if (final_byte == 'B') return kCursorDown;
  if (final_byte == 'C') return kCursorRight;
  if (final_byte == 'D') return kCursorLeft;
  if (final_byte == 'H' || (final_byte == '~' && (key == 1 || key == 7))) return shifted ? kClear : kHome;
  if (final_byte >= 'P' && final_byte <= 'S') return kFunctionKeys[final_byte - 'P'];
  if (final_byte != '~') return 0;
  if (key >= 11 && key <= 15) return kFunctionKeys[key - 11];
  if (key >= 17 && key <= 19) return kFunctionKeys[key - 12];
  return 0;
}

namespace {

// Esc with a digit is CTRL with it; with a shifted digit C= with the digit.
uint8_t escaped_key(uint8_t byte) {
  static const char kShiftedDigits[] = "!@#$%^&*";
  if (byte >= '0' && byte <= '9') return kControlDigitCodes[byte - '0'];
  for (int i = 0; kShiftedDigits[i] != 0; i++)
    if (byte == kShiftedDigits[i]) return kCommodoreDigitCodes[i + 1];
  return 0;
}

// The typographic quotes and dashes a paste may bring stand for the plain
// ones the C64 has.
uint32_t plain_form(uint32_t c) {
  if (c == 0x2018 || c == 0x2019) return '\'';
  if (c == 0x201C || c == 0x201D) return '"';
  if (c == 0x2013 || c == 0x2014 || c == 0x2212) return '-';
  return c;
}

}  // namespace

// A UTF-8 lead byte: $C2-$DF, $E0-$EF, $F0-$F4 start two, three and four
// byte characters; anything else here is no UTF-8 and is dropped.
uint8_t TerminalDecoder::start_utf8(uint8_t byte) {
  if (byte >= 0xC2 && byte <= 0xDF) {
    code_point_ = byte & 0x1F;
    continuations_ = 1;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    code_point_ = byte & 0x0F;
    continuations_ = 2;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    code_point_ = byte & 0x07;
    continuations_ = 3;
  } else {
    dropped_++;
    return 0;
  }
  state_ = State::Utf8;
  return 0;
}

uint8_t TerminalDecoder::finish_utf8(bool lower_case) {
  state_ = State::Plain;
  uint32_t c = plain_form(code_point_);
  if (c >= 0x20 && c < 0x7F) return static_cast<uint8_t>(c);
  uint8_t petscii = unicode_petscii(c, lower_case);
  if (petscii == 0) dropped_++;
  return petscii;
}

uint8_t TerminalDecoder::decode(uint8_t byte, bool lower_case) {
  bool after_cr = after_cr_;
  after_cr_ = false;
  if (state_ == State::Utf8) {
    if ((byte & 0xC0) == 0x80) {
      code_point_ = (code_point_ << 6) | (byte & 0x3F);
      return --continuations_ > 0 ? 0 : finish_utf8(lower_case);
    }
    // Cut short: the unfinished character is dropped, the byte read afresh.
    dropped_++;
    state_ = State::Plain;
  }
  if (state_ == State::Escape) {
    state_ = byte == '[' || byte == 'O' ? State::Sequence : State::Plain;
    for (uint32_t& p : parameters_) p = 0;
    parameter_ = 0;
    return escaped_key(byte);
  }
  if (state_ == State::Sequence) {
    // Parameters and intermediates continue the sequence; a letter or ~ ends it.
    if (byte >= '0' && byte <= '9') {
      uint32_t& p = parameters_[parameter_];
      if (p < 1000) p = p * 10 + (byte - '0');
      return 0;
    }
    if (byte == ';') {
      if (parameter_ < kParameters - 1) parameter_++;
      return 0;
    }
    if (byte >= 0x20 && byte <= 0x3F) return 0;
    state_ = State::Plain;
    return finish_sequence(byte);
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
  if (byte >= 'a' && byte <= 'z') return static_cast<uint8_t>(byte - 0x20);
  if (byte >= 'A' && byte <= 'Z') return lower_case ? static_cast<uint8_t>(byte + kShiftedLetters) : byte;
  if (byte >= 0x20 && byte < 0x7F) return byte;
  if (byte >= 0x80) return start_utf8(byte);
  return 0;
}

void IOSerialEventHandler::OnReceive(uint8_t byte) {
  if (byte == kControlC) {
    g_serial_run_stop = true;
    return;
  }
  bool line_end = byte == kCarriageReturn || byte == kLineFeed;
  uint32_t head = g_serial_input_head;
  if (refusing_) {
    g_serial_input_refused = g_serial_input_refused + 1;
    if (line_end && g_serial_input_tail == head) refusing_ = false;
    return;
  }
  if (head - g_serial_input_tail >= kSerialInputSize) {
    refusing_ = true;
    // Take back the unfinished line, back to the last line end still
    // waiting; the main loop only reads below the head, so this is safe.
    uint32_t keep = head;
    while (keep != g_serial_input_tail) {
      uint8_t last = g_serial_input[(keep - 1) % kSerialInputSize];
      if (last == kCarriageReturn || last == kLineFeed) break;
      keep--;
    }
    if (keep != g_serial_input_tail) {
      g_serial_input_refused = g_serial_input_refused + (head - keep);
      g_serial_input_head = keep;
    }
    g_serial_input_refused = g_serial_input_refused + 1;
    if (line_end && g_serial_input_tail == g_serial_input_head) refusing_ = false;
    return;
  }
  g_serial_input[head % kSerialInputSize] = byte;
  g_serial_input_head = head + 1;
}
