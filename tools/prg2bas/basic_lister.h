// A stored BASIC program (PRG file) back to program text in bas2prg's
// notation: keywords spelled out, letters as capitals, every byte that has
// no plain character of its own (colour and cursor codes, shifted letters,
// graphics) as {xx}.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

// The listing of prg, one "NUMBER BODY" line each. Returns false with the
// reason in error when the file has no load address, a line runs off the
// end without its terminating 0, or a link points past the end.
bool list_program(const std::vector<uint8_t>& prg, std::string* text, std::string* error);
