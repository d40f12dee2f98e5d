// The tokens of the scene files: the same tokens and numbers as formatted
// stream extraction on well-formed text, total reads on broken text, line
// numbers in the messages.

#include "assets/AseTokenizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDirectory.h"

namespace {

std::vector<std::string> allTokens(AseTokenizer& tokens) {
  std::vector<std::string> result;
  std::string_view token;
  while (tokens.next(token)) result.emplace_back(token);
  return result;
}

TEST(AseTokenizer, SplitsOnEveryBlankOfTheCLocale) {
  AseTokenizer tokens("*NODE_NAME\t\"Box01\"\r\n  {\v*TM_ROW0 1.0\f2 3}\n", "a.ASE");
  EXPECT_EQ(allTokens(tokens),
            (std::vector<std::string>{"*NODE_NAME", "\"Box01\"", "{", "*TM_ROW0", "1.0", "2", "3}"}));
}

TEST(AseTokenizer, KeywordsAreWholeTokens) {
  AseTokenizer tokens("*MATERIAL_LIST *MATERIAL_REF *MATERIAL", "a.ASE");
  std::string_view token;
  int exact = 0;
  while (tokens.next(token)) exact += token == "*MATERIAL";
  EXPECT_EQ(exact, 1);
}

TEST(AseTokenizer, CountsLinesForMessages) {
  AseTokenizer tokens("a\r\nb\n\n  c", "a.ASE");
  std::string_view token;
  std::vector<int> lines;
  while (tokens.next(token)) lines.push_back(tokens.line());
  EXPECT_EQ(lines, (std::vector<int>{1, 2, 4}));
}

TEST(AseTokenizer, EndOfInputGivesEmptyTokensAndZeros) {
  AseTokenizer tokens("  \n ", "a.ASE");
  std::string_view token = "x";
  EXPECT_FALSE(tokens.next(token));
  EXPECT_TRUE(token.empty());
  testing::internal::CaptureStdout();
  int32_t i = 7;
  float f = 7.0f;
  EXPECT_FALSE(tokens.readInt(i));
  EXPECT_FALSE(tokens.readFloat(f));
  EXPECT_EQ(tokens.readQuoted(), "");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(i, 0);
  EXPECT_EQ(f, 0.0f);
  // The end of the input is reported once, naming the file.
  EXPECT_EQ(out, "Error: el fichero termina antes de tiempo (fichero a.ASE, linea 2)\n");
}

// Every well-formed number reads as stream extraction reads it.
TEST(AseTokenizer, NumbersMatchStreamExtraction) {
  const std::vector<std::string> floats = {"0",       "1.0",       "-0.0000",    "1.",        ".5",
                                           "-.25",    "+3.5",      "1e-05",      "2.5E+3",    "3.4028e38",
                                           "1e-40",   "0.1",       "123456789",  "-7.125",    "0.33333334",
                                           "16777217", "0.0000001", "-12345.678", "1.17549435e-38",
                                           "0.0001",  "1048575.9999", "1048576.0000", "-2581.7500", "12345678.1234",
                                           // "%f" as other exporters write it, and halfway cases.
                                           "320.000000", "-0.015625", "123456.123456", "16777217.000000",
                                           "16777219", "0.000000001", "9007199254740993", "99999999999999999999",
                                           "3.4028235e38", "340282346638528859811704183484516925440.0",
                                           "37.49662208557129", "90.71392440795898", "39.20821952819824",
                                           "-37.49662208557129"};
  for (const std::string& text : floats) {
    std::istringstream stream(text);
    float expected = -1;
    stream >> expected;
    ASSERT_FALSE(stream.fail()) << text;
    AseTokenizer tokens(text, "n.ASE");
    float value = -1;
    EXPECT_TRUE(tokens.readFloat(value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
  const std::vector<std::string> ints = {"0", "-1", "+42", "2147483647", "-2147483648", "2000000000", "007"};
  for (const std::string& text : ints) {
    std::istringstream stream(text);
    int32_t expected = -1;
    stream >> expected;
    ASSERT_FALSE(stream.fail()) << text;
    AseTokenizer tokens(text, "n.ASE");
    int32_t value = -1;
    EXPECT_TRUE(tokens.readInt(value)) << text;
    EXPECT_EQ(value, expected) << text;
  }
}

// Decimals of every length up to the double's exact range, written with and
// without a point: each reads as stream extraction reads it, the rounding
// included.
TEST(AseTokenizer, LongDecimalsRoundAsStreamExtraction) {
  std::mt19937_64 random(2026);
  std::string text;
  for (int i = 0; i < 20000; ++i) {
    const int digits = 1 + static_cast<int>(random() % 19);
    uint64_t limit = 1;
    for (int d = 0; d < digits; ++d) limit *= 10;
    std::string number = std::to_string(random() % limit);
    const int fraction = static_cast<int>(random() % (number.size() + 3));
    if (fraction > 0) {
      if (static_cast<size_t>(fraction) > number.size()) number.insert(0, static_cast<size_t>(fraction) - number.size(), '0');
      number.insert(number.size() - static_cast<size_t>(fraction), ".");
    }
    if (random() % 2) number.insert(0, "-");
    text += number;
    text += random() % 2 ? "\t" : "\r\n";
  }
  std::istringstream stream(text);
  AseTokenizer tokens(text, "d.ASE");
  for (float expected; stream >> expected;) {
    float value = -1;
    ASSERT_TRUE(tokens.readFloat(value)) << tokens.line();
    ASSERT_EQ(value, expected) << "line " << tokens.line();
  }
  EXPECT_TRUE(tokens.atEnd());
}

// Random well-formed text: the token sequence and the numbers agree with a
// string stream reading the same text.
TEST(AseTokenizer, RandomWellFormedTextMatchesStreamExtraction) {
  std::mt19937 random(12345);
  const char* blanks[] = {" ", "\t", "\r\n", "\n", "  ", "\t\t"};
  const char* words[] = {"*MESH_VERTEX", "{", "}", "*NODE_NAME", "\"Box01\"", "A:", "0:", "*TM_ROW0"};
  for (int round = 0; round < 200; ++round) {
    std::string text;
    std::vector<int> kinds;  // 0 word, 1 int, 2 float
    const int count = 1 + static_cast<int>(random() % 60);
    for (int i = 0; i < count; ++i) {
      text += blanks[random() % 6];
      const int kind = static_cast<int>(random() % 3);
      kinds.push_back(kind);
      if (kind == 0) {
        text += words[random() % 8];
      } else if (kind == 1) {
        text += std::to_string(static_cast<int32_t>(random()) / 3);
      } else {
        std::uniform_real_distribution<double> value(-1e5, 1e5);
        char number[64];
        std::snprintf(number, sizeof number, random() % 2 ? "%.4f" : "%.6g", value(random));
        text += number;
      }
    }
    text += blanks[random() % 6];
    std::istringstream stream(text);
    AseTokenizer tokens(text, "r.ASE");
    for (int kind : kinds) {
      if (kind == 0) {
        std::string expected;
        stream >> expected;
        std::string_view token;
        ASSERT_TRUE(tokens.next(token));
        ASSERT_EQ(token, expected) << text;
      } else if (kind == 1) {
        int32_t expected = 0;
        stream >> expected;
        ASSERT_EQ(tokens.readInt(), expected) << text;
      } else {
        float expected = 0;
        stream >> expected;
        ASSERT_EQ(tokens.readFloat(), expected) << text;
      }
    }
    std::string rest;
    EXPECT_FALSE(stream >> rest);
    EXPECT_TRUE(tokens.atEnd());
  }
}

TEST(AseTokenizer, ExpectedKeywordsAndSkippedTailsGiveTheTokensOfNext) {
  AseTokenizer tokens("*MESH_FACEX *MESH_FACE 0: A: 1 *MESH_SMOOTHING 1 x*MESH_FACE }x *MESH_FACE } tail", "k.ASE");
  std::string_view token;
  EXPECT_FALSE(tokens.nextIs("*MESH_FACE"));
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "*MESH_FACEX");
  EXPECT_TRUE(tokens.nextIs("*MESH_FACE"));
  // Only a whole "*MESH_FACE" or "}" token ends the skip.
  ASSERT_TRUE(tokens.nextOf("*MESH_FACE", token));
  EXPECT_EQ(token, "*MESH_FACE");
  ASSERT_TRUE(tokens.nextOf("*MESH_FACE", token));
  EXPECT_EQ(token, "}");
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "tail");
  EXPECT_FALSE(tokens.nextOf("*MESH_FACE", token));
  EXPECT_TRUE(token.empty());
}

TEST(AseTokenizer, NumberReadLeavesBracesAndKeywordsForTheBlock) {
  AseTokenizer tokens("1.5 } *MESH_VERTEX", "b.ASE");
  testing::internal::CaptureStdout();
  float x = 0, y = 9;
  EXPECT_TRUE(tokens.readFloat(x));
  EXPECT_FALSE(tokens.readFloat(y));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(x, 1.5f);
  EXPECT_EQ(y, 0.0f);
  EXPECT_EQ(out, "Error: falta un numero antes de \"}\" (fichero b.ASE, linea 1)\n");
  std::string_view token;
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "}");
  testing::internal::CaptureStdout();
  int32_t i = 5;
  EXPECT_FALSE(tokens.readInt(i));
  testing::internal::GetCapturedStdout();
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "*MESH_VERTEX");
}

TEST(AseTokenizer, BrokenNumberIsConsumedWithItsLeadingValue) {
  AseTokenizer tokens("12abc\n1.#QNAN nan inf 0x10 3000000000 1e999 next", "c.ASE");
  testing::internal::CaptureStdout();
  int32_t i = 0;
  EXPECT_FALSE(tokens.readInt(i));
  EXPECT_EQ(i, 12);
  float f = 7;
  EXPECT_FALSE(tokens.readFloat(f));
  EXPECT_EQ(f, 1.0f);
  EXPECT_FALSE(tokens.readFloat(f));
  EXPECT_EQ(f, 0.0f);
  EXPECT_FALSE(tokens.readFloat(f));
  EXPECT_EQ(f, 0.0f);
  EXPECT_FALSE(tokens.readInt(i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(tokens.readInt(i));
  EXPECT_EQ(i, 0);
  EXPECT_FALSE(tokens.readFloat(f));
  EXPECT_EQ(f, 0.0f);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("numero entero no valido \"12abc\" (fichero c.ASE, linea 1)"), std::string::npos) << out;
  EXPECT_NE(out.find("numero no valido \"1.#QNAN\" (fichero c.ASE, linea 2)"), std::string::npos) << out;
  std::string_view token;
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "next");
}

TEST(AseTokenizer, QuotedNamesJoinTheirWordsWithOneBlank) {
  AseTokenizer tokens(
      "\"Box01\" \"Bip01  R   Zeh0Nub\" \"\" \"a\"  \"\\\\aas1\\mc2\\x.tga\" \"Material #25 [cartoon]\"",
      "q.ASE");
  EXPECT_EQ(tokens.readQuoted(), "Box01");
  EXPECT_EQ(tokens.readQuoted(), "Bip01 R Zeh0Nub");
  EXPECT_EQ(tokens.readQuoted(), "");
  EXPECT_EQ(tokens.readQuoted(), "a");
  EXPECT_EQ(tokens.readQuoted(), "\\\\aas1\\mc2\\x.tga");
  EXPECT_EQ(tokens.readQuoted(), "Material #25 [cartoon]");
}

TEST(AseTokenizer, QuotedNameWithoutClosingQuoteEndsWithItsLine) {
  AseTokenizer tokens("\"Box 01\n*NODE_TM", "q.ASE");
  testing::internal::CaptureStdout();
  EXPECT_EQ(tokens.readQuoted(), "Box 01");
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out, "Error: falta la comilla de cierre del nombre \"Box 01\" (fichero q.ASE, linea 1)\n");
  std::string_view token;
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "*NODE_TM");
}

TEST(AseTokenizer, QuotedNameIsNotTakenFromABraceOrKeyword) {
  AseTokenizer tokens("} \"x\"", "q.ASE");
  testing::internal::CaptureStdout();
  EXPECT_EQ(tokens.readQuoted(), "");
  testing::internal::GetCapturedStdout();
  std::string_view token;
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "}");
}

TEST(AseTokenizer, SkipBlockCountsNestedBraces) {
  AseTokenizer tokens("a { b { c } d } e } after", "s.ASE");
  std::string_view token;
  tokens.next(token);
  tokens.next(token);
  tokens.skipBlock();
  ASSERT_TRUE(tokens.next(token));
  EXPECT_EQ(token, "e");
}

TEST(AseTokenizer, SkipBlockStopsAtTheEnd) {
  AseTokenizer tokens("{ { {", "s.ASE");
  std::string_view token;
  tokens.next(token);
  testing::internal::CaptureStdout();
  tokens.skipBlock();
  EXPECT_NE(testing::internal::GetCapturedStdout().find("termina antes de tiempo"), std::string::npos);
  EXPECT_TRUE(tokens.atEnd());
}

TEST(AseTokenizer, MessagesStopAfterTheLimit) {
  std::string text;
  for (int i = 0; i < 100; ++i) text += "x ";
  AseTokenizer tokens(text, "m.ASE");
  testing::internal::CaptureStdout();
  for (int i = 0; i < 100; ++i) tokens.readInt();
  const std::string out = testing::internal::GetCapturedStdout();
  size_t lines = 0;
  for (char c : out) lines += c == '\n';
  EXPECT_EQ(lines, static_cast<size_t>(AseTokenizer::kMaxReports) + 1);
  EXPECT_NE(out.find("demasiados errores en el fichero m.ASE"), std::string::npos);
}

TEST(AseTokenizer, LeadingDoubleIsTheNumberAtTheStart) {
  EXPECT_EQ(AseTokenizer::leadingDouble("0.25"), 0.25);
  EXPECT_EQ(AseTokenizer::leadingDouble("0.5,"), 0.5);
  EXPECT_EQ(AseTokenizer::leadingDouble("+1"), 1.0);
  EXPECT_EQ(AseTokenizer::leadingDouble("abc"), 0.0);
  EXPECT_EQ(AseTokenizer::leadingDouble("nan"), 0.0);
  EXPECT_EQ(AseTokenizer::leadingDouble("1e400"), 0.0);
}

TEST(AseTokenizer, OpensFilesWholeAndReportsMissingOnes) {
  TempDirectory folder;
  const auto file = folder.write("m.ASE", "*SCENE {\r\n}\r\n");
  AseTokenizer tokens;
  ASSERT_TRUE(tokens.open(file.string()));
  EXPECT_EQ(tokens.name(), file.string());
  EXPECT_EQ(allTokens(tokens), (std::vector<std::string>{"*SCENE", "{", "}"}));
  AseTokenizer missing;
  EXPECT_FALSE(missing.open((folder.path() / "none.ASE").string()));
  EXPECT_TRUE(missing.atEnd());
  AseTokenizer folderAsFile;
  EXPECT_FALSE(folderAsFile.open(folder.path().string()));
  // A file without a line end after its last token reads the same.
  const auto bare = folder.write("bare.ASE", "*SCENE { }");
  AseTokenizer unterminated;
  ASSERT_TRUE(unterminated.open(bare.string()));
  EXPECT_EQ(allTokens(unterminated), (std::vector<std::string>{"*SCENE", "{", "}"}));
  // A file that fills its last page exactly has nothing readable after it.
  std::string page = "*SCENE {\n";
  page.resize(4094, ' ');
  page += "}\n";
  const auto whole = folder.write("page.ASE", page);
  AseTokenizer paged;
  ASSERT_TRUE(paged.open(whole.string()));
  EXPECT_EQ(allTokens(paged), (std::vector<std::string>{"*SCENE", "{", "}"}));
  // A number at the very end of a file without a line end, one to three
  // bytes before a page boundary (the line end then goes into the page's
  // fill, or the file is read into memory).
  for (size_t spare = 1; spare <= 3; ++spare) {
    std::string last = "*TM_ROW3 ";
    last.resize(4096 - spare - 7, ' ');
    last += "-2.5000";
    const auto edge = folder.write("edge.ASE", last);
    AseTokenizer tokens;
    ASSERT_TRUE(tokens.open(edge.string()));
    std::string_view keyword;
    ASSERT_TRUE(tokens.next(keyword));
    float value = 0;
    EXPECT_TRUE(tokens.readFloat(value)) << spare;
    EXPECT_EQ(value, -2.5f) << spare;
    EXPECT_TRUE(tokens.atEnd()) << spare;
    EXPECT_EQ(tokens.reportCount(), 0) << spare;
  }
}

}  // namespace
