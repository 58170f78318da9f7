// The PC speaker driver.
#include "drivers/speaker.h"

#include "drivers/pit.h"

namespace korvan::drivers {

SpeakerDriver::SpeakerDriver()
    : timerCommand(kTimerCommandPort), channel2(kChannel2Port), systemControl(kSystemControlPort) {}

uint16_t SpeakerDriver::Divisor(uint32_t frequency) {
  uint32_t divisor = kTimerInputHz / frequency;
  if (divisor < kMinimumDivisor) return kMinimumDivisor;
  if (divisor > kMaximumDivisor) return kMaximumDivisor;
  return static_cast<uint16_t>(divisor);
}

void SpeakerDriver::Sound(uint32_t frequency) {
  if (frequency == 0) {
    Nosound();
    return;
  }
  uint16_t divisor = Divisor(frequency);
  timerCommand.Write(kChannel2SquareWave);
  channel2.Write(static_cast<uint8_t>(divisor));
  channel2.Write(static_cast<uint8_t>(divisor >> 8));
  uint8_t control = systemControl.Read();
  if ((control & (kGateTimer2 | kSpeakerData)) != (kGateTimer2 | kSpeakerData))
    systemControl.Write(control | kGateTimer2 | kSpeakerData);
}

void SpeakerDriver::Nosound() {
  systemControl.Write(systemControl.Read() & ~(kGateTimer2 | kSpeakerData));
}

}  // namespace korvan::drivers
