#!/usr/bin/env python3
"""One side of a network match between two real games, each on its own X
display, driven with real key presses: run it twice at once, once as the
host and once as the joiner, each with DISPLAY set to its own display.
Both go through the menus: PLAY, then the network item; the host hosts
(on port 7777) and the joiner types 127.0.0.1 and joins. The host then
chooses a one-set match of two games, a person on "P1 KEYS" at the near
end; the joiner's person plays the far end on "P2 KEYS". Once the match
shows, each person walks and swings; the pictures of each stage are kept in
SHOTS_FOLDER. Run by hand (it needs two displays).

Usage: net_play.py host|join RUN_FOLDER SHOTS_FOLDER
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
# Long enough for a walk to show in the picture.
KEY_HOLD_SECONDS = 1.5
OPTIONS_NETWORK = {"network": (200, 100), "next": (400, 100)}
NETWORK = {"host": (400, 420), "join": (400, 380), "back": (500, 100)}
WAITING = {"back": (500, 100)}
JOIN_ADDRESS = {"join": (512, 100)}


def network_menu(game, record):
    """From the title to the network screen."""
    title = game.wait_for("the title screen", lambda p: p.highlighted_item(gamedrive.MAIN_MENU) == "play", 60)
    record("title", title)
    gamedrive.enter(game, gamedrive.OPTIONS, "sets", "the match options")
    for target in ("games", "mode", "next"):
        gamedrive.move(game, "Down", gamedrive.OPTIONS, target)
    gamedrive.move(game, "Left", OPTIONS_NETWORK, "network")
    return gamedrive.enter(game, NETWORK, "host", "the network screen")


def host_menus(game, record):
    record("network", network_menu(game, record))
    record("hosting", gamedrive.enter(game, WAITING, "back", "the host's address"))
    options = game.wait_for("the match options once the joiner is there",
                            lambda p: p.highlighted_item(gamedrive.OPTIONS) == "sets", 60)
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


def join_menus(game, record):
    network_menu(game, record)
    record("network", gamedrive.move(game, "Down", NETWORK, "join"))
    gamedrive.enter(game, JOIN_ADDRESS, "join", "the address screen")
    game.xdotool("type", "--delay", "150", "127.0.0.1")
    time.sleep(1)
    record("address", game.shot())
    record("joined", gamedrive.enter(game, WAITING, "back", "waiting for the host"))


def main():
    role, run_dir, shots = sys.argv[1], sys.argv[2], sys.argv[3]
    game = gamedrive.Game(run_dir, shots, arguments=["--windowed"])
    started = time.monotonic()

    def record(stage, picture):
        game.keep(picture, stage)
        print("%6.1f s  %s: %s" % (time.monotonic() - started, role, stage), flush=True)

    try:
        game.start()
        if role == "host":
            host_menus(game, record)
        else:
            join_menus(game, record)
        record("court", game.wait_for("the court", lambda p: p.shows_court(), MATCH_TIMEOUT))
        # The introduction's white fade, then play.
        time.sleep(4)
        record("before-keys", game.shot())
        for key in PERSON_KEYS[role]:
            game.press(key, hold=KEY_HOLD_SECONDS)
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
