"""Drives the real graspstat window in an X server of its own.

Used by the end-to-end tests (tests/e2e) and by `make run` without a display.
It starts Xvfb on a free display (-displayfd), runs the program (optionally
under `apitrace trace`), types keys with xdotool, captures the window with
xwd, reads text back with tesseract and writes PNG files. Images are numpy
arrays (python3-numpy) and are written, scaled and blurred with Pillow
(python3-pil); the X and OCR tools are Debian packages too. The camera and
window numbers come from the program's own constant headers.

Every wait polls with a deadline: nothing sleeps longer than a poll step.
"""

import difflib
import math
import os
import re
import select
import shutil
import signal
import subprocess
import tempfile
import time

import numpy as np
from PIL import Image, ImageFilter

TITLE = ("F:Robot Choice, O:Obstacle Set, A:Cal.of Goal Pose, "
         "B:Path Generation, C:Path Motion")
POLL = 0.03   # seconds between polls

# xdotool key names of the characters the tests type
KEY_NAMES = {"\x1b": "Escape", " ": "space", "0": "0"}


class HarnessError(AssertionError):
    """A wait ran out or a tool failed."""


def need_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise HarnessError("missing tools: " + " ".join(missing) +
                           " (run scripts/install-deps.sh)")


def deadline_loop(timeout, what):
    """Yields until the timeout passes, then raises HarnessError(what)."""
    end = time.monotonic() + timeout
    first = True
    while first or time.monotonic() < end:
        first = False
        yield
        time.sleep(POLL)
    raise HarnessError("timed out after %.1f s waiting for %s" % (timeout, what))


# ---------------------------------------------------------------- the program's numbers

SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CONSTANT_HEADERS = ("include/graspstat/constants.h", "src/view/view_constants.h")
_CONSTANT = re.compile(r"constexpr\s+(?:double|float|int)\s+(\w+)((?:\[\d+\])*)\s*=\s*([^;]+);")
_NUMBER = re.compile(r"-?\d+(?:\.\d*)?(?:[eE][-+]?\d+)?")


def program_constants(headers=CONSTANT_HEADERS):
    """The named literal constants of the program's headers: name -> number,
    or a tuple of numbers for an array. The window, camera and scale the
    harness projects with are the ones the program is built with."""
    table = {}
    for rel in headers:
        with open(os.path.join(SOURCE_DIR, rel), encoding="utf-8") as f:
            for name, dims, value in _CONSTANT.findall(f.read()):
                values = [float(v) for v in _NUMBER.findall(value)]
                if values:
                    table[name] = tuple(values) if dims else values[0]
    return table


PROGRAM = program_constants()
OVERLAY = PROGRAM["kOverlaySize"]  # the text overlay square (pixels)
# the light backing under the program's own text, as the window shows it (RGB)
BACKING = tuple(int(round(255 * v)) for v in PROGRAM["kBacking"][:3])


# ---------------------------------------------------------------- images

class Frame:
    """One captured window image: pixels is a height x width x 3 uint8 array
    (RGB, rows top to bottom)."""

    def __init__(self, pixels):
        self.pixels = pixels
        self.height, self.width = pixels.shape[:2]

    @property
    def rgb(self):
        """The pixels as bytes, 3 per pixel (for comparing frames)."""
        return self.pixels.tobytes()

    def pixel(self, x, y):
        return tuple(int(v) for v in self.pixels[y, x])

    def region(self, box=None):
        """The pixels inside box (x0, y0, x1, y1), clipped to the frame."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        return self.pixels[max(0, y0):max(0, y1), max(0, x0):max(0, x1)]

    def count(self, colour, box=None, tol=0):
        """Number of pixels within tol of colour inside box (x0, y0, x1, y1)."""
        diff = np.abs(self.region(box).astype(np.int16) - np.array(colour, dtype=np.int16))
        return int(np.all(diff <= tol, axis=-1).sum())

    def share(self, box, predicate):
        """Share of the pixels in box whose colours pass predicate (which takes
        an array of RGB triples and returns an array of booleans)."""
        part = self.region(box)
        return float(np.mean(predicate(part))) if part.size else 0.0

    def text_image(self, box, scale):
        """Black-on-white image of the near-black pixels in box, scaled up by an
        integer factor and softened, the way tesseract reads bitmap text best."""
        dark = self.region(box).max(axis=-1) < 96
        img = Image.fromarray(np.where(dark, 0, 255).astype(np.uint8), mode="L")
        img = img.resize((img.width * scale, img.height * scale), Image.NEAREST)
        return img.filter(ImageFilter.BoxBlur(1))

    def backing_box(self, x, y):
        """(x0, y0, x1, y1) of the backing rectangle through pixel (x, y): the
        run of backing pixels up and down column x, then the run of columns
        with a backing pixel in those rows (text leaves some in each of its
        columns); None when (x, y) is not on a backing."""
        on = np.all(self.pixels == BACKING, axis=-1)
        if not on[y, x]:
            return None
        y0, y1 = y, y
        while y0 > 0 and on[y0 - 1, x]:
            y0 -= 1
        while y1 + 1 < self.height and on[y1 + 1, x]:
            y1 += 1
        cols = np.any(on[y0:y1 + 1], axis=0)
        x0, x1 = x, x
        while x0 > 0 and cols[x0 - 1]:
            x0 -= 1
        while x1 + 1 < self.width and cols[x1 + 1]:
            x1 += 1
        return (x0, y0, x1 + 1, y1 + 1)

    def foreign_on_backing(self, box):
        """Pixels inside box that are neither the backing nor black text:
        what of the scene shows through a backed text block."""
        part = self.region(box)
        return int((~np.all(part == BACKING, axis=-1) & np.any(part != 0, axis=-1)).sum())

    def save_png(self, path):
        Image.fromarray(self.pixels, mode="RGB").save(path)


def parse_xwd(data):
    """A 32-bit TrueColor ZPixmap XWD dump (as xwd writes for a 24-bit
    screen) as a Frame: the header fields, then the pixel words masked."""
    head = np.frombuffer(data, dtype=">u4", count=25)
    header_size, version, pixmap_format, _, width, height = (int(v) for v in head[:6])
    byte_order, bits_per_pixel, bytes_per_line = int(head[7]), int(head[11]), int(head[12])
    if version != 7 or pixmap_format != 2 or bits_per_pixel != 32:
        raise HarnessError("unexpected xwd format")
    offset = header_size + 12 * int(head[19])  # after the colour map
    words = np.frombuffer(data, dtype="<u4" if byte_order == 0 else ">u4",
                          count=height * bytes_per_line // 4, offset=offset)
    words = words.reshape(height, bytes_per_line // 4)[:, :width]
    channels = [(words & int(m)) >> ((int(m) & -int(m)).bit_length() - 1) for m in head[14:17]]
    return Frame(np.stack(channels, axis=-1).astype(np.uint8))


OCR_CHARS = ("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"
             " :,;()'-/=.")


def ocr(frame, box, scale=3, workdir=None):
    """Lines of text that tesseract reads in box (x0, y0, x1, y1) of the frame."""
    fd, path = tempfile.mkstemp(suffix=".png", dir=workdir)
    os.close(fd)
    frame.text_image(box, scale).save(path)
    try:
        out = subprocess.run(["tesseract", path, "stdout", "--psm", "6",
                              "-c", "tessedit_char_whitelist=" + OCR_CHARS],
                             capture_output=True, text=True, timeout=60)
    finally:
        os.unlink(path)
    if out.returncode != 0:
        raise HarnessError("tesseract failed: " + out.stderr)
    return [line for line in out.stdout.splitlines() if line.strip()]


# characters the OCR of the 18-point bitmap font confuses, mapped together
_CONFUSED = str.maketrans("2501ig", "zsollq")


def normalise(text):
    """Letters and digits only, lower case, confusable characters merged."""
    return re.sub(r"[^a-z0-9]", "", text.lower()).translate(_CONFUSED)


def edit_distance(a, b):
    """Characters to change, insert or drop to turn a into b, counted over the
    differing stretches between difflib's matching blocks."""
    ops = difflib.SequenceMatcher(None, a, b, autojunk=False).get_opcodes()
    return sum(max(i2 - i1, j2 - j1) for tag, i1, i2, j1, j2 in ops if tag != "equal")


def _reads_as(expected, read):
    e, r = normalise(expected), normalise(read)
    if len(e) <= 12:
        return e == r
    if 12 <= len(r) < len(e) and len(r) >= 0.6 * len(e):
        e = e[:len(r) + 1]
    return edit_distance(e, r) <= len(e) // 8


def line_matches(expected, read):
    """Whether an OCR line reads as the expected banner line. Short lines and
    the mode letter must read exactly (they differ from other banners by a
    word or a letter). Long lines may have one slip per eight characters, and
    may be cut short where the hand, drawn after the text, covers their end.
    Scene pixels right of a line may add a short word of noise (two letters
    or digits after a short line, three after a long one), which is dropped."""
    tokens = read.split()
    noise = 3 if len(normalise(expected)) > 12 else 2
    for cut in range(len(tokens), 0, -1):
        if cut < len(tokens) and len(normalise("".join(tokens[cut:]))) > noise:
            break
        line = " ".join(tokens[:cut])
        mode = re.match(r"Execution Mode : (\w)$", expected)
        if mode:
            got = re.match(r"Execution\s*Mode\s*:?\s*(\S)$", line)
            if got and normalise(got.group(1)) == normalise(mode.group(1)):
                return True
        elif _reads_as(expected, line):
            return True
    return False


def lines_match(expected, read):
    """Every expected line matches a read line, in order."""
    i = 0
    for line in read:
        if i < len(expected) and line_matches(expected[i], line):
            i += 1
    return i == len(expected)


# ---------------------------------------------------------------- X server

class XServer:
    """Xvfb on a display number it picks itself."""

    def __init__(self, width=1280, height=1024):
        need_tools("Xvfb")
        rfd, wfd = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(wfd), "-screen", "0", "%dx%dx24" % (width, height),
             "-nolisten", "tcp", "-noreset"],
            pass_fds=[wfd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        os.close(wfd)
        text = b""
        end = time.monotonic() + 30
        while not text.endswith(b"\n"):
            left = end - time.monotonic()
            if left <= 0 or not select.select([rfd], [], [], left)[0]:
                self.stop()
                raise HarnessError("Xvfb did not report its display")
            chunk = os.read(rfd, 64)
            if not chunk:
                self.stop()
                raise HarnessError("Xvfb ended before reporting its display")
            text += chunk
        os.close(rfd)
        self.display = ":" + text.decode().strip()
        self.env = dict(os.environ, DISPLAY=self.display)
        self.env.pop("WAYLAND_DISPLAY", None)
        # software rendering, no GPU needed
        self.env.setdefault("LIBGL_ALWAYS_SOFTWARE", "1")

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()


# ---------------------------------------------------------------- the program

class App:
    """The graspstat program running in an XServer."""

    def __init__(self, xserver, binary, workdir, stdout="file", trace=None):
        need_tools("xdotool", "xwd")
        self.x = xserver
        self.workdir = workdir
        os.makedirs(workdir, exist_ok=True)
        cmd = [binary]
        if trace:
            need_tools("apitrace")
            cmd = ["apitrace", "trace", "--api", "gl", "--output", trace] + cmd
        self.stdout_path = os.path.join(workdir, "console.txt")
        self.pipe_data = None
        if stdout == "pipe":
            out = subprocess.PIPE
        else:
            out = open(self.stdout_path, "wb")
        self.proc = subprocess.Popen(cmd, env=xserver.env, stdout=out,
                                     stderr=subprocess.PIPE, stdin=subprocess.DEVNULL)
        if out is not subprocess.PIPE:
            out.close()
        self.wid = None
        self.frames = 0
        self.find_window()

    # -- helpers around the X tools
    def xdo(self, *args, timeout=20):
        out = subprocess.run(["xdotool"] + list(args), env=self.x.env, capture_output=True,
                             text=True, timeout=timeout)
        return out

    def find_window(self, timeout=30):
        for _ in deadline_loop(timeout, "the window to appear"):
            if self.proc.poll() is not None:
                raise HarnessError("program ended with %s before its window appeared: %s" %
                                   (self.proc.returncode, self.stderr_text()))
            out = self.xdo("search", "--onlyvisible", "--name", "^" + re.escape(TITLE) + "$")
            ids = out.stdout.split()
            if ids:
                self.wid = ids[0]
                break
        # no window manager here: place the window fully on the screen and
        # give it the keyboard focus, as a desktop would
        self.xdo("windowmove", self.wid, "0", "0")
        self.xdo("windowfocus", self.wid)
        # the first frame is there when the white background and black text are
        self.wait_frame(lambda f: f.pixel(f.width - 2, f.height // 2) == (255, 255, 255)
                        and f.count((0, 0, 0), (5, 15, 120, 40)) > 20, what="the first frame")

    def stderr_text(self):
        try:
            return self.proc.stderr.read().decode(errors="replace") if self.proc.stderr else ""
        except (OSError, ValueError):
            return ""

    def capture(self):
        out = subprocess.run(["xwd", "-silent", "-id", self.wid], env=self.x.env,
                             capture_output=True, timeout=20)
        if out.returncode != 0 or len(out.stdout) < 100:
            raise HarnessError("xwd failed: " + out.stderr.decode(errors="replace"))
        self.frames += 1
        return parse_xwd(out.stdout)

    def capture_screen(self):
        """The whole screen: a window larger than the screen cannot be captured
        on its own (xwd -id), only the part of it that shows."""
        out = subprocess.run(["xwd", "-silent", "-root"], env=self.x.env,
                             capture_output=True, timeout=20)
        if out.returncode != 0 or len(out.stdout) < 100:
            raise HarnessError("xwd -root failed: " + out.stderr.decode(errors="replace"))
        return parse_xwd(out.stdout)

    def window_size(self):
        """(width, height) of the window as the X server has it."""
        out = self.xdo("getwindowgeometry", self.wid)
        m = re.search(r"Geometry: (\d+)x(\d+)", out.stdout)
        if not m:
            raise HarnessError("xdotool getwindowgeometry failed: " + out.stderr)
        return int(m.group(1)), int(m.group(2))

    def wait_frame(self, predicate, timeout=20, what="the expected frame", capture=None):
        """Captures until predicate(frame) holds; returns that frame."""
        last = None
        try:
            for _ in deadline_loop(timeout, what):
                if self.proc.poll() is not None:
                    raise HarnessError("program ended with %s while waiting for %s" %
                                       (self.proc.returncode, what))
                last = (capture or self.capture)()
                if predicate(last):
                    return last
        except HarnessError:
            if last is not None:
                path = os.path.join(self.workdir, "timeout-%d.png" % self.frames)
                last.save_png(path)
                raise HarnessError("timed out waiting for %s; last frame saved as %s" %
                                   (what, path))
            raise
        return None

    def wait_change(self, before, timeout=20, what="the window to change"):
        return self.wait_frame(lambda f: f.rgb != before.rgb or
                               (f.width, f.height) != (before.width, before.height),
                               timeout, what)

    def key(self, keys):
        """Types the characters of keys into the window, in order."""
        names = [KEY_NAMES.get(ch, ch) for ch in keys]
        out = self.xdo("key", "--clearmodifiers", "--delay", "2", *names, timeout=60)
        if out.returncode != 0:
            raise HarnessError("xdotool key %s failed: %s" % (" ".join(names), out.stderr))

    def read_lines(self, frame, top_y, bottom_y, right=420):
        """OCR lines of the overlay text whose baselines lie from overlay
        height top_y down to bottom_y (the overlay is 600 x 600, y upward)."""
        sx, sy = frame.width / OVERLAY, frame.height / OVERLAY
        y0 = int((OVERLAY - top_y - 17) * sy)
        y1 = int((OVERLAY - bottom_y + 6) * sy)
        return ocr(frame, (0, max(0, y0), int(right * sx), min(frame.height, y1)),
                   workdir=self.workdir)

    def read_banner(self, frame, lines=5):
        """OCR lines of the banner block (overlay heights 400, 380, ...)."""
        return self.read_lines(frame, 400, 400 - 20 * (lines - 1))

    def wait_banner(self, expected, absent=(), timeout=20, lines=5):
        """Waits until the banner block reads the expected lines in order and
        none of the absent ones; returns that frame."""
        seen = {}

        def ok(frame):
            read = self.read_banner(frame, lines)
            seen["read"] = read
            return (lines_match(list(expected), read) and
                    not any(line_matches(a, r) for a in absent for r in read))

        try:
            return self.wait_frame(ok, timeout, "banner %r" % (list(expected),))
        except HarnessError as e:
            raise HarnessError("%s (OCR read %r)" % (e, seen.get("read")))

    def console(self):
        """Everything the program wrote to standard output so far (file mode)."""
        with open(self.stdout_path, "rb") as f:
            return f.read()

    def wait_exit(self, timeout=20):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError("program did not end within %.0f s" % timeout)

    def alive(self):
        return self.proc.poll() is None

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.stop()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


# ---------------------------------------------------------------- projection

def _rot(deg, axis):
    """The matrix of glRotated(deg, axis) for a unit axis."""
    c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))
    x, y, z = axis
    return np.array([[x * x * (1 - c) + c, x * y * (1 - c) - z * s, x * z * (1 - c) + y * s, 0],
                     [y * x * (1 - c) + z * s, y * y * (1 - c) + c, y * z * (1 - c) - x * s, 0],
                     [x * z * (1 - c) - y * s, y * z * (1 - c) + x * s, z * z * (1 - c) + c, 0],
                     [0, 0, 0, 1]])


def _shift(v):
    """The matrix of glTranslated(v)."""
    m = np.identity(4)
    m[:3, 3] = v
    return m


def project(point, view_rot=None, view_trans=None, size=None):
    """Window pixel (x from the left, y from the top) of a model point, with
    the program's camera and the given view rotation/translation (default:
    the start-up view), as gluPerspective and gluLookAt set them up."""
    c = PROGRAM
    view_rot = c["kStartViewRot"] if view_rot is None else view_rot
    view_trans = c["kStartViewTrans"] if view_trans is None else view_trans
    size = size or (c["kWindowWidth"], c["kWindowHeight"])
    f = 1.0 / math.tan(math.radians(c["kFovYDeg"]) / 2)
    near, far = c["kNearPlane"], c["kFarPlane"]
    P = np.array([[f / c["kAspect"], 0, 0, 0], [0, f, 0, 0],
                  [0, 0, (far + near) / (near - far), 2 * far * near / (near - far)],
                  [0, 0, -1, 0]])
    eye = np.array([c["rEye"] * math.cos(c["thEye"]), c["rEye"] * math.sin(c["thEye"]),
                    c["zEye"]])
    fwd = -eye / np.linalg.norm(eye)
    side = np.cross(fwd, (0.0, 0.0, 1.0))
    side /= np.linalg.norm(side)
    V = np.identity(4)
    V[0, :3], V[1, :3], V[2, :3] = side, np.cross(side, fwd), -fwd
    M = P @ V @ _shift(-eye)
    for deg, axis in zip(view_rot, ((1, 0, 0), (0, 1, 0), (0, 0, 1))):
        M = M @ _rot(deg, axis)
    M = M @ _shift(view_trans)
    scale = c["kViewScaleNum"] / c["kViewScaleDen"]
    clip = M @ np.append(np.asarray(point, dtype=float) * scale, 1.0)
    ndc = clip[:3] / clip[3]
    return (int(round((ndc[0] + 1) / 2 * size[0])), int(round((1 - ndc[1]) / 2 * size[1])))


# ---------------------------------------------------------------- apitrace

def dump_trace(trace, last_call=None, timeout=30):
    """The calls of an apitrace file as text lines, frames separated. With
    last_call, waits until the trace ends with that call: the tracer may still
    be writing the file when the program's exit has been reported."""
    for _ in deadline_loop(timeout, "the trace to end with %s" % last_call):
        out = subprocess.run(["apitrace", "dump", "--color=never", "--arg-names=no", trace],
                             capture_output=True, text=True, timeout=120)
        if out.returncode != 0 and last_call is None:
            raise HarnessError("apitrace dump failed: " + out.stderr)
        calls = parse_calls(out.stdout)
        if last_call is None or (calls and calls[-1][0] == last_call):
            return out.stdout
    return None


CALL_RE = re.compile(r"^\d+\s+(\w+)\((.*)\)(?:\s*=\s*(.*))?$")


def parse_calls(text):
    """[(name, args text)] for every call line of an apitrace dump."""
    calls = []
    for line in text.splitlines():
        m = CALL_RE.match(line.strip())
        if m:
            calls.append((m.group(1), m.group(2)))
    return calls


def split_frames(calls):
    """Lists of calls between buffer swaps; each frame ends with its swap."""
    frames, cur = [], []
    for c in calls:
        cur.append(c)
        if c[0] in ("glXSwapBuffers", "eglSwapBuffers"):
            frames.append(cur)
            cur = []
    if cur:
        frames.append(cur)
    return frames


def text_over_scene(frame):
    """The overlay text positions (x, y) a frame draws after the last
    primitive of its scene, in order. Fails when text is drawn between the
    view transform and the scene's end, or over the scene without a backing
    rectangle drawn before it in the same overlay."""
    view = next(i for i, c in enumerate(frame) if c[0] == "glRotated")
    last = max(i for i, c in enumerate(frame)
               if c[0] in ("glEnd", "glDrawArrays", "glDrawElements"))
    after, backed = [], False
    for i, (name, args) in enumerate(frame):
        if name == "glOrtho":
            backed = False
        elif name == "glRectf":
            backed = True
        elif name == "glRasterPos2f":
            expect(i < view or i > last, "text at (%s) drawn inside the scene" % args)
            if i > last:
                expect(backed, "text at (%s) drawn over the scene without a backing" % args)
                after.append(tuple(numbers(args)))
    return after


def numbers(args):
    """The numeric values in an argument text, in order (not the digits of
    names such as GL_LIGHT0)."""
    return [float(v) for v in
            re.findall(r"(?<![\w.])-?\d+(?:\.\d+)?(?:[eE][-+]?\d+)?", args)]


# ---------------------------------------------------------------- a session

def play_session(binary, outdir, keys="ssSs", log=print):
    """Runs the program in its own Xvfb, types the keys one by one and saves
    the frame after each step as PNG under outdir; returns the file names."""
    os.makedirs(outdir, exist_ok=True)
    names = []
    with XServer() as x:
        app = App(x, binary, os.path.join(outdir, ".work"))
        try:
            # what the program printed (the key help), as on a real console
            log(app.console().decode("utf-8", errors="replace"))
            frame = app.capture()
            path = os.path.join(outdir, "frame-0-start.png")
            frame.save_png(path)
            names.append(path)
            log("graspstat: start -> %s" % path)
            for i, ch in enumerate(keys, 1):
                before = frame
                app.key(ch)
                try:
                    frame = app.wait_change(before, timeout=60)
                except HarnessError:
                    frame = app.capture()  # a key that changes nothing visible
                path = os.path.join(outdir, "frame-%d-key-%s.png" % (i, ch))
                frame.save_png(path)
                names.append(path)
                log("graspstat: key %r -> %s" % (ch, path))
        finally:
            app.stop()
            shutil.rmtree(os.path.join(outdir, ".work"), ignore_errors=True)
    return names


def expect(cond, message):
    if not cond:
        raise HarnessError(message)


def is_dark_red(c):
    """The work sphere's colour where only the ambient light reaches it
    (c: RGB triples, last axis the channel)."""
    c = np.asarray(c, dtype=np.int16)
    return (c[..., 0] > 120) & (c[..., 1] < 40) & (c[..., 2] < 40)


def is_lit_sphere(c):
    """The work sphere's colour where the light falls on it (nearly white)."""
    c = np.asarray(c, dtype=np.int16)
    return (c[..., 0] > 200) & (c[..., 1] > 120) & (c[..., 2] > 120)


def frame_share(frame, box, predicate):
    return frame.share(box, predicate)


def colour_near(frame, point, colour, radius=6, tol=0):
    """Number of pixels of colour within radius of a window pixel."""
    x, y = point
    return frame.count(colour, (x - radius, y - radius, x + radius + 1, y + radius + 1), tol)


def run_test(body):
    """Entry point of one end-to-end test: body(xserver, binary, workdir).
    Exits 0 when it passes, 1 with the reason when it fails."""
    import argparse
    import sys
    import traceback
    ap = argparse.ArgumentParser()
    ap.add_argument("--binary", required=True)
    ap.add_argument("--work", required=True)
    args = ap.parse_args()
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    start = time.monotonic()
    try:
        with XServer() as x:
            body(x, os.path.abspath(args.binary), args.work)
    except Exception as e:  # report any failure as the test's verdict
        traceback.print_exc()
        print("FAIL (%.1f s): %s" % (time.monotonic() - start, e))
        sys.exit(1)
    print("PASS (%.1f s)" % (time.monotonic() - start))


def xrun(cmd):
    """Runs cmd with DISPLAY set to an Xvfb of its own; returns its status."""
    with XServer() as x:
        return subprocess.run(cmd, env=x.env).returncode


if __name__ == "__main__":
    import argparse
    import sys
    ap = argparse.ArgumentParser(description="graspstat in an X server of its own")
    sub = ap.add_subparsers(dest="what", required=True)
    sp = sub.add_parser("session", help="type keys and save the frame after each as PNG")
    sp.add_argument("binary")
    sp.add_argument("outdir")
    sp.add_argument("--keys", default="ssSs")
    xp = sub.add_parser("xrun", help="run a command under its own Xvfb")
    xp.add_argument("cmd", nargs=argparse.REMAINDER)
    args = ap.parse_args()
    if args.what == "session":
        play_session(args.binary, args.outdir, args.keys)
    else:
        cmd = args.cmd[1:] if args.cmd[:1] == ["--"] else args.cmd
        sys.exit(xrun(cmd))
