// PCI configuration space.
#include "core/pci.h"

#include "drivers/driver.h"
#include "drivers/intel_hda.h"
#include "lib/stdio.h"

namespace korvan::hardwarecommunication {

static constexpr uint8_t kOffsetVendor = 0x00;
static constexpr uint8_t kOffsetDevice = 0x02;
static constexpr uint8_t kOffsetRevision = 0x08;
static constexpr uint8_t kOffsetInterface = 0x09;
static constexpr uint8_t kOffsetSubclass = 0x0A;
static constexpr uint8_t kOffsetClass = 0x0B;
static constexpr uint8_t kOffsetHeaderType = 0x0E;
static constexpr uint8_t kOffsetBar0 = 0x10;
static constexpr uint8_t kOffsetInterruptLine = 0x3C;
static constexpr uint8_t kClassDisplay = 0x03;
static constexpr uint8_t kSubclassVga = 0x00;
static constexpr uint8_t kClassMultimedia = 0x04;
static constexpr uint8_t kSubclassHighDefinitionAudio = 0x03;

PeripheralComponentInterconnectController::PeripheralComponentInterconnectController()
    : dataPort(kDataPort), commandPort(kAddressPort) {}

// The kernel's controller lives for ever; a test's takes its driver with it.
PeripheralComponentInterconnectController::~PeripheralComponentInterconnectController() { delete sound; }

static uint32_t configuration_address(uint16_t bus, uint16_t device, uint16_t function, uint32_t offset) {
  return 0x80000000u | static_cast<uint32_t>(bus & 0xFF) << 16 | static_cast<uint32_t>(device & 0x1F) << 11 |
         static_cast<uint32_t>(function & 0x07) << 8 | (offset & 0xFC);
}

uint32_t PeripheralComponentInterconnectController::Read(uint16_t bus, uint16_t device, uint16_t function,
                                                         uint32_t registeroffset) {
  commandPort.Write(configuration_address(bus, device, function, registeroffset));
  return dataPort.Read() >> (8 * (registeroffset & 3));
}

void PeripheralComponentInterconnectController::Write(uint16_t bus, uint16_t device, uint16_t function,
                                                      uint32_t registeroffset, uint32_t value) {
  commandPort.Write(configuration_address(bus, device, function, registeroffset));
  dataPort.Write(value);
}

bool PeripheralComponentInterconnectController::DeviceHasFunctions(uint16_t bus, uint16_t device) {
  return Read(bus, device, 0, kOffsetHeaderType) & (1 << 7);
}

void PeripheralComponentInterconnectController::SelectDrivers(drivers::DriverManager* driverManager,
                                                              InterruptManager* interrupts) {
  for (uint16_t bus = 0; bus < kBusesScanned; bus++) {
    for (uint16_t device = 0; device < kDevicesPerBus; device++) {
      uint16_t functions = DeviceHasFunctions(bus, device) ? kFunctionsPerDevice : 1;
      for (uint16_t function = 0; function < functions; function++) {
        PeripheralComponentInterconnectDeviceDescriptor dev = GetDeviceDescriptor(bus, device, function);
        if (dev.vendor_id == 0x0000 || dev.vendor_id == 0xFFFF) continue;
        for (uint16_t barNum = 0; barNum < 6; barNum++) {
          BaseAddressRegister bar = GetBaseAddressRegister(bus, device, function, barNum);
          if (bar.address != nullptr && bar.type == InputOutput)
            dev.portBase = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(bar.address));
        }
        drivers::Driver* driver = GetDriver(dev, interrupts);
        if (driver != nullptr && driverManager != nullptr) driverManager->AddDriver(driver);
        printf("PCI BUS %02X, DEVICE %02X, FUNCTION %02X = VENDOR %04X, DEVICE %04X\n", bus, device, function,
               dev.vendor_id, dev.device_id);
      }
    }
  }
}

drivers::Driver* PeripheralComponentInterconnectController::GetDriver(PeripheralComponentInterconnectDeviceDescriptor dev,
                                                                      InterruptManager*) {
  if (dev.class_id == kClassDisplay && dev.subclass_id == kSubclassVga) printf("VGA ");
  if (dev.class_id != kClassMultimedia || dev.subclass_id != kSubclassHighDefinitionAudio || sound != nullptr)
    return nullptr;
  sound = new drivers::IntelHighDefinitionAudio(this, dev.bus, dev.device, dev.function);
  return sound;
}

PeripheralComponentInterconnectDeviceDescriptor PeripheralComponentInterconnectController::GetDeviceDescriptor(
    uint16_t bus, uint16_t device, uint16_t function) {
  PeripheralComponentInterconnectDeviceDescriptor result{};
  result.bus = bus;
  result.device = device;
  result.function = function;
  result.vendor_id = static_cast<uint16_t>(Read(bus, device, function, kOffsetVendor));
  result.device_id = static_cast<uint16_t>(Read(bus, device, function, kOffsetDevice));
  result.class_id = static_cast<uint8_t>(Read(bus, device, function, kOffsetClass));
  result.subclass_id = static_cast<uint8_t>(Read(bus, device, function, kOffsetSubclass));
  result.interface_id = static_cast<uint8_t>(Read(bus, device, function, kOffsetInterface));
  result.revision = static_cast<uint8_t>(Read(bus, device, function, kOffsetRevision));
  result.interrupt = Read(bus, device, function, kOffsetInterruptLine);
  return result;
}

BaseAddressRegister PeripheralComponentInterconnectController::GetBaseAddressRegister(uint16_t bus, uint16_t device,
                                                                                      uint16_t function,
                                                                                      uint16_t bar) {
  BaseAddressRegister result{};
  result.type = MemoryMapping;
  uint32_t headertype = Read(bus, device, function, kOffsetHeaderType) & 0x7F;
  int maxBARs = 6 - 4 * static_cast<int>(headertype);
  if (bar >= maxBARs) return result;

  uint32_t value = Read(bus, device, function, kOffsetBar0 + 4 * bar);
  if (value & 0x1) {
    result.type = InputOutput;
    result.address = reinterpret_cast<uint8_t*>(static_cast<uintptr_t>(value & ~0x3u));
    result.prefetchable = false;
  }
  return result;
}

}  // namespace korvan::hardwarecommunication
