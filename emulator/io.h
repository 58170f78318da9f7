// The machine's bridge to the PC: the video frame and its scaling onto the
// linear framebuffer, the text screen drawn with the 5 x 7 font while the face
// runs the machine, display pacing, the C64 keyboard matrix and joysticks, and
// the LOAD/SAVE request byte.
#pragma once
#include <stdint.h>

#include "emulator/boot_clock.h"
#include "emulator/drive.h"
#include "emulator/face_cells.h"
#include "emulator/key_matrix.h"

class Cpu;
class Memory;

namespace korvan {
namespace drivers {
class SerialDriver;
class RTCDriver;
}  // namespace drivers
namespace filesystem {
class Fat32;
class DiskChanger;
}
}  // namespace korvan

// Set once the face drives the machine; never cleared.
extern volatile int32_t g_face_active;
// Set while the user has chosen (F11) the video chip's picture over the
// face's text; kept across machines.
extern volatile int32_t g_video_view;
// The shadow of the face's text (40 x 25, row-major); the face path draws
// the fuller picture in g_face_cells.
constexpr int kFaceScreenColumns = 40;
constexpr int kFaceScreenRows = 25;
extern uint8_t g_face_screen[kFaceScreenColumns * kFaceScreenRows];

class IO {
 public:
  static constexpr uint32_t kFrameWidth = 403;
  static constexpr uint32_t kFrameHeight = 284;
  static constexpr int kMatrixRows = 8;
  static constexpr uint8_t kFrameSkip = 10;

  // Joystick bits, 1 = active.
  static constexpr uint8_t kJoystickUp = 0x01;
  static constexpr uint8_t kJoystickDown = 0x02;
  static constexpr uint8_t kJoystickLeft = 0x04;
  static constexpr uint8_t kJoystickRight = 0x08;
  static constexpr uint8_t kJoystickFire = 0x10;

  // The face path's blue and light blue (RGB565) and geometry in host pixels.
  static constexpr uint16_t kFaceBackground = 0x001F;
  static constexpr uint16_t kFaceForeground = 0x9E7F;
  static constexpr uint32_t kFaceOrigin = 24;
  static constexpr uint32_t kFaceCellWidth = 12;
  static constexpr uint32_t kFaceCellHeight = 18;
  static constexpr uint32_t kFaceDotSize = 2;

  // Pacing: at most one drawn frame per kFrameMillis.
  static constexpr uint32_t kFrameMillis = 19;

  IO();
  ~IO();
  IO(const IO&) = delete;
  IO& operator=(const IO&) = delete;

  // Stores the host framebuffer and allocates the frame and the scaling tables.
  // Called once per machine; a second call replaces the buffers.
  void init_display(uint32_t* framebuffer, uint32_t width, uint32_t height, uint32_t pitch, uint8_t bpp);
  void screen_refresh();
  // Draws now, whatever the frame skip says (a new machine, the monitor left).
  void screen_redraw();
  void sync();
  void delay(uint32_t ms);
  bool emulate();
  // The KERNAL's requests in $02, served by drive 8 on the volume set with
  // fat32(). The static form is the face's per-instruction hook.
  static constexpr uint8_t kRequestLoad = 4;
  static constexpr uint8_t kRequestSave = 5;
  static constexpr uint8_t kRequestOpen = 6;    // SA, FNLEN, FNADR
  static constexpr uint8_t kRequestClose = 7;   // SA
  static constexpr uint8_t kRequestTalk = 8;    // CHKIN: SA becomes the channel read
  static constexpr uint8_t kRequestListen = 9;  // CHKOUT: SA becomes the channel written
  static constexpr uint8_t kRequestRead = 10;   // CHRIN, GETIN: the byte in $95, ST
  static constexpr uint8_t kRequestWrite = 11;  // CHROUT: the byte in $95
  static constexpr uint8_t kRequestClall = 12;  // every channel closed
  static constexpr uint8_t kRequestUnlisten = 13;  // CLRCHN after CHKOUT: the end of what was sent
  static constexpr uint8_t kFirstRequest = kRequestLoad;
  static constexpr uint8_t kLastRequest = kRequestUnlisten;
  void serve_request();
  static void serve_request(void* io);
  void file_load();
  void file_save();

  // One raw byte from the scancode ring, for the matrix; a press counts
  // only while the machine has the keyboard (machines). Called by the main
  // loop, in the ring's order.
  void take_scan_byte(uint8_t byte, bool machines);
  // CIA 1's port B for the row driven low: the held keys' columns read 0.
  uint8_t keyboard_matrix_row(int row) const;
  uint8_t getJoystick(uint8_t port) const;
  void OnKeyDown(uint8_t code);
  void OnKeyUp(uint8_t code);
  void SendSerial(uint8_t c);
  // A line of text for the user below the C64's screen, on the host screen
  // and on the serial terminal; an empty text clears it.
  void show_notice(const char* text);
  // The next character the key events left for the face, or 0 for none, if
  // it came before the scancode at ring position before (each key notes the
  // ring's head when it arrives), so that it is typed in order with the
  // ring's keys. Called by the main loop only; the keyboard interrupt fills
  // the queue.
  uint8_t take_face_key(uint32_t before);
  // Holds RUN/STOP in the matrix for long enough that the KERNAL's keyboard
  // scan sees it (a few jiffies), for keys that have no key-up of their own
  // (the terminal's Ctrl-C). Called by the main loop; emulate() lets go.
  void press_run_stop();
  // Holds or lets go of one C64 key (row * 8 + column) beside the PC's
  // keys: RUN/STOP for the terminal, which has no key-up of its own.
  void hold_c64_key(uint8_t key, bool held);

  // Frame painting for the video chip; callers stay inside the frame.
  void screen_update_pixel(int x, int y, int colour);
  void screen_draw_rect(int x, int y, int n, int colour);
  void screen_draw_border(int y, int colour);
  void process_events() {}
  void type_character(char) {}

  void cpu(Cpu* cpu) { cpu_ = cpu; }
  void memory(Memory* memory) { memory_ = memory; }
  // The volume drive 8 serves; files still open on the one before are completed.
  void fat32(korvan::filesystem::Fat32* volume);
  void serial(korvan::drivers::SerialDriver* serial) { serial_ = serial; }
  // The clock is read here, once; the timer advances it for the files' dates.
  void rtc(korvan::drivers::RTCDriver* rtc);
  Drive& drive() { return drive_; }

  uint8_t frame_skip() const { return frame_skip_; }
  void toggle_frame_skip() { frame_skip_ = frame_skip_ == 0 ? kFrameSkip : 0; }
  uint16_t palette(int index) const { return palette_[index & 0x0F]; }
  const uint16_t* frame() const { return frame_; }

 private:
  void init_color_palette();
  void init_keyboard();
  void release_display();
  void draw(bool everything);
  void draw_face_cell(int r, int c, uint8_t code, uint8_t colour);
  void draw_rom_glyph(uint32_t left, uint32_t top, uint8_t code, uint16_t ink);
  void fill_box(uint32_t left, uint32_t top, uint32_t right, uint32_t bottom, uint16_t rgb565);
  uint16_t text_colour(uint8_t index) const;
  void draw_face_screen(bool everything);
  void draw_video_frame();
  bool can_draw() const;
  void store_pixel(uint32_t x, uint32_t y, uint16_t rgb565);
  void queue_face_key(uint8_t character);
  void release_drive();

  Cpu* cpu_ = nullptr;
  Memory* memory_ = nullptr;
  KeyMatrix keys_;
  uint8_t held_rows_[kMatrixRows];
  bool running_ = true;
  volatile uint8_t joystick1_ = 0;
  volatile uint8_t joystick2_ = 0;
  korvan::filesystem::Fat32* fat32_ = nullptr;
  korvan::drivers::SerialDriver* serial_ = nullptr;
  korvan::drivers::RTCDriver* rtc_ = nullptr;
  korvan::filesystem::DiskChanger* disks_ = nullptr;
  Drive drive_;
  uint8_t talker_ = 0;
  uint8_t listener_ = 0;
  BootClock clock_;
  bool clock_running_ = false;
  uint16_t* frame_ = nullptr;
  // The frame column each host column shows, and one host row of the
  // picture in the framebuffer's format.
  uint16_t* columns_ = nullptr;
  uint8_t* row_ = nullptr;
  uint32_t* framebuffer_ = nullptr;
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t pitch_ = 0;
  uint8_t bpp_ = 0;
  uint8_t bytes_per_pixel_ = 0;
  uint32_t last_sync_ = 0;
  volatile uint8_t frame_skip_ = 0;
  volatile bool warp_key_held_ = false;
  uint8_t skip_ctr_ = 0;
  uint16_t palette_[16];
  // Cursor keys for the face: one producer (the keyboard interrupt), one
  // consumer (the main loop); a full queue drops the key.
  static constexpr uint32_t kFaceKeyQueueSize = 16;
  volatile uint8_t face_keys_[kFaceKeyQueueSize];
  volatile uint32_t face_key_ring_positions_[kFaceKeyQueueSize];
  volatile uint32_t face_keys_head_ = 0;
  volatile uint32_t face_keys_tail_ = 0;
  // Passes left before a press_run_stop() is let go; 0 for none.
  static constexpr uint8_t kRunStopPasses = 4;
  uint8_t run_stop_passes_ = 0;
  // Either Shift key, for Shift+HOME; written by the keyboard interrupt.
  volatile bool shift_held_ = false;
  // What the face path last put on the host screen.
  FaceCells face_drawn_;
  bool face_drawn_valid_ = false;
};
