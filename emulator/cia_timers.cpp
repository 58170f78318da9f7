// The CIA interval timers, time-of-day clock and interrupt control.
#include "emulator/cia_timers.h"

namespace {
uint8_t low_byte(uint16_t value) { return static_cast<uint8_t>(value); }
uint8_t high_byte(uint16_t value) { return static_cast<uint8_t>(value >> 8); }
uint16_t with_low(uint16_t value, uint8_t low) { return static_cast<uint16_t>((value & 0xFF00) | low); }
uint16_t with_high(uint16_t value, uint8_t high) {
  return static_cast<uint16_t>((value & 0x00FF) | (high << 8));
}
uint32_t earlier(uint32_t a, uint64_t b) { return b < a ? static_cast<uint32_t>(b) : a; }
// CRB bits 6-5: %10 counts A's underflows, and so does %11, CNT being
// pulled high on the C64; %01 counts CNT pulses, which never come.
constexpr uint8_t kCountTimerA = 0x40;
constexpr uint8_t kCountCntB = 0x20;
}  // namespace

uint32_t CiaTimer::count(uint32_t ticks) {
  if (!running || ticks < to_underflow()) {
    if (running) counter = static_cast<uint16_t>(counter - ticks);
    return 0;
  }
  uint32_t after_first = ticks - to_underflow();
  if (one_shot) {
    running = false;
    counter = latch;
    return 1;
  }
  uint32_t period = latch + 1u;
  counter = static_cast<uint16_t>(latch - after_first % period);
  return 1 + after_first / period;
}

bool CiaTimers::owns(uint8_t reg) {
  return (reg >= kTimerALow && reg <= kTodHours) || reg >= kInterruptControl;
}

void CiaTimers::clock(Clock* clock) {
  clock_ = clock;
  if (clock_ == nullptr) return;
  last_ = clock_->now();
  clock_->attach(this);
}

uint32_t CiaTimers::run(uint32_t now) {
  catch_up(now);
  return now + cycles_to_next_event();
}

void CiaTimers::emulate() {
  catch_up(now());
  if (clock_ != nullptr) clock_->wake(this, now() + cycles_to_next_event());
}

// A clock that went backwards (a processor reset) lets no time pass.
void CiaTimers::catch_up(uint32_t now) {
  uint32_t elapsed = now - last_;
  last_ = now;
  if (static_cast<int32_t>(elapsed) <= 0) return;
  uint32_t underflows_a = a_.count(a_.input == CiaTimer::Input::kCycles ? elapsed : 0);
  if (underflows_a != 0) flags_ |= kTimerAInterrupt;
  uint32_t ticks_b = b_.input == CiaTimer::Input::kCycles   ? elapsed
                     : b_.input == CiaTimer::Input::kTimerA ? underflows_a
                                                            : 0;
  if (b_.count(ticks_b) != 0) flags_ |= kTimerBInterrupt;
  if (tod_.advance(elapsed, (control_a_ & kTod50Hz) != 0)) flags_ |= kAlarmInterrupt;
  update_line();
}

void CiaTimers::update_line() {
  bool active = (flags_ & mask_) != 0;
  if (active == line_) return;
  line_ = active;
  if (cpu_ != nullptr && line_hook_ != nullptr) line_hook_(cpu_, active);
}

// Only an enabled source can change the line, and a held line stays held
// until the program reads the flags.
uint32_t CiaTimers::cycles_to_next_event() const {
  uint32_t soonest = Clock::kIdleCycles;
  if (line_) return soonest;
  bool a_counts = a_.running && a_.input == CiaTimer::Input::kCycles;
  if ((mask_ & kTimerAInterrupt) && a_counts) soonest = earlier(soonest, a_.to_underflow());
  if ((mask_ & kTimerBInterrupt) && b_.running) {
    if (b_.input == CiaTimer::Input::kCycles) {
      soonest = earlier(soonest, b_.to_underflow());
    } else if (b_.input == CiaTimer::Input::kTimerA && a_counts && (!a_.one_shot || b_.counter == 0)) {
      // B's underflow comes with A's (B + 1)th.
      uint64_t at = a_.to_underflow() + static_cast<uint64_t>(b_.counter) * (a_.latch + 1u);
      soonest = earlier(soonest, at);
    }
  }
  if (mask_ & kAlarmInterrupt) {
    uint32_t tick = tod_.cycles_to_next_tick((control_a_ & kTod50Hz) != 0);
    if (tick != 0) soonest = earlier(soonest, tick);
  }
  return soonest;
}

uint8_t CiaTimers::read_control(const CiaTimer& timer, uint8_t stored) const {
  return static_cast<uint8_t>((stored & ~(kStart | kForceLoad)) | (timer.running ? kStart : 0));
}

uint8_t CiaTimers::read(uint8_t reg) {
  catch_up(now());
  switch (reg) {
    case kTimerALow: return low_byte(a_.counter);
    case kTimerAHigh: return high_byte(a_.counter);
    case kTimerBLow: return low_byte(b_.counter);
    case kTimerBHigh: return high_byte(b_.counter);
    case kInterruptControl: {
      // Reading returns the flags and clears them, which releases the line.
      uint8_t value = static_cast<uint8_t>(flags_ | (line_ ? kInterruptOccurred : 0));
      flags_ = 0;
      update_line();
      if (clock_ != nullptr) clock_->wake(this, now() + cycles_to_next_event());
      return value;
    }
    case kControlA: return read_control(a_, control_a_);
    case kControlB: return read_control(b_, control_b_);
    default: return tod_.read(reg - kTodTenths);
  }
}

void CiaTimers::write_control(CiaTimer* timer, uint8_t value) {
  timer->running = (value & kStart) != 0;
  timer->one_shot = (value & kOneShot) != 0;
  if (value & kForceLoad) timer->counter = timer->latch;
}

// A stopped timer takes the latch into its counter when the high byte is written.
void CiaTimers::write(uint8_t reg, uint8_t value) {
  catch_up(now());
  switch (reg) {
    case kTimerALow: a_.latch = with_low(a_.latch, value); break;
    case kTimerAHigh:
      a_.latch = with_high(a_.latch, value);
      if (!a_.running) a_.counter = a_.latch;
      break;
    case kTimerBLow: b_.latch = with_low(b_.latch, value); break;
    case kTimerBHigh:
      b_.latch = with_high(b_.latch, value);
      if (!b_.running) b_.counter = b_.latch;
      break;
    case kInterruptControl:
      if (value & kSetClear) mask_ |= value & kInterruptSources;
      else mask_ &= static_cast<uint8_t>(~(value & kInterruptSources));
      break;
    case kControlA:
      control_a_ = value;
      write_control(&a_, value);
      a_.input = (value & kCountCnt) ? CiaTimer::Input::kNothing : CiaTimer::Input::kCycles;
      break;
    case kControlB:
      control_b_ = value;
      write_control(&b_, value);
      b_.input = (value & kCountTimerA)  ? CiaTimer::Input::kTimerA
                 : (value & kCountCntB) ? CiaTimer::Input::kNothing
                                        : CiaTimer::Input::kCycles;
      break;
    default:
      tod_.write(reg - kTodTenths, value, (control_b_ & kWriteAlarm) != 0);
      break;
  }
  update_line();
  if (clock_ != nullptr) clock_->wake(this, now() + cycles_to_next_event());
}
