#include "app/net/NetRollback.h"

#include <algorithm>

#include "app/match/MatchState.h"
#include "engine/StateBuffer.h"

NetRollback::NetRollback(NetSession& session, MatchSimulation& match)
    : session(session),
      match(match),
      firstKept(match.stepsTaken()),
      certainSteps(match.stepsTaken()) {
  const uint8_t playing = session.setup().doubles ? kAllSlotsMask : 0x3;
  remoteSlots = static_cast<uint8_t>(playing & ~session.localSlots());
  saved.emplace_back();
  match.save(saved.back());
}

double NetRollback::aheadSeen() const {
  const double transitSteps = session.roundTripMs() / 2.0 / kFixedStepMs;
  return static_cast<double>(match.stepsTaken()) - (static_cast<double>(session.remoteStepNow()) + transitSteps);
}

double NetRollback::ahead() const {
  // Half the difference of what each game sees: the latency each misjudges
  // alike cancels out.
  return (aheadSeen() - session.remoteAhead()) / 2.0;
}

NetRollback::Advance NetRollback::advance(const std::function<StepInput()>& sampleLocal,
                                          std::vector<PlayedStep>& played) {
  const int64_t now = match.stepsTaken();
  const int64_t delay = session.setup().inputDelay;
  while (session.nextLocalStep() <= now + delay) session.sendLocal(sampleLocal());
  const int64_t wrong = firstMispredicted();
  if (wrong >= 0) playAgainFrom(wrong, played);
  becomeCertain();
  // Over, as far as this game knows: no step more, until the end is certain
  // or a correction plays the match on.
  if (match.isFinished()) {
    session.noteWaiting(false, now);
    return Advance::Waiting;
  }

  session.setAhead(aheadSeen());
  if (ahead() >= kAheadToHold && now - lastHeld >= kHoldEvery) {
    lastHeld = now;
    ++counts.heldSteps;
    return Advance::Holding;
  }
  const bool known = now < delay || session.remoteInput(now).has_value();
  const bool tooFarAhead = now - session.remoteContiguous() >= kMaxPredictedSteps;
  if (!known && tooFarAhead) {
    session.noteWaiting(true, now);
    return Advance::Waiting;
  }
  session.noteWaiting(false, now);
  playStep(now, false, played);
  becomeCertain();
  return Advance::Played;
}

StepInput NetRollback::remoteFor(int64_t step, bool& predicted) const {
  predicted = false;
  if (step < session.setup().inputDelay) return {};
  if (const std::optional<StepInput> real = session.remoteInput(step)) return *real;
  predicted = true;
  // The last real commands before the step: held as they were, nothing new.
  const int64_t lastReal = std::min(step, session.remoteContiguous()) - 1;
  const std::optional<StepInput> known = session.remoteInput(lastReal);
  StepInput guess = known ? *known : lastRealRemote;
  for (PlayerCommand& command : guess.slots) command.pressed = 0;
  return guess;
}

StepInput NetRollback::merged(const Step& step) const {
  StepInput input = step.local;
  for (int32_t slot = 0; slot < kPlayerSlotCount; ++slot) {
    if (remoteSlots >> slot & 1u) input.slots[slot] = step.remote.slots[slot];
  }
  input.matchKeys = static_cast<uint8_t>(step.local.matchKeys | step.remote.matchKeys);
  return input;
}

int64_t NetRollback::firstMispredicted() {
  for (int64_t step = certainSteps; step < match.stepsTaken(); ++step) {
    Step& played = steps[static_cast<size_t>(step - firstKept)];
    if (!played.predicted) continue;
    const std::optional<StepInput> real = session.remoteInput(step);
    if (!real) continue;
    if (*real != played.remote) return step;
    // Guessed right: nothing to play again.
    played.predicted = false;
  }
  return -1;
}

void NetRollback::playAgainFrom(int64_t step, std::vector<PlayedStep>& played) {
  const int64_t now = match.stepsTaken();
  if (!match.restore(saved[static_cast<size_t>(step - firstKept)])) return;
  const int32_t depth = static_cast<int32_t>(now - step);
  ++counts.rollbacks;
  counts.stepsPlayedAgain += depth;
  counts.deepest = std::max(counts.deepest, depth);
  for (int64_t again = step; again < now; ++again) playStep(again, true, played);
}

void NetRollback::playStep(int64_t step, bool again, std::vector<PlayedStep>& played) {
  const size_t at = static_cast<size_t>(step - firstKept);
  if (!again) {
    Step fresh;
    if (const std::optional<StepInput> local = session.localInput(step)) fresh.local = *local;
    steps.push_back(fresh);
  }
  Step& entry = steps[at];
  entry.remote = remoteFor(step, entry.predicted);
  if (entry.predicted && !again) ++counts.predictedSteps;
  const StepInput input = merged(entry);
  match.step(input);
  played.push_back(PlayedStep{match.outcome(), input, again});
  if (saved.size() <= at + 1) saved.emplace_back();
  match.save(saved[at + 1]);
}

void NetRollback::becomeCertain() {
  const int64_t now = match.stepsTaken();
  while (certainSteps < now && !steps[static_cast<size_t>(certainSteps - firstKept)].predicted) {
    const int64_t step = certainSteps;
    lastRealRemote = steps[static_cast<size_t>(step - firstKept)].remote;
    // The state after a certain step is the same on both games.
    if ((step + 1) % kStepsPerStateHash == 0) {
      session.checkState(step, hashState(saved[static_cast<size_t>(step + 1 - firstKept)].bytes));
    }
    ++certainSteps;
  }
  // Only the state before the first uncertain step is needed to go back to.
  while (firstKept < certainSteps) {
    steps.pop_front();
    saved.pop_front();
    ++firstKept;
  }
  session.forgetRemoteBefore(certainSteps - 1);
}
