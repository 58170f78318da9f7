// Gives a test a port bus with nothing attached and an empty access log, and
// a processor record in its reset state; cleans up again when the test ends.
// Declare it before the simulated devices so that they attach to the clean bus.
#pragma once

#include "hosted/hosted_cpu.h"
#include "hosted/port_bus.h"

namespace korvan::hosted {

struct CleanBus {
  CleanBus() {
    reset_ports();
    reset_hosted_cpu();
  }
  ~CleanBus() { reset_ports(); }
};

}  // namespace korvan::hosted
