#!/usr/bin/env python3
"""End-to-end tests of quol through a real window: python3 game_e2e.py QUOL SOURCE_DIR TEST_NAME."""
import os
import re
import struct
import sys
import time
import zlib

from quol_run import Failure, Game, is_blue, is_green, is_red, is_white, near

GREY = (105, 105, 105)
PAUSED_GREY = (31, 31, 31)  # the clear colour under black at alpha 178/255
BACKGROUND_POINT = (50, 850)
SPLASH_POINT = (460, 265)   # over the sky of the first image and the dark edge of the second
PLAY, QUIT = (700, 420), (700, 520)  # pointer spots whose cursor box overlaps one button only
RESUME, MENU, PAUSE_QUIT = (700, 320), (700, 420), (700, 520)
CLOCK_AREA = (1400, 20, 1600, 60)


def png_pixel(path, x, y):
    """A pixel of the generated (unfiltered 8-bit RGBA) images."""
    with open(path, "rb") as f:
        data = f.read()
    width = struct.unpack(">I", data[16:20])[0]
    chunks, pos = b"", 8
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        if kind == b"IDAT":
            chunks += data[pos + 8:pos + 8 + length]
        pos += 12 + length
    raw = zlib.decompress(chunks)
    row = raw[y * (width * 4 + 1):(y + 1) * (width * 4 + 1)]
    assert row[0] == 0, "expected unfiltered rows"
    return tuple(row[1 + x * 4:1 + x * 4 + 3])


def check(condition, message):
    if not condition:
        raise Failure(message)


def is_bar(c):
    return is_green(c) or is_red(c)


def background(screen):
    return screen.pixel(*BACKGROUND_POINT)


def is_main_menu(screen):
    return (near(background(screen), GREY, 3)
            and screen.count(700, 410, 900, 490, is_white) > 300
            and screen.count(700, 510, 900, 590, is_white) > 200
            and screen.count(805, 450, 1000, 478, is_green) == 0)


def is_game(screen):
    return (screen.count(805, 450, 1000, 478, is_green) > 30              # "Hello, Sailor" at the origin
            and screen.count(1400, 20, 1600, 125, is_white) > 100         # the date texts, top right
            and screen.count(35, 30, 300, 55, is_white) > 20              # FPS text
            and screen.count(35, 70, 236, 75, is_blue) > 100              # the graph's budget line
            and screen.count(35, 55, 236, 156, is_bar) > 100              # its bars, green or red
            and screen.count(35, 165, 400, 215, is_white) > 60)           # position and velocity


def is_paused(screen):
    return (near(background(screen), PAUSED_GREY, 4)
            and screen.count(640, 310, 960, 390, is_white) > 300           # "Resume"
            and screen.count(805, 450, 1000, 478, is_green) > 30           # the world lies on top
            and screen.count(1400, 20, 1600, 125, is_white) > 100)


def is_running_game(screen):
    return near(background(screen), GREY, 3) and is_game(screen)


def clock(screen):
    return screen.region(*CLOCK_AREA)


def clock_advances(game, seconds=1.3):
    before = clock(game.screen())
    time.sleep(seconds)
    return clock(game.screen()) != before


def enter_game(game):
    game.wait_for("the main menu", is_main_menu)
    game.move_mouse(*PLAY)
    start = time.monotonic()
    game.click(*PLAY)
    game.wait_for("the game scene", is_running_game, timeout=6)
    return time.monotonic() - start


def pause(game):
    game.key("Escape")
    game.wait_for("the pause menu", is_paused, timeout=3)


def check_log(game, home, seeds):
    log = game.log_text()
    for line in ["Game version 0.1\n", "WE ARE GAME: 480\n", "Build: 0\n",
                 f"\nGame save directory: {home}/Saved Games/quol\n", "\nRunning on Vellmarch Engine version 0.1\n"]:
        check(line in log, f"log lacks {line!r}: {log!r}")
    check(log.startswith("Game version 0.1\n"), f"log starts with {log[:40]!r}")
    found = re.findall(r"Seed: (\d+)", log)
    check(len(found) == seeds, f"expected {seeds} seed lines in {log!r}")
    if seeds:
        check(re.search(r"\nSeed: \d+$", log), f"the seed line ends the log: {log!r}")
    check(os.path.isdir(os.path.join(home, "Saved Games", "quol")), "the game folder was not made")


# -- the tests -----------------------------------------------------------------------------------

def splash_phases(quol, source, first, second):
    """The phases the sample point goes through from start-up to the main menu, in order."""
    with Game(quol, source) as game:
        seen = []
        limit = time.monotonic() + 12
        while time.monotonic() < limit:
            screen = game.screen()
            p = screen.pixel(*SPLASH_POINT)
            if is_main_menu(screen):
                phase = "menu"
            elif near(p, first, 6):
                phase = "first"
            elif near(p, second, 6):
                phase = "second"
            elif near(p, GREY, 3):
                phase = "grey"
            else:
                phase = "blend"
            if not seen or seen[-1] != phase:
                seen.append(phase)
            if phase == "menu":
                break
    # Before the first drawn frame the window may be black, and the last steps of a fade (opacity
    # below 1 %) look like the bare background.
    check("first" in seen, f"the first image never showed: {seen}")
    order = []
    for phase in seen[seen.index("first"):]:
        if phase != "grey" and (not order or order[-1] != phase):
            order.append(phase)
    return seen, order


def is_subsequence(part, whole):
    rest = iter(whole)
    return all(any(item == candidate for candidate in rest) for item in part)


def test_splash_screens_fade_into_the_main_menu(quol, source):
    def pixel(name):
        return png_pixel(os.path.join(source, "assets/splash_screens", name), SPLASH_POINT[0] - 400, SPLASH_POINT[1] - 225)

    expected = ["first", "blend", "second", "blend", "menu"]
    # The fades run on frame time: one frame stalled by a loaded machine may skip a whole phase,
    # so a run that only skipped phases (never went backwards) is tried once more.
    for attempt in range(2):
        seen, order = splash_phases(quol, source, pixel("splash1.png"), pixel("splash2.png"))
        check(is_subsequence(order, expected) and order[-1] == "menu", f"splash phases out of order: {seen}")
        if order == expected:
            return
        print(f"attempt {attempt + 1}: phases skipped: {seen}")
    raise Failure(f"splash phases: {seen}")


def test_skip_switch_goes_straight_to_the_menu_and_quit_ends_the_run(quol, source):
    first = png_pixel(os.path.join(source, "assets/splash_screens/splash1.png"), SPLASH_POINT[0] - 400, SPLASH_POINT[1] - 225)
    with Game(quol, source, ["--skip-splash-screen"]) as game:
        while True:
            screen = game.screen()
            check(not near(screen.pixel(*SPLASH_POINT), first, 10), "a splash image was shown")
            if is_main_menu(screen):
                break
            game.remaining()
        game.move_mouse(*QUIT)
        game.click(*QUIT)
        check(game.wait_exit() == 0, "quit did not end with status 0")
        check_log(game, game.home, seeds=0)


def test_game_scene_pause_resume_and_pause_quit(quol, source):
    with Game(quol, source, ["--skip-splash-screen"]) as game:
        waited = enter_game(game)
        check(waited >= 1.3, f"the first Play fade took only {waited:.2f} s")
        check(clock_advances(game), "the clock does not run")

        pause(game)
        check(not clock_advances(game), "the clock runs while paused")

        game.click(*RESUME)
        game.wait_for("the running game after Resume", is_running_game, timeout=3)
        check(clock_advances(game), "the clock does not run after Resume")

        # Resume left the pause toggle set: the next Escape only clears it, the one after pauses.
        game.key("Escape")
        time.sleep(0.3)
        check(is_running_game(game.screen()), "Escape right after Resume paused the game")
        pause(game)

        game.click(*PAUSE_QUIT)
        check(game.wait_exit() == 0, "quit from the pause menu did not end with status 0")
        check_log(game, game.home, seeds=1)


def test_menu_returns_to_the_main_menu_and_play_again_is_immediate(quol, source):
    with Game(quol, source, ["--skip-splash-screen"]) as game:
        first = enter_game(game)
        pause(game)
        game.click(*MENU)
        game.wait_for("the main menu after Menu", is_main_menu, timeout=4)

        # Nothing resets the Play fade: the second Play switches at once instead of fading 1.5 s.
        second = enter_game(game)
        check(second < first - 0.7, f"the second Play took {second:.2f} s, the first {first:.2f} s")
        game.request_close()
        check(game.wait_exit() == 0, "the close request did not end with status 0")
        check_log(game, game.home, seeds=1)


def test_close_request_while_paused_shuts_down(quol, source):
    with Game(quol, source, ["--skip-splash-screen"]) as game:
        enter_game(game)
        pause(game)
        game.request_close()
        check(game.wait_exit() == 0, "the close request did not end with status 0")


def main():
    quol, source, name = sys.argv[1:4]
    test = globals().get("test_" + name)
    if test is None:
        print("no test named", name)
        return 2
    try:
        test(os.path.abspath(quol), os.path.abspath(source))
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
