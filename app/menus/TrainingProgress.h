#pragma once
// Which lessons of training a player has passed, kept in the user's data
// folder ($XDG_DATA_HOME/zumbolo/lessons.txt, else ~/.local/share/zumbolo/)
// and shown with a mark in the lesson list.
//
// The file is a first line "ZUMBOLO LESSONS 1" and then one lesson's name a
// line (Lessons.h: "saque", "golpe"...), in any order. A file that is not
// there is no lesson passed. A damaged file (another first line, a name no
// lesson has, a line too long, more lines than lessons) is one line of
// Spanish naming the file and the line, and training starts afresh: nothing
// passed. The file is written whole, through a file beside it (WholeFile).

#include <array>
#include <cstddef>
#include <filesystem>
#include <istream>
#include <string>

#include "app/match/Lessons.h"

constexpr const char* kTrainingProgressFile = "lessons.txt";
constexpr const char* kTrainingProgressHeading = "ZUMBOLO LESSONS 1";
// No line of a good file is longer (the heading is the longest).
constexpr size_t kTrainingProgressLongestLine = 32;

class TrainingProgress {
 public:
  bool passed(LessonId lesson) const { return lessons[static_cast<size_t>(lessonIndex(lesson))]; }
  void markPassed(LessonId lesson) { lessons[static_cast<size_t>(lessonIndex(lesson))] = true; }
  int32_t passedCount() const;

  // The file's contents, as save() writes them.
  std::string formatted() const;
  // Reads a file's contents; `fileName` only names it in the message.
  static TrainingProgress read(std::istream& in, const std::string& fileName);
  // The progress in `file`; none passed when it is missing or damaged.
  static TrainingProgress load(const std::filesystem::path& file);
  // Writes the progress whole, making the folder if need be; a failure is
  // one line, and the game goes on.
  bool save(const std::filesystem::path& file) const;

 private:
  std::array<bool, kLessonCount> lessons{};
};

// $XDG_DATA_HOME/zumbolo/lessons.txt, else under ~/.local/share; empty
// when neither variable is set (nothing is then kept).
std::filesystem::path trainingProgressPath();
