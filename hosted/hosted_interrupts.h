// The descriptor table, task manager and interrupt manager that drivers
// register with, set up as kernelMain does (hardware vectors from 0x20), so
// that host tests can deliver interrupts through the real dispatch.
#pragma once
#include <stdint.h>

#include "core/gdt.h"
#include "core/interrupts.h"
#include "core/multitasking.h"

namespace korvan::hosted {

struct HostedInterrupts {
  static constexpr uint8_t kHardwareOffset = 0x20;

  GlobalDescriptorTable gdt;
  TaskManager tasks;
  hardwarecommunication::InterruptManager manager{kHardwareOffset, &gdt, &tasks};

  HostedInterrupts() { manager.Activate(); }
  // Delivers hardware interrupt line as the entry stubs would; returns the resumed stack pointer.
  uint32_t raise(uint8_t line, uint32_t esp = 0x1000) {
    return hardwarecommunication::InterruptManager::HandleInterrupt(static_cast<uint8_t>(kHardwareOffset + line), esp);
  }
};

}  // namespace korvan::hosted
