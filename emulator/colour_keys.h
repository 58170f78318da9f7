// The C64's colour keys: CTRL and C= with the digit keys, by digit.
#pragma once
#include <stdint.h>

// CTRL with 1-8 selects the first eight colours, with 9 and 0 reverse on
// and off.
constexpr uint8_t kControlDigitCodes[10] = {0x92, 0x90, 0x05, 0x1C, 0x9F, 0x9C, 0x1E, 0x1F, 0x9E, 0x12};
// C= with 1-8 the other eight; 0 where C= with the digit is no colour key.
constexpr uint8_t kCommodoreDigitCodes[10] = {0, 0x81, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9B, 0};
