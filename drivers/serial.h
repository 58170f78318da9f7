// The first serial port as an interrupt-driven driver: received bytes go to a
// SerialEventHandler, bytes to send are written as the line drains.
#pragma once
#include <stdint.h>

#include "core/interrupts.h"
#include "core/port.h"
#include "drivers/driver.h"
#include "drivers/uart.h"

namespace korvan::drivers {

class SerialEventHandler {
 public:
  virtual void OnActivate();
  virtual void OnSend(uint8_t byte);
  virtual void OnReceive(uint8_t byte);
};

class SerialDriver : public hardwarecommunication::InterruptHandler, public Driver {
 public:
  static constexpr uint8_t kInterruptLine = 4;
  static constexpr uint16_t kBase = Uart16550::kCom1;
  static constexpr uint32_t kBaud = 38400;

  // Registers for IRQ 4; touches no port. handler may be null.
  SerialDriver(hardwarecommunication::InterruptManager* manager, SerialEventHandler* handler);

  // Takes the line over from the boot log's polled use of the same UART:
  // 38,400 baud 8N1 with FIFOs, then the received-data interrupt.
  void Activate() override;
  // Waits a bounded time for the transmitter; false when the byte could not be sent.
  bool Send(uint8_t byte);
  bool PortIsBusy();
  // Hands every byte the receiver holds to the handler.
  uint32_t HandleInterrupt(uint32_t esp) override;

 private:
  static constexpr uint16_t kLineStatusOffset = 5;
  static constexpr uint8_t kLineStatusHoldingEmpty = 0x20;  // THRE
  static constexpr uint8_t kLineStatusTransmitterIdle = 0x40;  // TEMT
  // Two FIFOs' worth: more than can arrive while one interrupt is served.
  static constexpr int kReceiveBurstLimit = 32;
  // A character at 38,400 baud takes about 260 us; a full transmit FIFO
  // drains in about 4 ms. A line status read costs about a microsecond.
  static constexpr uint32_t kDrainPolls = 100000;

  Uart16550 uart;
  hardwarecommunication::Port8Bit lineStatus;
  SerialEventHandler* handler;
};

}  // namespace korvan::drivers
