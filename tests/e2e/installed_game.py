#!/usr/bin/env python3
"""The game as a user gets it from `cmake --install`: installed into a
temporary DESTDIR under /usr, its desktop entry and AppStream metadata
validated, then started from an unrelated working folder with an empty HOME
on a private virtual X display. The title screen must be drawn, config.ini
written with its seven default lines under ~/.config/zumbolo/, the data
folder left untouched, and the game must quit from its menu with code 0 and
nothing on standard output. The installed simulator must find the data too,
and without its data folder the game must say where it looked and end with
status 1, opening no window.

Usage: installed_game.py BUILD_FOLDER [SHOTS_FOLDER]
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True
import gamedrive  # noqa: E402

DEFAULT_CONFIG = ("LANG ES\nRESOLUTION 1024 768 32 60\nWINDOWED 0\n"
                  "P1_KEYS 359 357 356 358 109 110\nP2_KEYS 100 101 115 102 97 113\n"
                  "P3_KEYS 106 117 104 107 103 116\nP4_KEYS 53 56 52 54 49 50\n")


def listing(folder):
    """Every file under folder with its size and modification time."""
    found = {}
    for root, _, files in os.walk(folder):
        for name in files:
            path = os.path.join(root, name)
            status = os.stat(path)
            found[os.path.relpath(path, folder)] = (status.st_size, status.st_mtime_ns)
    return found


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, timeout=120, **options)


def check_metadata(usr):
    failures = []
    share = os.path.join(usr, "share")
    for command, folder in ((["desktop-file-validate"], "applications"),
                            (["appstreamcli", "validate", "--no-net"], "metainfo")):
        names = os.listdir(os.path.join(share, folder))
        result = run(command + [os.path.join(share, folder, name) for name in names])
        if result.returncode != 0 or not names:
            failures.append("%s: %s%s" % (" ".join(command), result.stdout, result.stderr))
    for size in (16, 32, 48, 64, 128, 256):
        if not os.path.isfile(os.path.join(share, "icons/hicolor/%dx%d/apps/zumbolo.png" % (size, size))):
            failures.append("no %d pixel icon" % size)
    return failures


def installed_program(usr, name):
    """bin/NAME, or games/NAME as the Debian package's build installs it."""
    for folder in ("bin", "games"):
        if os.path.isfile(os.path.join(usr, folder, name)):
            return os.path.join(usr, folder, name)
    return os.path.join(usr, "bin", name)


def play_installed(usr, home, elsewhere, shots_dir):
    """Title screen, config.ini, quit; returns the failures."""
    game = gamedrive.Game(None, shots_dir, executable=installed_program(usr, "zumbolo"), working_dir=elsewhere,
                          environment={"HOME": home, "XDG_CONFIG_HOME": None, "XDG_DATA_HOME": None})
    failures = []
    try:
        game.start()
        title = game.wait_for("the title screen", lambda p: p.highlighted_item(gamedrive.MAIN_MENU) == "play",
                              gamedrive.START_TIMEOUT)
        if title.is_black():
            failures.append("the title screen is black")
        game.keep(title, "installed-title")
        config = os.path.join(home, ".config/zumbolo/config.ini")
        written = open(config).read() if os.path.isfile(config) else None
        if written != DEFAULT_CONFIG:
            failures.append("config.ini under ~/.config/zumbolo holds %r" % written)
        for item in ["tournament", "training", "options", "credits", "quit"]:
            gamedrive.move(game, "Down", gamedrive.MAIN_MENU, item)
        game.press("Return", last=True)
        code = game.process.wait(30)
        if code != 0:
            failures.append("the game ended with code %d" % code)
    except (gamedrive.DriveError, subprocess.TimeoutExpired) as error:
        failures.append(str(error))
    finally:
        output, _ = game.close()
    if output:
        failures.append("the game wrote to standard output: %r" % output)
    return failures


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    build = os.path.abspath(sys.argv[1])
    shots_dir = sys.argv[2] if len(sys.argv) > 2 else None
    folder = tempfile.mkdtemp(prefix="zumbolo-install-")
    usr = os.path.join(folder, "root/usr")
    home = os.path.join(folder, "home")
    elsewhere = os.path.join(folder, "elsewhere")
    os.makedirs(home)
    os.makedirs(elsewhere)
    failures = []
    display = None
    try:
        installed = run(["cmake", "--install", build, "--prefix", "/usr"],
                        env=dict(os.environ, DESTDIR=os.path.join(folder, "root")))
        if installed.returncode != 0:
            sys.exit("cmake --install failed:\n" + installed.stdout + installed.stderr)
        failures += check_metadata(usr)
        data = os.path.join(usr, "share/zumbolo")
        before = listing(data)

        display = gamedrive.start_display()
        failures += play_installed(usr, home, elsewhere, shots_dir)
        simulated = run([installed_program(usr, "zumbolo-simulate"), "--quiet", "--games", "1", "Vazuvodod:5",
                         "Doredu:5"], cwd=elsewhere, env=dict(os.environ, HOME=home))
        summary = json.loads(simulated.stdout.splitlines()[-1]) if simulated.stdout.strip() else {}
        if simulated.returncode != 0 or summary.get("finished") is not True:
            failures.append("the installed simulator: %d %s%s" % (simulated.returncode, simulated.stdout,
                                                                   simulated.stderr))
        if listing(data) != before:
            failures.append("the data folder changed while the game ran")

        os.rename(data, data + ".away")
        missing = run([installed_program(usr, "zumbolo")], cwd=elsewhere, env=dict(os.environ, HOME=home))
        lines = missing.stdout.splitlines()
        if missing.returncode != 1 or len(lines) != 1 or data not in lines[0]:
            failures.append("without its data the game said %r and ended with %d" % (missing.stdout,
                                                                                     missing.returncode))
    finally:
        if display:
            gamedrive.stop_display(display)
        shutil.rmtree(folder, ignore_errors=True)
    if failures:
        print("FAILED")
        for failure in failures:
            print("  " + failure)
        sys.exit(1)
    print("passed")


if __name__ == "__main__":
    main()
