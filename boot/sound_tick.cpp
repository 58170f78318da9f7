// The timer tick that feeds the sound card.
#include "boot/sound_tick.h"

#include "drivers/intel_hda.h"
#include "emulator/c64.h"
#include "emulator/sid.h"

namespace korvan {

void SoundTickHandler::OnTick() {
  IOPITEventHandler::OnTick();
  drivers::IntelHighDefinitionAudio* card = card_;
  if (card == nullptr || ++ticks_ % kTicksPerPump != 0) return;
  C64* machine = c64ptr;
  if (machine != nullptr && machine->sid != nullptr) machine->sid->emulate();
  card->Pump(ring_);
}

}  // namespace korvan
