// c64host --flat: a raw binary in a flat 64 KB RAM, run to a self-jump.
#pragma once
#include "tools/c64host/options.h"

// Returns the exit status: 0 stopped on a self-jump, 1 reached the limit,
// 2 the program could not be loaded.
int run_flat(const FlatOptions& options);
