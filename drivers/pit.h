// The interval timer's channel 0 as the system tick: about 1000 interrupts a
// second, each handed to a PITEventHandler.
#pragma once
#include <stdint.h>

#include "core/interrupts.h"
#include "core/port.h"
#include "drivers/driver.h"

namespace korvan::drivers {

class PITEventHandler {
 public:
  virtual void OnActivate();
  virtual void OnTick();
};

// The 8253/8254's input clock, shared by the tick and the speaker.
constexpr uint32_t kTimerInputHz = 1193180;

class PITDriver : public hardwarecommunication::InterruptHandler, public Driver {
 public:
  static constexpr uint8_t kInterruptLine = 0;
  static constexpr uint16_t kCommandPort = 0x43;
  static constexpr uint16_t kChannel0Port = 0x40;
  static constexpr uint32_t kTickHz = 1000;
  // 1193: the tick comes at 1000.15 Hz.
  static constexpr uint16_t kDivisor = kTimerInputHz / kTickHz;

  // Registers for IRQ 0; touches no port. handler may be null.
  PITDriver(hardwarecommunication::InterruptManager* manager, PITEventHandler* handler);

  // Starts channel 0 as a square wave at the tick rate.
  void Activate() override;
  uint32_t HandleInterrupt(uint32_t esp) override;

 private:
  // Control word: channel 0, low byte then high byte, mode 3 (square wave), binary.
  static constexpr uint8_t kChannel0SquareWave = 0x36;

  hardwarecommunication::Port8Bit commandPort;
  hardwarecommunication::Port8Bit channel0Port;
  PITEventHandler* handler;
};

}  // namespace korvan::drivers
