// The game's command line: help and version, and what it cannot follow: a
// recording that cannot be played is one line naming it and status 1, an
// option it does not know one line and status 2, before any window opens.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "app/GameOptions.h"
#include "support/TempDirectory.h"

namespace {

TEST(GameCommandLineTest, HelpVersionAndWhatTheGameCannotFollowEndItBeforeItsWindow) {
  TempDirectory folder;
  const ScopedWorkingDirectory inside(folder.path());
  folder.write("broken.zrec", "ZREC\x01");
  const struct {
    const char* arguments;
    int status;
    std::string says;
  } cases[] = {
      {"--replay missing.zrec", 1, "No se puede abrir la grabacion missing.zrec\n"},
      {"--replay broken.zrec", 1, "La grabacion broken.zrec esta danada en el byte 5: el archivo se corta\n"},
      {"--replay", 2, "Falta el valor tras --replay (zumbolo --help da el uso)\n"},
      {"--windowed --fullscreen", 2, "Opcion desconocida: --fullscreen (zumbolo --help da el uso)\n"},
      {"-display :99 --version", 0, "zumbolo 1.0.0\n"},
      {"--help", 0, kGameUsage},
  };
  for (const auto& c : cases) {
    const std::string command = std::string("'") + std::getenv("ZUMBOLO_SOURCE_DIR") + "/tests/with-display.sh' '" +
                                std::getenv("ZUMBOLO_RUN_DIR") + "/zumbolo' " + c.arguments + " >out.txt 2>/dev/null";
    const int status = std::system(command.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == c.status) << c.arguments;
    EXPECT_EQ(folder.read("out.txt"), c.says);
  }
}

}  // namespace
