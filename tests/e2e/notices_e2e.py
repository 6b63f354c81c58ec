#!/usr/bin/env python3
"""What failed is shown in the window, since a GUI program's standard output reaches no one:
python3 notices_e2e.py QUOL SOURCE_DIR TEST_NAME."""
import os
import re
import shutil
import sys
import tempfile
import time

from game_e2e import GREY, check, enter_game, is_main_menu
from quol_run import GAME_FILES, is_white, near, run_named_test
from save_e2e import KNOWN_SAVE, Profile_Game, save_path

# Where notices are drawn: above the bottom edge, inside the side margins. In a clean run of the
# main menu and of the game by day nothing else is drawn there, so the area is the clear colour.
AREA = (64, 720, 1536, 884)
LOWEST_BAND = (64, 846, 1536, 880)
UPPER_BAND = (64, 808, 1536, 842)
BROKEN_CONFIG = "config = {\n    hero_data = { speed = 300.0 dash_speed = 1200.0; };\n};\n"


def marked(screen, box, background=GREY):
    """Pixels that differ from the background, the clear colour unless under the pause layer."""
    return screen.count(*box, lambda c: not near(c, background, 2))


def is_clean(screen):
    return marked(screen, AREA) == 0


def shows_notices(count, background=GREY):
    """`count` bands of white text on dark, newest lowest, and nothing above them."""
    def test(screen):
        bands = [LOWEST_BAND, UPPER_BAND][:count]
        above = (AREA[0], AREA[1], AREA[2], bands[-1][1] - 4)
        return (all(marked(screen, band, background) > 2000 and screen.count(*band, is_white) > 100 for band in bands)
                and marked(screen, above, background) == 0)
    return test


class Broken_Config_Game(Profile_Game):
    """A run whose data/config.dix has a syntax error."""

    def files(self):
        data = os.path.join(self.outside, "data")
        shutil.copytree(os.path.join(self.source_dir, "data"), data)
        with open(os.path.join(data, "config.dix"), "w") as f:
            f.write(BROKEN_CONFIG)
        given = [entry for entry in super().files() if entry[1] != "data"]
        return given + [(data, "data")]


def keep_screen(screen, name):
    """The screen beside the test's output, for a look when it fails."""
    folder = os.environ.get("QUOL_SCREENSHOTS")
    if folder:
        os.makedirs(folder, exist_ok=True)
        screen.save_ppm(os.path.join(folder, name + ".ppm"))


def test_failures_show_at_the_bottom_and_go(quol, source):
    """A configuration with a syntax error and a tampered save at start-up, then a save on C that
    fails on the read-only save file, in a profile folder whose letters the font lacks."""
    outside = tempfile.mkdtemp(prefix="quol-notices-")
    try:
        profile = os.path.join(outside, "Зоя 山田")
        os.makedirs(os.path.dirname(save_path(profile)))
        tampered = KNOWN_SAVE.replace('"ingame_hours": 19', '"ingame_hours": 20')
        with open(save_path(profile), "w") as f:
            f.write(tampered)
        os.chmod(save_path(profile), 0o444)
        with Broken_Config_Game(quol, source, profile) as game:
            # Standard output as before; the two notices wait for the menu, the newest lowest.
            game.wait_line(r"^data/config\.dix:2:32$")
            game.wait_line(r"^tampered save file$")
            shown = game.wait_for("the configuration's and the save file's notices", shows_notices(2), timeout=10)
            keep_screen(shown, "notices-start")
            check(is_main_menu(shown), "the main menu is not drawn under the notices")
            gone_at = time.monotonic() + 9
            game.wait_for("the notices to go", is_clean, timeout=10)
            check(time.monotonic() < gone_at, "the notices stayed too long")

            enter_game(game)
            check(is_clean(game.screen()), "the game scene shows a notice before anything failed")
            game.key("c")
            failed = game.wait_line(r"^Save failed in background thread 1: could not replace \".*Зоя 山田/Saved Games"
                                    r"/quol/quol\.sav\": the save file is read-only$")
            shown = game.wait_for("the failed save's notice", shows_notices(1), timeout=5)
            keep_screen(shown, "notices-save-failed")
            check(not any(re.match(r"^(Save completed|Saving is off)", line) for line in game.lines()[failed:]),
                  "an unexpected save line")
            game.wait_for("the failed save's notice to go", is_clean, timeout=10)
            game.quit()
        with open(save_path(profile)) as f:
            check(f.read() == tampered, "the tampered save file was changed")
    finally:
        shutil.rmtree(outside, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run_named_test(globals()))
