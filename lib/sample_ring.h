// A bounded ring of 16-bit mono samples between one producer (the sound
// chip model, on the main flow or the timer interrupt) and one consumer (the
// sound card's buffer filler). A full ring drops the new sample rather than
// making the producer wait; an empty one yields nothing.
#pragma once
#include <stdint.h>

class SampleRing {
 public:
  static constexpr uint32_t kCapacity = 4096;  // a power of two, 85 ms at 48 kHz

  bool full() const { return head_ - tail_ >= kCapacity; }
  uint32_t size() const { return head_ - tail_; }

  // False, and the sample dropped, when the ring is full.
  bool push(int16_t sample) {
    if (full()) return false;
    samples_[head_ % kCapacity] = sample;
    // The sample must be in place before the consumer can see the new head.
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
    head_ = head_ + 1;
    return true;
  }
  // False when there is nothing to take.
  bool pop(int16_t* sample) {
    if (head_ == tail_) return false;
    *sample = samples_[tail_ % kCapacity];
    __atomic_signal_fence(__ATOMIC_SEQ_CST);
    tail_ = tail_ + 1;
    return true;
  }
  void clear() { tail_ = head_; }

 private:
  int16_t samples_[kCapacity] = {};
  volatile uint32_t head_ = 0;
  volatile uint32_t tail_ = 0;
};
