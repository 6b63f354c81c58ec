#!/usr/bin/env python3
"""End-to-end save test of the Windows build under Wine: python3 windows_e2e.py GAME_FOLDER.

Runs GAME_FOLDER/quol.exe from a copy of the whole folder, as a player would copy it, on an Xvfb
display of its own with a fresh profile folder: the first run, started by its full path from
another folder, walks and saves on key C; the second, started in the game folder, loads that
save. WINEPREFIX names a prefix made with `wineboot --init`; the caller's prefix server, if any,
is ended, since one started without a display would give the game no window. First of all,
quol.exe must be a GUI program, so that a player who starts it gets no console window."""
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "window"))
from harness import Window_Session  # noqa: E402
from game_e2e import check, enter_game  # noqa: E402
from quol_run import HEIGHT, WIDTH, Failure, Game  # noqa: E402
from save_e2e import expect_load_lines, save_path  # noqa: E402


def windows_path(path):
    """Wine's drive Z: is the Unix root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def restart_wine_server():
    subprocess.run(["wineserver", "-k"], stderr=subprocess.DEVNULL, timeout=10)
    subprocess.run(["wineserver", "-w"], timeout=10)


class Wine_Session(Window_Session):
    """The window belongs to the game's own process, not to the `wine` command started here."""

    def wait_for_window(self, timeout=10.0):
        deadline = time.monotonic() + self._left(timeout)
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise Failure(f"wine exited (status {self.process.returncode}) before the game showed a window")
            found = self._xdotool(["search", "--onlyvisible", "--name", "^quol$"], check=False).split()
            if found:
                self.window = found[0]
                return self.window
            time.sleep(0.1)
        raise Failure(f"no game window within {timeout:.0f} s")


class Wine_Game(Game):
    """One run of the game folder's copy under Wine, with USERPROFILE set to `profile`. On the
    default screen the window must cover it; on a larger one it may be placed anywhere."""

    def __init__(self, folder, profile, from_elsewhere=False, timeout=60, screen=None):
        super().__init__(None, None, timeout=timeout, screen=screen)
        self.folder = folder
        self.profile = profile
        # Started by its full path from the folder above the game's, which holds none of its files.
        self.copy_into = "game" if from_elsewhere else ""

    def _start(self):
        self.outside = tempfile.mkdtemp(prefix="quol-wine-e2e-")
        # Wine sets USERPROFILE itself, over the caller's; a batch file sets it for the game.
        batch = os.path.join(self.outside, "run.bat")
        game = "%CD%\\game\\quol.exe" if self.copy_into else "quol.exe"
        with open(batch, "w", newline="\r\n") as f:
            f.write(f'@set "USERPROFILE={windows_path(self.profile)}"\n@"{game}" --skip-splash-screen\n')
        files = [(os.path.join(self.folder, name), os.path.join(self.copy_into, name))
                 for name in os.listdir(self.folder)] + [(batch, "run.bat")]
        restart_wine_server()
        # SDL_VIDEODRIVER=x11, set by the harness, would name a driver SDL for Windows lacks.
        self.session = Wine_Session(shutil.which("wine"), ["cmd", "/c", "run.bat"], files, timeout=self.timeout,
                                    env={"SDL_VIDEODRIVER": "windows", "SDL_AUDIODRIVER": "dummy"},
                                    **({"screen": self.screen_size} if self.screen_size else {}))
        self.session.__enter__()
        self.workdir = os.path.join(self.session.scratch, self.copy_into)
        self.window = int(self.session.wait_for_window(timeout=30))
        placed = self.geometry()
        if not self.screen_size and placed != {"X": 0, "Y": 0, "WIDTH": WIDTH, "HEIGHT": HEIGHT}:
            raise Failure(f"the window does not cover the screen: {placed}")
        self._find_origin()
        self._connect_display()
        return self

    def __exit__(self, kind, value, traceback):
        result = super().__exit__(kind, value, traceback)
        restart_wine_server()  # its desktop process would hold the finished display
        return result

    def quit(self):
        self.request_close()
        status = self.wait_exit(timeout=15)
        check(status == 0, f"the close request ended the game with status {status}")


def test_the_game_is_a_gui_program(folder):
    exe = os.path.join(folder, "quol.exe")
    with open(exe, "rb") as f:
        data = f.read()
    signature = struct.unpack_from("<I", data, 0x3C)[0]  # e_lfanew
    check(data[:2] == b"MZ" and data[signature:signature + 4] == b"PE\0\0", f"{exe} is not a PE file")
    # The optional header follows the signature and the 20-byte file header; its Subsystem field
    # is at 68 in the 32-bit and the 64-bit form alike.
    subsystem = struct.unpack_from("<H", data, signature + 4 + 20 + 68)[0]
    check(subsystem == 2, f"quol.exe's subsystem is {subsystem}, not 2 (GUI): it opens a console window")


def test_key_c_saves_and_the_next_run_loads(folder):
    profile = tempfile.mkdtemp(prefix="quol-wine-profile-")
    try:
        with Wine_Game(folder, profile, from_elsewhere=True) as game:
            enter_game(game)
            time.sleep(0.3)
            game.key("d", hold=0.6)  # walks only when the config's speeds were read
            game.key("c")
            game.wait_line(r"^Save completed in background thread \d+$", timeout=15)
            lines = game.lines()
            missing = [line for line in lines if line.startswith("WARNING: FILEIO")]
            check(not missing, f"files missing from the game folder: {missing}")
            taken = ("INFO: GAME: The working directory holds none of the game's files: using the "
                     "executable's directory " + windows_path(game.workdir) + "\\")
            check(taken in lines, f"no line saying the executable's folder was taken: {lines[:12]}")
            check(os.path.isdir(os.path.join(game.workdir, "logs")), "the game folder has no logs folder")
            game.log_text()
            game.quit()

        with open(save_path(profile), "rb") as f:
            raw = f.read()
        check(b"\r\n" in raw and raw.count(b"\n") == raw.count(b"\r\n"), f"line ends not CR LF: {raw[:60]!r}")
        save = json.loads(raw)
        check(save["header"]["version"] == 0.1, "the save's version")
        x = save["state"]["player"]["position"]["x"]
        check(x > 50, f"the player stood still (x {x}): the config was not read")

        with Wine_Game(folder, profile) as game:
            expect_load_lines(game, ["save file loaded", "Ok!", "save file version: 0.1"])
            check(any(line.startswith("INFO: GAME: The working directory holds the game's files")
                      for line in game.lines()), "no line saying the working folder was kept")
            game.quit()
    finally:
        shutil.rmtree(profile, ignore_errors=True)


def main():
    if len(sys.argv) != 2 or not os.environ.get("WINEPREFIX"):
        print("usage: WINEPREFIX=<prefix> windows_e2e.py GAME_FOLDER")
        return 2
    os.environ.setdefault("WINEDEBUG", "-all")
    os.environ.setdefault("WINEDLLOVERRIDES", "winedbg.exe=d")  # a crash ends the run, not a debugger
    folder = os.path.abspath(sys.argv[1])
    try:
        test_the_game_is_a_gui_program(folder)
        test_key_c_saves_and_the_next_run_loads(folder)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("passed: quol.exe is a GUI program; under Wine, started from another folder the game found its files, "
          "walked and saved, and the next run loaded the save")
    return 0


if __name__ == "__main__":
    sys.exit(main())
