// Hosted stand-ins for the privileged instructions.
#include "hosted/hosted_cpu.h"

#include "core/x86.h"

namespace korvan::hosted {

static HostedCpu g_cpu;

HostedCpu& hosted_cpu() { return g_cpu; }

void reset_hosted_cpu() { g_cpu = HostedCpu{}; }

}  // namespace korvan::hosted

namespace korvan::x86 {

using hosted::g_cpu;

// The window's handler runs as an interrupt would: with interrupts off, and
// with no nested window.
static void interrupt_window() {
  static bool in_window = false;
  if (g_cpu.interrupt_window == nullptr || in_window) return;
  in_window = true;
  bool enabled = g_cpu.interrupts_enabled;
  g_cpu.interrupts_enabled = false;
  g_cpu.interrupt_window(g_cpu.interrupt_window_context);
  g_cpu.interrupts_enabled = enabled;
  in_window = false;
}

void disable_interrupts() { g_cpu.interrupts_enabled = false; }

void enable_interrupts() {
  g_cpu.interrupts_enabled = true;
  interrupt_window();
}

void halt() {
  g_cpu.halts++;
  interrupt_window();
}

// The host cannot stop; a test that reaches this has found a fatal path.
void stop() { __builtin_trap(); }

uint64_t read_timestamp_counter() {
  g_cpu.timestamp += g_cpu.timestamp_step;
  return g_cpu.timestamp;
}

static void copy_record(uint8_t* into, const void* record) {
  const uint8_t* bytes = static_cast<const uint8_t*>(record);
  for (int i = 0; i < 6; i++) into[i] = bytes[i];
}

void load_global_descriptor_table(const void* record) {
  copy_record(g_cpu.gdt_record, record);
  g_cpu.gdt_loads++;
}

void load_interrupt_descriptor_table(const void* record) {
  copy_record(g_cpu.idt_record, record);
  g_cpu.idt_loads++;
}

void reload_segments(uint16_t code_selector, uint16_t data_selector) {
  g_cpu.code_selector = code_selector;
  g_cpu.data_selector = data_selector;
}

}  // namespace korvan::x86
