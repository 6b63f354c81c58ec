#!/usr/bin/env python3
"""Starts whose window cannot open: python3 no_window_e2e.py QUOL SOURCE_DIR TEST_NAME.

The game must end with status 1 within seconds, with one line on standard error that says why,
before it loads anything more; it must neither run on unseen nor crash."""
import ctypes
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time

from game_e2e import check
from harness import start_xvfb, stop_process
from quol_run import GAME_FILES, Failure, run_named_test, xlib

NO_WINDOW = "quol could not open its window"
LIMIT = 20  # seconds; the game ends in well under one


def unused_display():
    """A display number no X server listens on."""
    rng = random.Random(os.getpid() ^ time.monotonic_ns())
    while True:
        number = rng.randrange(30000, 60000)
        if not os.path.exists(f"/tmp/.X11-unix/X{number}") and not os.path.exists(f"/tmp/.X{number}-lock"):
            return f":{number}"


def start(quol, source, env):
    """One run in a scratch folder with the game's files, its environment's display settings
    replaced by `env` (None removes one): (status, standard output, standard error, seconds)."""
    scratch = tempfile.mkdtemp(prefix="quol-no-window-")
    try:
        for name in GAME_FILES:
            copy = shutil.copytree if os.path.isdir(os.path.join(source, name)) else shutil.copy
            copy(os.path.join(source, name), os.path.join(scratch, name))
        os.mkdir(os.path.join(scratch, "logs"))
        home = os.path.join(scratch, "home")
        os.mkdir(home)
        run_env = {key: value for key, value in os.environ.items()
                   if key not in ("DISPLAY", "WAYLAND_DISPLAY", "SDL_VIDEODRIVER")}
        run_env.update({"HOME": home, "USERPROFILE": "", "SDL_AUDIODRIVER": "dummy"})
        run_env.update({key: value for key, value in env.items() if value is not None})
        began = time.monotonic()
        try:
            result = subprocess.run([quol], cwd=scratch, env=run_env, capture_output=True, timeout=LIMIT)
        except subprocess.TimeoutExpired:
            raise Failure(f"the game still ran {LIMIT} s after its start, with no window") from None
        seconds = time.monotonic() - began
        saved = [os.path.join(folder, name) for folder, _, names in os.walk(home) for name in names]
        check(not saved, f"files were written into the profile: {saved}")
        return result.returncode, result.stdout.decode(errors="replace"), result.stderr.decode(errors="replace"), seconds
    finally:
        shutil.rmtree(scratch, ignore_errors=True)


def check_ends_saying(quol, source, env, reason):
    """The run ends with status 1 and the one line NO_WINDOW + `reason` (a pattern) on standard
    error, without loading anything after the window."""
    status, output, errors, seconds = start(quol, source, env)
    said = [line for line in errors.splitlines() if line.startswith(NO_WINDOW)]
    check(status == 1, f"the game ended with status {status}, not 1; its errors:\n{errors[-1500:]}")
    check(len(said) == 1, f"expected one line saying why, got {said}; its errors:\n{errors[-1500:]}")
    check(re.fullmatch(reason, said[0][len(NO_WINDOW):]), f"the line does not say {reason!r}: {said[0]!r}")
    loaded_after = [line for line in output.splitlines()
                    if "GPU is not ready" in line or "Device initialized successfully" in line
                    or "AUDIO:" in line or "icon.png" in line]
    check(not loaded_after, f"the game went on after the window failed: {loaded_after[:3]}")
    check(seconds < 10, f"the game took {seconds:.1f} s to end")
    return said[0]


def check_no_display(quol, source):
    display = unused_display()
    check_ends_saying(quol, source, {"DISPLAY": display},
                      re.escape(f": no display could be opened (X11: Failed to open display {display})"))
    check_ends_saying(quol, source, {},
                      re.escape(": no display could be opened (X11: The DISPLAY environment variable is missing)"))


def check_video_driver_that_does_not_start(quol, source):
    """SDL_VIDEODRIVER names a driver that cannot start, on a display that works: the line gives
    SDL's reason, not the display's."""
    xvfb, display = start_xvfb()
    try:
        check_ends_saying(quol, source, {"DISPLAY": display, "SDL_VIDEODRIVER": "bogus"},
                          re.escape(": no video driver could be started (bogus not available)"))
    finally:
        stop_process(xvfb)


class Window_Maps:
    """Counts the top-level windows mapped on `display` from its creation on (with no window
    manager, every one is a child of the root). Use as a context manager."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display):
        self.x11 = xlib()
        self.x11.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x11.XPending.argtypes = [ctypes.c_void_p]
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.connection = self.x11.XOpenDisplay(display.encode())
        check(self.connection, f"could not connect to {display}")
        root = self.x11.XDefaultRootWindow(self.connection)
        self.x11.XSelectInput(self.connection, root, self.SUBSTRUCTURE_NOTIFY_MASK)
        self.x11.XSync(self.connection, 0)  # watching before the game starts

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.x11.XCloseDisplay(self.connection)

    def count(self):
        self.x11.XSync(self.connection, 0)
        event = (ctypes.c_long * 24)()  # the size of an XEvent
        maps = 0
        while self.x11.XPending(self.connection):
            self.x11.XNextEvent(self.connection, event)
            maps += ctypes.c_int.from_buffer(event).value == self.MAP_NOTIFY
        return maps


def check_no_opengl_3_3(quol, source, reason):
    """On a display whose OpenGL stops at 2.1 (Mesa told so). No window shows meanwhile: a
    window that the player sees and that vanishes again before the message is no use."""
    xvfb, display = start_xvfb()
    try:
        with Window_Maps(display) as maps:
            said = check_ends_saying(quol, source, {"DISPLAY": display, "MESA_GL_VERSION_OVERRIDE": "2.1"}, reason)
            shown = maps.count()
        check(shown == 0, f"{shown} window(s) showed before the window failed")
        return said
    finally:
        stop_process(xvfb)


# Our layer asks the driver what it offers instead.
OFFERED_2_1 = r": OpenGL 3\.3 is not available; the driver offers OpenGL 2\.1 .+"


def test_without_a_display_it_ends_at_once_and_says_why(quol, source):
    check_no_display(quol, source)
    check_video_driver_that_does_not_start(quol, source)


def test_without_opengl_3_3_it_ends_and_says_what_the_driver_offers(quol, source):
    check_no_opengl_3_3(quol, source, OFFERED_2_1)


if __name__ == "__main__":
    sys.exit(run_named_test(globals()))
