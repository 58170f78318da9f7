// A simulated 16550 UART (eight ports from its base), for host tests of the
// serial driver: divisor latch, line setup, receive queue and a transmit FIFO
// that drains one character per line status read.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include <deque>
#include <initializer_list>
#include <vector>

#include "hosted/port_bus.h"

namespace korvan::hosted {

class SimulatedUart : public PortDevice {
 public:
  static constexpr unsigned kFifoDepth = 16;

  explicit SimulatedUart(uint16_t base);
  ~SimulatedUart() override;

  // Bytes arriving on the line.
  void receive(std::initializer_list<uint8_t> bytes);
  size_t unread() const { return rx.size(); }
  uint32_t baud() const;
  // Everything the transmitter accepted and still has, on the wire or queued.
  std::vector<uint8_t> written() const;

  uint8_t interrupt_enable = 0;
  uint8_t line_control = 0;
  uint8_t modem_control = 0;
  uint8_t fifo_control = 0;  // last value written
  uint16_t divisor = 0;
  bool transmitter_stuck = false;  // a line that never drains (no cable, flow control)
  std::vector<uint8_t> on_wire;   // bytes fully sent
  unsigned lost = 0;              // bytes thrown away by a transmit FIFO reset

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  bool latch_open() const { return (line_control & 0x80) != 0; }
  uint8_t line_status();

  uint16_t base;
  std::deque<uint8_t> rx;
  std::deque<uint8_t> tx_fifo;
};

}  // namespace korvan::hosted
