// The C64 ROM images and the built-in programs, linked in as data by
// rom_images.S. The built-in programs are PRG images: a two-byte load
// address, then the bytes; an image that is not built yet has size 0.
#pragma once
#include <stdint.h>

extern "C" {
extern const uint8_t basicRomC64[];
extern const uint32_t basicRomC64_size;
extern const uint8_t charRomC64[];
extern const uint32_t charRomC64_size;
extern const uint8_t kernalRomC64[];
extern const uint32_t kernalRomC64_size;
extern const uint8_t monitorPrgC64[];
extern const uint32_t monitorPrgC64_size;
extern const uint8_t startupPrgC64[];
extern const uint32_t startupPrgC64_size;
}
