// A simulated 8254 interval timer (ports 0x40-0x43) and the system control
// port 0x61 that gates channel 2 onto the speaker, for host tests of the
// timer and speaker drivers.
#pragma once
#include <stdint.h>

#include "hosted/port_bus.h"

namespace korvan::hosted {

class SimulatedPit : public PortDevice {
 public:
  static constexpr uint32_t kInputHz = 1193180;
  static constexpr uint8_t kGate2 = 0x01;
  static constexpr uint8_t kSpeakerData = 0x02;
  static constexpr uint8_t kOutput2 = 0x20;

  struct Channel {
    uint8_t mode = 0;
    uint8_t access = 0;  // 1 low byte, 2 high byte, 3 low then high
    bool bcd = false;
    uint32_t reload = 0;  // the count in use; 0 until one is complete
    unsigned loads = 0;   // complete counts written
    bool high_byte_next = false;
    uint8_t low = 0;
  };

  SimulatedPit();
  ~SimulatedPit() override;

  // The division the channel applies (a count of 0 is 65536).
  uint32_t divisor(int channel) const;
  double frequency(int channel) const { return double(kInputHz) / divisor(channel); }
  bool speaker_sounding() const { return (system_control & (kGate2 | kSpeakerData)) == (kGate2 | kSpeakerData); }

  Channel channels[3];
  uint8_t system_control = 0x00;
  unsigned system_control_writes = 0;
  // Time for channel 2's one-shot count (mode 0), on the hosted timestamp
  // counter: this many of its ticks to an input cycle (0: no time, the port
  // reads back as written and OUT2 never rises), and this many passing at
  // each read of the system control port, as a poll takes time.
  double timestamps_per_input_cycle = 0;
  uint64_t timestamps_per_poll = 0;

  uint32_t read(uint16_t port, unsigned width) override;
  void write(uint16_t port, uint32_t value, unsigned width) override;

 private:
  void load_count(Channel& channel, uint8_t byte);
  void start_channel2_if_gated();
  bool output2() const;

  bool channel2_counting_ = false;
  uint64_t channel2_start_ = 0;
};

}  // namespace korvan::hosted
