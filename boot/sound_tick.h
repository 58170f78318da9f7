// The timer tick with the sound card fed from it: every few milliseconds the
// running machine's SID is brought up to the processor's cycle count and the
// card's buffer topped up from the ring, so that sound keeps flowing however
// long the main loop's pass takes, and stops when the machine does.
#pragma once
#include <stdint.h>

#include "emulator/io_events.h"

class SampleRing;

namespace korvan {
namespace drivers {
class IntelHighDefinitionAudio;
}

class SoundTickHandler : public IOPITEventHandler {
 public:
  static constexpr uint32_t kTicksPerPump = 4;

  // Until this is called the handler only counts milliseconds.
  void sound(drivers::IntelHighDefinitionAudio* card, SampleRing* ring) {
    ring_ = ring;
    card_ = card;
  }
  void OnTick() override;

 private:
  drivers::IntelHighDefinitionAudio* volatile card_ = nullptr;
  SampleRing* ring_ = nullptr;
  uint32_t ticks_ = 0;
};

}  // namespace korvan
