// Routes the kernel's memory-mapped register accesses to simulated devices.
#include "hosted/mmio_bus.h"

#include "core/mmio.h"

namespace korvan::hosted {

namespace {

struct Window {
  uintptr_t base;
  uint32_t size;
  MmioDevice* device;
};

constexpr int kWindows = 8;
Window g_windows[kWindows];

Window* window_at(uintptr_t address) {
  for (Window& w : g_windows)
    if (w.device != nullptr && address >= w.base && address - w.base < w.size) return &w;
  return nullptr;
}

}  // namespace

void attach_mmio(uintptr_t base, uint32_t size, MmioDevice* device) {
  for (Window& w : g_windows)
    if (w.device != nullptr && w.base == base) w.device = nullptr;
  for (Window& w : g_windows) {
    if (w.device == nullptr) {
      w = Window{base, size, device};
      return;
    }
  }
}

void detach_mmio(MmioDevice* device) {
  for (Window& w : g_windows)
    if (w.device == device) w.device = nullptr;
}

}  // namespace korvan::hosted

namespace korvan::hardwarecommunication {

uint32_t MemoryMappedRegisters::Read(uintptr_t address, unsigned width_bytes) {
  hosted::Window* w = hosted::window_at(address);
  if (w == nullptr) return width_bytes == 4 ? 0xFFFFFFFFu : (1u << (8 * width_bytes)) - 1;
  return w->device->read(static_cast<uint32_t>(address - w->base), width_bytes);
}

void MemoryMappedRegisters::Write(uintptr_t address, uint32_t value, unsigned width_bytes) {
  if (hosted::Window* w = hosted::window_at(address))
    w->device->write(static_cast<uint32_t>(address - w->base), value, width_bytes);
}

}  // namespace korvan::hardwarecommunication
