// The PS/2 keyboard driver.
#include "drivers/keyboard.h"

#include "emulator/scan_ring.h"

namespace korvan::drivers {

using hardwarecommunication::InterruptManager;

namespace {

constexpr uint8_t kHighestKeyNumber = 0x58;

// Set-1 key number to key code; 0 marks a key that delivers nothing
// (Caps Lock, keypad 9, minus, 5, plus, 1, 3, 0, point and the gaps).
constexpr uint8_t kKeyCodes[kHighestKeyNumber + 1] = {
    // 0x00-0x0F
    0, kKeyEscape, '1', '2', '3', '4', '5', '6', '7', '8', '9', '0', '-', '=', kKeyBackspace, kKeyTab,
    // 0x10-0x1F
    'Q', 'W', 'E', 'R', 'T', 'Y', 'U', 'I', 'O', 'P', '[', ']', kKeyEnter, kKeyCtrl, 'A', 'S',
    // 0x20-0x2F; backslash delivers "+"
    'D', 'F', 'G', 'H', 'J', 'K', 'L', ';', '\'', '`', kKeyShift, '+', 'Z', 'X', 'C', 'V',
    // 0x30-0x3F; right Shift and keypad asterisk share the Shift code
    'B', 'N', 'M', ',', '.', '/', kKeyShift, kKeyShift, kKeyAlt, ' ', 0, kKeyF1, kKeyF1 + 1, kKeyF1 + 2,
    kKeyF1 + 3, kKeyF1 + 4,
    // 0x40-0x4F
    kKeyF1 + 5, kKeyF1 + 6, kKeyF1 + 7, kKeyF9, kKeyF10, kKeyNumLock, kKeyScrollLock, kKeyHome, kKeyUp, 0, 0,
    kKeyLeft, 0, kKeyRight, 0, 0,
    // 0x50-0x58
    kKeyDown, 0, 0, 0, 0, 0, 0, 0, kKeyF12,
};

// The cursor block sends the keypad's key numbers behind an 0xE0 prefix.
bool IsCursorKey(uint8_t keyNumber) {
  switch (keyNumber) {
    case 0x47:
    case 0x48:
    case 0x4B:
    case 0x4D:
    case 0x50:
      return true;
    default:
      return false;
  }
}

}  // namespace

void KeyboardEventHandler::OnKeyDown(uint8_t) {}

void KeyboardEventHandler::OnKeyUp(uint8_t) {}

KeyboardDriver::KeyboardDriver(InterruptManager* manager, KeyboardEventHandler* handler)
    : InterruptHandler(manager, static_cast<uint8_t>(manager->HardwareInterruptOffset() + kInterruptLine)),
      dataport(kDataPort),
      commandport(kCommandPort),
      handler(handler) {}

uint8_t KeyboardDriver::KeyCode(uint8_t keyNumber) {
  return keyNumber <= kHighestKeyNumber ? kKeyCodes[keyNumber] : 0;
}

void KeyboardDriver::Activate() {
  for (int i = 0; i < kStaleBytesLimit && (commandport.Read() & kStatusOutputFull); i++) dataport.Read();
  commandport.Write(kCommandEnableFirstPort);
  commandport.Write(kCommandReadConfiguration);
  uint8_t configuration = dataport.Read();
  commandport.Write(kCommandWriteConfiguration);
  dataport.Write(static_cast<uint8_t>((configuration | kConfigFirstPortInterrupt) & ~kConfigFirstPortClockOff));
  dataport.Write(kKeyboardEnableScanning);
}

uint32_t KeyboardDriver::HandleInterrupt(uint32_t esp) {
  // A spurious interrupt finds the output buffer empty.
  if (!(commandport.Read() & kStatusOutputFull)) return esp;
  uint8_t scanByte = dataport.Read();
  scan_ring_append(scanByte);
  if (handler == nullptr) return esp;
  if (scanByte == kScanExtended) {
    // The pair's second byte is taken at once. Should it not have arrived
    // yet, the read returns the stale prefix, which decodes to nothing, and
    // the byte comes with the next interrupt as its plain key (for the cursor
    // keys, the same code).
    HandleExtended(dataport.Read());
  } else {
    Deliver(scanByte);
  }
  return esp;
}

void KeyboardDriver::HandleExtended(uint8_t scanByte) {
  if (IsCursorKey(scanByte & ~kScanReleased)) Deliver(scanByte);
}

void KeyboardDriver::Deliver(uint8_t scanByte) {
  uint8_t code = KeyCode(scanByte & ~kScanReleased);
  if (code == 0) return;
  if (scanByte & kScanReleased) {
    handler->OnKeyUp(code);
  } else {
    handler->OnKeyDown(code);
  }
}

}  // namespace korvan::drivers
