// Formatted console output: printf, the number converter and the hex dump.
#pragma once
#include <stdarg.h>
#include <stdint.h>
#include "lib/runtime_scope.h"
#include "lib/vga.h"

QLIB_BEGIN

// Conversions c d u o x X s and %%, with an optional zero-padded one-digit
// width ("%08X"). Unknown conversions are dropped with no argument consumed.
void printf(const char* format, ...);
void vprintf(const char* format, va_list args);
// Digits of value in base (2..16), padded with "0" to width; the result lives
// in a static buffer valid until the next call. Width never truncates.
char* convert(uint32_t value, int base, int upper_case, int width);
// Sixteen bytes a line: offset, hex bytes, then the printable characters.
void displayMemory(const uint8_t* buffer, uint16_t length);

QLIB_END
