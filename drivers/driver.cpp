// The driver framework.
#include "drivers/driver.h"

#include "lib/stdio.h"

namespace korvan::drivers {

void Driver::Activate() {}

int Driver::Reset() { return 0; }

void Driver::Deactivate() {}

DriverManager::DriverManager() : drivers(), numDrivers(0) {}

bool DriverManager::AddDriver(Driver* driver) {
  if (driver == nullptr) return false;
  if (numDrivers >= kMaxDrivers) {
    printf("\nDriver table full: %d drivers already, one more refused", numDrivers);
    return false;
  }
  drivers[numDrivers++] = driver;
  return true;
}

void DriverManager::ActivateAll() {
  for (int i = 0; i < numDrivers; i++) drivers[i]->Activate();
}

}  // namespace korvan::drivers
