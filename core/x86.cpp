// The privileged processor instructions.
#include "core/x86.h"

namespace korvan::x86 {

void disable_interrupts() { asm volatile("cli" ::: "memory"); }

void enable_interrupts() { asm volatile("sti" ::: "memory"); }

void halt() { asm volatile("hlt"); }

void stop() {
  for (;;) asm volatile("cli; hlt");
}

uint64_t read_timestamp_counter() {
  uint32_t low, high;
  asm volatile("rdtsc" : "=a"(low), "=d"(high));
  return (static_cast<uint64_t>(high) << 32) | low;
}

void load_global_descriptor_table(const void* record) { asm volatile("lgdt (%0)" : : "r"(record) : "memory"); }

void load_interrupt_descriptor_table(const void* record) { asm volatile("lidt (%0)" : : "r"(record) : "memory"); }

void reload_segments(uint16_t code_selector, uint16_t data_selector) {
  asm volatile(
      "movw %1, %%ds\n"
      "movw %1, %%es\n"
      "movw %1, %%fs\n"
      "movw %1, %%gs\n"
      "movw %1, %%ss\n"
      "pushl %0\n"
      "pushl $1f\n"
      "lret\n"
      "1:\n"
      :
      : "r"(static_cast<uint32_t>(code_selector)), "r"(data_selector)
      : "memory");
}

}  // namespace korvan::x86
