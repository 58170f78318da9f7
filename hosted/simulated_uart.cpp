// Simulated 16550 UART.
#include "hosted/simulated_uart.h"

namespace korvan::hosted {

namespace {
constexpr uint32_t kClockHz = 115200;
constexpr uint8_t kDataReady = 0x01;
constexpr uint8_t kHoldingEmpty = 0x20;
constexpr uint8_t kTransmitterIdle = 0x40;
constexpr uint8_t kFifoClearReceive = 0x02;
constexpr uint8_t kFifoClearTransmit = 0x04;
}  // namespace

SimulatedUart::SimulatedUart(uint16_t base) : base(base) { attach_ports(base, base + 7, this); }

SimulatedUart::~SimulatedUart() { detach_ports(this); }

void SimulatedUart::receive(std::initializer_list<uint8_t> bytes) {
  for (uint8_t byte : bytes) rx.push_back(byte);
}

uint32_t SimulatedUart::baud() const { return divisor != 0 ? kClockHz / divisor : 0; }

std::vector<uint8_t> SimulatedUart::written() const {
  std::vector<uint8_t> bytes = on_wire;
  bytes.insert(bytes.end(), tx_fifo.begin(), tx_fifo.end());
  return bytes;
}

uint8_t SimulatedUart::line_status() {
  if (!transmitter_stuck && !tx_fifo.empty()) {
    on_wire.push_back(tx_fifo.front());
    tx_fifo.pop_front();
  }
  uint8_t status = rx.empty() ? 0 : kDataReady;
  if (!transmitter_stuck && tx_fifo.size() < kFifoDepth) status |= kHoldingEmpty;
  if (tx_fifo.empty()) status |= kTransmitterIdle;
  return status;
}

uint32_t SimulatedUart::read(uint16_t port, unsigned) {
  switch (port - base) {
    case 0: {
      if (latch_open()) return divisor & 0xFF;
      if (rx.empty()) return 0;
      uint8_t byte = rx.front();
      rx.pop_front();
      return byte;
    }
    case 1: return latch_open() ? divisor >> 8 : interrupt_enable;
    case 2: return 0xC1;  // FIFOs on, no interrupt pending
    case 3: return line_control;
    case 4: return modem_control;
    case 5: return line_status();
    default: return 0;
  }
}

void SimulatedUart::write(uint16_t port, uint32_t value, unsigned) {
  uint8_t byte = static_cast<uint8_t>(value);
  switch (port - base) {
    case 0:
      if (latch_open()) {
        divisor = static_cast<uint16_t>((divisor & 0xFF00) | byte);
      } else if (tx_fifo.size() < kFifoDepth) {
        tx_fifo.push_back(byte);
      } else {
        lost++;  // written while full: overrun
      }
      break;
    case 1:
      if (latch_open()) {
        divisor = static_cast<uint16_t>((divisor & 0x00FF) | byte << 8);
      } else {
        interrupt_enable = byte;
      }
      break;
    case 2:
      fifo_control = byte;
      if (byte & kFifoClearReceive) rx.clear();
      if (byte & kFifoClearTransmit) {
        lost += static_cast<unsigned>(tx_fifo.size());
        tx_fifo.clear();
      }
      break;
    case 3: line_control = byte; break;
    case 4: modem_control = byte; break;
    default: break;
  }
}

}  // namespace korvan::hosted
