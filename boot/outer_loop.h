// What kernelMain hands to the endless outer loop once bring-up is done: the
// services that outlive every machine built on top of them.
#pragma once

namespace korvan {
namespace hardwarecommunication {
class InterruptManager;
}
namespace drivers {
class DriverManager;
class SerialDriver;
class RTCDriver;
class SpeakerDriver;
}  // namespace drivers
namespace filesystem {
class Fat32;
}

struct KernelServices {
  hardwarecommunication::InterruptManager* interrupts;
  drivers::DriverManager* driverManager;
  drivers::SerialDriver* serial;
  drivers::RTCDriver* rtc;
  drivers::SpeakerDriver* speaker;
  filesystem::Fat32* volume;
};

// Runs for ever. Each image brings its own.
[[noreturn]] void run_outer_loop(const KernelServices& services);

}  // namespace korvan
