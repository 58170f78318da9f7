// The time base's event schedule.
#include "emulator/clock.h"

bool Clock::attach(Clocked* chip) {
  if (chip == nullptr || chip_count_ == kMaxChips) return false;
  chips_[chip_count_++] = chip;
  uint32_t at = chip->run(now());
  // The first chip's event is the schedule; until then there was none.
  if (chip_count_ == 1) next_ = at;
  else wake(at);
  return true;
}

// Every chip is run, not only the one whose event came: a chip's run is a
// catch-up that costs little when nothing is due, and a video chip stalling
// the processor moves time for the others.
void Clock::serve() {
  next_ = now() + kIdleCycles;
  for (int i = 0; i < chip_count_; i++) wake(chips_[i]->run(now()));
}
