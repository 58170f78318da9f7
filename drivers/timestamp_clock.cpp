// The wall clock from the timestamp counter.
#include "drivers/timestamp_clock.h"

#include "core/x86.h"
#include "drivers/pit.h"

namespace korvan::drivers {

TimestampClock::TimestampClock()
    : timerCommand(kTimerCommandPort), channel2(kChannel2Port), systemControl(kSystemControlPort) {}

// The gate is dropped while the count is loaded and raised to start it, so
// the counter is read as close as it can be to the moment channel 2 starts.
uint64_t TimestampClock::MeasureOnce() {
  uint8_t control = systemControl.Read() & static_cast<uint8_t>(~(kGateTimer2 | kSpeakerData));
  systemControl.Write(control);
  timerCommand.Write(kChannel2OneShot);
  channel2.Write(static_cast<uint8_t>(kMeasureCount));
  channel2.Write(static_cast<uint8_t>(kMeasureCount >> 8));
  systemControl.Write(control | kGateTimer2);
  uint64_t start = x86::read_timestamp_counter();
  uint32_t polls = 0;
  while ((systemControl.Read() & kTimer2Output) == 0)
    if (++polls == kPollLimit) break;
  uint64_t end = x86::read_timestamp_counter();
  systemControl.Write(control);
  return polls == kPollLimit ? 0 : end - start;
}

bool TimestampClock::Calibrate() {
  ticks_per_milli_ = 0;
  uint64_t runs[kMeasurements];
  for (int i = 0; i < kMeasurements; i++) {
    runs[i] = MeasureOnce();
    if (runs[i] == 0) return false;
  }
  for (int i = 1; i < kMeasurements; i++)
    for (int j = i; j > 0 && runs[j - 1] > runs[j]; j--) {
      uint64_t t = runs[j];
      runs[j] = runs[j - 1];
      runs[j - 1] = t;
    }
  // The median run lasted kMeasureCount input cycles of the timer.
  uint64_t per_milli = runs[kMeasurements / 2] * kTimerInputHz / (uint64_t{kMeasureCount} * 1000);
  if (per_milli == 0) return false;
  ticks_per_milli_ = per_milli;
  start_ = x86::read_timestamp_counter();
  return true;
}

uint32_t TimestampClock::Millis() const {
  if (ticks_per_milli_ == 0) return 0;
  return static_cast<uint32_t>((x86::read_timestamp_counter() - start_) / ticks_per_milli_);
}

}  // namespace korvan::drivers
