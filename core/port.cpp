// The port instructions themselves.
#include "core/port.h"

namespace korvan::hardwarecommunication {

uint8_t Port8Bit::Read8(uint16_t port) {
  uint8_t result;
  asm volatile("inb %1, %0" : "=a"(result) : "Nd"(port));
  return result;
}

void Port8Bit::Write8(uint16_t port, uint8_t data) { asm volatile("outb %0, %1" : : "a"(data), "Nd"(port)); }

void Port8BitSlow::Write8Slow(uint16_t port, uint8_t data) {
  // Two short jumps to the next instruction give the slow device its pause.
  asm volatile("outb %0, %1\njmp 1f\n1: jmp 1f\n1:" : : "a"(data), "Nd"(port));
}

uint16_t Port16Bit::Read16(uint16_t port) {
  uint16_t result;
  asm volatile("inw %1, %0" : "=a"(result) : "Nd"(port));
  return result;
}

void Port16Bit::Write16(uint16_t port, uint16_t data) { asm volatile("outw %0, %1" : : "a"(data), "Nd"(port)); }

uint32_t Port32Bit::Read32(uint16_t port) {
  uint32_t result;
  asm volatile("inl %1, %0" : "=a"(result) : "Nd"(port));
  return result;
}

void Port32Bit::Write32(uint16_t port, uint32_t data) { asm volatile("outl %0, %1" : : "a"(data), "Nd"(port)); }

}  // namespace korvan::hardwarecommunication
