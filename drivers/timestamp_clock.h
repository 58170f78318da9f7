// The processor's timestamp counter as the wall clock: its rate measured at
// boot against the interval timer's channel 2, then read in milliseconds.
//
// The timer interrupt cannot be the clock: under software emulation on a
// loaded host the emulator drops ticks that arrive while the last one is
// still pending, and the count falls behind the wall by a quarter or more.
// The timestamp counter and channel 2's count both follow the host's clock,
// however unevenly the guest is run.
#pragma once
#include <stdint.h>

#include "core/port.h"

namespace korvan::drivers {

class TimestampClock {
 public:
  static constexpr uint16_t kTimerCommandPort = 0x43;
  static constexpr uint16_t kChannel2Port = 0x42;
  static constexpr uint16_t kSystemControlPort = 0x61;
  // Control word: channel 2, low byte then high byte, mode 0 (interrupt on
  // terminal count: OUT2 low from the load, high once the count runs out), binary.
  static constexpr uint8_t kChannel2OneShot = 0xB0;
  static constexpr uint8_t kGateTimer2 = 0x01;
  static constexpr uint8_t kSpeakerData = 0x02;
  static constexpr uint8_t kTimer2Output = 0x20;  // read only
  // Each measurement runs channel 2 for 20 ms; the median of five is kept,
  // so a host that stops the guest during one of them does not skew it.
  static constexpr uint16_t kMeasureCount = 23864;  // 20 ms of 1,193,180 Hz
  static constexpr int kMeasurements = 5;
  // Polls of OUT2 before a measurement counts as failed: a poll takes about a
  // microsecond on real buses and under emulation, so this is seconds.
  static constexpr uint32_t kPollLimit = 4000000;

  TimestampClock();

  // Measures the counter's rate and starts the clock at 0. False, and the
  // clock left unusable, when channel 2 never ran out or the counter stands.
  // Leaves the speaker off; called before anything else uses channel 2.
  bool Calibrate();
  bool Calibrated() const { return ticks_per_milli_ != 0; }
  // Milliseconds since Calibrate; 0 when it failed.
  uint32_t Millis() const;
  uint64_t TicksPerMilli() const { return ticks_per_milli_; }

 private:
  // Counter ticks while channel 2 counts kMeasureCount; 0 on a timeout.
  uint64_t MeasureOnce();

  hardwarecommunication::Port8Bit timerCommand;
  hardwarecommunication::Port8Bit channel2;
  hardwarecommunication::Port8Bit systemControl;
  uint64_t start_ = 0;
  uint64_t ticks_per_milli_ = 0;
};

}  // namespace korvan::drivers
