// The tokens of the scene files: the same tokens and numbers as formatted
// stream extraction on well-formed text, total reads on broken text, line
// numbers in the messages.

#include "assets/AseTokenizer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <iomanip>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/TempDirectory.h"

namespace {

std::string shown(float value) {
  std::ostringstream text;
  text << std::setprecision(9) << value;
  return text.str();
}

// Runs the reads of `script` on the tokenizer, one letter a read: t next, k
// nextIs and o nextOf "*MESH_FACE", i readInt, f readFloat, q readQuoted, s
// skipBlock, l the line of the last token, e atEnd. Gives what each read
// gave, separated by blanks, with "!" after a read that failed or reported.
std::string run(AseTokenizer& tokens, const std::string& script) {
  std::string result;
  for (char read : script) {
    const int reports = tokens.reportCount();
    std::string_view token;
    int32_t integer = -1;
    float number = -1;
    bool ok = true;
    std::string gave;
    switch (read) {
      case 't': ok = tokens.next(token), gave = token; break;
      case 'k': ok = tokens.nextIs("*MESH_FACE"), gave = "k"; break;
      case 'o': ok = tokens.nextOf("*MESH_FACE", token), gave = token; break;
      case 'i': ok = tokens.readInt(integer), gave = std::to_string(integer); break;
      case 'f': ok = tokens.readFloat(number), gave = shown(number); break;
      case 'q': gave = "\"" + tokens.readQuoted() + "\""; break;
      case 's': tokens.skipBlock(), gave = "s"; break;
      case 'l': gave = "@" + std::to_string(tokens.line()); break;
      case 'e': ok = tokens.atEnd(), gave = "e"; break;
    }
    result += (result.empty() ? "" : " ") + gave + (!ok || tokens.reportCount() != reports ? "!" : "");
  }
  return result;
}

struct Reads {
  const char* text;
  const char* script;
  const char* gives;
  // What is printed, in full.
  const char* prints;
};

const Reads kReads[] = {
    // Every blank of the C locale separates tokens.
    {"*NODE_NAME\t\"Box01\"\r\n  {\v*TM_ROW0 1.0\f2 3}\n", "ttttttte", "*NODE_NAME \"Box01\" { *TM_ROW0 1.0 2 3} e", ""},
    {"a\r\nb\n\n  c", "tltltl", "a @1 b @2 c @4", ""},
    // At the end every read fails, and the end is reported once.
    {"  \n ", "tifqe", "! 0! 0! \"\" e",
     "Error: el fichero termina antes de tiempo (fichero r.ASE, linea 2)\n"},
    // Only a whole "*MESH_FACE" or "}" token ends the skip of nextOf.
    {"*MESH_FACEX *MESH_FACE 0: A: 1 *MESH_SMOOTHING 1 x*MESH_FACE }x *MESH_FACE } tail", "ktkooto",
     "k! *MESH_FACEX k *MESH_FACE } tail !", ""},
    // A number read leaves braces and keywords for the block.
    {"1.5 } *MESH_VERTEX", "fftit", "1.5 0! } 0! *MESH_VERTEX",
     "Error: falta un numero antes de \"}\" (fichero r.ASE, linea 1)\n"
     "Error: falta un numero antes de \"*MESH_VERTEX\" (fichero r.ASE, linea 1)\n"},
    // A brace glued to a number is the next token, as stream extraction
    // leaves it; a glued "}" also ends the skip of nextOf.
    {"0.0} 7{ -2}} *MESH_MTLID 0}\n", "ftititoe", "0 } 7 { -2 }} } e", ""},
    // A broken number is consumed, with its leading value.
    {"12abc\n1.#QNAN nan inf 0x10 3000000000 1e999 next", "ifffiift", "12! 1! 0! 0! 0! 0! 0! next",
     "Error: numero entero no valido \"12abc\" (fichero r.ASE, linea 1)\nError: numero no valido \"1.#QNAN\" (fichero "
     "r.ASE, linea 2)\nError: numero no valido \"nan\" (fichero r.ASE, linea 2)\nError: numero no valido \"inf\" "
     "(fichero r.ASE, linea 2)\nError: numero entero no valido \"0x10\" (fichero r.ASE, linea 2)\nError: numero "
     "entero no valido \"3000000000\" (fichero r.ASE, linea 2)\nError: numero no valido \"1e999\" (fichero r.ASE, "
     "linea 2)\n"},
    {"\"Box01\" \"Bip01  R   Zeh0Nub\" \"\" \"a\"  \"\\\\aas1\\mc2\\x.tga\" \"Material #25 [cartoon]\"", "qqqqqq",
     "\"Box01\" \"Bip01 R Zeh0Nub\" \"\" \"a\" \"\\\\aas1\\mc2\\x.tga\" \"Material #25 [cartoon]\"", ""},
    {"\"Box 01\n*NODE_TM", "qt", "\"Box 01\"! *NODE_TM",
     "Error: falta la comilla de cierre del nombre \"Box 01\" (fichero r.ASE, linea 1)\n"},
    {"} \"x\" Caja", "qtqq", "\"\"! } \"x\" \"Caja\"!",
     "Error: falta un nombre entre comillas antes de \"}\" (fichero r.ASE, linea 1)\n"
     "Error: nombre sin comillas \"Caja\" (fichero r.ASE, linea 1)\n"},
    {"a { b { c } d } e } after", "ttst", "a { s e", ""},
    {"0 -1 +42 2147483647 -2147483648 2000000000 007", "iiiiiii", "0 -1 42 2147483647 -2147483648 2000000000 7", ""},
    {"{ { {", "tse", "{ s! e", "Error: el fichero termina antes de tiempo (fichero r.ASE, linea 2)\n"},
};

TEST(AseTokenizer, ReadsGiveTheirTokensAndReportEachProblemOnce) {
  for (const Reads& reads : kReads) {
    SCOPED_TRACE(reads.text);
    AseTokenizer tokens(reads.text, "r.ASE");
    testing::internal::CaptureStdout();
    const std::string gives = run(tokens, reads.script);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), reads.prints);
    EXPECT_EQ(gives, reads.gives);
  }
  // After kMaxReports lines a file goes quiet.
  std::string many;
  for (int i = 0; i < 100; ++i) many += "x ";
  AseTokenizer tokens(many, "m.ASE");
  testing::internal::CaptureStdout();
  for (int i = 0; i < 100; ++i) tokens.readInt();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), AseTokenizer::kMaxReports + 1);
  EXPECT_NE(out.find("demasiados errores en el fichero m.ASE"), std::string::npos);
}

// Every well-formed number reads as stream extraction reads it: the
// exporter's "%.4f", other exporters' "%f", the halfway cases of the
// rounding, and shapes that take the full conversion. The skin weights take
// the leading number of a token, or 0.
TEST(AseTokenizer, NumbersMatchStreamExtractionAndLeadingDoubleIsTheNumberAtTheStart) {
  for (const char* text :
       {"0", "1.0", "-0.0000", "1.", ".5", "-.25", "+3.5", "1e-05", "2.5E+3", "3.4028e38", "1e-40", "0.1",
        "123456789", "-7.125", "0.33333334", "16777217", "0.0000001", "-12345.678", "1.17549435e-38", "0.0001",
        "1048575.9999", "1048576.0000", "-2581.7500", "12345678.1234", "320.000000", "-0.015625", "123456.123456",
        "16777217.000000", "16777219", "0.000000001", "9007199254740993", "99999999999999999999", "3.4028235e38",
        "340282346638528859811704183484516925440.0", "37.49662208557129", "90.71392440795898",
        "39.20821952819824", "-37.49662208557129"}) {
    std::istringstream stream(text);
    float expected = -1;
    ASSERT_TRUE(stream >> expected) << text;
    AseTokenizer tokens(text, "n.ASE");
    EXPECT_EQ(run(tokens, "f"), shown(expected)) << text;
  }
  std::vector<double> leading;
  for (const char* text : {"0.25", "0.5,", "+1", "abc", "nan", "1e400"}) {
    leading.push_back(AseTokenizer::leadingDouble(text));
  }
  EXPECT_EQ(leading, (std::vector<double>{0.25, 0.5, 1, 0, 0, 0}));
}

// Random well-formed text: decimals of every length up to the double's
// exact range, with and without a point, "%.4f" and "%g" numbers, integers
// and words, read as a string stream reads the same text.
TEST(AseTokenizer, RandomWellFormedTextMatchesStreamExtraction) {
  std::mt19937_64 random(2026);
  const char* blanks[] = {" ", "\t", "\r\n", "\n", "  ", "\t\t"};
  const char* words[] = {"*MESH_VERTEX", "{", "}", "*NODE_NAME", "\"Box01\"", "A:", "0:", "*TM_ROW0"};
  std::string text;
  std::string kinds;
  for (int i = 0; i < 40000; ++i) {
    const char kind = "wifdd"[random() % 5];
    kinds += kind;
    text += blanks[random() % 6];
    if (kind == 'w') {
      text += words[random() % 8];
    } else if (kind == 'i') {
      text += std::to_string(static_cast<int32_t>(random()) / 3);
    } else if (kind == 'f') {
      char number[64];
      std::snprintf(number, sizeof number, random() % 2 ? "%.4f" : "%.6g",
                    std::uniform_real_distribution<double>(-1e5, 1e5)(random));
      text += number;
    } else {
      uint64_t limit = 1;
      for (int d = 1 + static_cast<int>(random() % 19); d > 0; --d) limit *= 10;
      std::string number = std::to_string(random() % limit);
      const size_t fraction = random() % (number.size() + 3);
      if (fraction > number.size()) number.insert(0, fraction - number.size(), '0');
      if (fraction > 0) number.insert(number.size() - fraction, ".");
      text += (random() % 2 ? "-" : "") + number;
    }
  }
  std::istringstream stream(text);
  AseTokenizer tokens(text, "r.ASE");
  for (char kind : kinds) {
    std::string word;
    int32_t integer = 0;
    float number = 0;
    if (kind == 'w') {
      stream >> word;
      ASSERT_EQ(run(tokens, "t"), word) << "line " << tokens.line();
    } else if (kind == 'i') {
      stream >> integer;
      ASSERT_EQ(tokens.readInt(), integer) << "line " << tokens.line();
    } else {
      stream >> number;
      ASSERT_EQ(tokens.readFloat(), number) << "line " << tokens.line();
    }
  }
  EXPECT_TRUE(tokens.atEnd());
}

TEST(AseTokenizer, OpensFilesWholeAndReportsMissingOnes) {
  TempDirectory folder;
  AseTokenizer tokens;
  // Files without a line end after their last token are mapped, a line end
  // written into the page's fill; one that fills its last page exactly, or
  // ends one byte before it, is read into memory.
  std::string page = "*SCENE {\n";
  page.resize(4094, ' ');
  for (const std::string& text :
       {std::string("*SCENE {\r\n}\r\n"), std::string("*SCENE { }"), page + "}\n", page + " }", page + "}"}) {
    ASSERT_TRUE(tokens.open(folder.write("page.ASE", text).string()));
    EXPECT_EQ(run(tokens, "ttte"), "*SCENE { } e") << text.size();
  }
  EXPECT_EQ(tokens.name(), (folder.path() / "page.ASE").string());
  EXPECT_FALSE(tokens.open((folder.path() / "none.ASE").string()));
  EXPECT_TRUE(tokens.atEnd());
  EXPECT_FALSE(tokens.open(folder.path().string()));
  // A number at the very end of such a file, one to three bytes before a
  // page boundary.
  for (size_t spare = 1; spare <= 3; ++spare) {
    std::string last = "*TM_ROW3 ";
    last.resize(4096 - spare - 7, ' ');
    ASSERT_TRUE(tokens.open(folder.write("edge.ASE", last + "-2.5000").string()));
    EXPECT_EQ(run(tokens, "tfe"), "*TM_ROW3 -2.5 e") << spare;
  }
}

}  // namespace
