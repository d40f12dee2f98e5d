#!/usr/bin/env python3
"""One side of a network match between two real games, each on its own X
display, driven with real key presses: run it twice at once, once as the
host and once as the joiner, each with DISPLAY set to its own display. The
host chooses a one-set match of two games through its menus, a person on
"P1 KEYS" at the near end; the joiner's person plays the far end on
"P2 KEYS". Once the match shows, each person walks and swings; the pictures
of each stage are kept in SHOTS_FOLDER. Run by hand (it needs two displays).

Usage: net_play.py host|join RUN_FOLDER PORT SHOTS_FOLDER
"""

import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
import gamedrive  # noqa: E402

# One set (3 -> 5 -> 1), two games, singles; the far player Roveriru for the
# joiner on "P2 KEYS", the near one Doredu for the host on "P1 KEYS".
HOST_PLAN = gamedrive.Plan(2, 0, 0, False, gamedrive.Slot(1, 0), gamedrive.Slot(3, 0), False, ())
# Each person's keys: left, then a swing.
PERSON_KEYS = {"host": ("Left", "m"), "join": ("s", "a")}
MATCH_TIMEOUT = 120


def host_menus(game, record):
    title = game.wait_for("the title screen", lambda p: p.highlighted_item(gamedrive.MAIN_MENU) == "play", 60)
    record("title", title)
    options = gamedrive.enter(game, gamedrive.OPTIONS, "sets", "the match options")
    options = gamedrive.set_options(game, options, HOST_PLAN)
    record("options", options)
    gamedrive.move(game, "Down", gamedrive.OPTIONS, "next")
    gamedrive.enter(game, gamedrive.PLAYER_SELECT_NEW, "far", "the player set-up picture")
    gamedrive.set_up_slot(game, HOST_PLAN.far, record, "far")
    gamedrive.enter(game, gamedrive.PLAYER_SELECT_NEW, "far", "the player set-up picture after the far slot")
    gamedrive.move(game, "Down", gamedrive.PLAYER_SELECT_NEW, "near")
    gamedrive.set_up_slot(game, HOST_PLAN.near, record, "near")
    ready = gamedrive.enter(game, gamedrive.PLAYER_SELECT, "far", "the player set-up with both players")
    gamedrive.move(game, "Down", gamedrive.PLAYER_SELECT, "near")
    ready = gamedrive.move(game, "Down", gamedrive.PLAYER_SELECT, "next")
    record("player-select", ready)
    record("intro", gamedrive.start_match(game, ready))


def main():
    role, run_dir, port, shots = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    arguments = ["--windowed", "--host", str(port)] if role == "host" else ["--windowed", "--join",
                                                                                "127.0.0.1:%d" % port]
    game = gamedrive.Game(run_dir, shots, arguments=arguments)
    started = time.monotonic()

    def record(stage, picture):
        game.keep(picture, stage)
        print("%6.1f s  %s: %s" % (time.monotonic() - started, role, stage), flush=True)

    try:
        game.start()
        if role == "host":
            host_menus(game, record)
        else:
            record("waiting", game.wait_for("the main menu", lambda p: p.highlighted_item(gamedrive.MAIN_MENU) == "play",
                                            60))
        record("court", game.wait_for("the court", lambda p: p.shows_court(), MATCH_TIMEOUT))
        for key in PERSON_KEYS[role]:
            game.press(key, hold=gamedrive.KEY_HOLD_SECONDS * 4)
            record("after-" + key, game.shot())
        time.sleep(2)
        record("play", game.shot())
    except gamedrive.DriveError as error:
        print("%s: FAILED: %s" % (role, error), flush=True)
        return 1
    finally:
        out, err = game.close()
        print("%s: standard output: %r" % (role, out.decode("cp1252", "replace")), flush=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
