// Formatted console output.
#include "lib/stdio.h"

QLIB_BEGIN

char* convert(uint32_t value, int base, int upper_case, int width) {
  static char buffer[33];
  const char* digits = upper_case ? "0123456789ABCDEF" : "0123456789abcdef";
  for (int i = 0; i < 32; i++) buffer[i] = '0';
  buffer[32] = 0;
  char* start = &buffer[32];
  do {
    *--start = digits[value % base];
    value /= base;
  } while (value != 0 && start > buffer);
  int count = static_cast<int>(&buffer[32] - start);
  if (width > 32) width = 32;
  if (width > 0 && count < width) start -= width - count;
  return start;
}

void vprintf(const char* format, va_list args) {
  for (const char* p = format; *p != 0; p++) {
    if (*p != '%') {
      putc(static_cast<uint8_t>(*p));
      continue;
    }
    p++;
    int width = 0;
    if (*p == '0') {
      p++;
      if (*p >= '0' && *p <= '9') {
        width = *p - '0';
        p++;
      }
    }
    if (*p == 0) return;
    switch (*p) {
      case 'c':
        putc(static_cast<uint8_t>(va_arg(args, int)));
        break;
      case 'd': {
        int value = va_arg(args, int);
        uint32_t magnitude = static_cast<uint32_t>(value);
        if (value < 0) {
          putc('-');
          magnitude = 0u - magnitude;
        }
        puts(convert(magnitude, 10, 0, width));
        break;
      }
      case 'u':
        puts(convert(va_arg(args, uint32_t), 10, 0, width));
        break;
      case 'o':
        puts(convert(va_arg(args, uint32_t), 8, 0, width));
        break;
      case 'x':
        puts(convert(va_arg(args, uint32_t), 16, 0, width));
        break;
      case 'X':
        puts(convert(va_arg(args, uint32_t), 16, 1, width));
        break;
      case 's': {
        const char* text = va_arg(args, const char*);
        puts(text != nullptr ? text : "(null)");
        break;
      }
      case '%':
        putc('%');
        break;
      default:
        break;
    }
  }
}

void printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
}

void displayMemory(const uint8_t* buffer, uint16_t length) {
  for (uint32_t i = 0; i < length; i++) {
    if (i % 16 == 0) printf("\n%04X: ", i);
    printf("%02X ", buffer[i]);
    if ((i + 1) % 16 == 0) {
      for (uint32_t k = i - 15; k <= i; k++) {
        uint8_t ch = buffer[k];
        putc((ch >= 32 && ch <= 126) ? ch : '.');
      }
    }
  }
}

QLIB_END
