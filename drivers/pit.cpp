// The timer tick driver.
#include "drivers/pit.h"

namespace korvan::drivers {

using hardwarecommunication::InterruptManager;

void PITEventHandler::OnActivate() {}

void PITEventHandler::OnTick() {}

PITDriver::PITDriver(InterruptManager* manager, PITEventHandler* handler)
    : InterruptHandler(manager, static_cast<uint8_t>(manager->HardwareInterruptOffset() + kInterruptLine)),
      commandPort(kCommandPort),
      channel0Port(kChannel0Port),
      handler(handler) {}

void PITDriver::Activate() {
  if (handler != nullptr) handler->OnActivate();
  commandPort.Write(kChannel0SquareWave);
  channel0Port.Write(static_cast<uint8_t>(kDivisor));
  channel0Port.Write(static_cast<uint8_t>(kDivisor >> 8));
}

uint32_t PITDriver::HandleInterrupt(uint32_t esp) {
  if (handler != nullptr) handler->OnTick();
  return esp;
}

}  // namespace korvan::drivers
