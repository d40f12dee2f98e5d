// The game's command line: a recording that cannot be played is one line
// naming it, and the game ends with status 1 before its window opens.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "support/TempDirectory.h"

namespace {

TEST(GameCommandLineTest, ARecordingThatCannotBePlayedIsOneLineAndStatusOne) {
  TempDirectory folder;
  const ScopedWorkingDirectory inside(folder.path());
  folder.write("broken.zrec", "ZREC\x01");
  const struct {
    const char* arguments;
    const char* says;
  } cases[] = {
      {"--replay missing.zrec", "No se puede abrir la grabacion missing.zrec\n"},
      {"--replay broken.zrec", "La grabacion broken.zrec esta danada en el byte 5: el archivo se corta\n"},
      {"--replay", "Falta el archivo de la grabacion tras --replay\n"},
  };
  for (const auto& c : cases) {
    const std::string command = std::string("'") + std::getenv("ZUMBOLO_SOURCE_DIR") + "/tests/with-display.sh' '" +
                                std::getenv("ZUMBOLO_RUN_DIR") + "/zumbolo' " + c.arguments + " >out.txt 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c.arguments;
    EXPECT_EQ(folder.read("out.txt"), c.says);
  }
}

}  // namespace
