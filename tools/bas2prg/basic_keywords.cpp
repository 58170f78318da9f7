#include "tools/bas2prg/basic_keywords.h"

const char* const kKeywords[] = {
    "END",  "FOR",   "NEXT",   "DATA",  "INPUT#", "INPUT", "DIM",    "READ",  "LET",   "GOTO",
    "RUN",  "IF",    "RESTORE", "GOSUB", "RETURN", "REM",  "STOP",   "ON",    "WAIT",  "LOAD",
    "SAVE", "VERIFY", "DEF",   "POKE",  "PRINT#", "PRINT", "CONT",   "LIST",  "CLR",   "CMD",
    "SYS",  "OPEN",  "CLOSE",  "GET",   "NEW",    "TAB(",  "TO",     "FN",    "SPC(",  "THEN",
    "NOT",  "STEP",  "+",      "-",     "*",      "/",     "^",      "AND",   "OR",    ">",
    "=",    "<",     "SGN",    "INT",   "ABS",    "USR",   "FRE",    "POS",   "SQR",   "RND",
    "LOG",  "EXP",   "COS",    "SIN",   "TAN",    "ATN",   "PEEK",   "LEN",   "STR$",  "VAL",
    "ASC",  "CHR$",  "LEFT$",  "RIGHT$", "MID$",  "GO"};
const size_t kKeywordCount = sizeof kKeywords / sizeof kKeywords[0];

const char* keyword_of(uint8_t token) {
  if (token < kFirstToken || token - kFirstToken >= static_cast<int>(kKeywordCount)) return nullptr;
  return kKeywords[token - kFirstToken];
}
