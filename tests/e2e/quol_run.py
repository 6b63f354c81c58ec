"""Runs the real quol executable under its own Xvfb display from a scratch working directory.

Builds on the window harness (tests/window/harness.py) for the display, the process, its scratch
folder and the xdotool input. Two additions: screens are read straight from the X server
(XGetImage through ctypes, no process per capture, so the splash fades are sampled often enough),
and the window's close request is sent as a window manager would (WM_DELETE_WINDOW).
"""
import ctypes
import os
import re
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "window"))
from harness import Test_Failure, Window_Session  # noqa: E402

WIDTH, HEIGHT = 1600, 900
GAME_FILES = ["assets", "shaders", "data", "icon.png", "version.txt", "steam_appid.txt"]


Failure = Test_Failure


class Screen:
    """A capture of the window's area: rows of 32-bit pixels in memory order B, G, R, X."""

    def __init__(self, data, bytes_per_line, width=WIDTH, height=HEIGHT):
        self.data = data
        self.stride = bytes_per_line
        self.width = width
        self.height = height

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
            f.write(b"P6 %d %d 255\n" % (self.width, self.height))
            for y in range(self.height):
                row = self.data[y * self.stride:y * self.stride + self.width * 4]
                rgb = bytearray(self.width * 3)
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
    """One run of the game in a window session of the platform's harness (tests/window/harness.py),
    with a home folder of its own and an empty logs folder. Use as a context manager.

    On a screen larger than the window (`screen`, as "1920x1080x24") the game's screens and the
    pointer's spots are in window coordinates, from where the window was placed."""

    def __init__(self, quol, source_dir, args=(), timeout=80, screen=None):
        self.quol = quol
        self.source_dir = source_dir
        self.args = list(args)
        self.deadline = time.monotonic() + timeout
        self.timeout = timeout
        self.session = None
        self.x11 = None
        self.connection = None
        self.outside = None
        self.screen_size = screen
        self.origin = (0, 0)

    # -- lifecycle -------------------------------------------------------------------------------
    def __enter__(self):
        try:
            return self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise

    def environment(self):
        """A home folder of the run's own. USERPROFILE empty counts as unset, so the game folder
        goes under HOME."""
        self.home = os.path.join(self.outside, "home")
        os.mkdir(self.home)
        return {"HOME": self.home, "USERPROFILE": "", "SDL_AUDIODRIVER": "dummy"}

    def files(self):
        """What the working folder is given: the game's files and an empty logs folder."""
        empty_logs = os.path.join(self.outside, "logs")
        os.mkdir(empty_logs)
        return [(os.path.join(self.source_dir, name), name) for name in GAME_FILES] + [(empty_logs, "logs")]

    def game_folder(self):
        """The folder the game reads its files from and writes its log into."""
        return self.session.scratch

    def _start(self):
        self.outside = tempfile.mkdtemp(prefix="quol-e2e-")
        files = self.files()
        env = self.environment()
        self.session = Window_Session(self.quol, self.args, files, timeout=self.timeout, env=env,
                                      **({"screen": self.screen_size} if self.screen_size else {}))
        self.session.__enter__()
        self.workdir = self.game_folder()
        self.window = int(self.session.wait_for_window(timeout=15))
        self._find_origin()
        self._connect_display()
        return self

    def geometry(self):
        """The window's placement as xdotool reports it: {"X": .., "Y": .., "WIDTH": .., "HEIGHT": ..}."""
        text = self.session._xdotool(["getwindowgeometry", "--shell", str(self.window)])
        return {key: int(value) for key, value in (line.split("=") for line in text.split())
                if key in ("X", "Y", "WIDTH", "HEIGHT")}

    def settled_geometry(self, timeout=5.0):
        """The placement once two readings 0.3 s apart agree: a window may be shown first where
        the system puts it and only then be moved to the centre (raylib under Wine does)."""
        limit = time.monotonic() + timeout
        placed = self.geometry()
        while True:
            time.sleep(0.3)
            now = self.geometry()
            if now == placed or time.monotonic() > limit:
                return now
            placed = now

    def _find_origin(self):
        """The settled placement; on a larger screen its corner is where the game's screens start."""
        placed = self.settled_geometry()
        if self.screen_size:
            self.origin = (placed["X"], placed["Y"])
        return placed

    def _connect_display(self):
        self.x11 = xlib()
        self.connection = self.x11.XOpenDisplay(self.session.display.encode())
        if not self.connection:
            raise Failure("cannot open the test display")

    def __exit__(self, kind, value, traceback):
        if self.connection:
            self.x11.XCloseDisplay(self.connection)
            self.connection = None
        if kind is not None and self.session and self.session.process:
            print("---- game output ----\n" + "\n".join(self.session.output[-40:]))
            print("---- game errors ----\n" + self.session.stderr_text()[-2000:])
        if self.session:
            self.session.__exit__(kind, value, traceback)
        if self.outside:
            shutil.rmtree(self.outside, ignore_errors=True)
        return False

    def lines(self):
        return list(self.session.output)

    def wait_line(self, pattern, timeout=5):
        return self.session.wait_for_output(pattern, timeout=timeout)

    def remaining(self):
        left = self.deadline - time.monotonic()
        if left <= 0:
            raise Failure("the test ran out of time")
        return left

    @property
    def process(self):
        return self.session.process

    # -- input -----------------------------------------------------------------------------------
    # Holds are long enough to span a frame even when a loaded machine stretches frames well
    # past 1/60 s: a press that starts and ends within one frame is never seen.
    def key(self, name, hold=0.25):
        self.session.key_hold(name, hold)

    def move_mouse(self, x, y, settle=0.2):
        self.session.mouse_move(x + self.origin[0], y + self.origin[1])
        time.sleep(settle)  # the cursor box follows the pointer a frame late

    def click(self, x, y, hold=0.25):
        self.move_mouse(x, y)
        self.session.click(x + self.origin[0], y + self.origin[1], seconds=hold)

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
        image = self.x11.XGetImage(self.connection, root, self.origin[0], self.origin[1], WIDTH, HEIGHT,
                                   all_planes, z_pixmap)
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
        return self.session.wait_exit(min(timeout, self.remaining()))

    def log_text(self):
        logs = os.listdir(os.path.join(self.workdir, "logs"))
        if len(logs) != 1 or not re.fullmatch(r"log_created_at_\d+_\d+_\d+_at_time_\d+_\d+\.txt", logs[0]):
            raise Failure(f"expected one log file, found {logs}")
        with open(os.path.join(self.workdir, "logs", logs[0]), "rb") as f:
            return f.read().decode()


def run_named_test(tests):
    """Command line QUOL SOURCE_DIR NAME: runs tests["test_" + NAME]; the exit status tells."""
    quol, source, name = sys.argv[1:4]
    test = tests.get("test_" + name)
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
