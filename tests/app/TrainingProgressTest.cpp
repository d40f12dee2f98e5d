// The lessons passed, as kept in the user's data folder: written whole and
// read back; a damaged file is one line naming it and its line, and training
// starts afresh.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "app/menus/TrainingProgress.h"
#include "support/TempDirectory.h"

namespace {

TEST(TrainingProgressTest, TheLessonsPassedAreWrittenWholeAndReadBack) {
  TempDirectory folder;
  const std::filesystem::path file = folder.path() / "zumbolo" / kTrainingProgressFile;
  TrainingProgress progress;
  progress.markPassed(LessonId::Serve);
  progress.markPassed(LessonId::Dive);
  ASSERT_TRUE(progress.save(file));  // the folder is made
  EXPECT_EQ(readFile(file), "ZUMBOLO LESSONS 1\nsaque\nplongeon\n");
  const TrainingProgress again = TrainingProgress::load(file);
  EXPECT_TRUE(again.passed(LessonId::Serve));
  EXPECT_TRUE(again.passed(LessonId::Dive));
  EXPECT_EQ(again.passedCount(), 2);
  // A file that is not there is nothing passed, and no message.
  testing::internal::CaptureStdout();
  EXPECT_EQ(TrainingProgress::load(folder.path() / "missing.txt").passedCount(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(TrainingProgressTest, ADamagedFileIsOneLineNamingItsLineAndTrainingStartsAfresh) {
  const struct {
    std::string contents;
    int line;
  } cases[] = {
      {"", 1},
      {"ZUMBOLO LESSONS 2\nsaque\n", 1},
      {"ZUMBOLO LESSONS 1\nsaque\nvolea\n", 3},
      {"ZUMBOLO LESSONS 1\n" + std::string(100, 'x') + "\n", 2},
      {"ZUMBOLO LESSONS 1\nsaque\nsaque\nsaque\nsaque\nsaque\nsaque\nsaque\nsaque\nsaque\n", 10},
      {std::string("ZUMBOLO LESSONS 1\nsa\0que\n", 25), 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.contents);
    std::istringstream in(c.contents);
    testing::internal::CaptureStdout();
    const TrainingProgress progress = TrainingProgress::read(in, "lessons.txt");
    const std::string said = testing::internal::GetCapturedStdout();
    EXPECT_EQ(progress.passedCount(), 0);
    EXPECT_EQ(said, "El progreso del entrenamiento lessons.txt esta danado (linea " + std::to_string(c.line) +
                        "): se empieza de nuevo\n");
  }
  // Line ends of another system and a last line without one are no damage.
  std::istringstream crlf("ZUMBOLO LESSONS 1\r\nglobo\r\nremate");
  EXPECT_EQ(TrainingProgress::read(crlf, "lessons.txt").passedCount(), 2);
}

}  // namespace
