// Number conversions of the kernel's runtime library.
#include "lib/stdlib.h"

QLIB_BEGIN

char* itoa(int value, char* buffer, int base) {
  // Indexing a table mirrored around '0' with the signed remainder handles
  // negative values without negating them, so INT_MIN converts too.
  static const char kDigits[] =
      "zyxwvutsrqponmlkjihgfedcba9876543210123456789abcdefghijklmnopqrstuvwxyz";
  char* p = buffer;
  if (base < 2 || base > 36) {
    *p = 0;
    return buffer;
  }
  int rest = value;
  do {
    int quotient = rest / base;
    *p++ = kDigits[35 + (rest - quotient * base)];
    rest = quotient;
  } while (rest != 0);
  if (value < 0) *p++ = '-';
  *p = 0;
  for (char *lo = buffer, *hi = p - 1; lo < hi; lo++, hi--) {
    char t = *lo;
    *lo = *hi;
    *hi = t;
  }
  return buffer;
}

static int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

int htoi(const char* s) {
  while (*s == ' ' || *s == '\t') s++;
  unsigned value = 0;
  for (int digit; (digit = hex_digit_value(*s)) >= 0; s++) value = value * 16 + digit;
  return static_cast<int>(value);
}

int atoi(const char* s) {
  unsigned value = 0;
  for (; *s != 0; s++) value = value * 10 + static_cast<unsigned>(*s - '0');
  return static_cast<int>(value);
}

int abs(int value) { return value < 0 ? -value : value; }

int sgn(int value) { return (value > 0) - (value < 0); }

QLIB_END
