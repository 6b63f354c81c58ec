#!/usr/bin/env python3
"""End-to-end save test of the Windows build under Wine: python3 windows_e2e.py GAME_FOLDER.

Runs GAME_FOLDER/quol.exe from a copy of the whole folder, as a player would copy it, on an Xvfb
display of its own with a fresh profile folder: the first run, started by its full path from
another folder, walks and saves on key C, then, the save file made read-only, shows why a second
save fails; the second run, started in the game folder, loads the first save. Started as Explorer
starts it, with no standard handles, the game writes its output beside its log. WINEPREFIX names a
prefix made with `wineboot --init`; the caller's prefix server, if any, is ended, since one started
without a display would give the game no window. First of all, quol.exe must be a GUI program, so
that a player who starts it gets no console window. Last, on a display whose OpenGL stops at 2.1,
the game must say why in a message box and end with status 1 once it is closed."""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "window"))
from harness import Window_Session, start_xvfb, stop_process  # noqa: E402
from game_e2e import check, enter_game  # noqa: E402
from no_window_e2e import NO_WINDOW, OFFERED_2_1  # noqa: E402
from quol_run import HEIGHT, WIDTH, Failure, Game  # noqa: E402
from save_e2e import expect_load_lines, save_path  # noqa: E402
from notices_e2e import shows_notices  # noqa: E402


# Wine without address randomisation: Debian's Wine 8 has no preloader, and a randomised layout
# now and then takes the place Wine needs, so that it exits with status 1 before the game runs.
WINE = [shutil.which("setarch"), "x86_64", "-R", shutil.which("wine")]

# Every XInput DLL a program may fall back to, off in Wine.
NO_XINPUT = "xinput1_1,xinput1_2,xinput1_3,xinput1_4,xinput9_1_0=d"


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
        self.session = Wine_Session(WINE[0], [*WINE[1:], "cmd", "/c", "run.bat"], files, timeout=self.timeout,
                                    env={"SDL_VIDEODRIVER": "windows", "SDL_AUDIODRIVER": "dummy"},
                                    **({"screen": self.screen_size} if self.screen_size else {}))
        self.session.__enter__()
        self.workdir = os.path.join(self.session.scratch, self.copy_into)
        self.window = int(self.session.wait_for_window(timeout=30))
        placed = self._find_origin()
        if not self.screen_size and placed != {"X": 0, "Y": 0, "WIDTH": WIDTH, "HEIGHT": HEIGHT}:
            raise Failure(f"the window does not cover the screen: {placed}")
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
            # Read-only now: a save on C fails, and the player is shown why.
            os.chmod(save_path(profile), 0o444)
            game.key("c")
            game.wait_line(r"^Save failed in background thread \d+: could not replace .*: the save file is read-only$",
                           timeout=15)
            game.wait_for("the failed save's notice", shows_notices(1), timeout=5)
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

        # The read-only save, which holds the first save whole, loads as any other.
        with Wine_Game(folder, profile) as game:
            expect_load_lines(game, ["save file loaded", "Ok!", "save file version: 0.1"])
            check(any(line.startswith("INFO: GAME: The working directory holds the game's files")
                      for line in game.lines()), "no line saying the working folder was kept")
            game.quit()
    finally:
        shutil.rmtree(profile, ignore_errors=True)


class Detached_Wine_Game(Wine_Game):
    """quol.exe in `folder`, used in place, started there as Explorer starts it: through
    `launcher` (tests/windows/detached_start.exe), so with no console and no standard handles."""

    def __init__(self, folder, profile, launcher):
        super().__init__(folder, profile)
        self.launcher = launcher

    def _start(self):
        self.outside = tempfile.mkdtemp(prefix="quol-wine-e2e-")
        batch = os.path.join(self.outside, "run.bat")
        game = windows_path(os.path.join(self.folder, "quol.exe"))
        with open(batch, "w", newline="\r\n") as f:
            f.write(f'@set "USERPROFILE={windows_path(self.profile)}"\n@cd /d "{windows_path(self.folder)}"\n'
                    f'@"{windows_path(self.launcher)}" "{game}" --skip-splash-screen\n')
        restart_wine_server()
        self.session = Wine_Session(WINE[0], [*WINE[1:], "cmd", "/c", "run.bat"], [(batch, "run.bat")],
                                    timeout=self.timeout,
                                    env={"SDL_VIDEODRIVER": "windows", "SDL_AUDIODRIVER": "dummy"})
        self.session.__enter__()
        self.workdir = self.folder
        self.window = int(self.session.wait_for_window(timeout=30))
        self._find_origin()
        self._connect_display()
        return self


def test_a_start_without_standard_handles_writes_its_output_beside_the_log(folder):
    """Started as from Explorer, the game's lines of both streams, those written before the log's
    folder is known included, go to logs/output.txt; the next start keeps them as
    output.previous.txt."""
    launcher = os.path.join(folder, "..", "tests", "windows", "detached_start.exe")
    check(os.path.isfile(launcher), f"no launcher at {launcher}: build the Windows tests first")
    outside = tempfile.mkdtemp(prefix="quol-wine-detached-")
    try:
        game = os.path.join(outside, "game")
        shutil.copytree(folder, game)
        profile = os.path.join(outside, "profile")
        # A save in UTF-16: the loader says why on standard error, then fails on standard output.
        os.makedirs(os.path.dirname(save_path(profile)))
        with open(save_path(profile), "wb") as f:
            f.write(b"\xff\xfe{\0")
        output = os.path.join(game, "logs", "output.txt")
        texts = []
        for run in range(2):
            with Detached_Wine_Game(game, profile, launcher) as started:
                started.quit()
                handed = [line for line in started.lines() if line.strip()]
            check(not handed, f"the launcher handed the game a standard stream: {handed[:5]}")
            check(os.path.isfile(output), f"run {run + 1} left no {output}: {os.listdir(os.path.dirname(output))}")
            with open(output, "rb") as f:
                texts.append(f.read().decode(errors="replace"))
            lines = [line.rstrip("\r") for line in texts[-1].split("\n")]
            # The first line comes before the log's folder is known; the others from both streams after it.
            check(lines[0].startswith("INFO: GAME: The working directory holds the game's files"),
                  f"run {run + 1}'s output does not start with the working folder's line: {lines[:3]}")
            check("INFO: Initializing raylib 6.0" in lines, f"run {run + 1}'s output lacks raylib's lines: {lines[:20]}")
            told = [i for i, line in enumerate(lines) if line.endswith("the file is UTF-16 text and must be saved as UTF-8")]
            failed = [i for i, line in enumerate(lines) if line == "failed to load save file"]
            check(len(told) == 1 and failed == [told[0] + 1],
                  f"run {run + 1}'s output lacks the save's error line followed by its failure: {lines[-40:]}")
        with open(os.path.join(game, "logs", "output.previous.txt"), "rb") as f:
            check(f.read().decode(errors="replace") == texts[0], "the second start did not keep the first one's output")
    finally:
        shutil.rmtree(outside, ignore_errors=True)


def x_output(env, *command):
    return subprocess.run(command, env=env, capture_output=True, text=True, timeout=10).stdout


def message_boxes(env):
    """The visible windows titled "quol" that cannot be minimized. Wine gives each window the
    Motif hints of its Win32 styles: a message box has no minimize button, while the game's
    window, SDL's or GLFW's, has one. A window listed but gone when asked has no hints left and is
    not taken (a game window that goes as its context fails would be just so)."""
    boxes = []
    for window in x_output(env, "xdotool", "search", "--onlyvisible", "--name", "^quol$").split():
        hints = x_output(env, "xprop", "-id", window, "-notype", "_MOTIF_WM_HINTS").strip()
        fields = re.fullmatch(r"_MOTIF_WM_HINTS = (0x[0-9a-f]+), (0x[0-9a-f]+),.*", hints)  # flags, functions, ...
        if not fields:
            continue
        flags, functions = int(fields[1], 16), int(fields[2], 16)
        has_functions, all_but, minimize = 0x1, 0x1, 0x8
        if flags & has_functions and not functions & (all_but | minimize):
            boxes.append(window)
    return boxes


def describe_windows(env):
    """Each visible window titled "quol", with its place, size and Motif hints."""
    said = []
    for window in x_output(env, "xdotool", "search", "--onlyvisible", "--name", "^quol$").split():
        place = x_output(env, "xdotool", "getwindowgeometry", "--shell", window).split()[1:5]
        hints = x_output(env, "xprop", "-id", window, "-notype", "_MOTIF_WM_HINTS").strip()
        said.append(f"{window} {' '.join(place)} {hints}")
    return "; ".join(said) or "none"


def find_message_box(display, process, timeout):
    """The game's message box; None when the game ends first."""
    env = dict(os.environ, DISPLAY=display)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if process.poll() is not None:
            return None
        boxes = message_boxes(env)
        if boxes:
            return boxes[0]
        time.sleep(0.2)
    raise Failure(f"no message box within {timeout} s; windows titled \"quol\": {describe_windows(env)}")


def close_message_box(display, box, process, timeout=20):
    """Return on the box's OK button until the game ends: a key that comes while the box is still
    being set up is lost. The box is looked for again each time, in case it was made anew.
    Returns the exit status."""
    env = dict(os.environ, DISPLAY=display)
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        for window in message_boxes(env) or [box]:
            subprocess.run(["xdotool", "key", "--window", window, "Return"], env=env, capture_output=True,
                           timeout=10)
        try:
            return process.wait(1.0)
        except subprocess.TimeoutExpired:
            pass
    raise Failure(f"the game did not end within {timeout} s of Return on its message box; "
                  f"windows titled \"quol\": {describe_windows(env)}")


def check_message_box_without_opengl_3_3(folder, reason):
    """quol.exe on a display whose OpenGL stops at 2.1 (Mesa told so): the line on standard error
    shows in a message box as well, which holds the game until the player closes it; the game
    then ends with status 1. Returns the line."""
    scratch = tempfile.mkdtemp(prefix="quol-wine-no-gl-")
    xvfb, display = start_xvfb()
    process = None
    try:
        game = os.path.join(scratch, "game")
        shutil.copytree(folder, game)
        restart_wine_server()  # one started without a display would show no box
        env = {key: value for key, value in os.environ.items() if key not in ("SDL_VIDEODRIVER", "WAYLAND_DISPLAY")}
        env.update({"DISPLAY": display, "MESA_GL_VERSION_OVERRIDE": "2.1", "SDL_AUDIODRIVER": "dummy"})
        # Under Wine 8 a thread that XInput started can outlive the DLL, which GLFW unloads when
        # its window fails: now and then raylib's build crashed there before its box (status 5,
        # from 0xC0000005, on running code of the unloaded xinput1_4.dll). Controllers play no
        # part here, and without XInput GLFW goes on without it.
        env["WINEDLLOVERRIDES"] = ";".join(filter(None, [env.get("WINEDLLOVERRIDES"), NO_XINPUT]))
        with open(os.path.join(scratch, "out.txt"), "wb") as out, open(os.path.join(scratch, "err.txt"), "wb") as err:
            process = subprocess.Popen([*WINE, "quol.exe"], cwd=game, env=env, stdout=out, stderr=err,
                                       start_new_session=True)
            box = find_message_box(display, process, timeout=60)
            with open(os.path.join(scratch, "err.txt"), errors="replace") as f:
                errors = f.read()
            check(box is not None, f"the game ended (status {process.returncode}) with no message box; "
                                   f"its errors:\n{errors[-1500:]}")
            time.sleep(0.5)
            check(process.poll() is None, "the game ended while its message box was still open")
            status = close_message_box(display, box, process)
        with open(os.path.join(scratch, "err.txt"), errors="replace") as f:
            errors = f.read()
        said = [line.rstrip("\r") for line in errors.splitlines() if line.startswith(NO_WINDOW)]
        check(status == 1, f"the game ended with status {status}, not 1; its errors:\n{errors[-1500:]}")
        check(len(said) == 1 and re.fullmatch(reason, said[0][len(NO_WINDOW):]),
              f"expected one line saying {reason!r}, got {said}")
        return said[0]
    finally:
        if process:
            stop_process(process)
        stop_process(xvfb)
        restart_wine_server()
        shutil.rmtree(scratch, ignore_errors=True)


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
        test_a_start_without_standard_handles_writes_its_output_beside_the_log(folder)
        check_message_box_without_opengl_3_3(folder, OFFERED_2_1)
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("passed: quol.exe is a GUI program; under Wine, started from another folder the game found its files, "
          "walked and saved, showed why a save on the read-only file failed, and the next run loaded the save; "
          "started as from Explorer, its output went beside the log; without OpenGL 3.3 a message box said why")
    return 0


if __name__ == "__main__":
    sys.exit(main())
