"""Window test harness: runs a program under its own Xvfb display and drives it like a player.

Python 3 standard library only; needs Xvfb, xdotool and ImageMagick's /usr/bin/import.

    from harness import Window_Session, Test_Failure

    with Window_Session("/path/to/program", args=["--flag"], files=["/path/to/asset.ttf",
                        ("/path/to/icon.png", "icon.png"), ("/src/assets", "assets")]) as s:
        s.wait_for_window()                  # bounded wait until the program shows a window
        s.wait_for_output(r"^READY$")        # bounded wait for a line of its standard output
        s.key_hold("c")                      # keydown, 0.1 s, keyup: seen by per-frame sampling
        s.key_down("w"); s.key_up("w")       # for longer holds
        s.mouse_move(200, 300)
        s.click(200, 300)                    # button 1 held for 0.1 s
        shot = s.capture()                   # the whole X screen
        shot = s.wait_for_screen(lambda shot: shot.pixel(5, 5) == (0, 0, 0), timeout=5)
        shot.pixel(35, 72)                   # -> (r, g, b)
        shot.count(lambda p: p[0] > 60, (x0, y0, x1, y1))   # inclusive box; None = whole screen
        shot.bounding_box(predicate, box)    # -> (x0, y0, x1, y1) or None
        code = s.wait_exit(timeout=5)        # the program's exit code
        s.output                             # its standard output lines so far

The program runs in a scratch working directory into which `files` are copied (a path, or a
(source, name) pair; directories are copied whole). The screen is 1600x900x24 unless `screen`
says otherwise, and has no window manager, so a 1600x900 window covers it and window coordinates
equal screen coordinates. Every
wait is bounded: a hung program raises Test_Failure instead of hanging the test. Leaving the
`with` block terminates the program (SIGTERM, then SIGKILL) and Xvfb and removes the scratch
directory (kept, with a screenshot when capture() ran, if QUOL_KEEP_SCRATCH is set).
"""

import os
import random
import re
import select
import shutil
import signal
import subprocess
import tempfile
import threading
import time

SCREEN = "1600x900x24"
IMPORT = "/usr/bin/import"


class Test_Failure(Exception):
    pass


class Screenshot:
    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def _box(self, box):
        if box is None:
            return 0, 0, self.width - 1, self.height - 1
        x0, y0, x1, y1 = box
        return max(x0, 0), max(y0, 0), min(x1, self.width - 1), min(y1, self.height - 1)

    def points(self, predicate, box=None):
        x0, y0, x1, y1 = self._box(box)
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                if predicate(self.pixel(x, y)):
                    yield x, y

    def count(self, predicate, box=None):
        return sum(1 for _ in self.points(predicate, box))

    def bounding_box(self, predicate, box=None):
        found = list(self.points(predicate, box))
        if not found:
            return None
        xs = [p[0] for p in found]
        ys = [p[1] for p in found]
        return min(xs), min(ys), max(xs), max(ys)

    def save_ppm(self, path):
        with open(path, "wb") as f:
            f.write(b"P6\n%d %d\n255\n" % (self.width, self.height))
            f.write(bytes(self.rgb))


def parse_ppm(data):
    # P6 header: magic, width, height, maxval, each separated by whitespace (comments allowed).
    fields = []
    i = 0
    while len(fields) < 4:
        while data[i:i + 1].isspace():
            i += 1
        if data[i:i + 1] == b"#":
            while data[i:i + 1] not in (b"\n", b""):
                i += 1
            continue
        start = i
        while not data[i:i + 1].isspace():
            i += 1
        fields.append(data[start:i])
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise Test_Failure("unexpected screenshot format %r" % fields[:1])
    width, height = int(fields[1]), int(fields[2])
    pixels = data[i + 1:i + 1 + width * height * 3]
    if len(pixels) != width * height * 3:
        raise Test_Failure("truncated screenshot")
    return Screenshot(width, height, pixels)


def launch_xvfb(display, timeout, screen=SCREEN):
    """Starts Xvfb on display number `display`; returns the process once it accepts clients, or
    None when that display cannot be had."""
    read_end, write_end = os.pipe()
    # -noreset: by default the server resets when its last client leaves (here the check below),
    # and refuses the program's connection while it does.
    process = subprocess.Popen(
        ["Xvfb", ":%d" % display, "-displayfd", str(write_end), "-screen", "0", screen, "-nolisten", "tcp",
         "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
        start_new_session=True)
    os.close(write_end)
    text = b""
    deadline = time.monotonic() + timeout
    try:
        while not text.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(deadline - time.monotonic(), 0))
            if not ready:
                raise Test_Failure("Xvfb did not report its display within %.0f s" % timeout)
            chunk = os.read(read_end, 64)
            if not chunk:  # the display is taken
                stop_process(process)
                return None
            text += chunk
    except BaseException:
        stop_process(process)
        raise
    finally:
        os.close(read_end)
    return process


def display_answers(display, screen=SCREEN):
    """True when our own server (of our screen size) answers on the display."""
    env = dict(os.environ, DISPLAY=display)
    try:
        result = subprocess.run(["xdotool", "getdisplaygeometry"], env=env, capture_output=True, timeout=5)
    except subprocess.TimeoutExpired:
        return False
    width, height = screen.split("x")[:2]
    return result.returncode == 0 and result.stdout.split() == [width.encode(), height.encode()]


def start_xvfb(timeout=10.0, attempts=6, screen=SCREEN):
    """Starts Xvfb on a free display; returns (process, ':N').

    The number is drawn from a high range rather than taken as the lowest free one: other X
    servers on the machine (xvfb-run -a starts at 99, and servers of other file-system views
    share the abstract socket names) would otherwise collide with ours, and a client could
    reach a stranger's server or none."""
    rng = random.Random(os.getpid() ^ time.monotonic_ns())
    for _ in range(attempts):
        number = rng.randrange(1000, 30000)
        process = launch_xvfb(number, timeout, screen)
        if process is None:
            continue
        if display_answers(":%d" % number, screen):
            return process, ":%d" % number
        stop_process(process)
    raise Test_Failure("could not start a usable Xvfb in %d attempts" % attempts)


def stop_process(process, grace=3.0):
    if process.poll() is not None:
        return
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    try:
        process.wait(grace)
    except subprocess.TimeoutExpired:
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        process.wait(grace)


class Window_Session:
    def __init__(self, program, args=(), files=(), timeout=30.0, env=None, screen=SCREEN):
        self.program = os.path.abspath(program)
        self.args = list(args)
        self.files = list(files)
        self.timeout = timeout  # the whole session's budget
        self.extra_env = dict(env or {})
        self.screen = screen
        self.output = []
        self._output_ended = False
        self._reader = None
        self._lines_seen = threading.Condition()
        self.xvfb = None
        self.process = None
        self.display = None
        self.scratch = None
        self.window = None

    # ---- lifetime ----------------------------------------------------------------------------
    def __enter__(self):
        self.started = time.monotonic()
        self.scratch = tempfile.mkdtemp(prefix="quol-window-")
        try:
            for entry in self.files:
                source, name = entry if isinstance(entry, tuple) else (entry, os.path.basename(entry))
                target = os.path.join(self.scratch, name)
                os.makedirs(os.path.dirname(target), exist_ok=True)
                if os.path.isdir(source):
                    shutil.copytree(source, target)
                else:
                    shutil.copy(source, target)
            self.xvfb, self.display = start_xvfb(screen=self.screen)
            env = dict(os.environ)
            env.update({"DISPLAY": self.display, "SDL_VIDEODRIVER": "x11"})
            env.pop("WAYLAND_DISPLAY", None)
            env.update(self.extra_env)
            self.env = env
            self.stderr_file = open(os.path.join(self.scratch, "stderr.txt"), "wb")
            self.process = subprocess.Popen(
                [self.program] + self.args, cwd=self.scratch, env=env, stdout=subprocess.PIPE,
                stderr=self.stderr_file, start_new_session=True)
            self._reader = threading.Thread(target=self._read_output, daemon=True)
            self._reader.start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def __exit__(self, kind, value, trace):
        if self.process:
            stop_process(self.process)
            if self._reader:
                self._reader.join(2.0)  # the output ends with the process (or its last child)
            if self.process.stdout and (self._reader is None or not self._reader.is_alive()):
                self.process.stdout.close()
            self.stderr_file.close()
        if self.xvfb:
            stop_process(self.xvfb)
        if self.scratch:
            if os.environ.get("QUOL_KEEP_SCRATCH"):
                print("scratch directory kept: " + self.scratch)
            else:
                shutil.rmtree(self.scratch, ignore_errors=True)
        return False

    def _read_output(self):
        try:
            for raw in self.process.stdout:
                with self._lines_seen:
                    # Windows programs end their lines with CR LF.
                    self.output.append(raw.decode(errors="replace").rstrip("\r\n"))
                    self._lines_seen.notify_all()
        except (OSError, ValueError):
            pass  # closed while the session ends
        with self._lines_seen:
            self._output_ended = True
            self._lines_seen.notify_all()

    def _left(self, timeout):
        budget = self.timeout - (time.monotonic() - self.started)
        if budget <= 0:
            raise Test_Failure("window session ran out of its %.0f s budget" % self.timeout)
        return min(timeout, budget)

    def stderr_text(self):
        self.stderr_file.flush()
        with open(os.path.join(self.scratch, "stderr.txt"), errors="replace") as f:
            return f.read()

    # ---- waiting -----------------------------------------------------------------------------
    def wait_for_output(self, pattern, timeout=5.0, start=0):
        """Waits for a stdout line (from index `start` on) matching `pattern`; returns its index."""
        regex = re.compile(pattern)
        deadline = time.monotonic() + self._left(timeout)
        with self._lines_seen:
            while True:
                for i in range(start, len(self.output)):
                    if regex.search(self.output[i]):
                        return i
                if self._output_ended:
                    raise Test_Failure("program closed its output (exit code %s) before printing %r" %
                                       (self.process.poll(), pattern))
                left = deadline - time.monotonic()
                if left <= 0:
                    raise Test_Failure("no output line matched %r within %.1f s" % (pattern, timeout))
                self._lines_seen.wait(min(left, 0.1))

    def wait_for_window(self, timeout=10.0):
        deadline = time.monotonic() + self._left(timeout)
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                time.sleep(0.2)  # let the reader take the last lines
                raise Test_Failure("program exited (code %s) before showing a window; its warnings:\n%s\n"
                                   "its errors:\n%s" % (self.process.returncode, "\n".join(self._warnings()),
                                                         self.stderr_text()[-2000:]))
            found = self._xdotool(["search", "--onlyvisible", "--pid", str(self.process.pid)], check=False)
            if found.strip():
                self.window = found.split()[0]
                return self.window
            time.sleep(0.1)
        windows = self._xdotool(["search", "--pid", str(self.process.pid)], check=False).split()
        raise Test_Failure("no window appeared within %.1f s (program running, %d unmapped windows); "
                           "its warnings:\n%s\nits last output:\n%s" %
                           (timeout, len(windows), "\n".join(self._warnings()), "\n".join(self.output[-10:])))

    def _warnings(self):
        return [line for line in self.output if line.startswith(("WARNING", "ERROR", "FATAL"))][:10]

    def wait_exit(self, timeout=5.0):
        try:
            return self.process.wait(self._left(timeout))
        except subprocess.TimeoutExpired:
            raise Test_Failure("program did not exit within %.1f s" % timeout) from None

    # ---- input -------------------------------------------------------------------------------
    def _xdotool(self, arguments, check=True):
        result = subprocess.run(["xdotool"] + arguments, env=self.env, capture_output=True,
                                timeout=self._left(5.0))
        if check and result.returncode != 0:
            raise Test_Failure("xdotool %s failed: %s" % (" ".join(arguments), result.stderr.decode()))
        return result.stdout.decode()

    def key_down(self, key):
        self._xdotool(["keydown", key])

    def key_up(self, key):
        self._xdotool(["keyup", key])

    def key_hold(self, key, seconds=0.1):
        # A down and up within one frame would be invisible to per-frame key sampling.
        self.key_down(key)
        time.sleep(seconds)
        self.key_up(key)

    def mouse_move(self, x, y):
        self._xdotool(["mousemove", str(x), str(y)])

    def click(self, x, y, button=1, seconds=0.1):
        self.mouse_move(x, y)
        self._xdotool(["mousedown", str(button)])
        time.sleep(seconds)
        self._xdotool(["mouseup", str(button)])

    # ---- screen ------------------------------------------------------------------------------
    def capture(self):
        result = subprocess.run([IMPORT, "-window", "root", "-depth", "8", "ppm:-"], env=self.env, capture_output=True,
                                timeout=self._left(10.0))
        if result.returncode != 0:
            raise Test_Failure("import failed: " + result.stderr.decode())
        shot = parse_ppm(result.stdout)
        if os.environ.get("QUOL_KEEP_SCRATCH"):
            shot.save_ppm(os.path.join(self.scratch, "capture.ppm"))
        return shot

    def wait_for_screen(self, condition, timeout=5.0):
        """Captures until condition(shot) holds; returns that shot."""
        deadline = time.monotonic() + self._left(timeout)
        while True:
            shot = self.capture()
            if condition(shot):
                return shot
            if time.monotonic() >= deadline:
                raise Test_Failure("the screen did not reach the expected state within %.1f s" % timeout)
            time.sleep(0.1)
