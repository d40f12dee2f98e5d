#pragma once
// The card of a person's controls shown before their first match of the
// run, for as long as they like: for each person new to this run, their
// keys (move, hit, dive) and their pad's buttons when a pad plays their key
// set, then the pause keys and how to go on (Enter or a pad's A). The
// Application shows it over the introduction and holds the match at its
// first serve until it is put away.

#include <memory>
#include <string>
#include <vector>

#include "app/menus/LessonWords.h"
#include "engine/Font.h"
#include "engine/Overlay.h"
#include "engine/TextureFactory.h"

class KeysCard : public Overlay {
 public:
  struct Person {
    std::string name;  // "P1 KEYS"
    std::vector<ControlNames> controls;  // the keys, then the pad's
  };
  KeysCard(std::vector<Person> people, std::shared_ptr<TextureFactory> textures);
  void draw2D() override;
  void update(uint32_t) override {}

  // The card's lines top down, as drawn under its heading.
  const std::vector<std::string>& lines() const { return shown; }

 private:
  std::shared_ptr<Font> font;
  std::vector<std::string> shown;
};
