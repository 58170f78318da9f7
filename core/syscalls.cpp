// The system-call gate.
#include "core/syscalls.h"

#include "lib/stdio.h"

namespace korvan {

// The int 0x80 entry reports vector 0x80 + the hardware offset, so the
// handler sits there.
SyscallHandler::SyscallHandler(hardwarecommunication::InterruptManager* interruptManager, uint8_t InterruptNumber)
    : InterruptHandler(interruptManager, static_cast<uint8_t>(InterruptNumber + interruptManager->HardwareInterruptOffset())) {}

uint32_t SyscallHandler::HandleInterrupt(uint32_t esp) {
  CPUState* cpu = reinterpret_cast<CPUState*>(static_cast<uintptr_t>(esp));
  if (cpu->eax == kPrint) printf(reinterpret_cast<const char*>(static_cast<uintptr_t>(cpu->ebx)));
  return esp;
}

}  // namespace korvan
