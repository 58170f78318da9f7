// bas2prg's tokeniser: the C64 editor's rules for what becomes a token and
// what stays text, and the stored program's links and line order.
#include "tools/bas2prg/basic_tokenizer.h"

#include <gtest/gtest.h>

namespace {

std::vector<uint8_t> body_of(const std::string& text) {
  TokenizedLine line;
  std::string error;
  EXPECT_TRUE(tokenize_line(text, &line, &error)) << error;
  return line.body;
}

std::vector<uint8_t> bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string error_of(const std::string& program) {
  std::vector<uint8_t> prg;
  std::string error;
  EXPECT_FALSE(build_program(program, &prg, &error));
  return error;
}

TEST(BasicTokenizer, KeywordsBecomeTheirTokensAndTheRestStaysText) {
  EXPECT_EQ(body_of("10 PRINT A"), (std::vector<uint8_t>{0x99, ' ', 'A'}));
  EXPECT_EQ(body_of("10 GOTO10"), (std::vector<uint8_t>{0x89, '1', '0'}));
  EXPECT_EQ(body_of("10 X=2^3"), (std::vector<uint8_t>{'X', 0xB2, '2', 0xAE, '3'}));
  EXPECT_EQ(body_of("10 A$=MID$(B$,1)"),
            (std::vector<uint8_t>{'A', '$', 0xB2, 0xCA, '(', 'B', '$', ',', '1', ')'}));
  EXPECT_EQ(body_of("10 ?"), (std::vector<uint8_t>{0x99}));
  EXPECT_EQ(body_of("10 print a"), body_of("10 PRINT A"));  // either case is unshifted
}

TEST(BasicTokenizer, TheFirstKeywordInTokenOrderWins) {
  // INPUT# comes before INPUT, GOTO and GOSUB before GO, and a keyword is
  // found inside a name: the C64's famous "FORMAT" is FOR + MAT.
  EXPECT_EQ(body_of("10 INPUT#1"), (std::vector<uint8_t>{0x84, '1'}));
  EXPECT_EQ(body_of("10 GO TO 5"), (std::vector<uint8_t>{0xCB, ' ', 0xA4, ' ', '5'}));
  EXPECT_EQ(body_of("10 FORMAT"), (std::vector<uint8_t>{0x81, 'M', 'A', 'T'}));
  EXPECT_EQ(body_of("10 IFA=1THEN9"), (std::vector<uint8_t>{0x8B, 'A', 0xB2, '1', 0xA7, '9'}));
}

TEST(BasicTokenizer, AShiftedLetterAbbreviatesAKeyword) {
  EXPECT_EQ(body_of("10 P{CF}1,2"), (std::vector<uint8_t>{0x97, '1', ',', '2'}));
  EXPECT_EQ(body_of("10 G{CF}10"), (std::vector<uint8_t>{0x89, '1', '0'}));  // GOTO, not GOSUB
  EXPECT_EQ(body_of("10 LE{C6}(A$,1)").front(), 0xC8);                        // LEFT$
}

TEST(BasicTokenizer, QuotesRemAndDataKeepTheirText) {
  EXPECT_EQ(body_of("10 PRINT\"GOTO\""), (std::vector<uint8_t>{0x99, '"', 'G', 'O', 'T', 'O', '"'}));
  EXPECT_EQ(body_of("10 REM GOTO:PRINT"), (std::vector<uint8_t>{0x8F, ' ', 'G', 'O', 'T', 'O', ':',
                                                                'P', 'R', 'I', 'N', 'T'}));
  // DATA ends at a colon outside quotes; a colon inside them does not end it.
  std::vector<uint8_t> data = {0x83, ' ', 'T', 'O', ',', '"', ':', 'O', 'N', '"', ':', 0x99};
  EXPECT_EQ(body_of("10 DATA TO,\":ON\":PRINT"), data);
  EXPECT_EQ(body_of("10 DATA ?"), (std::vector<uint8_t>{0x83, ' ', '?'}));
  EXPECT_EQ(body_of("10 A=1:{FF}"), (std::vector<uint8_t>{'A', 0xB2, '1', ':', 0xFF}));  // pi
}

TEST(BasicTokenizer, TheLineNumberIsReadAsTheEditorReadsIt) {
  TokenizedLine line;
  std::string error;
  ASSERT_TRUE(tokenize_line("  63999   END", &line, &error));
  EXPECT_EQ(line.number, 63999);
  EXPECT_EQ(line.body, (std::vector<uint8_t>{0x80}));
  ASSERT_TRUE(tokenize_line("1 0 END", &line, &error));
  EXPECT_EQ(line.number, 10);
  EXPECT_FALSE(tokenize_line("64000 END", &line, &error));
  EXPECT_NE(error.find("63999"), std::string::npos);
  EXPECT_FALSE(tokenize_line("PRINT 1", &line, &error));
  EXPECT_FALSE(tokenize_line("99999999999999999999 END", &line, &error));
}

TEST(BasicProgram, LinesAreLinkedInOrderAndLaterLinesReplaceEarlierOnes) {
  std::vector<uint8_t> prg;
  std::string error;
  ASSERT_TRUE(build_program("20 END\r\n10 PRINT\n\n30 STOP\n20 GOTO 10\n30\n", &prg, &error)) << error;
  const std::vector<uint8_t> expected = {
      0x01, 0x08,                                 // load address $0801
      0x07, 0x08, 10, 0, 0x99, 0,                 // 10 PRINT, next line at $0807
      0x10, 0x08, 20, 0, 0x89, ' ', '1', '0', 0,  // 20 GOTO 10, next at $0810
      0, 0};                                      // end of program
  EXPECT_EQ(prg, expected);
}

TEST(BasicProgram, AnEmptyTextIsAnEmptyProgram) {
  std::vector<uint8_t> prg;
  std::string error;
  ASSERT_TRUE(build_program("", &prg, &error));
  EXPECT_EQ(prg, (std::vector<uint8_t>{0x01, 0x08, 0, 0}));
}

TEST(BasicProgram, BadTextIsRefusedWithItsLineNumber) {
  EXPECT_EQ(error_of("10 END\n20 PRINT \"\t\"\n").rfind("line 2: ", 0), 0u);
  EXPECT_NE(error_of("10 PRINT \"{G}\"\n").find("{xx}"), std::string::npos);
  EXPECT_NE(error_of("10 PRINT \"{4").find("{xx}"), std::string::npos);  // cut off at the end
  EXPECT_NE(error_of("10 PRINT \"\xC3\xA9\"\n").find("0xC3"), std::string::npos);
  EXPECT_NE(error_of("10 REM " + std::string(90, 'X') + "\n").find("88"), std::string::npos);
}

TEST(BasicProgram, AProgramTooBigForBasicMemoryIsRefused) {
  std::string text;
  for (int line = 0; line < 600; line++) text += std::to_string(line) + " REM " + std::string(80, 'X') + "\n";
  EXPECT_NE(error_of(text).find("$A000"), std::string::npos);
}

}  // namespace
