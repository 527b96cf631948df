"""Shared support for the end-to-end tests of our Allegro programs.

Starts one Xvfb per run (on a random free display; -displayfd tells when it is ready), starts the
program in a temporary working directory, drives it with xdotool, reads its F12
screenshot (an 8-bit BMP with its palette) or the whole X screen (xwd), and ends exactly
the processes it started. Python 3 standard library only.

Sections: skipping, images (BMP, xwd, text reading), the Session class, driving the
programs (file selector, help, quit, locale), test runner.
"""

import contextlib
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import traceback

# CTest treats this exit code as "skipped" (SKIP_RETURN_CODE in the test's properties).
SKIP_RETURN_CODE = 77

REQUIRED_TOOLS = ("Xvfb", "xdotool")


# --- Skipping --------------------------------------------------------------------------

def skip(reason):
    """Ends the test script as skipped, telling why."""
    print("SKIPPED: " + reason, flush=True)
    sys.exit(SKIP_RETURN_CODE)


def require_tools(*extra):
    """Skips the test unless Xvfb, xdotool and the extra tools are on the PATH."""
    missing = [tool for tool in REQUIRED_TOOLS + tuple(extra) if shutil.which(tool) is None]
    if missing:
        skip("missing tools: " + ", ".join(missing))


# --- Images ----------------------------------------------------------------------------

class _Image:
    """Pixels row by row from the top: palette indices (bytes) or (r, g, b) tuples (list)."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels

    def pixel(self, x, y):
        return self.pixels[y * self.width + x]

    def count(self, value, box=None):
        """Number of pixels equal to `value` inside box (x0, y0, x1, y1), ends exclusive."""
        x0, y0, x1, y1 = box if box else (0, 0, self.width, self.height)
        total = 0
        for y in range(max(0, y0), min(self.height, y1)):
            row = self.pixels[y * self.width + max(0, x0): y * self.width + min(self.width, x1)]
            total += row.count(value)
        return total


class IndexedImage(_Image):
    """An 8-bit image: palette indices, plus its palette as (r, g, b) of 8-bit components."""

    def __init__(self, width, height, pixels, palette):
        super().__init__(width, height, pixels)
        self.palette = palette

    def bounding_box(self, predicate):
        """Smallest box (x0, y0, x1, y1), ends exclusive, holding every pixel whose value
        satisfies predicate; None when there is none."""
        xs, ys = [], []
        for y in range(self.height):
            row = self.pixels[y * self.width:(y + 1) * self.width]
            for x, value in enumerate(row):
                if predicate(value):
                    xs.append(x)
                    ys.append(y)
        if not xs:
            return None
        return (min(xs), min(ys), max(xs) + 1, max(ys) + 1)


class RgbImage(_Image):
    """A true-colour image from a screen capture: (r, g, b) tuples of 8-bit components."""


def six_bit_to_eight(component):
    """How Allegro stores a 6-bit palette component in a BMP: (c << 2) | (c >> 4)."""
    return (component << 2) | (component >> 4)


def screen_colour(r, g, b):
    """A palette colour of 6-bit components as the 24-bit X screen shows it."""
    return tuple(six_bit_to_eight(c) for c in (r, g, b))


# The shell colours both programs share: palette indices in their screenshots, and colours
# as the X screen shows them.
ERROR_COLOR = 90
INFO_COLOR = 91
ERROR_RGB = screen_colour(63, 5, 0)
INFO_RGB = screen_colour(55, 45, 10)
HELP_BG_RGB = screen_colour(0, 0, 10)


def bmp_size(width, height):
    """Full size in bytes of an 8-bit BMP as Allegro writes it."""
    stride = (width + 3) & ~3
    return 54 + 1024 + stride * height


def parse_bmp8(data):
    """Parses an uncompressed 8-bit BMP into an IndexedImage."""
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    pixel_offset = struct.unpack_from("<I", data, 10)[0]
    header_size = struct.unpack_from("<I", data, 14)[0]
    width, height = struct.unpack_from("<ii", data, 18)
    bits = struct.unpack_from("<H", data, 28)[0]
    compression = struct.unpack_from("<I", data, 30)[0]
    colours_used = struct.unpack_from("<I", data, 46)[0]
    if bits != 8 or compression != 0:
        raise ValueError("expected an uncompressed 8-bit BMP, got %d bits" % bits)
    palette_start = 14 + header_size
    entries = colours_used or (pixel_offset - palette_start) // 4
    palette = []
    for i in range(entries):
        b, g, r, _ = data[palette_start + 4 * i: palette_start + 4 * i + 4]
        palette.append((r, g, b))
    bottom_up = height > 0
    height = abs(height)
    stride = (width + 3) & ~3
    rows = []
    for row in range(height):
        start = pixel_offset + row * stride
        rows.append(bytes(data[start:start + width]))
    if bottom_up:
        rows.reverse()
    return IndexedImage(width, height, b"".join(rows), palette)


def parse_xwd(data):
    """Parses a ZPixmap xwd capture of 24 or 32 bits per pixel into an RgbImage."""
    fields = struct.unpack_from(">25I", data, 0)
    header_size, _, pixmap_format, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    colour_count = fields[19]
    if pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("unsupported xwd format %d/%d bits" % (pixmap_format, bits_per_pixel))
    start = header_size + 12 * colour_count
    step = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"

    def shift_of(mask):
        return (mask & -mask).bit_length() - 1

    shifts = [(mask, shift_of(mask)) for mask in (red_mask, green_mask, blue_mask)]
    pixels = []
    for y in range(height):
        row = start + y * bytes_per_line
        for x in range(width):
            value = int.from_bytes(data[row + x * step: row + x * step + step], endian)
            pixels.append(tuple((value & mask) >> shift for mask, shift in shifts))
    return RgbImage(width, height, pixels)


# Allegro's built-in font is 8 x 8 pixels per character; each glyph is eight row bytes,
# bit 7 the leftmost pixel. The table comes from the library itself through a small
# helper program whose path the test's environment holds in NC_FONT_GLYPHS.
_glyphs = None


def font_glyphs():
    """Maps each glyph's 8-byte row mask to its character (printable ASCII)."""
    global _glyphs
    if _glyphs is None:
        tool = os.environ.get("NC_FONT_GLYPHS")
        if not tool:
            raise RuntimeError("NC_FONT_GLYPHS is not set; it names the glyph dump program")
        output = subprocess.run([tool], check=True, capture_output=True, text=True).stdout
        _glyphs = {}
        for line in output.splitlines():
            code, rows = line.split()
            _glyphs.setdefault(bytes.fromhex(rows), chr(int(code)))
    return _glyphs


def cell_mask(image, x, y, colour):
    """Row mask of the 8 x 8 cell at (x, y): a bit for each pixel of the given colour."""
    rows = bytearray()
    for dy in range(8):
        bits = 0
        for dx in range(8):
            px, py = x + dx, y + dy
            inside = 0 <= px < image.width and 0 <= py < image.height
            if inside and image.pixel(px, py) == colour:
                bits |= 0x80 >> dx
        rows.append(bits)
    return bytes(rows)


def read_text(image, x, y, length, colour):
    """Reads `length` characters drawn in `colour` with their top-left corner at (x, y);
    a cell that matches no glyph reads as '?'."""
    glyphs = font_glyphs()
    return "".join(glyphs.get(cell_mask(image, x + 8 * i, y, colour), "?")
                   for i in range(length))


def read_text_right(image, right_x, y, length, colour):
    """Reads a right-aligned text of `length` characters whose right end is right_x."""
    return read_text(image, right_x - 8 * length, y, length, colour)


def expect_lines(image, lines, colour):
    """Each (x, y, text) is shown in `colour` with its top-left corner at (x, y)."""
    for x, y, text in lines:
        shown = read_text(image, x, y, len(text), colour)
        assert shown == text, "at (%d, %d): expected %r, shown %r" % (x, y, text, shown)


def _lines_at(x, y, *texts):
    """(x, y, text) of lines drawn one below the other, 12 pixels apart."""
    return [(x, y + 12 * i, text) for i, text in enumerate(texts)]


def error_panel(reasons, solutions):
    """The lines of the error panel both programs draw below its title."""
    return ([(15, 30, "Possible reasons:")] + _lines_at(35, 42, *reasons)
            + [(15, 74, "Solutions:")] + _lines_at(35, 86, *solutions))


def selected_path_lines(path):
    """The lines of the panel for a loaded file that name its path, in the info colour."""
    return [(15, 140, "Your selected path was:"), (35, 152, path)]


# --- Session ---------------------------------------------------------------------------

class ProgramExited(RuntimeError):
    pass


class Session:
    """One Xvfb and one program run in a fresh temporary working directory.

    Use as a context manager; every process it started is ended and reaped on exit.
        with Session(program, files={"config_generated.txt": text}) as run:
            run.wait_ready()
            image = run.screenshot()
    """

    def __init__(self, program, width=640, height=480, files=None, env=None):
        self.program = os.path.abspath(program)
        self.width = width
        self.height = height
        self.files = files or {}
        self.extra_env = env or {}
        self.workdir = None
        self.xvfb = None
        self.process = None
        self.display = None
        self._logs = []

    # Start and stop.

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.close()
            raise
        return self

    def __exit__(self, *exc):
        finished_well = exc[0] is None or (
            issubclass(exc[0], SystemExit) and exc[1].code in (0, None, SKIP_RETURN_CODE))
        if not finished_well:
            self.dump_logs()
        self.close()
        return False

    def start(self):
        self.workdir = tempfile.mkdtemp(prefix="nc_e2e_")
        for name, content in self.files.items():
            self.write_file(name, content)
        self._start_xvfb()
        env = {**os.environ, **self.extra_env, "DISPLAY": self.display}
        out = open(os.path.join(self.workdir, "program.out"), "wb")
        err = open(os.path.join(self.workdir, "program.err"), "wb")
        self._logs += [out, err]
        self.process = subprocess.Popen([self.program], cwd=self.workdir, env=env,
                                        stdin=subprocess.DEVNULL, stdout=out, stderr=err)

    def _start_xvfb(self, attempts=5):
        """Starts Xvfb on a random high display number (far from the low numbers where
        servers of other test runs come and go) and waits until it answers with our screen
        size; tries another number when that one is taken."""
        log = open(os.path.join(self.workdir, "xvfb.log"), "wb")
        self._logs.append(log)
        for _ in range(attempts):
            number = random.randint(100, 29999)
            if self._try_xvfb(number, log):
                self.display = ":%d" % number
                return
        raise RuntimeError("Xvfb could not start; see xvfb.log")

    def _try_xvfb(self, number, log):
        read_end, write_end = os.pipe()
        try:
            self.xvfb = subprocess.Popen(
                # -noreset: without it the server resets whenever its last client leaves,
                # and a program connecting during the reset finds no display.
                ["Xvfb", ":%d" % number, "-displayfd", str(write_end), "-nolisten", "tcp",
                 "-noreset",
                 "-screen", "0", "%dx%dx24" % (self.width, self.height)],
                pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log)
        finally:
            os.close(write_end)
        reported = b""
        with os.fdopen(read_end, "rb") as pipe:
            # Xvfb writes the number once it accepts connections, or closes the pipe on exit.
            while not reported.endswith(b"\n"):
                chunk = pipe.read(1)
                if not chunk:
                    break
                reported += chunk
        env = dict(os.environ, DISPLAY=":%d" % number)
        answer = None
        if reported.strip() == str(number).encode() and self.xvfb.poll() is None:
            answer = subprocess.run(["xdotool", "getdisplaygeometry"], env=env,
                                    capture_output=True, text=True)
        if answer and answer.returncode == 0 and \
                answer.stdout.split() == [str(self.width), str(self.height)]:
            return True
        self._end(self.xvfb)
        self.xvfb = None
        return False

    @staticmethod
    def _end(process):
        """Ends one process this session started, and reaps it."""
        if process is None or process.poll() is not None:
            return
        process.terminate()
        try:
            process.wait(timeout=3)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    def close(self):
        """Ends the program and Xvfb (only these two processes), then removes the
        working directory."""
        for process in (self.process, self.xvfb):
            self._end(process)
        self.process = self.xvfb = None
        for log in self._logs:
            log.close()
        self._logs = []
        if self.workdir:
            shutil.rmtree(self.workdir, ignore_errors=True)
            self.workdir = None

    def dump_logs(self):
        """Prints the program's and the server's output, for a failed test's record."""
        if not self.workdir:
            return
        for name in ("program.out", "program.err", "xvfb.log"):
            path = os.path.join(self.workdir, name)
            if os.path.exists(path):
                with open(path, "rb") as log:
                    text = log.read().decode(errors="replace").strip()
                if text:
                    print("--- %s ---\n%s" % (name, text), flush=True)

    # Files of the working directory.

    def path(self, name):
        return os.path.join(self.workdir, name)

    def write_file(self, name, content):
        with open(self.path(name), "w") as out:
            out.write(content)
        return self.path(name)

    # Program state.

    def running(self):
        return self.process is not None and self.process.poll() is None

    def check_running(self):
        if not self.running():
            code = self.process.returncode if self.process else None
            raise ProgramExited("the program has exited with status %s" % code)

    def wait_exit(self, timeout):
        """Waits for the program to end by itself; returns its exit status, None on timeout."""
        try:
            return self.process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def wait_ready(self, timeout=10, settle=0.5):
        """Waits until the program's window exists, then `settle` seconds more."""
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            self.check_running()
            found = subprocess.run(["xdotool", "search", "--name", ""], env=self._x_env(),
                                   capture_output=True, text=True)
            if found.returncode == 0 and found.stdout.strip():
                time.sleep(settle)
                self.check_running()
                return
            time.sleep(0.1)
        raise TimeoutError("no window appeared within %s s" % timeout)

    # Input.

    def _x_env(self):
        return dict(os.environ, DISPLAY=self.display)

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self._x_env(), check=True,
                       stdout=subprocess.DEVNULL)

    @contextlib.contextmanager
    def holding(self, *keys):
        """Holds the keys down for the body of a with statement."""
        for name in keys:
            self.xdotool("keydown", name)
        try:
            yield
        finally:
            for name in reversed(keys):
                self.xdotool("keyup", name)

    def hold_key(self, name, seconds=0.3):
        """Holds a key long enough for the frame loop to see it (about 36 frames a second);
        stay below 0.6 s to avoid X autorepeat."""
        with self.holding(name):
            time.sleep(seconds)

    def tap_key(self, name):
        """A short press: reaches the key buffer (dialogs, "press any key"), not always key[]."""
        self.xdotool("key", name)

    def type_text(self, text, delay_ms=40):
        self.xdotool("type", "--delay", delay_ms, text)

    def move_mouse(self, dx, dy):
        """Relative move: exactly dx, dy mickeys."""
        self.xdotool("mousemove_relative", "--", dx, dy)

    @contextlib.contextmanager
    def holding_button(self, button):
        """Holds a mouse button down for the body of a with statement."""
        self.xdotool("mousedown", button)
        try:
            yield
        finally:
            self.xdotool("mouseup", button)

    # Pictures.

    def screenshot(self, name="screenshot.bmp", key="F12", timeout=5, wait_pause=2.2):
        """Has the program save its back buffer with F12 and returns it as an IndexedImage.
        Waits out the program's pause after saving (keys pressed then are lost)."""
        target = self.path(name)
        if os.path.exists(target):
            os.remove(target)
        full_size = bmp_size(self.width, self.height)
        with self.holding(key):
            deadline = time.monotonic() + timeout
            while time.monotonic() < deadline:
                if os.path.exists(target) and os.path.getsize(target) >= full_size:
                    break
                self.check_running()
                time.sleep(0.02)
            else:
                raise TimeoutError("no complete %s within %s s" % (name, timeout))
        time.sleep(0.05)
        with open(target, "rb") as picture:
            image = parse_bmp8(picture.read())
        time.sleep(wait_pause)
        return image

    def capture_screen(self):
        """The whole X screen as an RgbImage: shows what is drawn straight onto `screen`
        (help panel, messages), which the back buffer never holds."""
        capture = subprocess.run(["xwd", "-root", "-silent"], env=self._x_env(), check=True,
                                 capture_output=True).stdout
        return parse_xwd(capture)


# --- Driving the programs --------------------------------------------------------------

@contextlib.contextmanager
def ready_session(program, width=640, height=480, files=None, env=None, **wait):
    """A Session whose program window is up (`wait` goes to wait_ready). A program that
    exits before its window appears, as one did when Xvfb reset under it, is started once
    more on a fresh server."""
    for attempt in (1, 2):
        with Session(program, width, height, files=files, env=env) as run:
            try:
                run.wait_ready(**wait)
            except ProgramExited:
                if attempt == 2:
                    raise
                print("note: the program could not start; starting it once more")
                continue
            yield run
            return


def load_file(run, path, backspaces=250, backspace_delay_ms=2, type_delay_ms=40,
              hold=0.15, open_wait=0.8, close_wait=0.8):
    """L, then the file selector: replace the proposed path and accept it. After Return the
    program rests 250 ms; `close_wait` covers that and the reading of the file."""
    run.hold_key("l", hold)
    time.sleep(open_wait)
    run.tap_key("End")
    run.xdotool("key", "--repeat", backspaces, "--delay", backspace_delay_ms, "BackSpace")
    run.type_text(path, delay_ms=type_delay_ms)
    run.tap_key("Return")
    time.sleep(close_wait)


def check_help_screen(run, lines, corner, hold=0.2, wait=0.4, leave_wait=0.8):
    """F1 shows the help panel straight on the screen: its lines in the info colour, its
    background out to `corner`; any key leaves it. Returns the screen with the help and
    the one after it."""
    run.hold_key("F1", hold)
    time.sleep(wait)
    shown = run.capture_screen()
    expect_lines(shown, lines, INFO_RGB)
    assert shown.pixel(*corner) == HELP_BG_RGB, "help panel corner"
    run.tap_key("space")
    time.sleep(leave_wait)
    left = run.capture_screen()
    assert left.pixel(*corner) != HELP_BG_RGB, "the help is still shown"
    return shown, left


def quit_with_escape(run, check_message=True):
    """Esc: the quit message on the screen (unless check_message is false), then exit 0."""
    run.hold_key("Escape", 0.2)
    if check_message:
        time.sleep(0.5)
        shown = read_text(run.capture_screen(), 2, 2, 22, ERROR_RGB)
        assert shown == "ESC pressed, will QUIT", "quit message shown: %r" % shown
    status = run.wait_exit(timeout=8)
    assert status == 0, "exit status after Esc: %r" % status


@contextlib.contextmanager
def decimal_comma_locale():
    """Environment for a German locale (decimal comma), built with localedef in a temporary
    directory when the system lacks it; empty when that is impossible."""
    with tempfile.TemporaryDirectory(prefix="nc_e2e_locale_",
                                     ignore_cleanup_errors=True) as directory:
        env = {}
        if shutil.which("localedef") is not None:
            target = os.path.join(directory, "de_DE.UTF-8")
            made = subprocess.run(["localedef", "-i", "de_DE", "-f", "UTF-8", target],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            if made.returncode == 0 or os.path.isdir(target):
                env = {"LOCPATH": directory, "LC_ALL": "de_DE.UTF-8", "LANG": "de_DE.UTF-8"}
        yield env


def run_without_display(program, arguments=()):
    """Runs the program with no DISPLAY, in a temporary working directory, to its end."""
    env = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
    with tempfile.TemporaryDirectory(prefix="nc_e2e_", ignore_cleanup_errors=True) as workdir:
        return subprocess.run([os.path.abspath(program)] + list(arguments), cwd=workdir, env=env,
                              stdin=subprocess.DEVNULL, capture_output=True, text=True,
                              timeout=20)


# --- Test runner -----------------------------------------------------------------------

def run_checks(checks):
    """Runs each (name, function) in order, prints the outcome of each, and exits with 0
    when all passed, 1 otherwise. A check may call skip()."""
    failed = []
    for name, check in checks:
        started = time.monotonic()
        try:
            check()
        except SystemExit:
            raise
        except BaseException:
            traceback.print_exc()
            failed.append(name)
            print("FAILED %s" % name, flush=True)
            continue
        print("passed %s (%.1f s)" % (name, time.monotonic() - started), flush=True)
    sys.exit(1 if failed else 0)
