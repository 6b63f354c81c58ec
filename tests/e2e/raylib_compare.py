#!/usr/bin/env python3
"""Our rendering layer against the real raylib 6.0: the same game built both ways must draw the
main menu, the game scene and the pause menu alike, outside what depends on timing.

    python3 raylib_compare.py linux OWN_QUOL REAL_QUOL SOURCE_DIR OUT_DIR
    WINEPREFIX=<prefix> python3 raylib_compare.py windows OWN_FOLDER REAL_FOLDER OUT_DIR

Each build runs on its own 1920x1080 Xvfb screen, larger than the window, so that neither library
clamps the window to the screen (under Wine the real library's framed window would be). The
screens of the two runs are compared pixel for pixel with the debug overlay's numbers and graph
and the clock masked; where they differ both screens and a difference image are written into
OUT_DIR. Window placement, exit status and the trace lines of both runs are reported as well;
the window's placement and size and the exit status must match too. Then raylib's build is started
where its window cannot open (no display, OpenGL only up to 2.1): it must end with status 1 and
say why, under Wine in a message box too."""
import os
import re
import shutil
import sys
import tempfile
import time

from game_e2e import PAUSED_GREY, PLAY, is_main_menu, is_paused, is_running_game
from no_window_e2e import check_no_display, check_no_opengl_3_3
from notices_e2e import shows_notices
from quol_run import HEIGHT, WIDTH, Failure, Game
from save_e2e import save_path
from windows_e2e import Wine_Game, check_message_box_without_opengl_3_3

SCREEN = "1920x1080x24"
# Window areas that follow the frame times or the clock, with room for the pause menu's blur.
TIMING_AREAS = [
    (0, 0, 420, 165),       # the debug overlay's FPS text and frame-time graph
    (1370, 0, 1600, 70),    # the in-game clock
]
POINTER_REST = (40, 860)    # away from the buttons, so no cursor box depends on its spot
SETTLE_TIMEOUT = 12


def masked(screen):
    """The screen's pixels as one RGB byte string, the timing areas blacked out."""
    rows = []
    for y in range(screen.height):
        row = bytearray(screen.data[y * screen.stride:y * screen.stride + screen.width * 4])
        for x0, y0, x1, y1 in TIMING_AREAS:
            if y0 <= y < y1:
                row[x0 * 4:x1 * 4] = bytes((x1 - x0) * 4)
        rgb = bytearray(screen.width * 3)
        rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
        rows.append(bytes(rgb))
    return rows


def settled(game, what):
    """The first screen that two captures 0.3 s apart agree on outside the timing areas: the
    camera's easing and the menus' fades have ended."""
    limit = time.monotonic() + SETTLE_TIMEOUT
    last = masked(game.screen())
    while True:
        time.sleep(0.3)
        screen = game.screen()
        now = masked(screen)
        if now == last:
            return now
        if time.monotonic() > limit:
            raise Failure(f"the {what} kept changing for {SETTLE_TIMEOUT} s")
        last = now


def play_through(game, profile):
    """Main menu, game scene, pause menu, the pause menu with the notice of a save on C that failed
    on a read-only save file: their settled screens, then the exit status of a close. The notice
    names the save file, so both runs use the profile folder `profile`."""
    screens = {}
    game.move_mouse(*POINTER_REST)
    game.wait_for("the main menu", is_main_menu, timeout=20)
    screens["main menu"] = settled(game, "main menu")
    game.click(*PLAY)
    game.wait_for("the game scene", is_running_game, timeout=15)
    game.move_mouse(*POINTER_REST)
    screens["game scene"] = settled(game, "game scene")
    game.key("Escape")
    game.wait_for("the pause menu", is_paused, timeout=10)
    screens["pause menu"] = settled(game, "pause menu")
    with open(save_path(profile), "w") as f:
        f.write("{}")
    os.chmod(save_path(profile), 0o444)
    game.key("c")
    game.wait_for("the failed save's notice", shows_notices(1, PAUSED_GREY), timeout=10)
    screens["pause menu with a notice"] = settled(game, "pause menu with a notice")
    game.request_close()
    status = game.wait_exit(timeout=20)
    return screens, status


def run(make_game, profile):
    with make_game() as game:
        placed = game.geometry()  # settled when the game started
        screens, status = play_through(game, profile)
        time.sleep(0.3)  # the reader takes the last lines
        # Each run has a scratch folder of its own; the game names it without a closing separator.
        workdir = os.path.normpath(game.workdir)
        windows_workdir = "Z:" + workdir.replace("/", "\\")
        lines = [line.replace(windows_workdir, "<folder>").replace(workdir, "<folder>") for line in game.lines()]
        return {"placement": placed, "screens": screens, "status": status, "lines": lines}


def write_ppm(path, rows):
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (WIDTH, HEIGHT))
        f.write(b"".join(rows))


def difference(own, real):
    """Pixels that differ, their bounding box, and a black image with them in white."""
    count, box, rows = 0, None, []
    for y, (a, b) in enumerate(zip(own, real)):
        if a == b:
            rows.append(bytes(len(a)))
            continue
        row = bytearray(len(a))
        for x in range(len(a) // 3):
            if a[x * 3:x * 3 + 3] != b[x * 3:x * 3 + 3]:
                count += 1
                row[x * 3:x * 3 + 3] = b"\xff\xff\xff"
                box = (x, y, x, y) if box is None else (min(box[0], x), min(box[1], y), max(box[2], x), y)
        rows.append(bytes(row))
    return count, box, rows


def trace_text(line):
    """A trace line without the numbers that vary from run to run (addresses, ids, times)."""
    return re.sub(r"0x[0-9a-fA-F]+|\d+(\.\d+)?", "#", line)


def report_traces(system, own, real, out_dir):
    for who, lines in [("ours", own), ("raylib", real)]:
        with open(os.path.join(out_dir, f"{system}-{who}-output.txt"), "w") as f:
            f.write("\n".join(lines) + "\n")
    own_set, real_set = {trace_text(line) for line in own}, {trace_text(line) for line in real}
    only_own = [line for line in own if trace_text(line) not in real_set]
    only_real = [line for line in real if trace_text(line) not in own_set]
    print(f"   trace lines: {len(own)} from our layer, {len(real)} from raylib; "
          f"{len(only_own)} only in ours, {len(only_real)} only in raylib's")
    for line in only_own:
        print("     ours:   " + line)
    for line in only_real:
        print("     raylib: " + line)


def compare(system, own, real, out_dir):
    """Prints every difference; returns the failures (pixels, placement, exit status)."""
    failures = []
    print(f"== {system}: window placement (X, Y, width, height): ours {own['placement']}, raylib {real['placement']}")
    if own["placement"] != real["placement"]:
        failures.append(f"the window is placed differently: ours {own['placement']}, raylib {real['placement']}")
    print(f"   exit status: ours {own['status']}, raylib {real['status']}")
    if own["status"] != 0 or real["status"] != 0:
        failures.append(f"a run did not end with status 0: ours {own['status']}, raylib {real['status']}")
    for name, own_rows in own["screens"].items():
        count, box, diff_rows = difference(own_rows, real["screens"][name])
        if count == 0:
            print(f"   {name}: identical outside the timing areas")
            continue
        stem = os.path.join(out_dir, f"{system}-{name.replace(' ', '-')}")
        write_ppm(stem + "-ours.ppm", own_rows)
        write_ppm(stem + "-raylib.ppm", real["screens"][name])
        write_ppm(stem + "-difference.ppm", diff_rows)
        print(f"   {name}: {count} pixels differ within {box} (window coordinates); see {stem}-*.ppm")
        failures.append(f"the {name} differs in {count} pixels")
    report_traces(system, own["lines"], real["lines"], out_dir)
    return failures


class Profile_Game(Game):
    """A run with the profile folder `profile`, made afresh."""

    def __init__(self, quol, source_dir, profile):
        super().__init__(quol, source_dir, args=["--skip-splash-screen"], timeout=90, screen=SCREEN)
        self.profile = profile

    def environment(self):
        shutil.rmtree(self.profile, ignore_errors=True)
        os.mkdir(self.profile)
        self.home = self.profile
        return {"USERPROFILE": self.profile, "HOME": self.profile, "SDL_AUDIODRIVER": "dummy"}


def linux(own_quol, real_quol, source_dir):
    profile = os.path.join(tempfile.mkdtemp(prefix="quol-compare-"), "profile")
    try:
        def build(quol):
            return lambda: Profile_Game(os.path.abspath(quol), os.path.abspath(source_dir), profile)
        return run(build(own_quol), profile), run(build(real_quol), profile)
    finally:
        shutil.rmtree(os.path.dirname(profile), ignore_errors=True)


def windows(own_folder, real_folder):
    profile = tempfile.mkdtemp(prefix="quol-wine-profile-")
    try:
        def build(folder):
            # A fresh profile for each run: neither may find the other's save or settings.
            shutil.rmtree(profile, ignore_errors=True)
            os.mkdir(profile)
            return Wine_Game(os.path.abspath(folder), profile, timeout=120, screen=SCREEN)
        return run(lambda: build(own_folder), profile), run(lambda: build(real_folder), profile)
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def failed_starts_linux(real_quol, source_dir):
    """raylib 6.0's build where its window cannot open: status 1 and the reason, no crash."""
    real_quol, source_dir = os.path.abspath(real_quol), os.path.abspath(source_dir)
    check_no_display(real_quol, source_dir)
    said = check_no_opengl_3_3(real_quol, source_dir, r": OpenGL 3\.3 is not available \(.+\)")
    print(f"   without a display and without OpenGL 3.3 raylib's build ended with status 1: {said}")


def failed_starts_windows(real_folder):
    said = check_message_box_without_opengl_3_3(os.path.abspath(real_folder), r": OpenGL 3\.3 is not available \(.+\)")
    print(f"   without OpenGL 3.3 raylib's build showed its message box and ended with status 1: {said}")


def main():
    args = sys.argv[1:]
    if args[:1] == ["linux"] and len(args) == 5:
        system, out_dir = "Linux", args[4]
        start = lambda: linux(args[1], args[2], args[3])  # noqa: E731
        failed_starts, start_args = failed_starts_linux, (args[2], args[3])
    elif args[:1] == ["windows"] and len(args) == 4 and os.environ.get("WINEPREFIX"):
        system, out_dir = "Windows", args[3]
        start = lambda: windows(args[1], args[2])  # noqa: E731
        failed_starts, start_args = failed_starts_windows, (args[2],)
    else:
        print(__doc__)
        return 2
    os.makedirs(out_dir, exist_ok=True)
    began = time.monotonic()
    try:
        own, real = start()
    except Failure as failure:
        print(f"FAILED ({system}):", failure)
        return 1
    failures = compare(system, own, real, out_dir)
    try:
        failed_starts(*start_args)
    except Failure as failure:
        failures.append(f"raylib's build, started without a window: {failure}")
    for failure in failures:
        print(f"FAILED ({system}):", failure)
    if not failures:
        print(f"passed ({system}, {time.monotonic() - began:.0f} s): our layer and raylib 6.0 drew the main menu, "
              "the game scene, the pause menu and a notice over it alike, and raylib's build said why its window could not open")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
