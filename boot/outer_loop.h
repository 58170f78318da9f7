// What kernelMain hands to the endless outer loop once bring-up is done: the
// services that outlive every machine built on top of them.
#pragma once

class SampleRing;

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
  // The sound card's ring, null when the speaker has to do.
  SampleRing* sound;
};

// Runs for ever. The bootable images share boot/outer_loop.cpp; the probe
// image, a test build, brings its own.
[[noreturn]] void run_outer_loop(const KernelServices& services);

}  // namespace korvan
