// PCI configuration space through the legacy mechanism (ports 0x0CF8/0x0CFC):
// the boot log's list of functions, and the lookups the kernel needs.
#pragma once
#include <stdint.h>

#include "core/port.h"

namespace korvan {
namespace drivers {
class Driver;
class DriverManager;
class IntelHighDefinitionAudio;
}  // namespace drivers
namespace hardwarecommunication {

class InterruptManager;

enum BaseAddressRegisterType { MemoryMapping = 0, InputOutput = 1 };

struct BaseAddressRegister {
  bool prefetchable;
  uint8_t* address;
  uint32_t size;
  BaseAddressRegisterType type;
};

struct PeripheralComponentInterconnectDeviceDescriptor {
  uint32_t portBase;
  uint32_t interrupt;
  uint16_t bus;
  uint16_t device;
  uint16_t function;
  uint16_t vendor_id;
  uint16_t device_id;
  uint8_t class_id;
  uint8_t subclass_id;
  uint8_t interface_id;
  uint8_t revision;
};

class PeripheralComponentInterconnectController {
 public:
  static constexpr uint16_t kAddressPort = 0x0CF8;
  static constexpr uint16_t kDataPort = 0x0CFC;
  static constexpr uint16_t kBusesScanned = 8;
  static constexpr uint16_t kDevicesPerBus = 32;
  static constexpr uint16_t kFunctionsPerDevice = 8;

  PeripheralComponentInterconnectController();
  ~PeripheralComponentInterconnectController();
  PeripheralComponentInterconnectController(const PeripheralComponentInterconnectController&) = delete;
  PeripheralComponentInterconnectController& operator=(const PeripheralComponentInterconnectController&) = delete;

  // The configuration word holding offset, shifted so that byte and word
  // fields come back in the low bits.
  uint32_t Read(uint16_t bus, uint16_t device, uint16_t function, uint32_t registeroffset);
  void Write(uint16_t bus, uint16_t device, uint16_t function, uint32_t registeroffset, uint32_t value);
  bool DeviceHasFunctions(uint16_t bus, uint16_t device);

  // Prints one line per function found on buses 0 to 7 and adds the drivers
  // GetDriver makes.
  void SelectDrivers(drivers::DriverManager* driverManager, InterruptManager* interrupts);
  // A driver for the first High Definition Audio controller; none for the rest.
  drivers::Driver* GetDriver(PeripheralComponentInterconnectDeviceDescriptor dev, InterruptManager* interrupts);
  // The sound controller's driver, null when the scan found none.
  drivers::IntelHighDefinitionAudio* Sound() const { return sound; }
  PeripheralComponentInterconnectDeviceDescriptor GetDeviceDescriptor(uint16_t bus, uint16_t device,
                                                                      uint16_t function);
  BaseAddressRegister GetBaseAddressRegister(uint16_t bus, uint16_t device, uint16_t function, uint16_t bar);

 private:
  Port32Bit dataPort;
  Port32Bit commandPort;
  drivers::IntelHighDefinitionAudio* sound = nullptr;
};

}  // namespace hardwarecommunication
}  // namespace korvan
