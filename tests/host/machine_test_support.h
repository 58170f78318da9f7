// Shared pieces of the machine tests: a KERNAL image that idles with an
// interrupt handler that does nothing, so the keyboard buffer and screen stay
// as the test leaves them (and, interrupts being on, typed keys go in), and a
// clock step that keeps the display's pacing from waiting.
#pragma once
#include <stdint.h>

#include <functional>
#include <utility>
#include <vector>

#include "emulator/c64.h"
#include "emulator/c64_loop.h"
#include "emulator/io_events.h"
#include "emulator/memory.h"
#include "hosted/hosted_cpu.h"

namespace machine_test {

constexpr uint16_t kKeyBuffer = 0x0277;
constexpr uint16_t kScreen = 0x0400;

// CLI; JMP $E001 at $E000 (the reset vector), and RTI at $E004 for the
// interrupt vectors.
inline std::vector<uint8_t> idle_kernal() {
  std::vector<uint8_t> image(0x2000, 0xEA);
  const uint8_t code[] = {0x58, 0x4C, 0x01, 0xE0, 0x40};
  for (unsigned i = 0; i < sizeof(code); i++) image[i] = code[i];
  for (unsigned v = 0x1FFA; v < 0x2000; v += 2) {
    image[v] = v == 0x1FFC ? 0x00 : 0x04;
    image[v + 1] = 0xE0;
  }
  return image;
}

inline void load_idle_kernal(Memory* memory) {
  std::vector<uint8_t> kernal = idle_kernal();
  memory->load_roms(nullptr, 0, nullptr, 0, kernal.data(), static_cast<uint32_t>(kernal.size()));
}

// More than a frame's worth of milliseconds, so the next sync does not wait.
inline void advance_clock() { current_milli = current_milli + 100; }

// Calls `at` in every interrupt window of the main loop (after each
// enable_interrupts, at each halt) while in scope, with interrupts off, as an
// interrupt taken there would run: the test decides what comes when, with no
// threads and no sleeps. `at` gets the window's number, from 1.
class InterruptWindows {
 public:
  explicit InterruptWindows(std::function<void(unsigned)> at) : at_(std::move(at)) {
    korvan::hosted::hosted_cpu().interrupt_window = &InterruptWindows::open;
    korvan::hosted::hosted_cpu().interrupt_window_context = this;
  }
  ~InterruptWindows() {
    korvan::hosted::hosted_cpu().interrupt_window = nullptr;
    korvan::hosted::hosted_cpu().interrupt_window_context = nullptr;
  }
  InterruptWindows(const InterruptWindows&) = delete;
  InterruptWindows& operator=(const InterruptWindows&) = delete;
  unsigned count() const { return count_; }

 private:
  static void open(void* context) {
    InterruptWindows* self = static_cast<InterruptWindows*>(context);
    self->at_(++self->count_);
  }
  std::function<void(unsigned)> at_;
  unsigned count_ = 0;
};

}  // namespace machine_test
