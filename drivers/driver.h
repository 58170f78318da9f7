// The driver framework: activation hooks every device driver offers, and the
// manager that collects the drivers during bring-up and activates them.
#pragma once
#include <stdint.h>

namespace korvan::drivers {

class Driver {
 public:
  // Touches the device for the first time; drivers do nothing to it before.
  virtual void Activate();
  // Zero when the device is back in its power-on state.
  virtual int Reset();
  virtual void Deactivate();
};

class DriverManager {
 public:
  static constexpr int kMaxDrivers = 265;

  DriverManager();
  // Appends; false for a null driver, and false with a console line when the table is full.
  bool AddDriver(Driver* driver);
  // Activates every driver in the order added.
  void ActivateAll();
  int DriverCount() const { return numDrivers; }

 private:
  Driver* drivers[kMaxDrivers];
  int numDrivers;
};

}  // namespace korvan::drivers
