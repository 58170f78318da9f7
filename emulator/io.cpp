// The host bridge: buffers, palette, pacing, the keyboard matrix and the
// joysticks. Drawing is in io_display.cpp.
#include "emulator/io.h"

#include "drivers/keyboard.h"
#include "drivers/serial.h"
#include "emulator/cpu.h"
#include "emulator/io_events.h"
#include "emulator/pacer.h"
#include "emulator/scan_ring.h"
#include "lib/pixel.h"

using namespace korvan::drivers;

volatile int32_t g_face_active = 0;
volatile int32_t g_video_view = 0;
uint8_t g_face_screen[kFaceScreenColumns * kFaceScreenRows];

namespace {

// RUN/STOP's key number (row 7, column 7), which the terminal's Ctrl-C holds.
constexpr uint8_t kRunStopKey = 63;

// What the cursor keys type with the face active (PETSCII).
struct FaceKey {
  uint8_t code;
  uint8_t character;
};
constexpr FaceKey kFaceCursorKeys[] = {
    {kKeyUp, 0x91}, {kKeyDown, 0x11}, {kKeyLeft, 0x9D}, {kKeyRight, 0x1D}, {kKeyHome, 0x13},
};
// Shift+HOME is CLR.
constexpr uint8_t kFaceClear = 0x93;

constexpr uint16_t kPalette[16] = {
    0x0000, 0xFFFF, 0x8800, 0xAFFD, 0xCA39, 0x066A, 0x0015, 0xEF6E,
    0xDC4A, 0x6220, 0xFBAE, 0x3186, 0x73AE, 0xAFEC, 0x045F, 0xBDD7,
};

}  // namespace

IO::IO() {
  init_color_palette();
  init_keyboard();
}

IO::~IO() {
  release_display();
  release_drive();
}

void IO::init_color_palette() {
  for (int i = 0; i < 16; i++) palette_[i] = kPalette[i];
}

void IO::init_keyboard() {
  for (uint8_t& row : held_rows_) row = 0xFF;
  joystick1_ = 0;
  joystick2_ = 0;
}

void IO::release_display() {
  delete[] frame_;
  delete[] columns_;
  delete[] row_;
  frame_ = nullptr;
  columns_ = nullptr;
  row_ = nullptr;
}

void IO::init_display(uint32_t* framebuffer, uint32_t width, uint32_t height, uint32_t pitch, uint8_t bpp) {
  release_display();
  framebuffer_ = framebuffer;
  width_ = width;
  height_ = height;
  pitch_ = pitch;
  bpp_ = bpp;
  // Rounded up, so a 15-bit framebuffer takes its two bytes per pixel.
  bytes_per_pixel_ = fb_bytes_per_pixel(bpp);
  face_drawn_valid_ = false;
  frame_ = new uint16_t[kFrameWidth * kFrameHeight];
  if (frame_ != nullptr)
    for (uint32_t i = 0; i < kFrameWidth * kFrameHeight; i++) frame_[i] = 0;
  columns_ = new uint16_t[width];
  if (columns_ != nullptr)
    for (uint32_t x = 0; x < width; x++) columns_[x] = static_cast<uint16_t>(x * kFrameWidth / width);
  row_ = new uint8_t[width * bytes_per_pixel_];
}

void IO::sync() {
  uint32_t elapsed = current_milli - last_sync_;
  if (elapsed < kFrameMillis) delay(kFrameMillis - elapsed);
  last_sync_ = current_milli;
}

// Halted, not spinning: a waiting machine leaves the host's processor idle.
void IO::delay(uint32_t ms) { wait_until_milli(current_milli + ms); }

// The face serves a request as soon as the KERNAL raises it; this poll
// catches one raised while no face hook was bound.
bool IO::emulate() {
  serve_request();
  if (run_stop_passes_ != 0 && --run_stop_passes_ == 0) hold_c64_key(kRunStopKey, false);
  return running_;
}

void IO::press_run_stop() {
  hold_c64_key(kRunStopKey, true);
  run_stop_passes_ = kRunStopPasses;
}

void IO::hold_c64_key(uint8_t key, bool held) {
  if (key >= kMatrixRows * 8) return;
  uint8_t bit = static_cast<uint8_t>(1u << (key % 8));
  held_rows_[key / 8] = held ? static_cast<uint8_t>(held_rows_[key / 8] & ~bit) : static_cast<uint8_t>(held_rows_[key / 8] | bit);
}

void IO::take_scan_byte(uint8_t byte, bool machines) { keys_.take(byte, machines); }

uint8_t IO::keyboard_matrix_row(int row) const {
  return row >= 0 && row < kMatrixRows ? static_cast<uint8_t>(keys_.row(row) & held_rows_[row]) : 0xFF;
}

uint8_t IO::getJoystick(uint8_t port) const {
  if (port == 1) return joystick1_;
  if (port == 2) return joystick2_;
  return 0;
}

void IO::queue_face_key(uint8_t character) {
  if (face_keys_head_ - face_keys_tail_ >= kFaceKeyQueueSize) return;
  face_keys_[face_keys_head_ % kFaceKeyQueueSize] = character;
  face_key_ring_positions_[face_keys_head_ % kFaceKeyQueueSize] = g_scan_head;
  face_keys_head_ = face_keys_head_ + 1;
}

uint8_t IO::take_face_key(uint32_t before) {
  if (face_keys_tail_ == face_keys_head_) return 0;
  // Signed difference, so the wrap of the ring's counter keeps the order.
  uint32_t position = face_key_ring_positions_[face_keys_tail_ % kFaceKeyQueueSize];
  if (static_cast<int32_t>(position - before) > 0) return 0;
  uint8_t character = face_keys_[face_keys_tail_ % kFaceKeyQueueSize];
  face_keys_tail_ = face_keys_tail_ + 1;
  return character;
}

// With the face active, printable keys and Backspace reach the C64 through
// the scancode ring and the keyboard buffer. The cursor keys and Home reach
// the ring's decoder only as their $E0 prefix, so they are typed from here,
// and only from here, so each press acts once. The matrix is kept from the
// ring (take_scan_byte), which alone tells the keys apart.
void IO::OnKeyDown(uint8_t code) {
  // Scroll Lock is on no C64 key: it switches between real speed and warp,
  // once per press (the keyboard's repeat while held would flip it back).
  if (code == kKeyScrollLock) {
    if (!warp_key_held_) g_warp = !g_warp;
    warp_key_held_ = true;
    return;
  }
  if (code == kKeyShift) {
    joystick2_ |= kJoystickFire;
    shift_held_ = true;
  }
  if (code == kKeyRight) joystick2_ |= kJoystickRight;
  if (code == kKeyDown) joystick2_ |= kJoystickDown;
  if (code == kKeyUp) joystick2_ |= kJoystickUp;
  if (code == kKeyLeft) joystick2_ |= kJoystickLeft;
  if (g_face_active != 0) {
    for (const FaceKey& key : kFaceCursorKeys) {
      if (key.code == code) {
        queue_face_key(code == kKeyHome && shift_held_ ? kFaceClear : key.character);
        return;
      }
    }
  }
  if (code == kKeyF9 && cpu_ != nullptr) cpu_->nmi();
}

void IO::OnKeyUp(uint8_t code) {
  if (code == kKeyScrollLock) warp_key_held_ = false;
  joystick2_ = 0;
  if (code == kKeyShift) shift_held_ = false;
}

void IO::SendSerial(uint8_t c) {
  if (serial_ != nullptr) serial_->Send(c);
}

// Two rows below the text on the host screen; on the terminal, the second
// row below the 25 the mirror keeps, so the mirror never overwrites it.
void IO::show_notice(const char* text) {
  static const char kNoticeRow[] = "\x1b[27;1H";
  static const char kEraseLine[] = "\x1b[K";
  for (const char* p = kNoticeRow; *p != 0; p++) SendSerial(static_cast<uint8_t>(*p));
  for (const char* p = text; *p != 0; p++) SendSerial(static_cast<uint8_t>(*p));
  for (const char* p = kEraseLine; *p != 0; p++) SendSerial(static_cast<uint8_t>(*p));
  if (!can_draw()) return;
  // The notice is plain capitals, digits and blanks: their screen codes are
  // the ASCII codes with the letters moved down to 1-26.
  constexpr uint8_t kNoticeColour = 14;  // the start-up light blue
  const char* next = text;
  for (int column = 0; column < kFaceScreenColumns; column++) {
    uint8_t ch = *next != 0 ? static_cast<uint8_t>(*next++) : ' ';
    uint8_t code = (ch >= 'A' && ch <= 'Z') ? static_cast<uint8_t>(ch - 0x40) : ch;
    draw_face_cell(kFaceScreenRows + 1, column, code, kNoticeColour);
  }
}

// The three frame painters do nothing before init_display.
void IO::screen_update_pixel(int x, int y, int colour) {
  if (frame_ == nullptr) return;
  frame_[y * static_cast<int>(kFrameWidth) + x] = static_cast<uint16_t>(colour);
}

void IO::screen_draw_rect(int x, int y, int n, int colour) {
  if (frame_ == nullptr) return;
  for (int i = 1; i <= n; i++) frame_[y * static_cast<int>(kFrameWidth) + x + i] = static_cast<uint16_t>(colour);
}

void IO::screen_draw_border(int y, int colour) {
  if (frame_ == nullptr) return;
  for (uint32_t x = 0; x < kFrameWidth; x++) frame_[y * kFrameWidth + x] = static_cast<uint16_t>(colour);
}
