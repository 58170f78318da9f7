// The Bochs/QEMU display adapter.
#include "boot/display_adapter.h"

#include "core/pci.h"
#include "core/port.h"

namespace korvan {

using hardwarecommunication::PeripheralComponentInterconnectController;
using hardwarecommunication::Port16Bit;

void vbe_write(uint16_t index, uint16_t value) {
  Port16Bit::Write16(kVbeIndexPort, index);
  Port16Bit::Write16(kVbeDataPort, value);
}

uint16_t vbe_read(uint16_t index) {
  Port16Bit::Write16(kVbeIndexPort, index);
  return Port16Bit::Read16(kVbeDataPort);
}

bool vbe_set_mode(uint16_t width, uint16_t height, uint16_t bpp) {
  uint16_t id = vbe_read(kVbeRegisterId);
  if (id < kVbeIdFirst || id > kVbeIdLast) return false;
  vbe_write(kVbeRegisterEnable, 0);
  vbe_write(kVbeRegisterXres, width);
  vbe_write(kVbeRegisterYres, height);
  vbe_write(kVbeRegisterBpp, bpp);
  vbe_write(kVbeRegisterEnable, kVbeEnabled | kVbeLinearFramebuffer);
  return true;
}

static bool is_display_adapter(uint16_t vendor, uint16_t device) {
  return (vendor == 0x1234 && device == 0x1111) || vendor == 0x1111;
}

uint32_t vbe_find_lfb() {
  PeripheralComponentInterconnectController pci;
  for (uint16_t bus = 0; bus < PeripheralComponentInterconnectController::kBusesScanned; bus++)
    for (uint16_t device = 0; device < PeripheralComponentInterconnectController::kDevicesPerBus; device++)
      for (uint16_t function = 0; function < PeripheralComponentInterconnectController::kFunctionsPerDevice;
           function++) {
        uint32_t id = pci.Read(bus, device, function, 0x00);
        uint16_t vendor = static_cast<uint16_t>(id);
        if (vendor == 0xFFFF || vendor == 0x0000) continue;
        if (!is_display_adapter(vendor, static_cast<uint16_t>(id >> 16))) continue;
        uint32_t bar0 = pci.Read(bus, device, function, 0x10);
        if (bar0 & 1) continue;  // an I/O BAR is no framebuffer
        return bar0 & ~0xFu;
      }
  return kVbeDefaultFramebuffer;
}

}  // namespace korvan
