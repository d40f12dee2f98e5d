#pragma once
// Whatever runs in the Application's match slot: a singles or doubles match.
// The frame loop calls onFrame() once per displayed frame (not per fixed step;
// the match's entities step inside the scene) and goes back to the menus when
// isFinished() answers true.

class GameState {
 public:
  virtual ~GameState() = default;
  virtual void onFrame() = 0;
  virtual bool isFinished() = 0;
};
