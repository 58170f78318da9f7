// The PS/2 keyboard behind the 8042 controller: scan-code set 1 turned into
// one-byte key codes for a KeyboardEventHandler, every raw byte also fed to
// the scancode ring.
#pragma once
#include <stdint.h>

#include "core/interrupts.h"
#include "core/port.h"
#include "drivers/driver.h"

namespace korvan::drivers {

// Receives each press and release. No modifier state is kept for it: Shift,
// Ctrl and Alt arrive as key codes of their own, letters always upper case.
class KeyboardEventHandler {
 public:
  virtual void OnKeyDown(uint8_t key);
  virtual void OnKeyUp(uint8_t key);
};

// Key codes that are not printable ASCII.
constexpr uint8_t kKeyEscape = 1;
constexpr uint8_t kKeyF9 = 2;
constexpr uint8_t kKeyF10 = 3;
constexpr uint8_t kKeyF12 = 4;
constexpr uint8_t kKeyEnter = 10;
constexpr uint8_t kKeyBackspace = 14;  // the console's backspace
constexpr uint8_t kKeyTab = 15;
constexpr uint8_t kKeyCtrl = 29;
constexpr uint8_t kKeyShift = 42;      // both Shift keys and keypad asterisk
constexpr uint8_t kKeyScrollLock = 144;
constexpr uint8_t kKeyNumLock = 145;
constexpr uint8_t kKeyF1 = 241;        // F1 to F8 are 241 to 248
constexpr uint8_t kKeyLeft = 250;      // keypad 4, or the cursor key
constexpr uint8_t kKeyRight = 251;     // keypad 6
constexpr uint8_t kKeyHome = 252;      // keypad 7
constexpr uint8_t kKeyUp = 253;        // keypad 8
constexpr uint8_t kKeyDown = 254;      // keypad 2
constexpr uint8_t kKeyAlt = 255;

class KeyboardDriver : public hardwarecommunication::InterruptHandler, public Driver {
 public:
  static constexpr uint8_t kInterruptLine = 1;
  static constexpr uint16_t kDataPort = 0x60;
  static constexpr uint16_t kCommandPort = 0x64;  // status when read

  // Registers for IRQ 1; touches no port. handler may be null.
  KeyboardDriver(hardwarecommunication::InterruptManager* manager, KeyboardEventHandler* handler);

  uint32_t HandleInterrupt(uint32_t esp) override;
  // Enables the first PS/2 port, its interrupt and scanning. Acknowledgements
  // are not awaited: the keyboard's replies are drained by the first interrupts.
  void Activate() override;

  // The key code of a set-1 key number (release bit clear), 0 for none.
  static uint8_t KeyCode(uint8_t keyNumber);

 private:
  static constexpr uint8_t kStatusOutputFull = 0x01;
  static constexpr uint8_t kScanReleased = 0x80;
  static constexpr uint8_t kScanExtended = 0xE0;
  // 8042 controller commands.
  static constexpr uint8_t kCommandEnableFirstPort = 0xAE;
  static constexpr uint8_t kCommandReadConfiguration = 0x20;
  static constexpr uint8_t kCommandWriteConfiguration = 0x60;
  // Configuration byte bits.
  static constexpr uint8_t kConfigFirstPortInterrupt = 0x01;
  static constexpr uint8_t kConfigFirstPortClockOff = 0x10;
  // Keyboard command.
  static constexpr uint8_t kKeyboardEnableScanning = 0xF4;
  // More than the controller and keyboard can hold between them.
  static constexpr int kStaleBytesLimit = 64;

  void Deliver(uint8_t scanByte);
  void HandleExtended(uint8_t scanByte);

  hardwarecommunication::Port8Bit dataport;
  hardwarecommunication::Port8Bit commandport;
  KeyboardEventHandler* handler;
};

}  // namespace korvan::drivers
