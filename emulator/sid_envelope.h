// One SID voice's ADSR envelope generator: an 8-bit level moved by a rate
// counter whose periods come from the data sheet's attack, decay and release
// times, with the exponential slow-down of decay and release.
#pragma once
#include <stdint.h>

class SidEnvelope {
 public:
  static constexpr int kRates = 16;
  static constexpr uint8_t kMaximum = 0xFF;

  // Attack times in milliseconds, from the 6581 data sheet; decay and
  // release take three times as long for the same number.
  static constexpr uint16_t kAttackMilliseconds[kRates] = {2,   8,   16,  24,   38,   56,   68,   80,
                                                           100, 250, 500, 800, 1000, 3000, 5000, 8000};

  void attack_decay(uint8_t value);
  void sustain_release(uint8_t value);
  // A rising gate starts the attack from the present level; a falling one
  // the release.
  void gate(bool on);
  void advance(uint32_t cycles);

  uint8_t level() const { return level_; }
  uint8_t attack_decay() const { return attack_decay_; }
  uint8_t sustain_release() const { return sustain_release_; }

  // Cycles per step of the level for a rate number at the machine's clock.
  static uint32_t period(int rate);

 private:
  enum class Phase : uint8_t { Attack, DecaySustain, Release };

  void step();
  uint32_t current_period() const;
  // Decay and release steps are spread further apart as the level falls,
  // which makes those phases about three times as long as the attack.
  static uint8_t exponential_divider(uint8_t level);

  Phase phase_ = Phase::Release;
  bool gate_ = false;
  uint8_t level_ = 0;
  uint8_t attack_decay_ = 0;
  uint8_t sustain_release_ = 0;
  uint32_t rate_counter_ = 0;
  uint8_t exponential_counter_ = 0;
};
