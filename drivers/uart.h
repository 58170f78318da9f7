// A 16550-style UART: line setup and polled byte transfer. Used by the boot
// log's serial mirror from the first line on, and by the serial driver.
#pragma once
#include <stdint.h>

#include "core/port.h"

namespace korvan::drivers {

class Uart16550 {
 public:
  static constexpr uint16_t kCom1 = 0x3F8;
  static constexpr uint32_t kClockHz = 115200;

  explicit Uart16550(uint16_t base);

  // 8 data bits, no parity, one stop bit, FIFOs on, interrupts off.
  void configure(uint32_t baud);
  void enable_receive_interrupt();
  // Waits a bounded time for room; false when the line never drained.
  bool write(uint8_t byte);
  bool has_byte();
  uint8_t read();

 private:
  static constexpr uint8_t kLineStatusDataReady = 0x01;
  static constexpr uint8_t kLineStatusTransmitEmpty = 0x20;
  static constexpr uint8_t kLineControlDlab = 0x80;
  static constexpr uint8_t kLineControl8N1 = 0x03;
  static constexpr uint32_t kTransmitPolls = 100000;

  hardwarecommunication::Port8Bit data;               // +0 (divisor low with DLAB)
  hardwarecommunication::Port8Bit interruptEnable;    // +1 (divisor high with DLAB)
  hardwarecommunication::Port8Bit fifoControl;        // +2
  hardwarecommunication::Port8Bit lineControl;        // +3
  hardwarecommunication::Port8Bit modemControl;       // +4
  hardwarecommunication::Port8Bit lineStatus;         // +5
};

}  // namespace korvan::drivers
