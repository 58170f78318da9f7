// The text screen as the C64 shows it, for the host display and the serial
// terminal: each cell's screen code and colour, the colours and character set
// the video chip is set to, and what a screen code stands for.
#pragma once
#include <stdint.h>

class Memory;
class Vic;

constexpr int kFaceColumns = 40;
constexpr int kFaceCellCount = kFaceColumns * 25;

// Bit 7 of a screen code shows the glyph inverted (the cursor, RVS ON text).
constexpr uint8_t kScreenCodeReverse = 0x80;

// The colours the KERNAL starts with: light blue text on blue, light blue
// border.
constexpr uint8_t kStartupTextColour = 14;
constexpr uint8_t kStartupBackground = 6;
constexpr uint8_t kStartupBorder = 14;

struct FaceCells {
  uint8_t codes[kFaceCellCount];    // the screen memory the VIC-II shows, row-major
  uint8_t colours[kFaceCellCount];  // colour RAM from $D800, 0-15
  uint8_t border;                   // $D020, 0-15
  uint8_t background;               // $D021, 0-15
  bool lower_case;                  // $D018 selects the lower-case set
};

// What the main loop last scraped; drawn by IO, mirrored to the terminal.
extern FaceCells g_face_cells;

// A blank screen in the start-up colours, upper-case set.
void face_cells_clear(FaceCells* cells);
// Reads the screen into cells; true when anything differs from what they held.
bool face_cells_scrape(FaceCells* cells, const Memory& memory, const Vic& vic);

// The Unicode character of a screen code (its reverse bit ignored) in the
// upper-case (graphics) or the lower-case set.
uint32_t screen_code_unicode(uint8_t code, bool lower_case);
// The PETSCII code that prints the Unicode character in the character set
// in use (the inverse of screen_code_unicode), or 0 when the set has none.
uint8_t unicode_petscii(uint32_t unicode, bool lower_case);
// The printable ASCII character (space to ~) a screen code stands for, or 0
// when it is one of the C64's own symbols (graphics, pound sign, arrows).
uint8_t screen_code_ascii(uint8_t code, bool lower_case);
