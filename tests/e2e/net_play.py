#!/usr/bin/env python3
"""One side of a network match between two real games, each on its own X
display, driven with real key presses: run it twice at once, once as the
host and once as the joiner, each with DISPLAY set to its own display.
Both go through the menus: PLAY, then the network item; the host hosts
(on port 7777) and the joiner types 127.0.0.1 and joins. The host chooses
a one-set match of two games and its near player, a person on "P1 KEYS";
the joiner chooses the far player on its own set-up picture, its person
also on "P1 KEYS" (its own keyboard), and the host starts once it sees the
joiner's choice. Once the match plays, each person walks left and swings;
the game's --stats lines say where each person's player stands, and the
drive fails unless its own person's player moved. The pictures of each
stage are kept in SHOTS_FOLDER. Run by hand (it needs two displays).

Usage: net_play.py host|join RUN_FOLDER SHOTS_FOLDER [ADDRESS]
(ADDRESS, for the joiner: where to find the host, 127.0.0.1 unless given,
such as a relay's 127.0.0.1:PORT; the host prints the round trip it measured.)
"""

import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
import gamedrive  # noqa: E402

# One set (3 -> 5 -> 1), two games, singles; the near player Doredu for the
# host's person, the far one Roveriru for the joiner's, each on "P1 KEYS".
HOST_PLAN = gamedrive.Plan(2, 0, 0, False, None, gamedrive.Slot(1, 0), False, (), False)
JOINER_SLOT = gamedrive.Slot(3, 0)
# Each person's keys ("P1 KEYS"): left, then a swing.
PERSON_KEYS = ("Left", "m")
# The slot each game's person plays.
OWN_SLOT = {"host": 0, "join": 1}
# How far (scene units) a walk of KEY_HOLD_SECONDS must take the player.
MIN_WALK = 20
# The --stats line with the people's places: slot, x, z for each.
PLACES = re.compile(rb"jugadores \(hueco x z\):((?: -?\d+ -?\d+ -?\d+)+)")
MATCH_TIMEOUT = 120
# Long enough for a walk to show in the picture.
KEY_HOLD_SECONDS = 1.5
NETWORK = {"host": (400, 420), "join": (400, 380), "back": (512, 100)}
WAITING = {"back": (512, 100)}
JOIN_ADDRESS = {"join": (512, 100)}


def network_menu(game, record):
    """From the title to the network screen."""
    title = game.wait_for("the title screen", lambda p: p.highlighted_item(gamedrive.MAIN_MENU) == "play", 60)
    record("title", title)
    gamedrive.enter(game, gamedrive.OPTIONS, "sets", "the match options")
    for target in ("games", "mode", "next"):
        gamedrive.move(game, "Down", gamedrive.OPTIONS, target)
    gamedrive.move(game, "Left", gamedrive.OPTIONS, "network")
    return gamedrive.enter(game, NETWORK, "host", "the network screen")


def host_menus(game, record):
    record("network", network_menu(game, record))
    record("hosting", gamedrive.enter(game, WAITING, "back", "the host's address"))
    options = game.wait_for("the match options once the joiner is there",
                            lambda p: p.highlighted_item(gamedrive.OPTIONS) == "sets", 60)
    options = gamedrive.set_options(game, options, HOST_PLAN)
    record("options", options)
    gamedrive.move(game, "Down", gamedrive.OPTIONS, "next")
    gamedrive.enter(game, gamedrive.PLAYER_SELECT_NEW, "near", "the player set-up picture, the near slot ours")
    gamedrive.set_up_slot(game, HOST_PLAN.near, record, "near")
    chosen = gamedrive.enter(game, gamedrive.PLAYER_SELECT_NEW, "near", "the set-up picture with our player")
    record("player-select-near-done", chosen)
    ready = wait_for_next(game)
    record("player-select", ready)
    record("intro", gamedrive.start_match(game, ready))


def wait_for_next(game, timeout=90):
    """The host's next item comes once the joiner has chosen its player and
    seen the host's choice: down from the near slot (or up from back) until
    it is highlighted."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        picture = game.shot()
        highlighted = picture.highlighted_item(gamedrive.PLAYER_SELECT)
        if highlighted == "next":
            return picture
        game.press("Down" if highlighted == "near" else "Up")
        time.sleep(1)
    raise gamedrive.DriveError("no next item on the host's set-up picture within %d s" % timeout)


def join_menus(game, record, address):
    network_menu(game, record)
    record("network", gamedrive.move(game, "Down", NETWORK, "join"))
    gamedrive.enter(game, JOIN_ADDRESS, "join", "the address screen")
    game.xdotool("type", "--delay", "150", address)
    time.sleep(1)
    record("address", game.shot())
    # Connected, the joiner waits for the host, or is already on its set-up
    # picture once the host is there.
    record("joined", game.press_until(
        "Return", "waiting for the host", lambda p: p.highlighted_item(WAITING) == "back" or p.highlighted_item(
            gamedrive.PLAYER_SELECT_NEW) == "far", gamedrive.MENU_TIMEOUT))
    picture = game.wait_for("the joiner's set-up picture, the far slot ours",
                            lambda p: p.highlighted_item(gamedrive.PLAYER_SELECT_NEW) == "far", 90)
    record("player-select-host-choosing", picture)
    first = picture
    gamedrive.set_up_slot(game, JOINER_SLOT, record, "far")
    picture = gamedrive.enter(game, gamedrive.PLAYER_SELECT_NEW, "far", "the set-up picture with our player")
    record("player-select", picture)
    # The host's near player shows here once the host has chosen it.
    near = picture.box(gamedrive.PLAYER_SELECT["near"], gamedrive.VALUE_HALF_WIDTH, gamedrive.VALUE_HALF_HEIGHT)
    try:
        record("player-select-both", game.wait_for(
            "the host's player on the joiner's picture", lambda p: p.difference(first, near) > gamedrive.VALUE_CHANGED,
            30))
    except gamedrive.DriveError:
        pass  # chosen before the joiner's first picture, or the match began


def places(game):
    """The last --stats line's places: {slot: (x, z)}."""
    found = PLACES.findall(game.read_log("stdout.txt"))
    if not found:
        raise gamedrive.DriveError("the game has said nothing of its players' places")
    numbers = [int(value) for value in found[-1].split()]
    return {numbers[i]: (numbers[i + 1], numbers[i + 2]) for i in range(0, len(numbers), 3)}


def walk_and_swing(game, role, record):
    """The person's left walk moves its own player; returns the distance."""
    # A line a second: the one after this wait is from after the keys.
    time.sleep(1.5)
    before = places(game)
    record("before-keys", game.shot())
    game.press(PERSON_KEYS[0], hold=KEY_HOLD_SECONDS)
    record("after-" + PERSON_KEYS[0], game.shot())
    time.sleep(1.5)
    after = places(game)
    slot = OWN_SLOT[role]
    walked = max(abs(after[slot][0] - before[slot][0]), abs(after[slot][1] - before[slot][1]))
    print("%s: slot %d from %s to %s; every slot before %s, after %s" % (role, slot, before[slot], after[slot],
                                                                      before, after), flush=True)
    game.press(PERSON_KEYS[1], hold=0.3)
    record("after-" + PERSON_KEYS[1], game.shot())
    if walked < MIN_WALK:
        raise gamedrive.DriveError("slot %d did not walk: %s then %s" % (slot, before[slot], after[slot]))


def main():
    role, run_dir, shots = sys.argv[1], sys.argv[2], sys.argv[3]
    game = gamedrive.Game(run_dir, shots, arguments=["--windowed", "--stats"])
    started = time.monotonic()

    def record(stage, picture):
        game.keep(picture, stage)
        print("%6.1f s  %s: %s" % (time.monotonic() - started, role, stage), flush=True)

    try:
        game.start()
        if role == "host":
            host_menus(game, record)
        else:
            join_menus(game, record, sys.argv[4] if len(sys.argv) > 4 else "127.0.0.1")
        record("court", game.wait_for("the court", lambda p: p.shows_court(), MATCH_TIMEOUT))
        for line in re.findall(rb"Ida y vuelta[^\n]*", game.read_log("stdout.txt")):
            print("%s: %s" % (role, line.decode()), flush=True)
        if role == "host":
            # Enter skips the introduction on both games.
            time.sleep(1)
            game.press("Return")
        # The fade to white and back, then the first serve waits.
        time.sleep(5)
        record("serve", game.shot())
        walk_and_swing(game, role, record)
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
