// BASIC program text to the C64's stored program format, tokenised the way
// the C64's own line editor tokenises a typed line, so a program built here
// and the same program typed in are byte for byte the same.
#pragma once
#include <stdint.h>

#include <string>
#include <vector>

constexpr uint16_t kBasicProgramStart = 0x0801;

// One line of the text as the editor stores it: number and tokenised body.
struct TokenizedLine {
  uint16_t number = 0;
  std::vector<uint8_t> body;  // without the terminating zero
};

// Tokenises one text line ("10 PRINT A"). Letters of either case are the
// C64's unshifted letters; "{xx}" (two hex digits) stands for any byte, such
// as a shifted letter in an abbreviation ("P{CF}" is POKE). Returns false
// with the reason in error for a missing or too large line number, a
// character with no C64 counterpart or a line too long to store.
bool tokenize_line(const std::string& text, TokenizedLine* line, std::string* error);

// The whole program as a PRG file: load address, then the linked lines in
// ascending order. As on the C64, a later line replaces an earlier one with
// the same number and a number alone deletes it. Blank lines are skipped.
// On failure error names the offending line ("line 3: ...").
bool build_program(const std::string& text, std::vector<uint8_t>* prg, std::string* error);
