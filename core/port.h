// x86 I/O port access. Every port instruction in the kernel goes through
// these classes; the host build links a backend that routes them to
// simulated devices instead.
#pragma once
#include <stdint.h>

namespace korvan::hardwarecommunication {

class Port {
 protected:
  explicit Port(uint16_t portnumber) : portnumber(portnumber) {}
  uint16_t portnumber;
};

class Port8Bit : public Port {
 public:
  explicit Port8Bit(uint16_t portnumber) : Port(portnumber) {}
  virtual uint8_t Read() { return Read8(portnumber); }
  virtual void Write(uint8_t data) { Write8(portnumber, data); }

  static uint8_t Read8(uint16_t port);
  static void Write8(uint16_t port, uint8_t data);
};

// For devices that need a pause between writes (the 8259 interrupt controllers).
class Port8BitSlow : public Port8Bit {
 public:
  explicit Port8BitSlow(uint16_t portnumber) : Port8Bit(portnumber) {}
  void Write(uint8_t data) override { Write8Slow(portnumber, data); }

  static void Write8Slow(uint16_t port, uint8_t data);
};

class Port16Bit : public Port {
 public:
  explicit Port16Bit(uint16_t portnumber) : Port(portnumber) {}
  virtual uint16_t Read() { return Read16(portnumber); }
  virtual void Write(uint16_t data) { Write16(portnumber, data); }

  static uint16_t Read16(uint16_t port);
  static void Write16(uint16_t port, uint16_t data);
};

class Port32Bit : public Port {
 public:
  explicit Port32Bit(uint16_t portnumber) : Port(portnumber) {}
  virtual uint32_t Read() { return Read32(portnumber); }
  virtual void Write(uint32_t data) { Write32(portnumber, data); }

  static uint32_t Read32(uint16_t port);
  static void Write32(uint16_t port, uint32_t data);
};

}  // namespace korvan::hardwarecommunication
