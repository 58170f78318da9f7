// The BASIC V2 keywords in token order from $80, shared by the tokeniser
// (bas2prg) and the lister (prg2bas) so that the two always agree.
#pragma once
#include <stddef.h>
#include <stdint.h>

constexpr uint8_t kFirstToken = 0x80;
constexpr uint8_t kTokenData = 0x83;
constexpr uint8_t kTokenRem = 0x8F;
constexpr uint8_t kTokenPrint = 0x99;

// The first keyword that matches wins, which is why, say, "INPUT#" comes
// before "INPUT".
extern const char* const kKeywords[];
extern const size_t kKeywordCount;

// The keyword of a token byte, or null for a byte that is not one.
const char* keyword_of(uint8_t token);
