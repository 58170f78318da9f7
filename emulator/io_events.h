// The kernel event handlers that belong to the machine's host bridge.
#pragma once
#include <stdint.h>

#include "drivers/pit.h"

// Milliseconds since the timer started; written only by the timer interrupt.
extern volatile uint32_t current_milli;

class IOPITEventHandler : public korvan::drivers::PITEventHandler {
 public:
  void OnTick() override;
};
