// What the hosted stand-ins for the privileged instructions observed, so that
// tests can check descriptor loads, interrupt state and halts.
#pragma once
#include <stdint.h>

namespace korvan::hosted {

struct HostedCpu {
  bool interrupts_enabled = false;
  unsigned halts = 0;
  uint8_t gdt_record[6] = {};
  uint8_t idt_record[6] = {};
  unsigned gdt_loads = 0;
  unsigned idt_loads = 0;
  uint16_t code_selector = 0;
  uint16_t data_selector = 0;
  uint64_t timestamp = 0;
  uint64_t timestamp_step = 1000;  // added on every read of the counter
  // Called where the processor could take an interrupt: after each
  // enable_interrupts and at each halt, so a test can deliver one exactly
  // there (with interrupts off while it runs), and so control the
  // interleaving of interrupts and the main loop without threads or sleeps.
  void (*interrupt_window)(void* context) = nullptr;
  void* interrupt_window_context = nullptr;
};

HostedCpu& hosted_cpu();
void reset_hosted_cpu();

}  // namespace korvan::hosted
