// The time base the SID model shares: the PAL machine's processor clock and
// the rate its samples are made at.
#pragma once
#include <stdint.h>

constexpr uint32_t kSidClockHz = 985248;
constexpr uint32_t kSidSampleRate = 48000;
