"""Runs the real quol executable under its own Xvfb display from a scratch working directory.

Screens are read straight from the X server (XGetImage through ctypes, no process per capture);
input goes through xdotool with keys and buttons held across frames (the game samples input once
per frame). Every wait is bounded.
"""
import ctypes
import os
import re
import shutil
import subprocess
import tempfile
import time

WIDTH, HEIGHT = 1600, 900
GAME_FILES = ["assets", "shaders", "icon.png", "version.txt", "steam_appid.txt"]


class Failure(Exception):
    pass


class Screen:
    """A capture of the whole screen: rows of 32-bit pixels in memory order B, G, R, X."""

    def __init__(self, data, bytes_per_line):
        self.data = data
        self.stride = bytes_per_line

    def pixel(self, x, y):
        i = y * self.stride + x * 4
        return self.data[i + 2], self.data[i + 1], self.data[i]

    def count(self, x0, y0, x1, y1, test):
        """Pixels in [x0, x1) x [y0, y1) for which test((r, g, b)) holds."""
        n = 0
        d = self.data
        for y in range(y0, y1):
            row = y * self.stride
            for i in range(row + x0 * 4, row + x1 * 4, 4):
                if test((d[i + 2], d[i + 1], d[i])):
                    n += 1
        return n

    def region(self, x0, y0, x1, y1):
        return b"".join(self.data[y * self.stride + x0 * 4:y * self.stride + x1 * 4] for y in range(y0, y1))

    def save_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6 %d %d 255\n" % (WIDTH, HEIGHT))
            for y in range(HEIGHT):
                row = self.data[y * self.stride:y * self.stride + WIDTH * 4]
                rgb = bytearray(WIDTH * 3)
                rgb[0::3], rgb[1::3], rgb[2::3] = row[2::4], row[1::4], row[0::4]
                f.write(rgb)


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def xlib():
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                              ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    x11.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    return x11


def near(a, b, tolerance=12):
    return all(abs(int(p) - int(q)) <= tolerance for p, q in zip(a, b))


def is_white(c):
    return min(c) >= 235


def is_green(c):
    return c[1] >= 200 and c[0] <= 60 and c[2] <= 60


def is_red(c):
    return c[0] >= 200 and c[1] <= 60 and c[2] <= 60


def is_blue(c):
    # A 1-pixel line under 4x MSAA may be split over two rows, half blended with the background.
    return c[2] - max(c[0], c[1]) >= 100


class Game:
    """One run of the game. Use as a context manager; the run is always cleaned up."""

    def __init__(self, quol, source_dir, args=(), timeout=40):
        self.quol = quol
        self.source_dir = source_dir
        self.args = list(args)
        self.deadline = time.monotonic() + timeout
        self.workdir = tempfile.mkdtemp(prefix="quol-e2e-")
        self.xvfb = None
        self.process = None
        self.display = None
        self.x11 = None
        self.connection = None

    # -- lifecycle -------------------------------------------------------------------------------
    def __enter__(self):
        try:
            return self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def _start(self):
        self.stdout = None
        for name in GAME_FILES:
            src = os.path.join(self.source_dir, name)
            dst = os.path.join(self.workdir, name)
            (shutil.copytree if os.path.isdir(src) else shutil.copy)(src, dst)
        os.mkdir(os.path.join(self.workdir, "logs"))
        os.mkdir(os.path.join(self.workdir, "home"))
        self._start_xvfb()
        self.x11 = xlib()
        self.connection = self.x11.XOpenDisplay(self.display.encode())
        if not self.connection:
            raise Failure("cannot open the test display")
        env = dict(os.environ)
        env.pop("USERPROFILE", None)
        env.update(DISPLAY=self.display, HOME=os.path.join(self.workdir, "home"),
                   SDL_VIDEODRIVER="x11", SDL_AUDIODRIVER="dummy")
        self.stdout = open(os.path.join(self.workdir, "stdout.txt"), "wb")
        self.process = subprocess.Popen([self.quol] + self.args, cwd=self.workdir, env=env,
                                        stdout=self.stdout, stderr=subprocess.STDOUT)
        self.window = self._wait_for_window()
        return self

    def __exit__(self, kind, value, traceback):
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.connection:
            self.x11.XCloseDisplay(self.connection)
            self.connection = None
        if self.xvfb:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
        if self.stdout:
            self.stdout.close()
        if kind is not None and self.stdout:
            with open(os.path.join(self.workdir, "stdout.txt"), "rb") as f:
                print("---- game output ----\n" + f.read().decode(errors="replace")[-4000:])
        shutil.rmtree(self.workdir, ignore_errors=True)
        return False

    def _start_xvfb(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{WIDTH}x{HEIGHT}x24", "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_fd, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_fd)
        self.display = ":" + number.decode().strip()

    def remaining(self):
        left = self.deadline - time.monotonic()
        if left <= 0:
            raise Failure("the test ran out of time")
        return left

    def _x(self, *command):
        return subprocess.run(list(command), env=dict(os.environ, DISPLAY=self.display), capture_output=True,
                              timeout=min(10, self.remaining()))

    def _wait_for_window(self):
        while True:
            self.remaining()
            if self.process.poll() is not None:
                raise Failure(f"the game exited at start-up with status {self.process.returncode}")
            found = self._x("xdotool", "search", "--name", "^quol$")
            if found.returncode == 0 and found.stdout.strip():
                return int(found.stdout.split()[0])
            time.sleep(0.05)

    # -- input -----------------------------------------------------------------------------------
    def key(self, name, hold=0.1):
        self._x("xdotool", "keydown", name)
        time.sleep(hold)
        self._x("xdotool", "keyup", name)

    def move_mouse(self, x, y, settle=0.1):
        self._x("xdotool", "mousemove", str(x), str(y))
        time.sleep(settle)  # the cursor box follows the pointer a frame late

    def click(self, x, y, hold=0.1):
        self.move_mouse(x, y)
        self._x("xdotool", "mousedown", "1")
        time.sleep(hold)
        self._x("xdotool", "mouseup", "1")

    def request_close(self):
        """Asks the window to close as a window manager's close button does (WM_DELETE_WINDOW)."""
        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                        ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                        ("data", ctypes.c_long * 5), ("pad", ctypes.c_long * 12)]

        x11, connection = self.x11, self.connection
        event = ClientMessage()
        event.type = 33  # ClientMessage
        event.window = self.window
        event.message_type = x11.XInternAtom(connection, b"WM_PROTOCOLS", 0)
        event.format = 32
        event.data[0] = x11.XInternAtom(connection, b"WM_DELETE_WINDOW", 0)
        event.data[1] = 0  # CurrentTime
        x11.XSendEvent(connection, self.window, 0, 0, ctypes.byref(event))
        x11.XFlush(connection)

    # -- screen ----------------------------------------------------------------------------------
    def screen(self):
        self.remaining()
        all_planes, z_pixmap = 0xFFFFFFFF, 2
        root = self.x11.XDefaultRootWindow(self.connection)
        image = self.x11.XGetImage(self.connection, root, 0, 0, WIDTH, HEIGHT, all_planes, z_pixmap)
        if not image:
            raise Failure("screenshot failed")
        try:
            info = image.contents
            if info.bits_per_pixel != 32:
                raise Failure(f"unexpected screen format: {info.bits_per_pixel} bits per pixel")
            data = ctypes.string_at(info.data, info.bytes_per_line * HEIGHT)
            return Screen(data, info.bytes_per_line)
        finally:
            self.x11.XDestroyImage(image)

    def wait_for(self, what, test, timeout=10):
        """Screens until test(screen) holds; returns that screen."""
        limit = time.monotonic() + timeout
        while True:
            screen = self.screen()
            if test(screen):
                return screen
            if self.process.poll() is not None:
                raise Failure(f"the game exited (status {self.process.returncode}) while waiting for {what}")
            if time.monotonic() > limit:
                raise Failure(f"timed out waiting for {what}")
            time.sleep(0.03)

    def wait_exit(self, timeout=10):
        try:
            return self.process.wait(min(timeout, self.remaining()))
        except subprocess.TimeoutExpired:
            raise Failure("the game did not exit")

    def output(self):
        self.stdout.flush()
        with open(os.path.join(self.workdir, "stdout.txt"), "rb") as f:
            return f.read().decode(errors="replace")

    def log_text(self):
        logs = os.listdir(os.path.join(self.workdir, "logs"))
        if len(logs) != 1 or not re.fullmatch(r"log_created_at_\d+_\d+_\d+_at_time_\d+_\d+\.txt", logs[0]):
            raise Failure(f"expected one log file, found {logs}")
        with open(os.path.join(self.workdir, "logs", logs[0]), "rb") as f:
            return f.read().decode()
