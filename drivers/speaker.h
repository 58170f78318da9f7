// The PC speaker, sounded by the interval timer's channel 2 through the gate
// and data bits of the system control port.
#pragma once
#include <stdint.h>

#include "core/port.h"

namespace korvan::drivers {

class SpeakerDriver {
 public:
  static constexpr uint16_t kTimerCommandPort = 0x43;
  static constexpr uint16_t kChannel2Port = 0x42;
  static constexpr uint16_t kSystemControlPort = 0x61;  // port B of the old 8255

  SpeakerDriver();

  // A square wave of about frequency Hz until the next call; 0 is silence.
  // Frequencies beyond the timer's range sound its lowest or highest tone.
  void Sound(uint32_t frequency);
  void Nosound();

 private:
  // Control word: channel 2, low byte then high byte, mode 3 (square wave), binary.
  static constexpr uint8_t kChannel2SquareWave = 0xB6;
  static constexpr uint8_t kGateTimer2 = 0x01;
  static constexpr uint8_t kSpeakerData = 0x02;
  // Mode 3 needs a count of at least 2; 0 would mean 65536.
  static constexpr uint32_t kMinimumDivisor = 2;
  static constexpr uint32_t kMaximumDivisor = 0xFFFF;

  // The channel 2 divisor nearest to frequency, which must not be 0.
  static uint16_t Divisor(uint32_t frequency);

  hardwarecommunication::Port8Bit timerCommand;
  hardwarecommunication::Port8Bit channel2;
  hardwarecommunication::Port8Bit systemControl;
};

}  // namespace korvan::drivers
