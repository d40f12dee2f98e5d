#pragma once
// Whatever runs in the Application's match slot: a singles or doubles match.
// The frame loop calls onStep() after every fixed step the scene took (none
// while the pause screen shows), with the input sampled at the step's start,
// and goes back to the menus when isFinished() answers true. Judging after
// every step, not every displayed frame, keeps the outcome of a point
// independent of the frame rate.

struct StepInput;

class GameState {
 public:
  virtual ~GameState() = default;
  virtual void onStep(const StepInput& input) = 0;
  virtual bool isFinished() = 0;
};
