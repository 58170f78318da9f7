// Number conversions of the kernel's runtime library.
#pragma once
#include "lib/runtime_scope.h"

QLIB_BEGIN

// Digits of the signed value in the given base (2 to 36), lower-case letters;
// an empty string for any other base. buffer must hold 34 bytes.
char* itoa(int value, char* buffer, int base);
// Hexadecimal digits after leading blanks and tabs, up to the first other byte.
int htoi(const char* s);
// Decimal digits with no sign or validity check: every byte counts as a digit.
int atoi(const char* s);
int abs(int value);
int sgn(int value);

QLIB_END
