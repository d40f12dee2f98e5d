"""Plays the real game the way a person does: the `zumbolo` executable runs
in a copy of its run folder on an X display and gets real key events from
xdotool, or, with no key pressed at all, a gamepad: SDL virtual pads that the
game plays from a pad script this drive writes to as it goes. What the game
shows is read back with ImageMagick's `import`.

Used by the end-to-end test (tests/e2e/play_through.py) and by
scripts/screenshots. Both walk the same path through the game with
`play_through`: main menu, the tournament's entry and cups screens, match
options, player set-up, the introduction, some play, the pause screen, back
to the main menu and quit. Every step waits
for the picture that should follow it (polling screenshots with a deadline)
and checks it, so a slow machine only makes the run longer.

Positions are in the menus' 1024 x 768 overlay units, y up, as the game's
menus place their items; a picture of any size is mapped onto them.
"""

import collections
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

OVERLAY_WIDTH = 1024
OVERLAY_HEIGHT = 768

# The pad controls that stand in for the keys the drive presses: the menus'
# keys and the person's controls, on the first pad.
PAD_CONTROLS = {"Return": "a", "Escape": "start", "Back": "b", "Up": "dpup", "Down": "dpdown", "Left": "dpleft",
                "Right": "dpright", "left": "dpleft", "hit": "a"}
# The keyboard's person controls on key set 1 ("P2 KEYS"), once the drive
# has bound its left to z on the controls screen (it was s).
KEY_SET_1 = {"left": "z", "hit": "a"}
# The line config.ini holds for key set 1 after that: d e z f, a, q.
KEY_SET_1_SAVED = "P2_KEYS 100 101 122 102 97 113"
# The person's left in the controls a recording stores (PlayerKey order).
LEFT_BIT = 1 << 2
# A pad direction held longer repeats in the menus: a press is let go sooner.
PAD_LONGEST_HOLD_SECONDS = 0.3
PAD_DIRECTIONS = ("Up", "Down", "Left", "Right")

# A key is held this long: the game polls its key tables once a frame, and a
# press and release that both arrive between two frames are never seen.
KEY_HOLD_SECONDS = 0.14
# Pause between two presses, so that the release is seen before the next press.
KEY_GAP_SECONDS = 0.12

# What the game needs from its run folder (the folder may hold other tools).
RUN_FILES = ["zumbolo", "lang", "shaders", "models", "sounds", "fonts", "imgs"]

# Item centres of the menus' screens. A foot row is centred on the screen,
# its items 225 units apart.
MAIN_MENU = {"play": (250, 440), "tournament": (250, 400), "training": (250, 360), "options": (250, 320),
             "credits": (250, 280), "quit": (250, 240)}
# ENTRENAMIENTO: the lessons top down, back at the foot; a lesson's pause.
TRAINING = {"serve": (512, 480), "stroke": (512, 440), "back": (512, 100)}
LESSON_PAUSED = {"resume": (512, 420), "next": (512, 380), "leave": (512, 340)}
# A lesson's instruction along the foot of the picture (its last line), and
# the word a try gets over the far court, both in the menu lettering.
LESSON_INSTRUCTION_BOX = ((512, 40), 300, 10)
LESSON_WORD_BOX = ((512, 560), 200, 20)
# The key the first lesson names first: the hit of key set 0 (P1 KEYS, M),
# on a pad its A.
LESSON_HIT = "m"
OPTIONS = {"sets": (400, 420), "games": (400, 380), "mode": (400, 340), "network": (287, 100), "next": (512, 100),
           "back": (737, 100)}
# The tournament's entry screen: its options, then next and back; and its
# cups, each open one an item, back alone at the foot.
TOURNAMENT_ENTRY = {"mode": (400, 420), "games": (400, 380), "character": (400, 340), "keys": (400, 300),
                    "next": (400, 100), "back": (624, 100)}
TOURNAMENT_CUPS = {"bronze": (400, 420), "silver": (400, 380), "back": (512, 100)}
# The progress of a player who has won the bronze cup in singles with the
# first character: the silver cup is open.
BRONZE_WON = "ZUMBOLO CUPS 1\nsingles Vazuvodod bronce\n"
OPTION_VALUES = {"sets": (650, 420), "games": (650, 380), "mode": (700, 340)}
PLAYER_SELECT = {"far": (450, 520), "near": (620, 170), "next": (400, 100), "back": (624, 100)}
# Before every player has a character, "back" alone, in the middle.
PLAYER_SELECT_NEW = {"far": (450, 520), "near": (620, 170), "back": (512, 100)}
PLAYER_SETUP = {"character": (400, 420), "controller": (400, 380), "done": (512, 100)}
# OPCIONES on the main menu, and its controls of a key set.
OPTIONS_LIST = {"controls": (512, 440), "sound": (512, 390), "screen": (512, 340), "language": (512, 290),
                "back": (512, 100)}
CONTROLS = {"keyset": (512, 500), "down": (230, 450), "up": (230, 410), "left": (230, 370), "right": (230, 330),
            "hit": (230, 290), "dive": (230, 250), "reset": (512, 195), "pads": (400, 100), "back": (624, 100)}
CONTROL_VALUES = {"left": (515, 370)}
SETUP_VALUES = {"character": (650, 420), "controller": (650, 380)}
PAUSED = {"resume": (512, 420), "leave": (512, 380), "again": (512, 340)}
# The foot of a replay's picture, where its keys are named (menu lettering
# over the grass beside the court).
REPLAY_KEYS_BOX = ((512, 70), 220, 16)

# Half sizes of the boxes read around an item's centre and around a value.
ITEM_HALF_WIDTH = 60
ITEM_HALF_HEIGHT = 14
VALUE_HALF_WIDTH = 110
VALUE_HALF_HEIGHT = 16

# The two menu fonts differ most in their outlines: dark brown round the
# highlighted (yellow to orange) letters, navy round the normal (white to pale
# blue) ones. An item is highlighted when its box holds at least this many
# brown outline pixels and clearly more brown than navy; the others of the
# screen must then hold next to no brown, or more navy than brown.
MIN_OUTLINE_PIXELS = 60
STRAY_OUTLINE_PIXELS = 20

# Mean brightness (0..255) under which a picture counts as black.
BLACK_LEVEL = 12
# Two pictures differ where a channel moves by more than this.
PIXEL_TOLERANCE = 40

# The scoreboard's panels (centre, half width, half height), dark and
# translucent with yellow lettering: the score line after each point and the
# final table of the ceremony.
SCORE_PANEL = ((512, 384), 160, 30)
TABLE_PANEL = ((512, 100), 220, 40)

# The court's blue as the match camera shows it, and the share of the middle
# of the picture it covers during play.
COURT_BOX = ((512, 300), 150, 80)
MIN_COURT_SHARE = 0.5

# How long each kind of wait may take on a slow, loaded machine.
MENU_TIMEOUT = 8
START_TIMEOUT = 60
POINT_TIMEOUT = 120
MATCH_TIMEOUT = 1800

# Thresholds of the picture comparisons: a changed value label, an unchanged
# one, and a picture in motion (share of pixels).
VALUE_CHANGED = 0.005
VALUE_SAME = 0.001
MOTION = 0.0002
# The introduction is a view of its own: most of the picture differs from
# the player set-up it follows.
NEW_VIEW = 0.3
# Presses short enough to be let go before the match has loaded (about a
# tenth of a second): an Enter still held when the introduction starts skips
# it. A press too short to be seen is tried again, a little longer.
START_HOLDS_SECONDS = (0.02, 0.02, 0.04, 0.08)
START_PRESS_TIMEOUT = 3
# A picture of the introduction, fading in from black, against the fade to
# white that ends it: bright and pale.
INTRO_BRIGHTNESS = (40, 150)
MIN_INTRO_SATURATION = 50


class DriveError(Exception):
    """A stage of the drive did not show what it should."""


def start_display(width=1024, height=768):
    """Starts a private virtual X server and points DISPLAY at it; returns
    the server's process. Windows of other programs on a shared display
    would show in the screenshots and could take the keyboard focus. The
    server must not reset when its last client leaves (between two xdotool
    calls before the game connects): a connection made then is refused."""
    read_end, write_end = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                               "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL)
    os.close(write_end)
    # The server writes its display number, and the line's end once it is ready.
    number = b""
    deadline = time.monotonic() + 20
    while not number.endswith(b"\n") and select.select([read_end], [], [], max(0, deadline - time.monotonic()))[0]:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    number = number.decode().strip() if number.endswith(b"\n") else ""
    os.close(read_end)
    if not number:
        stop_display(server)
        raise DriveError("the virtual X server did not start")
    os.environ["DISPLAY"] = ":" + number
    return server


def stop_display(server):
    server.terminate()
    try:
        server.wait(10)
    except subprocess.TimeoutExpired:
        server.kill()
        server.wait()


class Picture:
    """One screenshot: RGB pixels, read through ImageMagick as PPM."""

    def __init__(self, ppm):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        if not header:
            raise DriveError("unexpected screenshot format %r" % ppm[:20])
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.data = ppm[header.end():header.end() + self.width * self.height * 3]
        self.ppm = ppm
        self.whole = (0, 0, self.width, self.height)

    def save(self, path):
        subprocess.run(["convert", "ppm:-", path], input=self.ppm, check=True)

    def box(self, centre, half_width, half_height):
        """Pixel rectangle (x0, y0, x1, y1) of an overlay box, clipped. The
        overlay space is fitted whole into the picture, centred, as the game
        fits it into a window of any shape."""
        scale = min(self.width / OVERLAY_WIDTH, self.height / OVERLAY_HEIGHT)
        left = (self.width - OVERLAY_WIDTH * scale) / 2
        top = (self.height - OVERLAY_HEIGHT * scale) / 2
        x, y = centre
        x0 = max(0, int(left + (x - half_width) * scale))
        x1 = min(self.width, int(left + (x + half_width) * scale))
        y0 = max(0, int(top + (OVERLAY_HEIGHT - y - half_height) * scale))
        y1 = min(self.height, int(top + (OVERLAY_HEIGHT - y + half_height) * scale))
        return x0, y0, x1, y1

    def pixels(self, rect, step=1):
        x0, y0, x1, y1 = rect
        data, width = self.data, self.width
        for py in range(y0, y1, step):
            row = py * width * 3
            for px in range(x0, x1, step):
                at = row + px * 3
                yield data[at], data[at + 1], data[at + 2]

    def mean(self, rect, step, value):
        """Mean of value(r, g, b) over every step-th pixel of rect."""
        values = [value(r, g, b) for r, g, b in self.pixels(rect, step)]
        return sum(values) / len(values) if values else 0.0

    def brightness(self, rect=None):
        return self.mean(rect or self.whole, 4, lambda r, g, b: r + g + b) / 3

    def saturation(self):
        """Mean spread between the strongest and weakest channel: low for a
        picture washed out by a fade to white."""
        return self.mean(self.whole, 8, lambda r, g, b: max(r, g, b) - min(r, g, b))

    def is_black(self):
        return self.brightness() < BLACK_LEVEL

    def outline_pixels(self, rect):
        """(brown, navy): pixels of the highlighted and of the normal menu
        font's outline colour in rect."""
        brown = navy = 0
        for r, g, b in self.pixels(rect):
            if 45 <= r <= 115 and g <= 55 and b <= 20 and r - g >= 30:
                brown += 1
            elif r <= 45 and g <= 45 and 40 <= b <= 90 and b - r >= 20:
                navy += 1
        return brown, navy

    def difference(self, other, rect=None, step=1):
        """Share of the pixels of rect that differ between two pictures."""
        rect = rect or self.whole
        if (other.width, other.height) != (self.width, self.height):
            return 1.0
        changed = count = 0
        for (r, g, b), (r2, g2, b2) in zip(self.pixels(rect, step), other.pixels(rect, step)):
            count += 1
            if abs(r - r2) > PIXEL_TOLERANCE or abs(g - g2) > PIXEL_TOLERANCE or abs(b - b2) > PIXEL_TOLERANCE:
                changed += 1
        return changed / count if count else 0.0

    def highlighted_item(self, items):
        """The name of the one item of `items` drawn in the highlighted font,
        or None when not exactly one is (another screen, or none shown)."""
        outlines = {name: self.outline_pixels(self.box(at, ITEM_HALF_WIDTH, ITEM_HALF_HEIGHT))
                    for name, at in items.items()}
        clear = [name for name, (brown, navy) in outlines.items() if brown >= MIN_OUTLINE_PIXELS and brown >= 2 * navy]
        tinged = [name for name, (brown, navy) in outlines.items() if brown >= STRAY_OUTLINE_PIXELS]
        if len(clear) == 1:
            found = clear[0]
        elif not clear and items is PAUSED and len(tinged) == 1:
            # The pause screen shows over the match: a call that was on screen
            # when the match paused may cover most of an item.
            found = tinged[0]
        else:
            return None
        for name, (brown, navy) in outlines.items():
            # Players and stands behind the pause screen may tinge the box of
            # a normal item, but its own navy outline dominates.
            if name != found and brown >= STRAY_OUTLINE_PIXELS and navy < brown:
                return None
        return found

    def shows_panel(self, panel):
        rect = self.box(*panel)
        return self.brightness(rect) < 85 and sum(1 for r, g, b in self.pixels(rect, 2)
                                                  if r > 200 and g > 170 and b < 110) >= 40

    def shows_lettering(self, panel):
        """Menu lettering in the box (its navy outline), over the court."""
        return self.outline_pixels(self.box(*panel))[1] >= MIN_OUTLINE_PIXELS

    def shows_replay_keys(self):
        return self.outline_pixels(self.box(*REPLAY_KEYS_BOX))[1] >= MIN_OUTLINE_PIXELS

    def shows_court(self):
        court = self.mean(self.box(*COURT_BOX), 2, lambda r, g, b: 25 <= r <= 50 and 90 <= g <= 115 and 150 <= b <= 180)
        return court >= MIN_COURT_SHARE and not self.is_black()


class Game:
    """The game started in a fresh copy of its run folder; or, with no run
    folder, the executable given, in the working folder given, with the
    environment given (an installed game)."""

    def __init__(self, run_dir, shots_dir=None, pad=False, executable=None, working_dir=None, environment=None,
                 arguments=()):
        self.folder = tempfile.mkdtemp(prefix="zumbolo-drive-")
        self.pad_script = os.path.join(self.folder, "pads.txt") if pad else None
        self.shots_dir = shots_dir
        self.arguments = list(arguments)
        self.process = None
        self.window = None
        self.shot_count = 0
        self.executable = executable or os.path.join(self.folder, "zumbolo")
        self.working_dir = working_dir or self.folder
        # Recordings of the matches played go into the game's folder, not the
        # user's data folder.
        self.environment = environment or {"XDG_DATA_HOME": os.path.join(self.folder, "data")}
        for name in RUN_FILES if run_dir else []:
            source = os.path.join(os.path.abspath(run_dir), name)
            if not os.path.exists(source):
                raise DriveError("the run folder has no %s" % name)
            if os.path.isdir(source):
                shutil.copytree(source, os.path.join(self.folder, name))
            else:
                shutil.copy2(source, self.folder)

    def start(self):
        environment = dict(os.environ)
        # The machine may have no sound card: the dummy driver stands in for one.
        environment.setdefault("SDL_AUDIODRIVER", "dummy")
        environment.update(self.environment)
        # A variable given as None is taken away.
        environment = {name: value for name, value in environment.items() if value is not None}
        # Libraries for the game alone (the sanitizer build's leak check), not
        # for the tools of the drive.
        preload = environment.pop("ZUMBOLO_GAME_PRELOAD", "")
        if preload:
            environment["LD_PRELOAD"] = preload
        self.stdout = open(os.path.join(self.folder, "stdout.txt"), "wb")
        self.stderr = open(os.path.join(self.folder, "stderr.txt"), "wb")
        command = [self.executable] + self.arguments
        if self.pad_script:
            open(self.pad_script, "w").close()
            command += ["--pad-script", self.pad_script]
        self.process = subprocess.Popen(command, cwd=self.working_dir, stdout=self.stdout, stderr=self.stderr,
                                        env=environment)
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise DriveError("the game ended at start with code %d" % self.process.returncode)
            found = subprocess.run(["xdotool", "search", "--name", "^Zumbolo$"], capture_output=True, text=True)
            if found.returncode == 0 and found.stdout.split():
                self.window = found.stdout.split()[0]
                break
            time.sleep(0.2)
        if not self.window:
            raise DriveError("no window named Zumbolo within 30 s")
        subprocess.run(["xdotool", "windowfocus", "--sync", self.window], capture_output=True, timeout=10)
        if self.pad_script:
            self.pad_order("0 plug")

    def pad_order(self, line):
        with open(self.pad_script, "a") as script:
            script.write(line + "\n")

    def xdotool(self, *arguments, check=True):
        subprocess.run(["xdotool", *arguments], check=check, capture_output=True, timeout=10)

    def key_down(self, key):
        if self.pad_script:
            self.pad_order("0 %s 1" % PAD_CONTROLS[key])
        else:
            self.xdotool("keydown", key)

    def key_up(self, key, check=True):
        if self.pad_script:
            self.pad_order("0 %s 0" % PAD_CONTROLS[key])
        else:
            self.xdotool("keyup", key, check=check)

    def press(self, key, hold=KEY_HOLD_SECONDS, last=False):
        """A press and release. The last press of a run (quit) may close the
        window before the release, which then has nowhere to go."""
        self.key_down(key)
        time.sleep(min(hold, PAD_LONGEST_HOLD_SECONDS) if self.pad_script and key in PAD_DIRECTIONS else hold)
        self.key_up(key, check=not last)
        time.sleep(KEY_GAP_SECONDS)

    def shot(self):
        ppm = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True, capture_output=True,
                             timeout=30).stdout
        return Picture(ppm)

    def keep(self, picture, name):
        """Saves a picture into the shots folder as NN-name.png."""
        if self.shots_dir:
            os.makedirs(self.shots_dir, exist_ok=True)
            self.shot_count += 1
            picture.save(os.path.join(self.shots_dir, "%02d-%s.png" % (self.shot_count, name)))

    def wait_for(self, what, test, timeout, interval=0.25):
        """Screenshots until test(picture) holds; the picture that passed."""
        deadline = time.monotonic() + timeout
        while True:
            if self.process.poll() is not None:
                raise DriveError("%s: the game ended with code %d" % (what, self.process.returncode))
            picture = self.shot()
            if test(picture):
                return picture
            if time.monotonic() > deadline:
                self.keep(picture, "failed")
                raise DriveError("%s: not seen within %d s" % (what, timeout))
            time.sleep(interval)

    def press_until(self, key, what, test, timeout=5, tries=3):
        """Presses a key and waits for its effect; presses again, held
        longer, only if nothing came of it (a press that began and ended
        between two frames of a loaded machine is never seen)."""
        for attempt in range(tries):
            self.press(key, hold=KEY_HOLD_SECONDS * 2 ** attempt)
            try:
                return self.wait_for(what, test, timeout)
            except DriveError:
                continue
        raise DriveError("%s: not seen after %d presses of %s" % (what, tries, key))

    def recordings(self):
        """The match recordings the game has written, oldest first."""
        folder = os.path.join(self.folder, "data", "zumbolo", "replays")
        names = sorted(os.listdir(folder)) if os.path.isdir(folder) else []
        return [os.path.join(folder, name) for name in names if name.endswith(".zrec")]

    def config_file(self):
        """What config.ini holds now (the game works in its folder)."""
        path = os.path.join(self.working_dir, "config.ini")
        return open(path).read() if os.path.isfile(path) else ""

    def read_log(self, name):
        with open(os.path.join(self.folder, name), "rb") as f:
            return f.read()

    def close(self):
        """Ends the game if it still runs and removes its folder; returns
        (standard output, standard error)."""
        if self.process and self.process.poll() is None:
            # SDL turns SIGTERM into a quit event that the game never reads.
            self.process.send_signal(signal.SIGKILL)
            self.process.wait()
        logs = (b"", b"")
        if self.process:
            self.stdout.close()
            self.stderr.close()
            logs = (self.read_log("stdout.txt"), self.read_log("stderr.txt"))
        shutil.rmtree(self.folder, ignore_errors=True)
        return logs


# Presses on a player slot's set-up: character, then controller.
Slot = collections.namedtuple("Slot", "characters controllers")

# The choices the drive makes on its way. Slot 1 is the far player of the
# set-up picture, slot 0 the near one; every slot starts with no character
# and slot k with key set k, so four presses on the controller of slot 0 give
# "CPU LEVEL 0" and on slot 1 "CPU LEVEL 1", and none leaves slot 1 to a
# person on key set 1 ("P2 KEYS": d e s f to move, a hits, q dives). With
# remap, the drive first binds that person's left to z on the controls screen
# (OPCIONES), by pressing z; otherwise it opens OPCIONES and goes back. The
# person presses person_keys ("left", "hit") once play has begun.
Plan = collections.namedtuple(
    "Plan", "sets_presses games_presses mode_presses via_main_menu far near ceremony person_keys remap")

# The whole path: three sets (a full turn 3 -> 5 -> 1 -> 3), six games,
# doubles and back to singles, out to the main menu and in again, a person
# receiving (left, then hit) against the computer's serve; the match is left
# from the pause screen.
FULL_TOUR = Plan(3, 1, 2, True, Slot(1, 0), Slot(3, 4), False, ("left", "hit"), True)
# With the first pad alone: through the menus, the near player a person on
# the pad's key set 1 ("P1 KEYS") who serves first, against the computer.
PAD_TOUR = Plan(1, 0, 0, False, Slot(1, 4), Slot(3, 0), False, ("hit",), False)
# The shortest match to the winner's ceremony: one set of two games between
# two computers, after a key bound on the controls screen (its picture).
SHORT_MATCH = Plan(2, 0, 0, False, Slot(1, 4), Slot(3, 4), True, (), True)


def move(game, key, items, target):
    return game.press_until(key, "highlight on %s" % target, lambda p: p.highlighted_item(items) == target,
                            MENU_TIMEOUT)


def enter(game, items, target, what, timeout=MENU_TIMEOUT):
    return game.press_until("Return", what, lambda p: p.highlighted_item(items) == target, timeout)


def cycle(game, picture, items, selected, value_at, presses, period):
    """Presses Enter on a setting `presses` times; each press must change its
    value, and a whole number of turns must bring the first one back."""
    first = picture
    box = picture.box(value_at, VALUE_HALF_WIDTH, VALUE_HALF_HEIGHT)
    for press in range(presses):
        before = picture
        picture = game.press_until(
            "Return", "%s changed by press %d" % (selected, press + 1),
            lambda p: p.highlighted_item(items) == selected and p.difference(before, box) > VALUE_CHANGED,
            MENU_TIMEOUT)
    if presses and presses % period == 0 and picture.difference(first, box) > VALUE_SAME:
        raise DriveError("%s: %d presses did not bring its first value back" % (selected, presses))
    return picture


def wait_for_motion(game, what, timeout=30):
    """Two pictures a moment apart that differ: the game is not frozen."""
    deadline = time.monotonic() + timeout
    previous = game.shot()
    while True:
        time.sleep(0.5)
        picture = game.shot()
        if picture.difference(previous, step=2) > MOTION:
            return picture
        if time.monotonic() > deadline:
            game.keep(picture, "frozen")
            raise DriveError("%s: the picture did not change for %d s" % (what, timeout))
        previous = picture


def set_options(game, picture, plan):
    picture = cycle(game, picture, OPTIONS, "sets", OPTION_VALUES["sets"], plan.sets_presses, 3)
    picture = move(game, "Down", OPTIONS, "games")
    picture = cycle(game, picture, OPTIONS, "games", OPTION_VALUES["games"], plan.games_presses, 2)
    picture = move(game, "Down", OPTIONS, "mode")
    picture = cycle(game, picture, OPTIONS, "mode", OPTION_VALUES["mode"], plan.mode_presses, 2)
    return picture


def set_up_slot(game, slot, record, name):
    picture = enter(game, PLAYER_SETUP, "character", "player set-up of the %s slot" % name)
    picture = cycle(game, picture, PLAYER_SETUP, "character", SETUP_VALUES["character"], slot.characters, 4)
    picture = move(game, "Down", PLAYER_SETUP, "controller")
    picture = cycle(game, picture, PLAYER_SETUP, "controller", SETUP_VALUES["controller"], slot.controllers, 10)
    record("player-setup-" + name, picture)
    return move(game, "Down", PLAYER_SETUP, "done")


def remap_left_of_key_set_1(game, record):
    """On the controls screen of P2 KEYS, Enter on its left and a press of z;
    back to the main menu, which writes config.ini. Each press is made once:
    a second Enter or z would be taken for the key to bind."""
    record("options-list", enter(game, OPTIONS_LIST, "controls", "the options"))
    controls = enter(game, CONTROLS, "keyset", "the controls of P1 KEYS")
    record("controls", controls)
    value_box = controls.box(CONTROL_VALUES["left"], VALUE_HALF_WIDTH, VALUE_HALF_HEIGHT)

    def left_value_changed(before):
        return lambda p: p.highlighted_item(CONTROLS) == "left" and p.difference(before, value_box) > VALUE_CHANGED
    second = game.press_until("Right", "the controls of P2 KEYS",
                              lambda p: p.highlighted_item(CONTROLS) == "keyset"
                              and p.difference(controls, value_box) > VALUE_CHANGED, MENU_TIMEOUT)
    for target in ["down", "up", "left"]:
        second = move(game, "Down", CONTROLS, target)
    game.press("Return")
    waiting = game.wait_for("the left of P2 KEYS waiting for a key", left_value_changed(second), MENU_TIMEOUT)
    record("controls-waiting", waiting)
    game.press("z")
    record("controls-bound", game.wait_for("z bound to the left", left_value_changed(waiting), MENU_TIMEOUT))
    game.press_until("Escape", "the options after the controls",
                     lambda p: p.highlighted_item(OPTIONS_LIST) == "controls", MENU_TIMEOUT)
    game.press_until("Escape", "the main menu after the options",
                     lambda p: p.highlighted_item(MAIN_MENU) == "options", MENU_TIMEOUT)
    saved = game.config_file()
    if KEY_SET_1_SAVED not in saved.splitlines():
        raise DriveError("config.ini after the options holds %r" % saved)


def visit_training(game, record, back):
    """ENTRENAMIENTO from the main menu: the lesson list, the first lesson on
    the court with its instruction along the foot; the key it names tosses
    the ball and, pressed again, swings: a try, and its word over the court. Escape
    pauses the lesson, LEAVE goes back to the list and `back` from there to
    the main menu."""
    record("training", enter(game, TRAINING, "serve", "the lesson list"))
    lesson = game.press_until("Return", "the first lesson's instruction",
                              lambda p: p.shows_court() and p.shows_lettering(LESSON_INSTRUCTION_BOX), START_TIMEOUT)
    record("lesson", lesson)
    if lesson.shows_lettering(LESSON_WORD_BOX):
        raise DriveError("a try's word over the court before any try")
    # The toss, then the swing; on a loaded machine a press too short for
    # the steps is tried again, held longer.
    for attempt in range(3):
        for press in range(2):
            game.press("hit" if game.pad_script else LESSON_HIT, hold=KEY_HOLD_SECONDS * 2 ** attempt)
        try:
            tried = game.wait_for("the word on the first serve", lambda p: p.shows_lettering(LESSON_WORD_BOX),
                                  MENU_TIMEOUT)
            break
        except DriveError:
            if attempt == 2:
                raise
    record("lesson-try", tried)
    record("lesson-paused", game.press_until("Escape", "the lesson's pause",
                                             lambda p: p.highlighted_item(LESSON_PAUSED) == "resume", MENU_TIMEOUT))
    move(game, "Down", LESSON_PAUSED, "next")
    move(game, "Down", LESSON_PAUSED, "leave")
    enter(game, TRAINING, "serve", "the lesson list after leaving the lesson", START_TIMEOUT)
    game.press_until(back, "the main menu from the lesson list", lambda p: p.highlighted_item(MAIN_MENU) == "play",
                     MENU_TIMEOUT)


def visit_options(game, record, back):
    """OPCIONES opened and left again with `back` (Escape, or a pad's B)."""
    record("options-list", enter(game, OPTIONS_LIST, "controls", "the options"))
    game.press_until(back, "the main menu after the options", lambda p: p.highlighted_item(MAIN_MENU) == "options",
                     MENU_TIMEOUT)


def looks_like_intro(picture):
    low, high = INTRO_BRIGHTNESS
    return low < picture.brightness() < high and picture.saturation() >= MIN_INTRO_SATURATION


def start_match(game, set_up):
    """Enter on "next" with a short press, again only if the menu did not
    go; returns the first picture of the introduction."""
    for hold in START_HOLDS_SECONDS:
        game.press("Return", hold=hold)
        try:
            game.wait_for("the set-up screen gone", lambda p: p.highlighted_item(PLAYER_SELECT) is None,
                          START_PRESS_TIMEOUT)
        except DriveError:
            continue

        def intro_or_white(p):
            return p.brightness() > INTRO_BRIGHTNESS[1] or (p.difference(set_up, step=4) > NEW_VIEW
                                                            and looks_like_intro(p))
        picture = game.wait_for("the introduction", intro_or_white, START_TIMEOUT)
        if not looks_like_intro(picture):
            game.keep(picture, "failed")
            raise DriveError("the introduction was skipped: the Enter that started the match was still down")
        return picture
    raise DriveError("the match did not start after %d presses of Enter" % len(START_HOLDS_SECONDS))


def tour_tournament(game, record, back):
    """From the title to the tournament's cups and back with `back` (Escape
    or a pad's B): the cups won that the game keeps open the next, and the
    highlight waits on it."""
    data = game.environment.get("XDG_DATA_HOME")
    if data:
        os.makedirs(os.path.join(data, "zumbolo"), exist_ok=True)
        with open(os.path.join(data, "zumbolo", "cups.txt"), "w") as progress:
            progress.write(BRONZE_WON)
    move(game, "Down", MAIN_MENU, "tournament")
    record("tournament", enter(game, TOURNAMENT_ENTRY, "mode", "the tournament's entry screen"))
    for target in ["games", "character", "keys", "next"]:
        move(game, "Down", TOURNAMENT_ENTRY, target)
    record("tournament-cups", enter(game, TOURNAMENT_CUPS, "silver", "the cups, silver open after bronze"))
    game.press_until(back, "the entry screen again", lambda p: p.highlighted_item(TOURNAMENT_ENTRY) == "mode",
                     MENU_TIMEOUT)
    game.press_until(back, "the main menu from the tournament",
                     lambda p: p.highlighted_item(MAIN_MENU) == "play", MENU_TIMEOUT)


def play_through(game, plan, record=lambda name, picture: None):
    """Drives a started game from its title screen to its exit, calling
    record(stage, picture) at each stage. Raises DriveError at the first
    stage that does not show what it should."""
    title = game.wait_for("the title screen", lambda p: p.highlighted_item(MAIN_MENU) == "play", START_TIMEOUT)
    if title.is_black():
        raise DriveError("the title screen is black")
    record("title", title)
    back = "Back" if game.pad_script else "Escape"
    tour_tournament(game, record, back)
    move(game, "Down", MAIN_MENU, "tournament")
    move(game, "Down", MAIN_MENU, "training")
    visit_training(game, record, back)
    move(game, "Down", MAIN_MENU, "tournament")
    move(game, "Down", MAIN_MENU, "training")
    move(game, "Down", MAIN_MENU, "options")
    if plan.remap:
        remap_left_of_key_set_1(game, record)
    else:
        visit_options(game, record, back)
    move(game, "Up", MAIN_MENU, "training")
    move(game, "Up", MAIN_MENU, "tournament")
    move(game, "Up", MAIN_MENU, "play")

    options = enter(game, OPTIONS, "sets", "the match options")
    record("options", options)
    options = set_options(game, options, plan)
    record("options-set", options)
    move(game, "Down", OPTIONS, "next")
    if plan.via_main_menu:
        move(game, "Right", OPTIONS, "back")
        record("main-menu-again", enter(game, MAIN_MENU, "play", "the main menu from the options"))
        again = enter(game, OPTIONS, "sets", "the match options again")
        for name, at in OPTION_VALUES.items():
            if again.difference(options, again.box(at, VALUE_HALF_WIDTH, VALUE_HALF_HEIGHT)) > VALUE_SAME:
                raise DriveError("the %s option did not keep its value" % name)
        for target in ["games", "mode", "next"]:
            move(game, "Down", OPTIONS, target)

    record("player-select", enter(game, PLAYER_SELECT_NEW, "far", "the player set-up picture"))
    set_up_slot(game, plan.far, record, "far")
    enter(game, PLAYER_SELECT_NEW, "far", "the player set-up picture after the far slot")
    move(game, "Down", PLAYER_SELECT_NEW, "near")
    set_up_slot(game, plan.near, record, "near")
    ready = enter(game, PLAYER_SELECT, "far", "the player set-up picture with both players")
    record("player-select-ready", ready)
    move(game, "Down", PLAYER_SELECT, "near")
    ready = move(game, "Down", PLAYER_SELECT, "next")

    record("intro", start_match(game, ready))
    game.key_down("Return")
    try:
        # The white lasts about a second: look often.
        game.wait_for("the fade to white that ends the introduction",
                      lambda p: p.brightness() > INTRO_BRIGHTNESS[1], START_TIMEOUT, interval=0.05)
    finally:
        game.key_up("Return")
    record("play", game.wait_for("the court", lambda p: p.shows_court(), START_TIMEOUT))
    wait_for_motion(game, "play")
    # The pad's person serves: the hit is held through the toss to the swing.
    for control in plan.person_keys:
        game.press(control if game.pad_script else KEY_SET_1[control],
                   hold=KEY_HOLD_SECONDS * (8 if game.pad_script else 3))
    panel = [game.wait_for("a point played out (the score panel)", lambda p: p.shows_panel(SCORE_PANEL), POINT_TIMEOUT)]

    def next_point(picture):
        # The numbers flip to the new score in the panel's first moments: the
        # last picture of the panel shows the score at rest.
        if picture.shows_panel(SCORE_PANEL):
            panel[0] = picture
        return picture.shows_court() and not picture.shows_panel(SCORE_PANEL)
    game.wait_for("the next point", next_point, POINT_TIMEOUT)
    record("score", panel[0])
    wait_for_motion(game, "the next point")

    paused = game.press_until("Escape", "the pause screen", lambda p: p.highlighted_item(PAUSED) == "resume",
                              MENU_TIMEOUT)
    record("paused", paused)
    time.sleep(1)
    if game.shot().difference(paused, step=2) > MOTION:
        raise DriveError("the match went on behind the pause screen")
    # The point just played, shown again with a label that names Enter to
    # skip it; Enter takes the match back where it paused.
    move(game, "Down", PAUSED, "leave")
    move(game, "Down", PAUSED, "again")
    game.press("Return")
    record("point-again", game.wait_for("the point shown again, its keys named",
                                        lambda p: p.shows_replay_keys() and p.shows_court(), START_TIMEOUT))
    game.press_until("Return", "the match again after the point shown again",
                     lambda p: not p.shows_replay_keys() and p.shows_court(), MENU_TIMEOUT)
    game.press_until("Escape", "the pause screen after the point shown again",
                     lambda p: p.highlighted_item(PAUSED) == "resume", MENU_TIMEOUT)
    move(game, "Down", PAUSED, "leave")
    move(game, "Up", PAUSED, "resume")
    record("resumed", game.press_until("Return", "play resumed",
                                       lambda p: p.highlighted_item(PAUSED) is None and p.shows_court(),
                                       MENU_TIMEOUT))
    wait_for_motion(game, "play after the pause")

    if plan.ceremony:
        record("ceremony", game.wait_for("the final table", lambda p: p.shows_panel(TABLE_PANEL), MATCH_TIMEOUT))
        # Enter is held at the table to leave it.
        game.key_down("Return")
        try:
            game.wait_for("the final table left", lambda p: not p.shows_panel(TABLE_PANEL), START_TIMEOUT)
        finally:
            game.key_up("Return")
        menu = game.wait_for("the main menu after the match", lambda p: p.highlighted_item(MAIN_MENU) == "play",
                             START_TIMEOUT)
    else:
        game.press_until("Escape", "the pause screen again", lambda p: p.highlighted_item(PAUSED) == "resume",
                         MENU_TIMEOUT)
        move(game, "Down", PAUSED, "leave")
        menu = enter(game, MAIN_MENU, "play", "the main menu after leaving the match", START_TIMEOUT)
    record("main-menu", menu)
    for target in ["tournament", "training", "options", "credits", "quit"]:
        move(game, "Down", MAIN_MENU, target)
    game.press("Return", last=True)
    try:
        return game.process.wait(30)
    except subprocess.TimeoutExpired:
        raise DriveError("the game did not end within 30 s of its quit item")
