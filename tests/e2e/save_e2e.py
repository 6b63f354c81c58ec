#!/usr/bin/env python3
"""End-to-end tests of saving and loading through a real window:
python3 save_e2e.py QUOL SOURCE_DIR TEST_NAME."""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

from game_e2e import PLAY, check, clock, enter_game, is_main_menu
from harness import stop_process
from quol_run import Failure, Game, near, run_named_test

GREY = (105, 105, 105)
NIGHT_GREY = (31, 31, 31)  # the clear colour under black at alpha 0.7

# A save at hour 19 with the player at (412.5, -96.25), its checksum as the game computes it.
KNOWN_SAVE = (
    '{\n\t"header": {\n\t\t"version": 0.1,\n\t\t"checksum": 1737981248\n\t},\n'
    '\t"state": {\n\t\t"saved_at": "8/12/2026 - 9:5",\n\t\t"player": {\n\t\t\t"position": {\n'
    '\t\t\t\t"x": 412.5,\n\t\t\t\t"y": -96.25\n\t\t\t}\n\t\t},\n\t\t"time": {\n'
    '\t\t\t"night_time": false,\n\t\t\t"ingame_hours": 19,\n\t\t\t"ingame_minutes": 14,\n'
    '\t\t\t"days": 3,\n\t\t\t"month": "Summer 2"\n\t\t}\n\t}\n}')


class Profile_Game(Game):
    """A run whose profile folder (USERPROFILE) is given, so that runs can share one save."""

    def __init__(self, quol, source_dir, profile, args=("--skip-splash-screen",), timeout=40):
        super().__init__(quol, source_dir, args, timeout)
        self.profile = profile

    def environment(self):
        self.home = self.profile
        return {"USERPROFILE": self.profile, "HOME": self.profile, "SDL_AUDIODRIVER": "dummy"}

    def quit(self):
        self.request_close()
        check(self.wait_exit() == 0, "the close request did not end with status 0")


class Installed_Game(Profile_Game):
    """The game laid out in `folder` by `cmake --install`, started by its full path from a working
    folder that holds only `others` (other programs' files), as a launcher with no start folder
    starts it."""

    def __init__(self, folder, profile, others=()):
        super().__init__(os.path.join(folder, "quol"), None, profile)
        self.folder = folder
        self.others = list(others)

    def files(self):
        return self.others

    def game_folder(self):
        return self.folder


def save_path(profile):
    return os.path.join(profile, "Saved Games", "quol", "quol.sav")


def is_dark_game(screen):
    return near(screen.pixel(50, 850), NIGHT_GREY, 4)


def world_text_at(screen, x0, y0, x1, y1):
    """Pixels of the green world text in a box, also under the night overlay."""
    return screen.count(x0, y0, x1, y1, lambda c: c[1] >= 50 and c[0] <= 20 and c[2] <= 20)


def expect_load_lines(game, expected):
    start = game.wait_line("^" + re.escape(expected[0]) + "$", timeout=10)
    game.session.wait_for_output("^" + re.escape(expected[-1]) + "$", timeout=5, start=start)
    got = game.lines()[start:start + len(expected)]
    check(got == expected, f"expected the lines {expected}, got {got}")


# -- the tests -----------------------------------------------------------------------------------
def test_key_c_saves_and_the_next_run_restores(quol, source):
    profile = tempfile.mkdtemp(prefix="quol-profile-")
    try:
        with Profile_Game(quol, source, profile) as game:
            enter_game(game)
            fresh_clock = clock(game.screen())
            time.sleep(4)  # a few in-game minutes, so the restored clock differs from a fresh one
            game.key("c")
            done = game.wait_line(r"^Save completed in background thread 1$")
            lines = game.lines()[:done + 1]
            added = [i for i, l in enumerate(lines)
                     if re.fullmatch(r"'' added     work '' to the available list at time [0-9.]+\.", l)]
            assigned = [i for i, l in enumerate(lines)
                        if re.fullmatch(r"'' assigned  work ''   to thread 1 at time [0-9.]+\.", l)]
            check(len(added) == 1 and len(assigned) == 1 and added[0] < assigned[0],
                  f"expected one added and one assigned line before the completion: {lines[-6:]}")
            game.quit()

        with open(save_path(profile), "rb") as f:
            raw = f.read()
        check(b"\r" not in raw and not raw.endswith(b"\n"), "the save file's line ends are wrong")
        save = json.loads(raw)
        check(save["header"]["version"] == 0.1, f"version {save['header']['version']}")
        saved_minutes = save["state"]["time"]["ingame_minutes"]
        check(saved_minutes >= 2, f"saved at minute {saved_minutes}")
        check(save["state"]["player"]["position"] == {"x": 0, "y": 0}, "saved position")

        # What earlier runs killed mid-save left behind: gone once the next run has started.
        folder = os.path.dirname(save_path(profile))
        leftovers = ["quol.sav.4242.tmp", "quol.sav.4242-00000000deadbeef.tmp"]
        for name in leftovers:
            with open(os.path.join(folder, name), "w") as f:
                f.write('{"header": ')
        with Profile_Game(quol, source, profile) as game:
            expect_load_lines(game, ["save file loaded", "Ok!", "save file version: 0.1"])
            enter_game(game)
            check(clock(game.screen()) != fresh_clock, "the restored clock looks like a fresh one")
            game.quit()
        check(sorted(os.listdir(folder)) == ["quol.sav"], f"left in the save folder: {os.listdir(folder)}")
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def test_the_installed_game_started_elsewhere_finds_its_files_and_saves(quol, source):
    outside = tempfile.mkdtemp(prefix="quol-install-")
    try:
        folder = os.path.join(outside, "quol game")
        install = subprocess.run([os.environ.get("QUOL_CMAKE", "cmake"), "--install", os.path.dirname(quol),
                                  "--prefix", folder], capture_output=True, text=True, timeout=60)
        check(install.returncode == 0, f"cmake --install failed: {install.stdout}{install.stderr}")
        profile = os.path.join(outside, "profile")
        os.mkdir(profile)
        # A project folder with an `assets` folder of its own holds none of the game's files.
        others = os.path.join(outside, "assets")
        os.mkdir(others)
        with open(os.path.join(others, "notes.txt"), "w") as f:
            f.write("not the game's\n")
        with Installed_Game(folder, profile, others=[others]) as game:
            enter_game(game)
            time.sleep(0.3)
            game.key("d", hold=0.6)  # walks only when the config's speeds were read
            game.key("c")
            game.wait_line(r"^Save completed in background thread \d+$")
            lines = game.lines()
            missing = [line for line in lines if line.startswith("WARNING: FILEIO")]
            check(not missing, f"files not found: {missing}")
            taken = "INFO: GAME: The working directory holds none of the game's files: using the executable's directory "
            check(taken + folder + "/" in lines, f"no line saying the executable's folder was taken: {lines[:12]}")
            check("Game version 0.1\n" in game.log_text(), "the log lacks the version")
            game.quit()
        with open(save_path(profile), "rb") as f:
            x = json.loads(f.read())["state"]["player"]["position"]["x"]
        check(x > 50, f"the player stood still (x {x}): the config was not read")

        # Without a prefix it still gets a folder of its own (DESTDIR stages it in ours).
        staged = os.path.join(outside, "staged")
        install = subprocess.run([os.environ.get("QUOL_CMAKE", "cmake"), "--install", os.path.dirname(quol)],
                                 env=dict(os.environ, DESTDIR=staged), capture_output=True, text=True, timeout=60)
        check(install.returncode == 0, f"cmake --install without a prefix failed: {install.stdout}{install.stderr}")
        own = os.path.join(staged, "opt", "quol")
        check(os.listdir(staged) == ["opt"] and os.listdir(os.path.dirname(own)) == ["quol"],
              f"without a prefix the game did not land in /opt/quol alone: {os.listdir(staged)}")
        check(all(os.path.exists(os.path.join(own, name)) for name in ["quol", "data", "assets", "logs"]),
              f"/opt/quol lacks the game's files: {sorted(os.listdir(own))}")
    finally:
        shutil.rmtree(outside, ignore_errors=True)


def test_a_known_save_restores_night_and_position(quol, source):
    profile = tempfile.mkdtemp(prefix="quol-profile-")
    try:
        os.makedirs(os.path.dirname(save_path(profile)))
        with open(save_path(profile), "w") as f:
            f.write(KNOWN_SAVE)
        with Profile_Game(quol, source, profile) as game:
            expect_load_lines(game, ["save file loaded", "Ok!", "save file version: 0.1"])
            game.wait_for("the main menu", is_main_menu)
            game.click(*PLAY)
            # Hour 19: full darkness from the first frame; the camera follows the restored player,
            # so the world text at the origin sits 412.5 px left of and 96.25 px below the centre.
            game.wait_for("the dark game scene with the world text moved",
                          lambda s: is_dark_game(s) and world_text_at(s, 385, 544, 600, 572) > 30, timeout=6)
            game.quit()
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def test_an_edited_hour_starts_fresh(quol, source):
    profile = tempfile.mkdtemp(prefix="quol-profile-")
    try:
        os.makedirs(os.path.dirname(save_path(profile)))
        with open(save_path(profile), "w") as f:
            f.write(KNOWN_SAVE.replace('"ingame_hours": 19', '"ingame_hours": 20'))
        with Profile_Game(quol, source, profile) as game:
            expect_load_lines(game, ["save file loaded", "tampered save file"])
            enter_game(game)  # a day-lit game with the world text at the centre
            check(not any(l == "Ok!" for l in game.lines()), "a tampered save was accepted")
            game.quit()
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def test_losing_the_display_mid_game_ends_without_an_abort(quol, source):
    """Xlib ends the process through exit() when its display goes away; the save workers must
    neither abort that exit nor leave a broken save behind."""
    profile = tempfile.mkdtemp(prefix="quol-profile-")
    try:
        with Profile_Game(quol, source, profile) as game:
            enter_game(game)
            game.key("c")
            game.wait_line(r"^Save completed in background thread \d+$")
            game.key("c", hold=0.05)  # a second save, perhaps still being written when the display goes
            game.x11.XCloseDisplay(game.connection)  # our own connection would end this script too
            game.connection = None
            stop_process(game.session.xvfb)
            status = game.session.wait_exit(timeout=10)
            # Xlib's exit status 1, or SIGPIPE when the game writes to the dead connection before
            # Xlib reads its end: on a busy machine either comes first. Neither is an abort.
            check(status in (1, -signal.SIGPIPE),
                  f"the game ended with status {status}, not Xlib's exit status 1 or SIGPIPE")
            check(not any("terminate called" in l for l in game.session.stderr_text().splitlines()),
                  "the game aborted on its way out")
        with open(save_path(profile), "rb") as f:
            save = json.loads(f.read())
        check(save["header"]["version"] == 0.1, "the save left behind is not whole")
    finally:
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run_named_test(globals()))
