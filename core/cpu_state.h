// The register frame the common interrupt path leaves on the stack.
#pragma once
#include <stdint.h>

namespace korvan {

struct CPUState {
  uint32_t eax;
  uint32_t ebx;
  uint32_t ecx;
  uint32_t edx;
  uint32_t esi;
  uint32_t edi;
  uint32_t ebp;
  uint32_t error;
  // Pushed by the processor.
  uint32_t eip;
  uint32_t cs;
  uint32_t eflags;
  uint32_t esp;  // only on a privilege change, which never happens here
  uint32_t ss;
} __attribute__((packed));

}  // namespace korvan
