// The kernel event handlers of the machine's host bridge.
#include "emulator/io_events.h"

volatile uint32_t current_milli = 0;

// The timer runs at about 1000 Hz.
void IOPITEventHandler::OnTick() { current_milli = current_milli + 1; }
