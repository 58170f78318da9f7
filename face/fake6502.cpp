// The fake6502 core over the C64 memory map, and the one running processor.
#include "face/fake6502.h"

#include "emulator/memory.h"
#include "face/fake6502_core.h"

namespace {

fake6502_context g_ctx;
Memory* g_cpu_mem = nullptr;

// The core's view of memory: every access through the hooks.
struct HookBus {
  fake6502_context* context;
  uint8_t read(uint16_t address) { return fake6502_mem_read(context, address); }
  void write(uint16_t address, uint8_t value) { fake6502_mem_write(context, address, value); }
  void push(uint16_t address, uint8_t value) { fake6502_mem_push(context, address, value); }
};

}  // namespace

uint8_t fake6502_mem_read(fake6502_context*, uint16_t address) {
  Memory* memory = g_cpu_mem;
  return memory != nullptr ? memory->read_byte(address) : 0;
}

void fake6502_mem_write(fake6502_context*, uint16_t address, uint8_t value) {
  Memory* memory = g_cpu_mem;
  if (memory != nullptr) memory->write_byte(address, value);
}

void fake6502_mem_push(fake6502_context*, uint16_t address, uint8_t value) {
  Memory* memory = g_cpu_mem;
  if (memory != nullptr) memory->write_stack(address, value);
}

void fake6502_reset(fake6502_context* context) {
  HookBus bus{context};
  fake6502::reset(context, bus);
}

void fake6502_step(fake6502_context* context) {
  HookBus bus{context};
  fake6502::step(context, bus);
}

void fake6502_irq(fake6502_context* context) {
  HookBus bus{context};
  fake6502::irq(context, bus);
}

void fake6502_nmi(fake6502_context* context) {
  HookBus bus{context};
  fake6502::nmi(context, bus);
}

void fake6502_irq_line(fake6502_context* context, uint8_t source, bool active) {
  context->irq_request = static_cast<uint8_t>(active ? (context->irq_request | source)
                                                     : (context->irq_request & ~source));
}
void fake6502_request_nmi(fake6502_context* context) { context->nmi_request = 1; }

void f6502_bind(Memory* memory) { g_cpu_mem = memory; }
void f6502_reset() { fake6502_reset(&g_ctx); }
void f6502_step() { fake6502_step(&g_ctx); }
void f6502_irq() { fake6502_irq(&g_ctx); }
void f6502_nmi() { fake6502_nmi(&g_ctx); }
uint16_t f6502_pc() { return g_ctx.pc; }
uint8_t f6502_a() { return g_ctx.a; }
uint8_t f6502_x() { return g_ctx.x; }
uint8_t f6502_y() { return g_ctx.y; }
fake6502_context* f6502_context() { return &g_ctx; }
