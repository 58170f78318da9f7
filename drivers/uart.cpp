// A 16550-style UART.
#include "drivers/uart.h"

namespace korvan::drivers {

Uart16550::Uart16550(uint16_t base)
    : data(base),
      interruptEnable(base + 1),
      fifoControl(base + 2),
      lineControl(base + 3),
      modemControl(base + 4),
      lineStatus(base + 5) {}

void Uart16550::configure(uint32_t baud) {
  uint16_t divisor = static_cast<uint16_t>(kClockHz / (baud != 0 ? baud : kClockHz));
  interruptEnable.Write(0x00);
  lineControl.Write(kLineControlDlab);
  data.Write(static_cast<uint8_t>(divisor));
  interruptEnable.Write(static_cast<uint8_t>(divisor >> 8));
  lineControl.Write(kLineControl8N1);
  fifoControl.Write(0xC7);   // enable and clear both FIFOs, 14-byte threshold
  modemControl.Write(0x0B);  // DTR, RTS and OUT2 (OUT2 gates the interrupt line)
}

void Uart16550::enable_receive_interrupt() { interruptEnable.Write(0x01); }

bool Uart16550::write(uint8_t byte) {
  for (uint32_t polls = 0; polls < kTransmitPolls; polls++) {
    if (lineStatus.Read() & kLineStatusTransmitEmpty) {
      data.Write(byte);
      return true;
    }
  }
  return false;
}

bool Uart16550::has_byte() { return (lineStatus.Read() & kLineStatusDataReady) != 0; }

uint8_t Uart16550::read() { return data.Read(); }

}  // namespace korvan::drivers
