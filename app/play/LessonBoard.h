#pragma once
// What a lesson shows over the court: its name and what is counted (the
// successes of the goal, the tries) at the top, the word on the last try in
// the middle (good, or why it missed), "LESSON PASSED!" once passed, and
// along the foot the instruction in one or two lines naming the player's
// own keys, then the pad's buttons when a pad plays the key set. It reads
// the lesson and never changes it.

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/match/LessonMatch.h"
#include "app/menus/LessonWords.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/TextureFactory.h"

class LessonBoard : public Overlay {
 public:
  // `controls` are the person's keys, then their pad's when they have one.
  LessonBoard(std::weak_ptr<LessonMatch> lesson, std::vector<ControlNames> controls,
              std::shared_ptr<TextureFactory> textures);
  void draw2D() override;
  void update(uint32_t) override {}

  // The lines as they read now (drawn top down: the heading, the count, the
  // word, then the instruction's lines).
  std::string heading() const;
  std::string countLine() const;
  std::string wordLine() const;
  const std::vector<std::string>& instructionLines() const { return instruction; }

 private:
  std::weak_ptr<LessonMatch> lesson;
  std::shared_ptr<Font> font;
  std::vector<std::string> instruction;
};
