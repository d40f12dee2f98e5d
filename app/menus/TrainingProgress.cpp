#include "app/menus/TrainingProgress.h"

#include <cstdlib>
#include <fstream>
#include <system_error>

#include "engine/Log.h"
#include "engine/WholeFile.h"

namespace {

// The line at fault, or 0 when the file is sound.
int32_t firstBadLine(std::istream& in, TrainingProgress& progress) {
  std::string line;
  int32_t number = 0;
  while (true) {
    line.clear();
    char c = 0;
    bool ended = false;
    // A line is read only as far as a good one can go.
    while (in.get(c)) {
      if (c == '\n') {
        ended = true;
        break;
      }
      if (line.size() >= kTrainingProgressLongestLine) return number + 1;
      line += c;
    }
    if (!ended && line.empty()) break;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (number == 1) {
      if (line != kTrainingProgressHeading) return number;
      continue;
    }
    if (number > kLessonCount + 1) return number;
    const std::optional<LessonId> lesson = findLesson(line);
    if (!lesson) return number;
    progress.markPassed(*lesson);
    if (!ended) break;
  }
  // An empty file is damaged too: a file the game wrote has its heading.
  return number == 0 ? 1 : 0;
}

}  // namespace

int32_t TrainingProgress::passedCount() const {
  int32_t count = 0;
  for (const bool passed : lessons) count += passed ? 1 : 0;
  return count;
}

std::string TrainingProgress::formatted() const {
  std::string contents = std::string(kTrainingProgressHeading) + "\n";
  for (int32_t index = 0; index < kLessonCount; ++index) {
    if (lessons[static_cast<size_t>(index)]) contents += std::string(lessonRules(lessonAt(index)).name) + "\n";
  }
  return contents;
}

TrainingProgress TrainingProgress::read(std::istream& in, const std::string& fileName) {
  TrainingProgress progress;
  const int32_t bad = firstBadLine(in, progress);
  if (bad == 0) return progress;
  printMessage("El progreso del entrenamiento %s esta danado (linea %d): se empieza de nuevo\n", fileName.c_str(), bad);
  return TrainingProgress{};
}

TrainingProgress TrainingProgress::load(const std::filesystem::path& file) {
  if (file.empty()) return {};
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  return read(in, file.string());
}

bool TrainingProgress::save(const std::filesystem::path& file) const {
  if (file.empty()) return false;
  std::error_code error;
  std::filesystem::create_directories(file.parent_path(), error);
  if (writeWholeFile(file, formatted())) return true;
  printMessage("No se pudo guardar el progreso del entrenamiento en %s\n", file.string().c_str());
  return false;
}

std::filesystem::path trainingProgressPath() {
  const char* base = std::getenv("XDG_DATA_HOME");
  if (base && *base == '/') return std::filesystem::path(base) / "zumbolo" / kTrainingProgressFile;
  const char* home = std::getenv("HOME");
  if (home && *home) return std::filesystem::path(home) / ".local/share/zumbolo" / kTrainingProgressFile;
  return {};
}
