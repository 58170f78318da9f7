// c64host's C64 mode: the whole machine run pass by pass as the kernel runs
// it, text typed into the KERNAL and the screen read back.
#pragma once
#include "tools/c64host/options.h"

// Returns the exit status: 0 normally, 1 when --until was given and its text
// never appeared, 2 when the ROM images or a program file could not be read
// or written.
int run_c64(const C64Options& options);
