// The VIC-II as a line machine: its registers, a raster counter that follows
// the processor's cycles, the raster interrupt, bad lines, and each visible
// line painted into IO's 403 x 284 frame of palette indices.
#pragma once
#include <stdint.h>

#include "emulator/clock.h"

class Cpu;
class IO;
class Memory;

class Vic final : public Clocked {
 public:
  static constexpr uint8_t kRegisterMask = 0x3F;  // 64 registers, mirrored through $D3FF
  static constexpr int kSprites = 8;
  static constexpr int kScreenColumns = 40;

  // Register numbers (VIC-II names in the comments).
  static constexpr uint8_t kSpriteXHighBits = 0x10;  // MSIGX
  static constexpr uint8_t kControl1 = 0x11;         // SCROLY: ECM, BMM, DEN, RSEL, YSCROLL
  static constexpr uint8_t kRaster = 0x12;           // RASTER
  static constexpr uint8_t kLightPenX = 0x13;
  static constexpr uint8_t kLightPenY = 0x14;
  static constexpr uint8_t kSpriteEnable = 0x15;        // SPENA
  static constexpr uint8_t kControl2 = 0x16;            // SCROLX: MCM, CSEL, XSCROLL
  static constexpr uint8_t kSpriteDoubleHeight = 0x17;  // YXPAND
  static constexpr uint8_t kMemoryPointers = 0x18;      // VMCSB
  static constexpr uint8_t kInterruptStatus = 0x19;     // VICIRQ
  static constexpr uint8_t kInterruptEnable = 0x1A;     // IRQMASK
  static constexpr uint8_t kSpritePriority = 0x1B;      // SPBGPR
  static constexpr uint8_t kSpriteMulticolour = 0x1C;   // SPMC
  static constexpr uint8_t kSpriteDoubleWidth = 0x1D;   // XXPAND
  static constexpr uint8_t kSpriteCollision = 0x1E;     // SPSPCL, not modelled
  static constexpr uint8_t kBackgroundCollision = 0x1F; // SPBGCL, not modelled
  static constexpr uint8_t kBorderColour = 0x20;        // EXTCOL
  static constexpr uint8_t kBackgroundColour0 = 0x21;   // BGCOL0-3
  static constexpr uint8_t kSpriteSharedColour0 = 0x25; // SPMC0, SPMC1
  static constexpr uint8_t kSpriteColour0 = 0x27;       // SP0COL-SP7COL
  static constexpr uint8_t kLastRegister = 0x2E;

  // Graphic modes from ECM, BMM and MCM.
  static constexpr int kCharacterMode = 0;
  static constexpr int kMulticolourCharacterMode = 1;
  static constexpr int kBitmapMode = 2;
  static constexpr int kMulticolourBitmapMode = 3;
  static constexpr int kExtendedBackgroundMode = 4;
  static constexpr int kInvalidMode = 5;

  // The raster, in processor cycles. A bad line takes 40 of the line's 63
  // cycles from the processor for the character row's fetches; each sprite
  // shown on a line takes 2 for its data, and the bus change to the first
  // of them 3 more.
  static constexpr int kLinesPerFrame = 312;
  static constexpr uint32_t kCyclesPerLine = 63;
  static constexpr uint32_t kBadLineStolenCycles = 40;
  static constexpr uint32_t kSpriteStolenCycles = 2;
  static constexpr uint32_t kSpriteBusCycles = 3;
  static constexpr int kFirstVisibleLine = 14;  // frame row 0
  static constexpr int kLastVisibleLine = 297;
  static constexpr int kFirstBadLine = 0x30;
  static constexpr int kLastBadLine = 0xF7;
  static constexpr int kFirstDisplayLine = 56;  // the character or bitmap window
  static constexpr int kLastDisplayLine = 255;

  // Brings the line machine up to the clock first, so a program polling
  // $D012 or $D011 bit 7 sees the raster move within an instruction batch.
  uint8_t read_register(uint8_t reg);
  void write_register(uint8_t reg, uint8_t value);
  // Processes every line that is due by the clock. Always true.
  bool emulate();
  // The same, from the clock; the next event is the next line.
  uint32_t run(uint32_t now) override;

  void memory(Memory* memory) { memory_ = memory; }
  void cpu(Cpu* cpu) { cpu_ = cpu; }
  void io(IO* io) { io_ = io; }
  // The machine's time base, from which the VIC also takes the processor's
  // cycles it needs. Without it no time passes.
  void clock(Clock* clock);

  int raster_counter() const { return ((control1_ & kRasterBit8) << 1) | raster_low_; }
  void raster_counter(int line);
  uint32_t frame_count() const { return frame_count_; }
  int graphic_mode() const { return graphic_mode_; }
  bool is_screen_off() const { return (control1_ & kDisplayEnable) == 0; }
  bool is_bad_line() const;
  // Sprites whose data the VIC fetches for the line.
  int sprites_on_line(int line) const;
  bool raster_irq_enabled() const { return (interrupt_enable_ & kRasterInterrupt) != 0; }
  int vertical_scroll() const { return control1_ & kScrollMask; }
  int horizontal_scroll() const { return control2_ & kScrollMask; }
  bool is_sprite_enabled(int n) const { return bit(sprite_enable_, n); }
  bool is_double_width_sprite(int n) const { return bit(sprite_double_width_, n); }
  bool is_double_height_sprite(int n) const { return bit(sprite_double_height_, n); }
  bool is_multicolor_sprite(int n) const { return bit(sprite_multicolour_, n); }
  int sprite_x(int n) const { return sprite_x_[n] + (bit(sprite_x_high_bits_, n) ? 256 : 0); }
  // The registers as stored, without the catch-up a processor read does.
  uint8_t border_colour() const { return border_colour_; }
  uint8_t background_colour() const { return background_colours_[0]; }
  uint8_t memory_pointers() const { return memory_pointers_; }

  // Video memory as the chip fetches it: the bank window of CIA 2 and the
  // character ROM shadow; colour RAM straight from RAM.
  uint8_t get_screen_char(int col, int row) const;
  // Where the processor finds the screen memory the chip shows ($D018 and
  // the bank of $DD00).
  uint16_t screen_address() const;
  uint8_t get_char_color(int col, int row) const;
  uint8_t get_char_data(int ch, int line) const;
  uint8_t get_bitmap_data(int col, int row, int line) const;
  uint16_t get_sprite_ptr(int n) const;

 private:
  static constexpr uint8_t kRasterBit8 = 0x80;
  static constexpr uint8_t kExtendedColour = 0x40;  // ECM
  static constexpr uint8_t kBitmap = 0x20;          // BMM
  static constexpr uint8_t kDisplayEnable = 0x10;   // DEN
  static constexpr uint8_t kTwentyFiveRows = 0x08;  // RSEL
  static constexpr uint8_t kMulticolour = 0x10;     // MCM
  static constexpr uint8_t kFortyColumns = 0x08;    // CSEL
  static constexpr uint8_t kScrollMask = 0x07;
  static constexpr uint8_t kRasterInterrupt = 0x01;
  static constexpr uint8_t kInterruptSources = 0x0F;
  static constexpr uint8_t kInterruptRequested = 0x80;

  static bool bit(uint8_t value, int n) { return (value & (1u << n)) != 0; }
  uint32_t now() const { return clock_ != nullptr ? clock_->now() : 0; }
  void catch_up();
  void update_irq_line();
  uint32_t next_event() const;
  void reschedule();
  void take_cycles(int line);
  void process_line(bool draw, bool* frame_done);
  void set_graphic_mode();

  // Painting, one raster line at a time (vic_draw.cpp).
  void draw_line();
  void draw_raster_char_mode();
  void draw_raster_bitmap_mode();
  void draw_raster_invalid_mode();
  void draw_raster_sprites();
  void draw_char(int x, int y, uint8_t data, int colour);
  void draw_ext_backcolor_char(int x, int y, uint8_t data, int colour, int ch);
  void draw_hires_char(int x, int y, uint8_t data, int colour, int clear_colour);
  void draw_mcchar(int x, int y, uint8_t data, int colour);
  void draw_bitmap(int x, int y, uint8_t data, uint8_t screen_byte);
  void draw_mcbitmap(int x, int y, uint8_t data, uint8_t screen_byte, int colour);
  void draw_sprite(int x, int y, int n, int row);
  void draw_mcsprite(int x, int y, int n, int row);
  void paint_sprite_pixel(int px, int y, int colour);
  bool in_side_border(int px, int y) const;
  void fetch_row(int row);
  bool forty_columns() const { return (control2_ & kFortyColumns) != 0; }
  bool twenty_five_rows() const { return (control1_ & kTwentyFiveRows) != 0; }

  Memory* memory_ = nullptr;
  Cpu* cpu_ = nullptr;
  IO* io_ = nullptr;
  Clock* clock_ = nullptr;
  uint8_t sprite_x_[kSprites] = {};
  uint8_t sprite_y_[kSprites] = {};
  uint8_t sprite_x_high_bits_ = 0;
  uint8_t sprite_enable_ = 0;
  uint8_t sprite_priority_ = 0;  // kept for reading back; sprites are always in front
  uint8_t sprite_multicolour_ = 0;
  uint8_t sprite_double_width_ = 0;
  uint8_t sprite_double_height_ = 0;
  uint8_t sprite_shared_colours_[2] = {};
  uint8_t sprite_colours_[kSprites] = {};
  uint8_t border_colour_ = 0;
  uint8_t background_colours_[4] = {};
  uint32_t next_line_at_ = kCyclesPerLine;
  uint32_t frame_count_ = 0;
  uint8_t control1_ = 0;  // bit 7 is bit 8 of the raster counter
  uint8_t control2_ = 0;
  uint8_t raster_low_ = 0;
  uint32_t raster_compare_ = 0;
  uint8_t interrupt_status_ = 0;
  uint8_t interrupt_enable_ = 0;
  // Bad lines happen in a frame only if the display was enabled in line $30.
  bool bad_lines_enabled_ = false;
  uint16_t screen_memory_ = 0x0400;
  uint16_t character_memory_ = 0xD000;
  uint16_t bitmap_memory_ = 0x0000;
  uint8_t memory_pointers_ = 1;
  int32_t y_scroll_offset_ = 0;
  int32_t graphic_mode_ = kCharacterMode;
  // The character row being painted, as fetched by fetch_row.
  uint8_t row_codes_[kScreenColumns] = {};
  uint8_t row_colours_[kScreenColumns] = {};
  int fetched_row_ = -1;
  uint32_t fetched_frame_ = 0;
  uint16_t fetched_screen_ = 0;
};
