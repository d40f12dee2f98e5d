#!/usr/bin/env python3
"""The real game played from its title screen to its exit twice: with real
key events, then with a gamepad alone (no key pressed): the options (with
the keys: the far player's left bound to z by pressing it, which config.ini
must then hold; with the pad: opened and left with B), match options,
player set-up with a person against the computer, the introduction, a
point, the pause screen, leaving the match and quitting. Every stage must
show what it should, the game must end with code 0, and its standard output
must stay empty (no diagnostic line). The match the game recorded, replayed
by the simulator, must end at the score the game left, and with the keys
the person's left must be in it: z played.

Usage: play_through.py RUN_FOLDER [SHOTS_FOLDER]
  RUN_FOLDER    a build's run folder (the game and its data)
  SHOTS_FOLDER  where the picture of each stage is kept (default: none)

The game runs on a private virtual X display in a fresh copy of the run
folder, so it writes its default config.ini as on a first start.
"""

import json
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
# No compiled copy of the drive in the source tree.
sys.dont_write_bytecode = True
import gamedrive  # noqa: E402


def recorded_score(path):
    """The score a recording was left at (after its 20-byte header)."""
    with open(path, "rb") as f:
        data = f.read()
    return data[21:21 + data[20]].decode("cp1252")


def person_controls(path):
    """Every run's held controls of the one person of a recording."""
    with open(path, "rb") as f:
        data = f.read()
    at = 21 + data[20]
    held = []
    while at < len(data):
        while data[at] & 0x80:  # the run's length, LEB128
            at += 1
        at += 2  # its last byte, then the match keys
        held.append(data[at] & 0x7F)
        at += 2 if data[at] & 0x80 else 1
    return held


def check_replay(game, run_dir, person_slot, left_played):
    """Replays the one recording of the run; returns what went wrong, if anything."""
    recordings = game.recordings()
    if len(recordings) != 1:
        return "%d match recordings instead of one" % len(recordings)
    replay = subprocess.run([os.path.join(run_dir, "simulate"), "--quiet", "--data", run_dir, "--replay",
                             recordings[0]], capture_output=True, text=True, timeout=120)
    lines = replay.stdout.strip().splitlines()
    score = json.loads(lines[-1]).get("score") if lines else None
    expected = recorded_score(recordings[0])
    with open(recordings[0], "rb") as f:
        controller = f.read()[9 + 2 * person_slot]  # the slot's controller: a key set for a person
    if controller >= 4:
        return "the recording has no person on slot %d (controller %d)" % (person_slot, controller)
    if replay.returncode != 0 or not expected or score != expected:
        return "the replay ended at %r, the game at %r (simulate: %d, %s)" % (score, expected, replay.returncode,
                                                                           replay.stderr.strip())
    if left_played and not any(held & gamedrive.LEFT_BIT for held in person_controls(recordings[0])):
        return "the person's left, bound to z, is nowhere in the match recorded"
    print("replayed: %s" % score, flush=True)
    return None


def drive(run_dir, shots_dir, pad, started):
    """One run of the game from its title to its exit; returns what went wrong."""
    name = "pad" if pad else "keys"
    game = gamedrive.Game(run_dir, shots_dir and os.path.join(shots_dir, name), pad=pad)
    stages = []

    def record(stage, picture):
        if picture.is_black():
            raise gamedrive.DriveError("%s: the picture is black" % stage)
        game.keep(picture, stage)
        stages.append(stage)
        print("%6.1f s  %s: %s" % (time.monotonic() - started, name, stage), flush=True)

    failures = []
    try:
        game.start()
        code = gamedrive.play_through(game, gamedrive.PAD_TOUR if pad else gamedrive.FULL_TOUR, record)
        if code != 0:
            failures.append("the game ended with code %d" % code)
        replay_failure = check_replay(game, run_dir, 0 if pad else 1, not pad)
        if replay_failure:
            failures.append(replay_failure)
    except gamedrive.DriveError as error:
        failures.append(str(error))
    finally:
        output, errors = game.close()

    if output:
        failures.append("the game wrote to standard output:\n" + output.decode("cp1252", "replace"))
    errors = errors.decode("utf-8", "replace").strip()
    if failures and errors:
        failures.append("standard error of the game:\n" + errors)
    return ["%s, after %s: %s" % (name, stages[-1] if stages else "the start", failure) for failure in failures]


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    run_dir = sys.argv[1]
    shots_dir = sys.argv[2] if len(sys.argv) > 2 else None
    if shots_dir:
        shutil.rmtree(shots_dir, ignore_errors=True)
    started = time.monotonic()
    display = gamedrive.start_display()
    try:
        failures = drive(run_dir, shots_dir, False, started) + drive(run_dir, shots_dir, True, started)
    finally:
        gamedrive.stop_display(display)
    if failures:
        print("FAILED")
        for failure in failures:
            print("  " + failure)
        sys.exit(1)
    print("passed in %.0f s" % (time.monotonic() - started))


if __name__ == "__main__":
    main()
