// The time base's event schedule.
#include "emulator/clock.h"

bool Clock::attach(Clocked* chip) {
  if (chip == nullptr || chip_count_ == kMaxChips) return false;
  chips_[chip_count_] = chip;
  at_[chip_count_] = chip->run(now());
  chip_count_++;
  settle();
  return true;
}

void Clock::wake(const Clocked* chip, uint32_t at) {
  for (int i = 0; i < chip_count_; i++)
    if (chips_[i] == chip) at_[i] = at;
  settle();
}

// Only the chips whose event has come are run; the others have computed
// their state on access and know their next event already.
void Clock::serve() {
  for (int i = 0; i < chip_count_; i++)
    if (static_cast<int32_t>(now() - at_[i]) >= 0) at_[i] = chips_[i]->run(now());
  settle();
}

void Clock::settle() {
  uint32_t t = now();
  uint32_t soonest = kIdleCycles;
  for (int i = 0; i < chip_count_; i++) {
    uint32_t wait = at_[i] - t;
    if (static_cast<int32_t>(wait) < 0) wait = 0;
    if (wait < soonest) soonest = wait;
  }
  next_ = t + soonest;
}
