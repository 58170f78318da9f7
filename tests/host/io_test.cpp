// The host bridge: the face path's text drawing (reverse, graphics, colours) and the video path's scaling
// on in-memory framebuffers, frame skipping, pacing, the keyboard matrix and
// the joystick.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "drivers/keyboard.h"
#include "emulator/face_cells.h"
#include "emulator/font5x7.h"
#include "emulator/io.h"
#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "emulator/cia2.h"
#include "emulator/vic.h"
#include "emulator/scan_ring.h"
#include "lib/pixel.h"
#include "hosted/hosted_cpu.h"

using namespace korvan::drivers;

namespace {

constexpr uint32_t kWidth = 800, kHeight = 600;

// A framebuffer of any depth, with a guard band behind it.
struct Framebuffer {
  Framebuffer(uint32_t w, uint32_t h, uint8_t depth)
      : width(w), height(h), bpp(depth), pitch(w * fb_bytes_per_pixel(depth)), bytes(pitch * h + 64, 0xAB) {}
  void attach(IO* io) { io->init_display(reinterpret_cast<uint32_t*>(bytes.data()), width, height, pitch, bpp); }
  // The RGB565 colour of a pixel, as stored by either depth.
  uint16_t rgb565(uint32_t x, uint32_t y) const {
    const uint8_t* p = &bytes[y * pitch + x * (bpp / 8)];
    if (bpp == 16) return static_cast<uint16_t>(p[0] | (p[1] << 8));
    return static_cast<uint16_t>(((p[2] >> 3) << 11) | ((p[1] >> 2) << 5) | (p[0] >> 3));
  }
  // Does the pixel hold the colour as this depth stores it?
  bool shows(uint32_t x, uint32_t y, uint16_t rgb565) const {
    uint8_t expected[4] = {0xAB, 0xAB, 0xAB, 0xAB};
    fb_store_rgb565(expected, bpp, rgb565);
    const uint8_t* p = &bytes[y * pitch + x * fb_bytes_per_pixel(bpp)];
    for (int i = 0; i < fb_bytes_per_pixel(bpp); i++)
      if (p[i] != expected[i]) return false;
    return true;
  }
  uint8_t alpha(uint32_t x, uint32_t y) const { return bytes[y * pitch + x * 4 + 3]; }
  bool guard_intact() const {
    for (size_t i = pitch * height; i < bytes.size(); i++)
      if (bytes[i] != 0xAB) return false;
    return true;
  }
  uint32_t width, height;
  uint8_t bpp;
  uint32_t pitch;
  std::vector<uint8_t> bytes;
};

void blank_face_screen() { face_cells_clear(&g_face_cells); }

// The screen code the editor stores for an upper-case letter, digit or sign.
uint8_t screen_code(char ascii) { return static_cast<uint8_t>(ascii >= 'A' && ascii <= 'Z' ? ascii - 0x40 : ascii); }

void put(int r, int c, char ascii, uint8_t flags = 0) {
  g_face_cells.codes[r * 40 + c] = static_cast<uint8_t>(screen_code(ascii) | flags);
}

// Does the pixel belong to a set dot of the glyph drawn in cell (r, c)?
bool glyph_dot(uint8_t code, int r, int c, uint32_t x, uint32_t y) {
  int left = 24 + 12 * c, top = 24 + 18 * r;
  int dx = static_cast<int>(x) - left, dy = static_cast<int>(y) - top;
  if (dx < 0 || dy < 0 || dx >= 10 || dy >= 14) return false;
  uint8_t row = font5x7[(code - 0x20) * 7 + dy / 2];
  return (row >> (4 - dx / 2)) & 1;
}

bool in_text_area(uint32_t x, uint32_t y) { return x >= 24 && x < 24 + 480 && y >= 24 && y < 24 + 450; }

class FacePath : public ::testing::TestWithParam<uint8_t> {
 protected:
  void SetUp() override {
    g_face_active = 1;
    blank_face_screen();
    current_milli = current_milli + 100;
  }
  // Every pixel of cell (r, c): ink where dot says, paper elsewhere.
  template <typename Dot>
  void expect_cell(const Framebuffer& fb, int r, int c, uint16_t ink, uint16_t paper, Dot dot) {
    for (uint32_t dy = 0; dy < 18; dy++)
      for (uint32_t dx = 0; dx < 12; dx++) {
        uint32_t x = 24 + 12 * c + dx, y = 24 + 18 * r + dy;
        ASSERT_TRUE(fb.shows(x, y, dot(dx, dy) ? ink : paper)) << "cell " << r << "," << c << " +" << dx << "," << dy;
      }
  }
};

TEST_P(FacePath, StartupColoursDrawTheTextAsAlwaysInsideALightBlueBorder) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  IO io;
  fb.attach(&io);
  put(2, 3, 'A');
  put(24, 39, '7');
  io.screen_refresh();
  for (uint32_t y = 0; y < kHeight; y++) {
    for (uint32_t x = 0; x < kWidth; x++) {
      bool dot = glyph_dot('A', 2, 3, x, y) || glyph_dot('7', 24, 39, x, y);
      uint16_t expected = !in_text_area(x, y) || dot ? IO::kFaceForeground : IO::kFaceBackground;
      ASSERT_TRUE(fb.shows(x, y, expected)) << x << "," << y;
    }
  }
  if (GetParam() == 32) EXPECT_EQ(fb.alpha(5, 5), 0xAB);
  EXPECT_TRUE(fb.guard_intact());
}

TEST_P(FacePath, ReversedCodesInvertTheCellSoTheCursorShows) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  IO io;
  fb.attach(&io);
  put(0, 0, 'X', kScreenCodeReverse);
  put(0, 1, ' ', kScreenCodeReverse);
  io.screen_refresh();
  expect_cell(fb, 0, 0, IO::kFaceBackground, IO::kFaceForeground,
              [](uint32_t dx, uint32_t dy) { return glyph_dot('X', 0, 0, 24 + dx, 24 + dy); });
  expect_cell(fb, 0, 1, IO::kFaceForeground, 0, [](uint32_t, uint32_t) { return true; });
}

TEST_P(FacePath, GraphicsAreTheCharacterRomsGlyphsStretchedOverTheCellInEitherSet) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  Memory memory;
  std::vector<uint8_t> chargen(4096, 0);
  for (int line = 0; line < 4; line++) chargen[0x51 * 8 + line] = 0xF0;           // upper left quarter
  for (int line = 0; line < 8; line++) chargen[0x800 + 0x5E * 8 + line] = 0x01;  // the rightmost column
  memory.load_roms(nullptr, 0, chargen.data(), static_cast<uint32_t>(chargen.size()), nullptr, 0);
  IO io;
  io.memory(&memory);
  fb.attach(&io);
  g_face_cells.codes[0] = 0x51;
  g_face_cells.codes[1] = 0x5E;
  g_face_cells.codes[2] = 0x01;
  io.screen_refresh();
  uint16_t ink = IO::kFaceForeground, paper = IO::kFaceBackground;
  expect_cell(fb, 0, 0, ink, paper, [](uint32_t dx, uint32_t dy) { return dx < 6 && dy < 9; });
  expect_cell(fb, 0, 1, ink, paper, [](uint32_t, uint32_t) { return false; });
  expect_cell(fb, 0, 2, ink, paper, [](uint32_t dx, uint32_t dy) { return glyph_dot('A', 0, 2, 24 + 24 + dx, 24 + dy); });
  // The lower-case set: its own glyph for $5E, and a small letter at $01.
  g_face_cells.lower_case = true;
  current_milli = current_milli + 100;
  io.screen_refresh();
  expect_cell(fb, 0, 1, ink, paper, [](uint32_t dx, uint32_t) { return dx == 11; });
  expect_cell(fb, 0, 2, ink, paper, [](uint32_t dx, uint32_t dy) { return glyph_dot('a', 0, 2, 24 + 24 + dx, 24 + dy); });
}

TEST_P(FacePath, CellsTakeTheirColourRamColourOnTheBackgroundInsideTheBorder) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  IO io;
  fb.attach(&io);
  put(0, 0, 'H');
  g_face_cells.colours[0] = 2;  // red
  g_face_cells.background = 0;
  g_face_cells.border = 5;
  io.screen_refresh();
  expect_cell(fb, 0, 0, io.palette(2), io.palette(0),
              [](uint32_t dx, uint32_t dy) { return glyph_dot('H', 0, 0, 24 + dx, 24 + dy); });
  expect_cell(fb, 24, 39, io.palette(14), io.palette(0), [](uint32_t, uint32_t) { return false; });
  for (uint32_t x : {0u, 23u, 504u, 799u}) EXPECT_TRUE(fb.shows(x, 300, io.palette(5))) << x;
  for (uint32_t y : {0u, 23u, 474u, 599u}) EXPECT_TRUE(fb.shows(300, y, io.palette(5))) << y;
}

// A program that moves the screen ($D018) and the video bank ($DD00) is
// shown from the screen memory the video chip fetches.
TEST_P(FacePath, AMovedScreenIsDrawnFromWhereTheVideoChipFetchesIt) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  Memory memory;
  Cia2 cia2;
  Vic vic;
  memory.cia2(&cia2);
  memory.vic(&vic);
  vic.memory(&memory);
  IO io;
  io.memory(&memory);
  fb.attach(&io);
  for (uint16_t i = 0; i < 1000; i++) {
    memory.write_byte_no_io(static_cast<uint16_t>(0x0400 + i), 0x01);  // A everywhere on the old screen
    memory.write_byte_no_io(static_cast<uint16_t>(0xC800 + i), 0x20);
    memory.write_byte_no_io(static_cast<uint16_t>(0xD800 + i), 14);
  }
  memory.write_byte_no_io(0xC800 + 41, 0x18);  // X at row 1, column 1
  memory.write_byte(0xD020, 14);
  memory.write_byte(0xD021, 6);
  memory.write_byte(0xDD02, 0x03);
  memory.write_byte(0xDD00, 0x00);  // bank 3, $C000
  memory.write_byte(0xD018, 0x24);  // the screen at $0800 in the bank
  EXPECT_TRUE(face_cells_scrape(&g_face_cells, memory, vic));
  io.screen_refresh();
  uint16_t ink = IO::kFaceForeground, paper = IO::kFaceBackground;
  expect_cell(fb, 1, 1, ink, paper, [](uint32_t dx, uint32_t dy) { return glyph_dot('X', 1, 1, 24 + 12 + dx, 24 + 18 + dy); });
  expect_cell(fb, 0, 0, ink, paper, [](uint32_t, uint32_t) { return false; });
  EXPECT_EQ(vic.screen_address(), 0xC800);
}

TEST_P(FacePath, SmallFramebufferIsClippedNotOverrun) {
  Framebuffer fb(100, 50, GetParam());
  IO io;
  fb.attach(&io);
  for (uint8_t& cell : g_face_cells.codes) cell = '#';
  io.screen_refresh();
  EXPECT_TRUE(fb.guard_intact());
  EXPECT_TRUE(fb.shows(99, 49, glyph_dot('#', 1, 6, 99, 49) ? IO::kFaceForeground : IO::kFaceBackground));
}

TEST_P(FacePath, RefreshRepaintsOnlyChangedCellsAndRedrawRepaintsAll) {
  Framebuffer fb(kWidth, kHeight, GetParam());
  IO io;
  fb.attach(&io);
  put(0, 0, 'X');
  io.screen_refresh();
  // Marks in an unchanged cell and in the border survive a refresh that
  // only has cells 1 and 2 to draw; the changed cells are drawn whole, a
  // colour change being a change.
  fb.bytes[30 * fb.pitch + 30 * fb_bytes_per_pixel(GetParam())] = 0x55;
  fb.bytes[2 * fb.pitch] = 0x55;
  put(0, 1, 'Y');
  g_face_cells.colours[2] = 7;
  g_face_cells.codes[2] = 0xA0;
  current_milli = current_milli + 100;
  io.screen_refresh();
  EXPECT_EQ(fb.bytes[30 * fb.pitch + 30 * fb_bytes_per_pixel(GetParam())], 0x55);
  EXPECT_EQ(fb.bytes[2 * fb.pitch], 0x55);
  expect_cell(fb, 0, 1, IO::kFaceForeground, IO::kFaceBackground,
              [](uint32_t dx, uint32_t dy) { return glyph_dot('Y', 0, 1, 36 + dx, 24 + dy); });
  expect_cell(fb, 0, 2, io.palette(7), 0, [](uint32_t, uint32_t) { return true; });
  current_milli = current_milli + 100;
  io.screen_redraw();
  EXPECT_TRUE(fb.shows(30, 30, glyph_dot('X', 0, 0, 30, 30) ? IO::kFaceForeground : IO::kFaceBackground));
  EXPECT_TRUE(fb.shows(0, 2, IO::kFaceForeground));
}

INSTANTIATE_TEST_SUITE_P(Depths, FacePath, ::testing::Values(15, 16, 24, 32));

class VideoPath : public ::testing::Test {
 protected:
  void SetUp() override {
    g_face_active = 0;
    current_milli = current_milli + 100;
  }
  void TearDown() override { g_face_active = 1; }
};

TEST_F(VideoPath, FrameIsScaledByNearestNeighbourThroughThePalette) {
  // Twice the frame in each direction: every frame pixel becomes a 2 x 2 block.
  Framebuffer fb(IO::kFrameWidth * 2, IO::kFrameHeight * 2, 32);
  IO io;
  fb.attach(&io);
  io.screen_draw_border(0, 2);
  io.screen_update_pixel(10, 5, 7);
  io.screen_draw_rect(100, 200, 3, 14);  // pixels 101-103
  io.screen_refresh();
  EXPECT_EQ(fb.rgb565(0, 0), io.palette(2));
  EXPECT_EQ(fb.rgb565(805, 1), io.palette(2));
  EXPECT_EQ(fb.rgb565(20, 10), io.palette(7));
  EXPECT_EQ(fb.rgb565(21, 11), io.palette(7));
  EXPECT_EQ(fb.rgb565(22, 10), io.palette(0));
  EXPECT_EQ(fb.rgb565(200, 400), io.palette(0));
  EXPECT_EQ(fb.rgb565(202, 400), io.palette(14));
  EXPECT_EQ(fb.rgb565(207, 401), io.palette(14));
  EXPECT_EQ(fb.rgb565(208, 400), io.palette(0));
  EXPECT_TRUE(fb.guard_intact());
}

TEST_F(VideoPath, DownscaledFrameTruncatesToTheSourcePixel) {
  Framebuffer fb(200, 142, 16);  // half the frame
  IO io;
  fb.attach(&io);
  io.screen_update_pixel(403 - 1, 284 - 1, 1);
  io.screen_update_pixel(2, 2, 5);
  io.screen_refresh();
  EXPECT_EQ(fb.rgb565(1, 1), io.palette(5));
  EXPECT_EQ(fb.rgb565(0, 0), io.palette(0));
  EXPECT_TRUE(fb.guard_intact());
}

TEST_F(VideoPath, FrameSkipDrawsEveryTenthCall) {
  Framebuffer fb(IO::kFrameWidth, IO::kFrameHeight, 16);
  IO io;
  fb.attach(&io);
  io.toggle_frame_skip();
  ASSERT_EQ(io.frame_skip(), IO::kFrameSkip);
  io.screen_update_pixel(0, 0, 1);
  int drawn = 0;
  for (int call = 0; call < 33; call++) {
    fb.bytes[0] = 0;
    current_milli = current_milli + 100;
    io.screen_refresh();
    if (fb.bytes[0] != 0) drawn++;
  }
  EXPECT_EQ(drawn, 3);
  io.toggle_frame_skip();
  EXPECT_EQ(io.frame_skip(), 0);
}

// Each halt stands for the wait until the next timer tick.
void tick_at_each_halt(void*) { current_milli = current_milli + 1; }

TEST(DisplayPacing, SecondRefreshWithinAFrameWaitsHaltedForTheRest) {
  IO io;
  korvan::hosted::reset_hosted_cpu();
  korvan::hosted::hosted_cpu().interrupt_window = tick_at_each_halt;
  io.sync();
  uint32_t first = current_milli;
  unsigned halts_before = korvan::hosted::hosted_cpu().halts;
  io.sync();
  uint32_t second = current_milli;
  unsigned halts = korvan::hosted::hosted_cpu().halts - halts_before;
  korvan::hosted::reset_hosted_cpu();
  EXPECT_GE(second - first, IO::kFrameMillis);
  EXPECT_LE(second - first, IO::kFrameMillis + 1);
  EXPECT_EQ(halts, second - first) << "one halt a tick, no spinning";
}

TEST(DisplayPacing, DelayGivesUpWhenTheTimerStands) {
  IO io;
  korvan::hosted::reset_hosted_cpu();
  uint32_t before = current_milli;
  io.delay(5);  // bounded by its count of halts
  EXPECT_EQ(current_milli, before);
  EXPECT_GT(korvan::hosted::hosted_cpu().halts, 0u);
}

TEST(DisplayPacing, NoFramebufferMeansNoDrawingAndNoWait) {
  IO io;
  uint32_t before = current_milli;
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 100; i++) io.screen_refresh();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  EXPECT_EQ(current_milli, before);
}

class KeyboardMatrix : public ::testing::Test {
 protected:
  void SetUp() override { g_face_active = 0; }
  void TearDown() override { g_face_active = 1; }
  bool held(int row, int column) const { return (io.keyboard_matrix_row(row) & (1 << column)) == 0; }
  int held_count() const {
    int n = 0;
    for (int r = 0; r < 8; r++)
      for (int c = 0; c < 8; c++) n += held(r, c);
    return n;
  }
  IO io;
};

TEST_F(KeyboardMatrix, StartsWithNoKeyHeldAndNoJoystick) {
  EXPECT_EQ(held_count(), 0);
  EXPECT_EQ(io.getJoystick(1), 0);
  EXPECT_EQ(io.getJoystick(2), 0);
  EXPECT_EQ(io.keyboard_matrix_row(8), 0xFF);
  EXPECT_EQ(io.keyboard_matrix_row(-1), 0xFF);
}

TEST_F(KeyboardMatrix, KeyDownHoldsItsPositionAndKeyUpReleasesIt) {
  io.take_scan_byte(0x1E, true);  // A
  EXPECT_TRUE(held(1, 2));
  EXPECT_EQ(held_count(), 1);
  io.take_scan_byte(0x9E, true);
  EXPECT_EQ(held_count(), 0);
}

TEST_F(KeyboardMatrix, BackslashIsThePoundKeyAlone) {
  io.take_scan_byte(0x2B, true);
  EXPECT_TRUE(held(6, 0));
  EXPECT_EQ(held_count(), 1);
}

TEST_F(KeyboardMatrix, EachShiftIsItsOwnKeyAndShiftFiresUntilAnyRelease) {
  io.take_scan_byte(0x2A, true);
  EXPECT_TRUE(held(1, 7));
  EXPECT_EQ(held_count(), 1);
  io.take_scan_byte(0x36, true);
  EXPECT_TRUE(held(6, 4));
  io.OnKeyDown(kKeyShift);
  EXPECT_EQ(io.getJoystick(2), IO::kJoystickFire);
  io.OnKeyDown(kKeyRight);
  EXPECT_EQ(io.getJoystick(2), IO::kJoystickFire | IO::kJoystickRight);
  io.OnKeyUp('Q');
  EXPECT_EQ(io.getJoystick(2), 0);
  EXPECT_EQ(io.getJoystick(1), 0);
}

TEST_F(KeyboardMatrix, CursorUpAndLeftAndEvenFunctionKeysAddTheRightShift) {
  io.take_scan_byte(0xE0, true);
  io.take_scan_byte(0x48, true);  // cursor up
  EXPECT_TRUE(held(0, 7));
  EXPECT_TRUE(held(6, 4));
  EXPECT_EQ(held_count(), 2);
  io.take_scan_byte(0xE0, true);
  io.take_scan_byte(0xC8, true);
  EXPECT_EQ(held_count(), 0);
  io.take_scan_byte(0xE0, true);
  io.take_scan_byte(0x4B, true);  // cursor left
  EXPECT_TRUE(held(0, 2));
  EXPECT_TRUE(held(6, 4));
  io.take_scan_byte(0xE0, true);
  io.take_scan_byte(0xCB, true);
  io.take_scan_byte(0x42, true);  // F8 is shifted F7
  EXPECT_TRUE(held(0, 3));
  EXPECT_TRUE(held(6, 4));
  EXPECT_EQ(held_count(), 2);
  io.take_scan_byte(0xC2, true);
  EXPECT_EQ(held_count(), 0);
}

TEST_F(KeyboardMatrix, FaceKeyQueueDropsKeysBeyondItsSize) {
  g_face_active = 1;
  for (int i = 0; i < 20; i++) io.OnKeyDown(kKeyDown);
  int taken = 0;
  while (io.take_face_key(g_scan_head) == 0x11) taken++;
  EXPECT_EQ(taken, 16);
  g_face_active = 0;
  io.OnKeyDown(kKeyDown);  // without the face: the matrix only, no typing
  EXPECT_EQ(io.take_face_key(g_scan_head), 0);
}

TEST_F(KeyboardMatrix, ScrollLockAndUnknownCodesChangeNothing) {
  io.OnKeyDown(kKeyScrollLock);
  io.OnKeyDown(200);
  EXPECT_EQ(held_count(), 0);
  EXPECT_EQ(io.getJoystick(2), 0);
}

TEST_F(KeyboardMatrix, WithTheFaceActivePrintableAndCursorKeysStayOffTheMatrix) {
  g_face_active = 1;
  io.OnKeyDown('A');
  io.OnKeyDown(kKeyBackspace);
  io.OnKeyDown(kKeyUp);
  io.OnKeyDown(kKeyLeft);
  EXPECT_EQ(held_count(), 0);
  EXPECT_EQ(io.getJoystick(2), IO::kJoystickUp | IO::kJoystickLeft);
  // The cursor keys are typed for the face instead, in order, each once.
  EXPECT_EQ(io.take_face_key(g_scan_head), 0x91);
  EXPECT_EQ(io.take_face_key(g_scan_head), 0x9D);
  EXPECT_EQ(io.take_face_key(g_scan_head), 0);
  // The matrix comes from the ring alone: Tab is RUN/STOP there.
  io.OnKeyDown(kKeyTab);
  io.OnKeyDown(242);
  EXPECT_EQ(held_count(), 0);
  io.take_scan_byte(0x0F, true);
  EXPECT_TRUE(held(7, 7));
  io.take_scan_byte(0x8F, true);
  EXPECT_FALSE(held(7, 7));
  // HOME, and with either Shift key held CLR.
  io.OnKeyDown(kKeyHome);
  io.OnKeyDown(kKeyShift);
  io.OnKeyDown(kKeyHome);
  io.OnKeyUp(kKeyShift);
  io.OnKeyDown(kKeyHome);
  EXPECT_EQ(io.take_face_key(g_scan_head), 0x13);
  EXPECT_EQ(io.take_face_key(g_scan_head), 0x93);
  EXPECT_EQ(io.take_face_key(g_scan_head), 0x13);
}

}  // namespace
