#include "app/Language.h"

#include <gtest/gtest.h>

#include "support/TempDirectory.h"

namespace {

class LanguageTest : public ::testing::Test {
 protected:
  // Loads the contents as a language file and returns what was printed.
  std::string load(const std::string& contents) {
    const auto path = folder.write("lang/XX.data", contents);
    testing::internal::CaptureStdout();
    loadLanguage(path.string());
    return testing::internal::GetCapturedStdout();
  }

  TempDirectory folder;
};

TEST_F(LanguageTest, LinesAreTextsByIndexFromZero) {
  EXPECT_EQ(load("JUGAR\nCREDITOS\n\nSALIR"), "");
  ASSERT_EQ(languageTextCount(), 4u);
  EXPECT_EQ(text(0), "JUGAR");
  EXPECT_EQ(text(1), "CREDITOS");
  EXPECT_EQ(text(2), "");
  EXPECT_EQ(text(3), "SALIR");
}

TEST_F(LanguageTest, IndexPastTheEndOrNegativeIsEmpty) {
  load("a\nb\n");
  EXPECT_EQ(text(2), "");  // equal to the number of texts
  EXPECT_EQ(text(1000), "");
  EXPECT_EQ(text(-1), "");
}

TEST_F(LanguageTest, WindowsLineEndsAndBytesAreKept) {
  load("Espa\xF1ol\r\n\xBFJugar?\r\n");
  EXPECT_EQ(text(0), "Espa\xF1ol");
  EXPECT_EQ(text(1), "\xBFJugar?");
}

TEST_F(LanguageTest, LineOfTheLimitFitsOneMoreStopsReading) {
  const std::string longest(kMaxLanguageLineLength, 'a');
  EXPECT_EQ(load(longest + "\r\n" + longest + "\nnext\n"), "");
  EXPECT_EQ(languageTextCount(), 3u);
  EXPECT_EQ(text(0), longest);

  const std::string output = load("first\n" + longest + "b\nnever\n");
  EXPECT_EQ(languageTextCount(), 1u);
  EXPECT_EQ(text(1), "");
  EXPECT_EQ(output, (folder.path() / "lang/XX.data").string() +
                        ":2: linea de mas de 254 caracteres; el resto del archivo no se lee\n");
}

TEST_F(LanguageTest, MissingFileEmptiesTheTableWithOneMessage) {
  load("old\n");
  testing::internal::CaptureStdout();
  loadLanguage((folder.path() / "lang/.data").string());
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(languageTextCount(), 0u);
  EXPECT_EQ(text(0), "");
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
  EXPECT_NE(output.find("lang/.data"), std::string::npos);
}

TEST_F(LanguageTest, EndlessFileIsCutAtTheLineLimit) {
  const std::string output = load(std::string(kMaxLanguageLines + 10, '\n'));
  EXPECT_EQ(languageTextCount(), kMaxLanguageLines);
  EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 1);
}

}  // namespace
