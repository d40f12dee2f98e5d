#pragma once
// What the winner's ceremony of a cup's final adds to the match's own: the
// cup's trophy on its pedestal beside the player's side (in doubles between
// the two partners), and the cup's name over the screen, from the moment the
// match is won to the match's end. Should the match be put back to before
// its last point (a point watched again from the pause screen), both go
// until it is won again.
//
// It adds to the match's scene and reads the match; it never changes the
// match. It owns the trophy's model and the name's label while they stand.

#include <cstdint>
#include <memory>
#include <string>

#include "app/match/MatchSimulation.h"
#include "engine/Model.h"
#include "engine/TextureFactory.h"

// How far beside a lone winner the trophy stands, towards the court's middle.
constexpr float kTrophyBeside = 95.0f;
// The cup's name, high on the screen, above the match's own words.
constexpr float kCupNameX = 512.0f;
constexpr float kCupNameY = 650.0f;

class CupCeremony {
 public:
  CupCeremony(int32_t cup, std::string cupName, std::shared_ptr<TextureFactory> textures);
  ~CupCeremony();
  CupCeremony(const CupCeremony&) = delete;
  CupCeremony& operator=(const CupCeremony&) = delete;

  // Once a frame of the final: the trophy and the name stand while the
  // match shows team 0 (the player's) having won it, and go otherwise.
  void follow(const MatchSimulation& match);
  bool standing() const { return trophy != nullptr; }
  // Where the trophy's foot stands in the court (valid while it stands).
  Vector3 trophyPlace() const { return place; }

 private:
  void stand(const MatchSimulation& match);
  void leave();

  int32_t cupIndex;
  std::string name;
  std::shared_ptr<TextureFactory> textures;
  std::shared_ptr<Model> trophy;
  std::shared_ptr<Overlay> label;
  std::shared_ptr<Scene> scene;
  Vector3 place;
};
