// The privileged processor instructions the kernel uses outside port I/O.
// The host build replaces them with recorders (hosted/).
#pragma once
#include <stdint.h>

namespace korvan::x86 {

void disable_interrupts();
void enable_interrupts();
void halt();
// Stops the processor for good: interrupts off, halt, for ever.
[[noreturn]] void stop();
uint64_t read_timestamp_counter();
// Loads the descriptor table register from a 6-byte limit/base record.
void load_global_descriptor_table(const void* record);
void load_interrupt_descriptor_table(const void* record);
// Reloads CS with a far return and the data segment registers with data.
void reload_segments(uint16_t code_selector, uint16_t data_selector);
// Physical memory of the machine (identity mapped, paging is off).
inline uint8_t* physical(uint32_t address) { return reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(address)); }

}  // namespace korvan::x86
