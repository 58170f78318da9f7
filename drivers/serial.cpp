// The serial port driver.
#include "drivers/serial.h"

namespace korvan::drivers {

using hardwarecommunication::InterruptManager;

void SerialEventHandler::OnActivate() {}

void SerialEventHandler::OnSend(uint8_t) {}

void SerialEventHandler::OnReceive(uint8_t) {}

SerialDriver::SerialDriver(InterruptManager* manager, SerialEventHandler* handler)
    : InterruptHandler(manager, static_cast<uint8_t>(manager->HardwareInterruptOffset() + kInterruptLine)),
      uart(kBase),
      lineStatus(kBase + kLineStatusOffset),
      handler(handler) {}

void SerialDriver::Activate() {
  if (handler != nullptr) handler->OnActivate();
  // Setting the line up clears the transmit FIFO and reloads the divisor, so
  // the boot log's last characters must be on the wire first.
  for (uint32_t polls = 0; polls < kDrainPolls && !(lineStatus.Read() & kLineStatusTransmitterIdle); polls++) {
  }
  uart.configure(kBaud);
  uart.enable_receive_interrupt();
}

bool SerialDriver::PortIsBusy() { return !(lineStatus.Read() & kLineStatusHoldingEmpty); }

bool SerialDriver::Send(uint8_t byte) { return uart.write(byte); }

uint32_t SerialDriver::HandleInterrupt(uint32_t esp) {
  // With the FIFO's 14-byte trigger one interrupt can stand for many bytes,
  // and bytes left behind would wait for the receiver's time-out.
  for (int i = 0; i < kReceiveBurstLimit && uart.has_byte(); i++) {
    uint8_t byte = uart.read();
    if (handler != nullptr) handler->OnReceive(byte);
  }
  return esp;
}

}  // namespace korvan::drivers
