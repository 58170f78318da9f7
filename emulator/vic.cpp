// The VIC-II's registers, its line machine and its video memory fetches.
#include "emulator/vic.h"

#include "emulator/cpu.h"
#include "emulator/io.h"
#include "emulator/memory.h"
#include "emulator/roms/c64_locations.h"

namespace {
constexpr uint16_t kColourRam = c64::COLOR_RAM;
constexpr int kBytesPerCharacter = 8;
constexpr uint16_t kSpritePointers = 0x03F8;  // behind the 1000 screen codes
constexpr uint16_t kSpriteBlockSize = 64;
constexpr uint8_t kExtendedCharacterMask = 0x3F;
constexpr int kSpriteLines = 21;
// A frame of lines without bad lines is the longest a frame can take.
constexpr uint32_t kFrameCycles = Vic::kLinesPerFrame * Vic::kCyclesPerLine;
// Lines further behind than this are skipped without being processed: so
// much processor time with no VIC call can only be a clock that jumped.
constexpr uint32_t kMaxCatchUpCycles = 16 * kFrameCycles;
// Unconnected register bits and registers read as 1.
constexpr uint8_t kUnusedColourBits = 0xF0;
constexpr uint8_t kUnusedStatusBits = 0x70;
constexpr uint8_t kUnusedEnableBits = 0xF0;
constexpr uint8_t kUnconnected = 0xFF;
}  // namespace

void Vic::clock(Clock* clock) {
  clock_ = clock;
  next_line_at_ = now() + kCyclesPerLine;
  if (clock_ != nullptr) clock_->attach(this);
}

void Vic::raster_counter(int line) {
  raster_low_ = static_cast<uint8_t>(line);
  control1_ = static_cast<uint8_t>((control1_ & ~kRasterBit8) | ((line >> 1) & kRasterBit8));
}

bool Vic::is_bad_line() const {
  int r = raster_counter();
  return bad_lines_enabled_ && r >= kFirstBadLine && r <= kLastBadLine &&
         ((r ^ vertical_scroll()) & kScrollMask) == 0;
}

int Vic::sprites_on_line(int line) const {
  int count = 0;
  for (int n = 0; n < kSprites; n++) {
    if (!is_sprite_enabled(n)) continue;
    int height = is_double_height_sprite(n) ? 2 * kSpriteLines : kSpriteLines;
    if (line >= sprite_y_[n] && line < sprite_y_[n] + height) count++;
  }
  return count;
}

// At instruction granularity: the processor stands still for the stolen
// cycles as the line begins.
void Vic::take_cycles(int line) {
  uint32_t stolen = is_bad_line() ? kBadLineStolenCycles : 0;
  int sprites = sprite_enable_ != 0 ? sprites_on_line(line) : 0;
  if (sprites > 0) stolen += kSpriteBusCycles + kSpriteStolenCycles * static_cast<uint32_t>(sprites);
  if (stolen != 0 && clock_ != nullptr) clock_->stall(stolen);
}

void Vic::set_graphic_mode() {
  bool ecm = (control1_ & kExtendedColour) != 0;
  bool bmm = (control1_ & kBitmap) != 0;
  bool mcm = (control2_ & kMulticolour) != 0;
  if (!ecm) {
    graphic_mode_ = (bmm ? kBitmapMode : kCharacterMode) + (mcm ? 1 : 0);
  } else {
    graphic_mode_ = !bmm && !mcm ? kExtendedBackgroundMode : kInvalidMode;
  }
}

// Every line whose time has come, oldest first, with its raster interrupt.
// Lines are painted only while the picture is on the host screen, and only
// the last frame's worth of them: anything older would be painted over
// before anyone could see it. The clock is unsigned and may wrap; a clock
// that went backwards (a processor reset) restarts the current line. The
// cycles a line takes from the processor move the clock on as it is read.
void Vic::catch_up() {
  uint32_t t = now();
  int32_t behind = static_cast<int32_t>(t - next_line_at_);
  if (behind < -static_cast<int32_t>(kFrameCycles)) {
    next_line_at_ = t + kCyclesPerLine;
    return;
  }
  if (behind > static_cast<int32_t>(kMaxCatchUpCycles)) next_line_at_ = t - kFrameCycles;
  bool shown = g_face_active == 0 || g_video_view != 0;
  bool frame_done = false;
  for (t = now(); static_cast<int32_t>(t - next_line_at_) >= 0; t = now())
    process_line(shown && t - next_line_at_ < kFrameCycles, &frame_done);
  // While the face's text screen is shown, the main loop draws the host
  // screen; refreshing it here too would redraw (and pace) once a frame.
  if (frame_done && g_face_active == 0 && io_ != nullptr) io_->screen_refresh();
}

// Ends the line being shown and enters the next: its raster interrupt
// comes as the raster counter reaches it, its stolen cycles with it.
void Vic::process_line(bool draw, bool* frame_done) {
  int r = raster_counter();
  if (draw && io_ != nullptr && r >= kFirstVisibleLine && r <= kLastVisibleLine) draw_line();
  if (r + 1 >= kLinesPerFrame) {
    raster_counter(0);
    frame_count_++;
    *frame_done = true;
  } else {
    raster_counter(r + 1);
  }
  int entered = raster_counter();
  if (entered == kFirstBadLine) bad_lines_enabled_ = !is_screen_off();
  next_line_at_ += kCyclesPerLine;
  if (raster_irq_enabled() && static_cast<uint32_t>(entered) == raster_compare_) {
    interrupt_status_ |= kRasterInterrupt;
    update_irq_line();
  }
  take_cycles(entered);
}

// The interrupt line is held while an enabled source is unacknowledged in $D019.
void Vic::update_irq_line() {
  if (cpu_ != nullptr)
    cpu_->irq_line(Cpu::kIrqVic, (interrupt_status_ & interrupt_enable_ & kInterruptSources) != 0);
}

bool Vic::emulate() {
  catch_up();
  return true;
}

uint32_t Vic::run(uint32_t) {
  catch_up();
  return next_event();
}

// The start of the next line on which something happens: the line $30
// that decides the frame's bad lines, a bad line, the raster compare line,
// the frame's end; or simply the next line while sprites take cycles or
// the picture is painted. Lines in between are counted when caught up.
uint32_t Vic::next_event() const {
  bool shown = g_face_active == 0 || g_video_view != 0;
  if (sprite_enable_ != 0 || shown) return next_line_at_;
  int r = raster_counter();
  int lines = kLinesPerFrame - r;  // to line 0 of the next frame
  if (r < kFirstBadLine) lines = kFirstBadLine - r;
  if (raster_irq_enabled() && raster_compare_ < static_cast<uint32_t>(kLinesPerFrame)) {
    int to_compare = static_cast<int>(raster_compare_) - r;
    if (to_compare <= 0) to_compare += kLinesPerFrame;
    if (to_compare < lines) lines = to_compare;
  }
  if (bad_lines_enabled_ && r >= kFirstBadLine - 1 && r < kLastBadLine) {
    int to_bad = ((vertical_scroll() - (r + 1)) & kScrollMask) + 1;
    if (r + to_bad <= kLastBadLine && to_bad < lines) lines = to_bad;
  }
  return next_line_at_ + static_cast<uint32_t>(lines - 1) * kCyclesPerLine;
}

// A write that may bring the next event nearer tells the clock.
void Vic::reschedule() {
  if (clock_ != nullptr) clock_->wake(this, next_event());
}

uint8_t Vic::read_register(uint8_t reg) {
  catch_up();
  reg &= kRegisterMask;
  if (reg < kSpriteXHighBits) return (reg & 1) ? sprite_y_[reg >> 1] : sprite_x_[reg >> 1];
  if (reg >= kBackgroundColour0 && reg < kSpriteSharedColour0)
    return background_colours_[reg - kBackgroundColour0] | kUnusedColourBits;
  if (reg >= kSpriteSharedColour0 && reg < kSpriteColour0)
    return sprite_shared_colours_[reg - kSpriteSharedColour0] | kUnusedColourBits;
  if (reg >= kSpriteColour0 && reg <= kLastRegister)
    return sprite_colours_[reg - kSpriteColour0] | kUnusedColourBits;
  switch (reg) {
    case kSpriteXHighBits: return sprite_x_high_bits_;
    case kControl1: return control1_;
    case kRaster: return raster_low_;
    case kSpriteEnable: return sprite_enable_;
    case kControl2: return control2_;
    case kSpriteDoubleHeight: return sprite_double_height_;
    case kMemoryPointers: return memory_pointers_;
    case kInterruptStatus: {
      uint8_t sources = interrupt_status_ & kInterruptSources;
      return static_cast<uint8_t>(sources | (sources != 0 ? kInterruptRequested : 0) | kUnusedStatusBits);
    }
    case kInterruptEnable: return interrupt_enable_ | kUnusedEnableBits;
    case kSpritePriority: return sprite_priority_;
    case kSpriteMulticolour: return sprite_multicolour_;
    case kSpriteDoubleWidth: return sprite_double_width_;
    case kSpriteCollision:
    case kBackgroundCollision: return 0;  // collisions are not detected
    case kBorderColour: return border_colour_ | kUnusedColourBits;
    default: return kUnconnected;  // the light pen, and $2F-$3F
  }
}

// Lines before the write are drawn with the old values.
void Vic::write_register(uint8_t reg, uint8_t value) {
  catch_up();
  reg &= kRegisterMask;
  uint8_t colour = value & 0x0F;
  if (reg < kSpriteXHighBits) {
    uint8_t* coordinates = (reg & 1) ? sprite_y_ : sprite_x_;
    coordinates[reg >> 1] = value;
    return;
  }
  if (reg >= kBackgroundColour0 && reg < kSpriteSharedColour0) {
    background_colours_[reg - kBackgroundColour0] = colour;
    return;
  }
  if (reg >= kSpriteSharedColour0 && reg < kSpriteColour0) {
    sprite_shared_colours_[reg - kSpriteSharedColour0] = colour;
    return;
  }
  if (reg >= kSpriteColour0 && reg <= kLastRegister) {
    sprite_colours_[reg - kSpriteColour0] = colour;
    return;
  }
  switch (reg) {
    case kSpriteXHighBits: sprite_x_high_bits_ = value; break;
    case kControl1:
      // Bit 7 written is the compare line's bit 8; read, it is the raster's,
      // which a write leaves alone.
      control1_ = static_cast<uint8_t>((value & ~kRasterBit8) | (control1_ & kRasterBit8));
      raster_compare_ = (raster_compare_ & 0xFF) | ((value & kRasterBit8) ? 0x100 : 0);
      set_graphic_mode();
      // The display switched on at any time during line $30 allows the frame's bad lines.
      if (raster_counter() == kFirstBadLine && !is_screen_off()) bad_lines_enabled_ = true;
      break;
    case kRaster: raster_compare_ = (raster_compare_ & 0x100) | value; break;
    case kSpriteEnable: sprite_enable_ = value; break;
    case kControl2:
      control2_ = value;
      set_graphic_mode();
      break;
    case kSpriteDoubleHeight: sprite_double_height_ = value; break;
    case kMemoryPointers:
      character_memory_ = static_cast<uint16_t>((value << 10) & 0x3800);
      screen_memory_ = static_cast<uint16_t>((value << 6) & 0x3C00);
      bitmap_memory_ = static_cast<uint16_t>((value << 10) & 0x2000);
      memory_pointers_ = value | 1;
      break;
    case kInterruptStatus:
      interrupt_status_ &= static_cast<uint8_t>(~(value & kInterruptSources));
      update_irq_line();
      break;
    case kInterruptEnable:
      interrupt_enable_ = value;
      update_irq_line();
      break;
    case kSpritePriority: sprite_priority_ = value; break;
    case kSpriteMulticolour: sprite_multicolour_ = value; break;
    case kSpriteDoubleWidth: sprite_double_width_ = value; break;
    case kBorderColour: border_colour_ = colour; break;
    default: break;  // light pen, collisions and $2F-$3F are read-only or absent
  }
  if (reg == kControl1 || reg == kRaster || reg == kSpriteEnable || reg == kInterruptEnable) reschedule();
}

uint8_t Vic::get_screen_char(int col, int row) const {
  if (memory_ == nullptr) return 0;
  return memory_->vic_read_byte(static_cast<uint16_t>(screen_memory_ + row * kScreenColumns + col));
}

uint16_t Vic::screen_address() const {
  return memory_ != nullptr ? memory_->vic_address(screen_memory_) : screen_memory_;
}

uint8_t Vic::get_char_color(int col, int row) const {
  if (memory_ == nullptr) return 0;
  return memory_->read_byte_no_io(static_cast<uint16_t>(kColourRam + row * kScreenColumns + col)) & 0x0F;
}

// In extended background mode the top two bits of the code choose the
// background, so only 64 glyphs are reachable.
uint8_t Vic::get_char_data(int ch, int line) const {
  if (memory_ == nullptr) return 0;
  if (graphic_mode_ == kExtendedBackgroundMode) ch &= kExtendedCharacterMask;
  return memory_->vic_read_byte(static_cast<uint16_t>(character_memory_ + ch * kBytesPerCharacter + line));
}

uint8_t Vic::get_bitmap_data(int col, int row, int line) const {
  if (memory_ == nullptr) return 0;
  int cell = row * kScreenColumns + col;
  return memory_->vic_read_byte(static_cast<uint16_t>(bitmap_memory_ + cell * kBytesPerCharacter + line));
}

uint16_t Vic::get_sprite_ptr(int n) const {
  if (memory_ == nullptr) return 0;
  uint8_t block = memory_->vic_read_byte(static_cast<uint16_t>(screen_memory_ + kSpritePointers + n));
  return static_cast<uint16_t>(block * kSpriteBlockSize);
}
