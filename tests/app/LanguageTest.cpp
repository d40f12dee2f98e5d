#include "app/Language.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "support/TempDirectory.h"

namespace {

TEST(LanguageTest, LinesAreTextsByIndexFromZeroUpToTheFirstBrokenLine) {
  const TempDirectory folder;
  const std::string path = (folder.path() / "lang/XX.data").string();
  const std::string longest(kMaxLanguageLineLength, 'a');
  const struct {
    std::optional<std::string> contents;  // none: there is no file
    std::vector<std::string> texts;
    std::string message;
  } cases[] = {
      {"JUGAR\nCREDITOS\n\nSALIR", {"JUGAR", "CREDITOS", "", "SALIR"}, ""},
      {"Espa\xF1ol\r\n\xBFJugar?\r\n", {"Espa\xF1ol", "\xBFJugar?"}, ""},
      {longest + "\r\n" + longest + "\nnext\n", {longest, longest, "next"}, ""},
      {"first\n" + longest + "b\nnever\n",
       {"first"},
       path + ":2: linea de mas de 254 caracteres; el resto del archivo no se lee\n"},
      {longest + "bb\nnever\n", {}, path + ":1: linea de mas de 254 caracteres; el resto del archivo no se lee\n"},
      {std::string(kMaxLanguageLines + 10, '\n'), std::vector<std::string>(kMaxLanguageLines),
       path + ":4097: demasiadas lineas; el resto del archivo no se lee\n"},
      {std::nullopt, {}, "No se pudo abrir el archivo de idioma " + path + "; los textos quedan vacios\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents.value_or("(no file)").substr(0, 40));
    std::istringstream previous("old\n");  // a missing file must not leave these behind
    readLanguage(previous, "old");
    std::filesystem::remove(path);
    if (c.contents) folder.write("lang/XX.data", *c.contents);
    testing::internal::CaptureStdout();
    loadLanguage(path);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.message);
    ASSERT_EQ(languageTextCount(), c.texts.size());
    for (size_t i = 0; i < c.texts.size(); ++i) EXPECT_EQ(text(static_cast<int32_t>(i)), c.texts[i]) << i;
    EXPECT_EQ(text(static_cast<int32_t>(c.texts.size())), "");  // past the end
    EXPECT_EQ(text(-1), "");
  }
}

}  // namespace
