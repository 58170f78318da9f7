// The Bochs/QEMU display adapter, programmed directly when the loader gives
// no usable framebuffer.
#pragma once
#include <stdint.h>

namespace korvan {

constexpr uint16_t kVbeIndexPort = 0x01CE;
constexpr uint16_t kVbeDataPort = 0x01CF;
constexpr uint16_t kVbeRegisterId = 0;
constexpr uint16_t kVbeRegisterXres = 1;
constexpr uint16_t kVbeRegisterYres = 2;
constexpr uint16_t kVbeRegisterBpp = 3;
constexpr uint16_t kVbeRegisterEnable = 4;
constexpr uint16_t kVbeEnabled = 0x01;
constexpr uint16_t kVbeLinearFramebuffer = 0x40;
constexpr uint16_t kVbeIdFirst = 0xB0C0;
constexpr uint16_t kVbeIdLast = 0xB0CF;
// Where the adapter's framebuffer sits when no PCI function owns up to it.
constexpr uint32_t kVbeDefaultFramebuffer = 0xE0000000;

void vbe_write(uint16_t index, uint16_t value);
uint16_t vbe_read(uint16_t index);
// False, with nothing written, when no Bochs-compatible adapter answers.
bool vbe_set_mode(uint16_t width, uint16_t height, uint16_t bpp);
// BAR0 of the adapter's PCI function (1234:1111 or any 1111 vendor).
uint32_t vbe_find_lfb();

}  // namespace korvan
