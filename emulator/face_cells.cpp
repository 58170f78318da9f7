// The scrape of screen memory, colour RAM and the video chip's colour and
// character-set registers, and the Unicode meaning of PETSCII screen codes.
#include "emulator/face_cells.h"

#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"
#include "emulator/vic.h"

FaceCells g_face_cells;

namespace {

constexpr uint16_t kColourRam = c64::COLOR_RAM;
constexpr uint8_t kColourMask = 0x0F;
// Character memory at $0800 within the 4 KB ROM block: the lower-case set.
constexpr uint8_t kLowerCaseSet = 0x02;
constexpr uint8_t kCodeMask = 0x7F;

// Screen codes $40-$7F of the upper-case set, as published for the C64 in
// Unicode's mapping of legacy character sets (box drawing, block elements,
// card suits and Symbols for Legacy Computing).
constexpr uint32_t kGraphics[64] = {
    0x2500,  0x2660,  0x1FB72, 0x1FB78, 0x1FB77, 0x1FB76, 0x1FB7A, 0x1FB71,  // $40
    0x1FB74, 0x256E,  0x2570,  0x256F,  0x1FB7C, 0x2572,  0x2571,  0x1FB7D,  // $48
    0x1FB7E, 0x25CF,  0x1FB7B, 0x2665,  0x1FB70, 0x256D,  0x2573,  0x25CB,   // $50
    0x2663,  0x1FB75, 0x2666,  0x253C,  0x1FB8C, 0x2502,  0x03C0,  0x25E5,   // $58
    0x00A0,  0x258C,  0x2584,  0x2594,  0x2581,  0x258F,  0x2592,  0x2595,   // $60
    0x1FB8F, 0x25E4,  0x1FB87, 0x251C,  0x2597,  0x2514,  0x2510,  0x2582,   // $68
    0x250C,  0x2534,  0x252C,  0x2524,  0x258E,  0x258D,  0x1FB88, 0x1FB82,  // $70
    0x1FB83, 0x2583,  0x1FB7F, 0x2596,  0x259D,  0x2518,  0x2598,  0x259A,   // $78
};

// The four graphics the lower-case set draws differently.
struct LowerCaseGraphic {
  uint8_t code;
  uint32_t unicode;
};
constexpr LowerCaseGraphic kLowerCaseGraphics[] = {
    {0x5E, 0x1FB95},  // checker board
    {0x5F, 0x1FB98},  // stripes, upper left to lower right
    {0x69, 0x1FB99},  // stripes, upper right to lower left
    {0x7A, 0x2713},   // check mark
};

// $1B-$1F: [ £ ] ↑ ←.
constexpr uint32_t kBracketsAndArrows[5] = {'[', 0x00A3, ']', 0x2191, 0x2190};

bool in_range(uint8_t code, uint8_t first, uint8_t last) { return code >= first && code <= last; }

}  // namespace

void face_cells_clear(FaceCells* cells) {
  for (int i = 0; i < kFaceCellCount; i++) {
    cells->codes[i] = ' ';
    cells->colours[i] = kStartupTextColour;
  }
  cells->border = kStartupBorder;
  cells->background = kStartupBackground;
  cells->lower_case = false;
}

// The screen is read where the video chip fetches it, so a program that
// moves it ($D018, the bank in $DD00) is shown as the C64 shows it. Colour
// RAM is read from the RAM beneath it and the registers from the chip's
// store: neither read may have the side effects of a processor read.
bool face_cells_scrape(FaceCells* cells, const Memory& memory, const Vic& vic) {
  bool changed = false;
  for (int i = 0; i < kFaceCellCount; i++) {
    uint8_t code = vic.get_screen_char(i % kFaceColumns, i / kFaceColumns);
    uint8_t colour = memory.read_byte_no_io(static_cast<uint16_t>(kColourRam + i)) & kColourMask;
    changed |= cells->codes[i] != code || cells->colours[i] != colour;
    cells->codes[i] = code;
    cells->colours[i] = colour;
  }
  uint8_t border = vic.border_colour() & kColourMask;
  uint8_t background = vic.background_colour() & kColourMask;
  bool lower_case = (vic.memory_pointers() & kLowerCaseSet) != 0;
  changed |= cells->border != border || cells->background != background || cells->lower_case != lower_case;
  cells->border = border;
  cells->background = background;
  cells->lower_case = lower_case;
  return changed;
}

uint32_t screen_code_unicode(uint8_t code, bool lower_case) {
  code &= kCodeMask;
  if (code == 0x00) return '@';
  if (in_range(code, 0x01, 0x1A)) return static_cast<uint32_t>((lower_case ? 'a' : 'A') + code - 0x01);
  if (in_range(code, 0x1B, 0x1F)) return kBracketsAndArrows[code - 0x1B];
  if (code < 0x40) return code;
  if (lower_case) {
    if (in_range(code, 0x41, 0x5A)) return static_cast<uint32_t>('A' + code - 0x41);
    for (const LowerCaseGraphic& graphic : kLowerCaseGraphics)
      if (graphic.code == code) return graphic.unicode;
  }
  return kGraphics[code - 0x40];
}

uint8_t screen_code_ascii(uint8_t code, bool lower_case) {
  uint32_t unicode = screen_code_unicode(code, lower_case);
  return unicode >= 0x20 && unicode <= 0x7E ? static_cast<uint8_t>(unicode) : 0;
}

// PETSCII prints screen codes $00-$1F as $40-$5F, $20-$3F as themselves,
// $40-$5F as $C0-$DF and $60-$7F as $A0-$BF (the codes the keyboard types
// for them).
uint8_t unicode_petscii(uint32_t unicode, bool lower_case) {
  constexpr uint8_t kPetsciiOffset[4] = {0x40, 0x00, 0x80, 0x40};
  for (int code = 0; code <= kCodeMask; code++)
    if (screen_code_unicode(static_cast<uint8_t>(code), lower_case) == unicode)
      return static_cast<uint8_t>(code + kPetsciiOffset[code >> 5]);
  return 0;
}
