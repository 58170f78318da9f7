// The system-call gate on int 0x80: call 4 prints the string at EBX.
#pragma once
#include <stdint.h>

#include "core/interrupts.h"

namespace korvan {

class SyscallHandler : public hardwarecommunication::InterruptHandler {
 public:
  static constexpr uint32_t kPrint = 4;
  SyscallHandler(hardwarecommunication::InterruptManager* interruptManager, uint8_t InterruptNumber);
  uint32_t HandleInterrupt(uint32_t esp) override;
};

}  // namespace korvan
