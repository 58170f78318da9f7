// Real speed: the machine's cycles held against the wall clock's
// milliseconds, a PAL C64's 985,248 cycles to the second.
#pragma once
#include <stdint.h>

// Unthrottled (warp) or at real speed. The kernel image starts at real speed;
// the self-test image and the host tools run unthrottled. Kept across
// machines; the warp key flips it from the keyboard interrupt.
extern volatile bool g_warp;

class Pacer {
 public:
  // A machine further behind than this (three frames) lets the debt go
  // instead of racing to catch up.
  static constexpr uint32_t kMaxDebtMillis = 60;
  // A machine further behind than this (a frame) is late: its picture waits.
  static constexpr uint32_t kLateMillis = 20;

  // Counts from here: the machine's cycle count at this wall-clock time.
  void restart(uint32_t cycles, uint32_t millis);
  // How many milliseconds the machine, having run to cycles, is ahead of the
  // wall clock at millis; 0 when it is not. A debt beyond kMaxDebtMillis
  // restarts the count.
  uint32_t ahead(uint32_t cycles, uint32_t millis);
  // True when the machine, having run to cycles, is more than kLateMillis
  // behind the wall clock at millis.
  bool late(uint32_t cycles, uint32_t millis);

 private:
  // Milliseconds the machine is ahead (negative: behind), the base moved on
  // by whole minutes first.
  int32_t lead(uint32_t cycles, uint32_t millis);

  uint32_t base_cycles_ = 0;
  uint32_t base_millis_ = 0;
};

// Waits with the processor halted until current_milli reaches target, or a
// bound on the halts passes (a timer that stopped ticking must not hang the
// machine). Interrupts must be enabled.
void wait_until_milli(uint32_t target);
