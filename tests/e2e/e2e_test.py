#!/usr/bin/env python3
"""The real lomarind binary, driven like a user on an X server of its own (Xvfb) with xdotool.

Two tests:

  session   A whole working session. In a private network namespace the engine's host name
            resolves to 127.0.0.1, where a fake engine answers: real result pages for some URLs,
            real no-result pages for others, a failure for the rest. The user types a URL,
            imports a file through the open-file dialog, runs the query, exports every kind,
            double-clicks and right-clicks rows, and closes the window. Needs root for the
            namespace: skipped without it, failed without it when CI=true.
  package   The portable package: built with cpack, unpacked into a fresh folder, started from
            there; one export must put the result file into that folder. Without a display it
            must say so in one line.

The session runs under a window manager (openbox), whose frame must then measure the window's
outer size; the package runs without one, where the window itself does.

The desktop is a fake one too: a mimeapps.list sends http, https and text/plain to small
scripts that only write down what they were asked to open, so nothing real is started.

Standard library only. Exit status: 0 passed, 1 failed, 77 skipped.
"""

import argparse
import ctypes
import json
import os
import select
import shutil
import signal
import socket
import subprocess
import sys
import tarfile
import tempfile
import time
import traceback
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path

SKIP = 77

WINDOW_CAPTION = "LomarindV1.0"
NOTICE_TITLE = "Kelvora-温馨提示"
OPEN_DIALOG_TITLE = "打开"  # Qt's own default title, in its Chinese translation
RESULT_FILE = "网址收录查询结果.txt"
SCREEN_W, SCREEN_H = 1024, 768
WINDOW_W, WINDOW_H = 535, 489

# Controls as (left, top, width, height) in the window's client area.
URL_EDIT = (83, 8, 345, 24)
ADD_BUTTON = (435, 7, 87, 27)
IMPORT_BUTTON = (435, 51, 87, 27)
LIST = (0, 108, 530, 297)
QUERY_BUTTON = (16, 411, 152, 30)
RADIO_INDEXED = (266, 420, 62, 16)
RADIO_UNINDEXED = (335, 420, 74, 16)
RADIO_ALL = (411, 420, 53, 16)
EXPORT_BUTTON = (468, 415, 53, 24)
NOTE_BOTTOM = 444 + 17  # the lowest control, 透明标签4, ends here
# Inside the list: the middle of the URL column (after the 50 pixels of 编号), and a spot in the
# 编号 column right of the left-aligned row numbers, where only background and grid show.
URL_COLUMN_X = LIST[0] + 1 + 50 + 370 // 2
GRID_PROBE_X = LIST[0] + 1 + 40
CLICK_GAP = 0.6  # seconds


def gbk(text):
    return text.encode("gbk")


HEADING_INDEXED = gbk("以下是已经被收录的网址：") + b"\r\n"
HEADING_NOT_INDEXED = gbk("以下网址尚未被收录：") + b"\r\n"
HEADING_ALL = gbk("所有网址收录情况如下：") + b"\r\n"
SUFFIX_INDEXED = b"  ----" + gbk("已收录") + b"\r\n"
SUFFIX_NOT_INDEXED = b"  ----" + gbk("未收录") + b"\r\n"
SUFFIX_FAILED = b"  ----" + gbk("查询失败") + b"\r\n"

# The fake engine answers by the words in the query: "indexed" a page of results, "missing" a
# page without results, "broken" status 500 with the engine's error page (which carries the
# no-result marker, so only the status tells it apart), "drop" closes the connection unanswered.
TYPED_URL = b"www.example.com/indexed-typed"
# The import file as today's editors write it: UTF-8 without a mark, LF line ends, one line
# ending in a Chinese character and one with a Chinese host after a blank. The list, the engine
# and the result file get its URLs in GBK.
IMPORT_FILE = "\n".join([
    "http://example.org/missing-a",
    "example.net/broken-500",
    "中文.example.cn/indexed 页面",
    "no-dot-in-this-line",
    "",
    "example.com/missing-b",
    "example.com/drop-connection",
    " 例子.中国/missing-新",
    "https://example.com/missing-c",
]).encode("utf-8") + b"\n"
# The list after typing and importing, with each row's verdict.
ROWS = [
    (TYPED_URL, "indexed"),
    (b"http://example.org/missing-a", "missing"),
    (b"example.net/broken-500", "failed"),
    (gbk("中文.example.cn/indexed 页面"), "indexed"),
    (b"example.com/missing-b", "missing"),
    (b"example.com/drop-connection", "failed"),
    (gbk(" 例子.中国/missing-新"), "missing"),
    (b"https://example.com/missing-c", "missing"),
]
GBK_ROW_ENCODED = "%D6%D0%CE%C4.example.cn/indexed%20%D2%B3%C3%E6"
# What reaches the engine, in row order: the URL after "wd=", with the bytes a URL cannot carry
# raw percent-encoded.
EXPECTED_TARGETS = [
    "/s?wd=www.example.com/indexed-typed",
    "/s?wd=http://example.org/missing-a",
    "/s?wd=example.net/broken-500",
    "/s?wd=" + GBK_ROW_ENCODED,
    "/s?wd=example.com/missing-b",
    "/s?wd=example.com/drop-connection",
    "/s?wd=%20%C0%FD%D7%D3.%D6%D0%B9%FA/missing-%D0%C2",
    "/s?wd=https://example.com/missing-c",
]
SUFFIX_OF = {"indexed": SUFFIX_INDEXED, "missing": SUFFIX_NOT_INDEXED, "failed": SUFFIX_FAILED}
EXPECTED_INDEXED = HEADING_INDEXED + b"".join(
    url + SUFFIX_INDEXED for url, verdict in ROWS if verdict == "indexed")
EXPECTED_NOT_INDEXED = HEADING_NOT_INDEXED + b"".join(
    url + SUFFIX_NOT_INDEXED for url, verdict in ROWS if verdict == "missing")
EXPECTED_ALL = HEADING_ALL + b"".join(url + SUFFIX_OF[verdict] for url, verdict in ROWS)

SANITIZER_REPORTS = (b"runtime error:", b"ERROR: AddressSanitizer", b"ERROR: LeakSanitizer")


class Failure(Exception):
    pass


def wait_until(what, timeout, probe, interval=0.05):
    """Polls probe() until it returns something true, which is returned; fails after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)


def centre(box):
    left, top, width, height = box
    return left + width // 2, top + height // 2


def die_with_parent():
    # Runs in each child before exec: its own process group, and SIGKILL if this driver dies.
    os.setsid()
    libc = ctypes.CDLL(None, use_errno=True)
    libc.prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Processes:
    """Every process the test starts, stopped at the end whatever happened."""

    def __init__(self):
        self.started = []

    def start(self, argv, **kwargs):
        process = subprocess.Popen(argv, preexec_fn=die_with_parent, **kwargs)
        self.started.append(process)
        return process

    def stop_all(self):
        for process in reversed(self.started):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        deadline = time.monotonic() + 5
        for process in self.started:
            try:
                process.wait(timeout=max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait()


# --- X11 through ctypes: pixels of a window, and the close request a window manager sends ---

class XClientMessageEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class XEvent(ctypes.Union):
    _fields_ = [("xclient", XClientMessageEvent), ("pad", ctypes.c_long * 24)]


class XImage(ctypes.Structure):  # the leading fields only
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p),
                ("byte_order", ctypes.c_int), ("bitmap_unit", ctypes.c_int),
                ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int),
                ("bits_per_pixel", ctypes.c_int)]


X_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class X11:
    CLIENT_MESSAGE = 33
    Z_PIXMAP = 2
    ALL_PLANES = ctypes.c_ulong(-1).value

    def __init__(self, display):
        lib = ctypes.CDLL("libX11.so.6")
        lib.XOpenDisplay.restype = ctypes.c_void_p
        lib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        lib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        lib.XSetErrorHandler.argtypes = [X_ERROR_HANDLER]
        lib.XGetImage.restype = ctypes.POINTER(XImage)
        lib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                  ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        lib.XGetPixel.restype = ctypes.c_ulong
        lib.XGetPixel.argtypes = [ctypes.POINTER(XImage), ctypes.c_int, ctypes.c_int]
        lib.XDestroyImage.argtypes = [ctypes.POINTER(XImage)]
        lib.XInternAtom.restype = ctypes.c_ulong
        lib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        lib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                   ctypes.POINTER(XEvent)]
        lib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        lib.XDefaultRootWindow.restype = ctypes.c_ulong
        lib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.lib = lib
        # Xlib's default handler ends the process on an error such as a window that went away.
        self.error_handler = X_ERROR_HANDLER(lambda display, event: 0)
        lib.XSetErrorHandler(self.error_handler)
        self.dpy = lib.XOpenDisplay(display.encode())
        if not self.dpy:
            raise Failure(f"cannot open the X display {display}")

    def close(self):
        self.lib.XCloseDisplay(self.dpy)

    def column(self, window, x, top, height):
        """The 0xRRGGBB colours of a one-pixel column of the window."""
        image = self.lib.XGetImage(self.dpy, window, x, top, 1, height, self.ALL_PLANES,
                                   self.Z_PIXMAP)
        if not image:
            return None
        try:
            return [self.lib.XGetPixel(image, 0, y) & 0xFFFFFF for y in range(height)]
        finally:
            self.lib.XDestroyImage(image)

    def request_close(self, window):
        """What a window manager sends when the user clicks the close box."""
        event = XEvent()
        event.xclient.type = self.CLIENT_MESSAGE
        event.xclient.window = window
        event.xclient.message_type = self.lib.XInternAtom(self.dpy, b"WM_PROTOCOLS", 0)
        event.xclient.format = 32
        event.xclient.data[0] = self.lib.XInternAtom(self.dpy, b"WM_DELETE_WINDOW", 0)
        event.xclient.data[1] = 0  # CurrentTime
        self.lib.XSendEvent(self.dpy, window, 0, 0, ctypes.byref(event))
        self.lib.XSync(self.dpy, 0)

    def screenshot(self, path):
        """The whole screen as a PPM file, for looking at a failure afterwards."""
        root = self.lib.XDefaultRootWindow(self.dpy)
        image = self.lib.XGetImage(self.dpy, root, 0, 0, SCREEN_W, SCREEN_H, self.ALL_PLANES,
                                   self.Z_PIXMAP)
        if not image:
            return False
        try:
            info = image.contents
            if info.bits_per_pixel != 32 or info.byte_order != 0:
                return False
            raw = ctypes.string_at(info.data, info.bytes_per_line * info.height)
        finally:
            self.lib.XDestroyImage(image)
        rgb = bytearray(SCREEN_W * SCREEN_H * 3)
        for y in range(SCREEN_H):
            line = raw[y * info.bytes_per_line:y * info.bytes_per_line + SCREEN_W * 4]
            out = rgb[y * SCREEN_W * 3:(y + 1) * SCREEN_W * 3]
            out[0::3], out[1::3], out[2::3] = line[2::4], line[1::4], line[0::4]
            rgb[y * SCREEN_W * 3:(y + 1) * SCREEN_W * 3] = out
        Path(path).write_bytes(b"P6\n%d %d\n255\n" % (SCREEN_W, SCREEN_H) + bytes(rgb))
        return True


# --- The fake engine (its own process) ---

def serve_engine(pages, log_path):
    pages = Path(pages)
    answers = {
        "indexed": (200, (pages / "baidu-results-1.html").read_bytes()),
        "missing": (200, (pages / "baidu-noresult-1.html").read_bytes()),
        "broken": (500, (pages / "baidu-error-1.html").read_bytes()),
    }

    class Engine(BaseHTTPRequestHandler):
        def do_GET(self):
            with open(log_path, "a", encoding="utf-8") as log:
                log.write(json.dumps({
                    "request_line": self.requestline,
                    "target": self.path,
                    "host": self.headers.get("Host"),
                    "agent": self.headers.get("User-Agent"),
                }) + "\n")
            if "drop" in self.path:
                self.close_connection = True
                return
            status, body = next((answer for word, answer in answers.items()
                                 if word in self.path), (404, b"not here"))
            self.send_response(status)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

        def log_message(self, *args):
            pass

    ThreadingHTTPServer(("127.0.0.1", 80), Engine).serve_forever()


def engine_requests(log_path):
    if not log_path.exists():
        return []
    return [json.loads(line) for line in log_path.read_text(encoding="utf-8").splitlines()]


# --- The session under test ---

class Desktop:
    """An X server with nothing but the program on it, and a fake desktop configuration; with
    window_manager, openbox manages the windows and puts its frames around them."""

    def __init__(self, work, processes, home, window_manager=False):
        self.work = work
        self.processes = processes
        self.home = home
        self.window_manager = window_manager
        self.browser_log = work / "browser.log"
        self.documents_log = work / "documents.log"
        self.display = None
        self.x11 = None

    def start(self):
        self._write_fake_handlers()
        read_end, write_end = os.pipe()
        with open(self.work / "xvfb.log", "wb") as log:
            self.processes.start([
                "Xvfb", "-displayfd", str(write_end), "-screen", "0",
                f"{SCREEN_W}x{SCREEN_H}x24", "-nolisten", "tcp", "-noreset"],
                pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=log)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n"):
            ready, _, _ = select.select([read_end], [], [], max(0, deadline - time.monotonic()))
            chunk = os.read(read_end, 16) if ready else b""
            if not chunk:
                raise Failure("Xvfb did not start (see xvfb.log)")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()
        self.x11 = X11(self.display)
        if self.window_manager:
            self._start_window_manager()

    def _start_window_manager(self):
        env = {"PATH": "/usr/local/bin:/usr/bin:/bin", "HOME": str(self.home),
               "DISPLAY": self.display, "XDG_CONFIG_DIRS": "/etc/xdg",
               "XDG_DATA_DIRS": "/usr/share"}
        with open(self.work / "openbox.log", "wb") as log:
            self.processes.start(["openbox", "--sm-disable"], env=env,
                                 stdout=log, stderr=subprocess.STDOUT)
        wait_until("openbox to manage the screen", 15,
                   lambda: "window id #" in self.xprop("-root", "_NET_SUPPORTING_WM_CHECK"))

    def xprop(self, *args):
        result = subprocess.run(["xprop", "-display", self.display, *args],
                                capture_output=True, timeout=20)
        return result.stdout.decode("utf-8", errors="replace")

    def frame_extents(self, window):
        """(left, right, top, bottom) of the frame the window manager put around the window."""
        out = self.xprop("-id", str(window), "_NET_FRAME_EXTENTS")
        if "=" not in out:
            return None
        values = [int(v) for v in out.split("=", 1)[1].split(",")]
        return tuple(values) if len(values) == 4 else None

    def client_geometry(self, window):
        """The client area's absolute position and size, as the X server has them."""
        result = subprocess.run(["xwininfo", "-display", self.display, "-id", str(window)],
                                capture_output=True, timeout=20)
        values = {}
        for line in result.stdout.decode(errors="replace").splitlines():
            key, _, value = line.strip().partition(":")
            values[key] = value.strip()
        return (int(values["Absolute upper-left X"]), int(values["Absolute upper-left Y"]),
                int(values["Width"]), int(values["Height"]))

    def stop(self):
        if self.x11:
            self.x11.close()

    def _write_fake_handlers(self):
        config = self.work / "config"
        applications = self.work / "data" / "applications"
        scripts = self.work / "bin"
        for folder in (config, applications, scripts):
            folder.mkdir(parents=True)
        (self.work / "runtime").mkdir(mode=0o700)
        self.home.mkdir(parents=True, exist_ok=True)
        for name, log in (("fake-browser", self.browser_log),
                          ("fake-editor", self.documents_log)):
            script = scripts / name
            script.write_text(f"#!/bin/sh\nprintf '%s\\n' \"$1\" >> '{log}'\n")
            script.chmod(0o755)
            (applications / f"{name}.desktop").write_text(
                "[Desktop Entry]\nType=Application\nName=" + name +
                f"\nExec={script} %u\n")
        (config / "mimeapps.list").write_text(
            "[Default Applications]\n"
            "x-scheme-handler/http=fake-browser.desktop\n"
            "x-scheme-handler/https=fake-browser.desktop\n"
            "text/plain=fake-editor.desktop\n")

    def program_env(self):
        # Built from nothing: no proxy variables, no desktop-session variables that would lead
        # xdg-open to a real desktop, no session bus.
        env = {
            "PATH": "/usr/local/bin:/usr/bin:/bin",
            "HOME": str(self.home),
            "LANG": "C.UTF-8",
            "DISPLAY": self.display,
            "QT_QPA_PLATFORM": "xcb",
            "XDG_CONFIG_HOME": str(self.work / "config"),
            "XDG_DATA_HOME": str(self.work / "data"),
            "XDG_CONFIG_DIRS": str(self.work / "none"),
            "XDG_DATA_DIRS": str(self.work / "none"),
            "XDG_RUNTIME_DIR": str(self.work / "runtime"),
            "DBUS_SESSION_BUS_ADDRESS": "unix:path=" + str(self.work / "no-bus"),
        }
        for name in ("ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"):
            if name in os.environ:
                env[name] = os.environ[name]
        return env

    def opened(self, log):
        if not log.exists():
            return []
        return log.read_bytes().splitlines()


class User:
    """Mouse and keyboard through xdotool, windows found by their titles."""

    def __init__(self, desktop):
        self.desktop = desktop
        self.last_click = 0.0

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *map(str, args)], capture_output=True, timeout=20,
                                env={**os.environ, "DISPLAY": self.desktop.display})
        if check and result.returncode != 0:
            raise Failure(f"xdotool {' '.join(map(str, args))} failed: "
                          f"{result.stderr.decode(errors='replace').strip()}")
        return result.stdout.decode("utf-8", errors="replace")

    def visible_windows(self, name_pattern="."):
        out = self.xdotool("search", "--onlyvisible", "--name", name_pattern, check=False)
        return [int(word) for word in out.split()]

    def window_name(self, window):
        return self.xdotool("getwindowname", window, check=False).strip()

    def geometry(self, window):
        values = dict(line.split("=", 1) for line in
                      self.xdotool("getwindowgeometry", "--shell", window).split())
        return int(values["X"]), int(values["Y"]), int(values["WIDTH"]), int(values["HEIGHT"])

    def click(self, window, point, button=1, repeat=1):
        # Clicks closer together than the double-click interval (400 ms) would make one
        # double-click of two; a user pauses between separate clicks.
        wait = self.last_click + CLICK_GAP - time.monotonic()
        if wait > 0:
            time.sleep(wait)
        self.xdotool("mousemove", "--window", window, point[0], point[1],
                     "click", "--repeat", repeat, "--delay", 80, button)
        self.last_click = time.monotonic()

    def focus(self, window):
        self.xdotool("windowfocus", "--sync", window)

    def type(self, window, text):
        self.focus(window)
        self.xdotool("type", "--delay", 15, text)

    def key(self, window, key):
        self.focus(window)
        self.xdotool("key", key)

    def wait_notice(self, what, timeout=20):
        windows = wait_until(what, timeout, lambda: self.visible_windows("^Kelvora-"))
        if len(windows) != 1:
            raise Failure(f"{len(windows)} message boxes open at once while waiting for {what}")
        title = self.window_name(windows[0])
        if title != NOTICE_TITLE:
            raise Failure(f"{what} is titled {title!r}, expected {NOTICE_TITLE!r}")
        return windows[0]

    def close_notice(self, notice, what):
        self.key(notice, "Return")
        wait_until(f"{what} to close", 10, lambda: notice not in self.visible_windows())


def row_centres(x11, window, count):
    """The client y of the middle of each of the list's first `count` rows.

    Read from the grid line the list draws under each row: no font metric is assumed. The column
    is scanned inside the list, below its border, up from the bottom: white background, the last
    row's grid line, a white row, the line above it, and so on up to the header.
    """
    top, height = LIST[1] + 1, LIST[3] - 4  # clear of the border at either end
    white = 0xFFFFFF

    def probe():
        column = x11.column(window, GRID_PROBE_X, top, height)
        if not column:
            return None
        lines = [y for y in range(1, height) if column[y] != white and column[y - 1] == white]
        if len(lines) < 2:
            return None
        last, pitch = lines[-1], lines[-1] - lines[-2]
        first_top = last - count * pitch + 1
        if not 10 <= pitch <= 60 or first_top < 6:
            return None
        # The rows below the first are plain white between their grid lines (the first may carry
        # the focus frame), and above the first row is the header, not white.
        for k in range(count - 1):
            line = last - k * pitch
            if column[line] != column[last] or any(
                    column[y] != white for y in range(line - pitch + 1, line)):
                return None
        if column[first_top - 1] == white or column[first_top - 4] == white:
            return None
        return [top + first_top + k * pitch + pitch // 2 for k in range(count)]

    return wait_until(f"the {count} rows of the list to be drawn", 10, probe, interval=0.1)


class Program:
    def __init__(self, path, desktop, processes, cwd):
        self.log_path = desktop.work / "program.log"
        with open(self.log_path, "wb") as log:
            self.process = processes.start(
                [str(path)], cwd=cwd, env=desktop.program_env(),
                stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)

    def log(self):
        return self.log_path.read_bytes() if self.log_path.exists() else b""

    def check_clean_log(self):
        log = self.log()
        for report in SANITIZER_REPORTS:
            if report in log:
                raise Failure(f"the program's output holds a sanitizer report ({report.decode()})")


def open_main_window(user, program):
    def probe():
        if program.process.poll() is not None:
            raise Failure(f"the program ended at start with status {program.process.returncode}")
        return user.visible_windows(f"^{WINDOW_CAPTION}$")

    windows = wait_until("the main window", 30, probe)
    if len(windows) != 1:
        raise Failure(f"{len(windows)} windows are titled {WINDOW_CAPTION}")
    window = windows[0]
    if user.desktop.window_manager:
        check_framed_geometry(user.desktop, window)
    else:
        # With no window manager there is no frame: the outer size is the client size.
        expected = ((SCREEN_W - WINDOW_W) // 2, (SCREEN_H - WINDOW_H) // 2, WINDOW_W, WINDOW_H)
        geometry = user.geometry(window)
        if geometry != expected:
            raise Failure(f"main window at {geometry} (x, y, width, height), expected {expected}")
    return window


def check_framed_geometry(desktop, window):
    """Under a window manager the frame, not the client, measures 535 x 489 and is centred; the
    client area still holds every control (the lowest ends at y = 461, the widest at x = 530)."""
    expected_x, expected_y = (SCREEN_W - WINDOW_W) // 2, (SCREEN_H - WINDOW_H) // 2
    seen = []

    def probe():
        extents = desktop.frame_extents(window)
        if not extents or extents == (0, 0, 0, 0):
            return None
        left, right, top, bottom = extents
        x, y, width, height = desktop.client_geometry(window)
        frame = (x - left, y - top, width + left + right, height + top + bottom)
        seen[:] = [frame, (x, y, width, height), extents]
        fits = (abs(frame[0] - expected_x) <= 1 and abs(frame[1] - expected_y) <= 1 and
                abs(frame[2] - WINDOW_W) <= 1 and abs(frame[3] - WINDOW_H) <= 1)
        return fits and width >= LIST[0] + LIST[2] and height >= NOTE_BOTTOM

    try:
        wait_until("the framed window to measure 535 x 489 and be centred", 10, probe,
                   interval=0.1)
    except Failure:
        raise Failure(f"frame (x, y, width, height) {seen[0] if seen else None}, client "
                      f"{seen[1] if seen else None}, frame extents {seen[2] if seen else None}; "
                      f"expected the frame at ({expected_x}, {expected_y}) sized "
                      f"{WINDOW_W} x {WINDOW_H} with room for every control")


def export(user, window, radio, result_path, expected, desktop, what):
    opened_before = len(desktop.opened(desktop.documents_log))
    user.click(window, centre(radio))
    user.click(window, centre(EXPORT_BUTTON))
    notice = user.wait_notice(f"the notice of the {what} export")
    # The file is written before the notice is shown, and opened only once it is closed.
    content = result_path.read_bytes() if result_path.exists() else None
    if content != expected:
        raise Failure(f"the {what} export wrote {content!r}, expected {expected!r}")
    if len(desktop.opened(desktop.documents_log)) != opened_before:
        raise Failure(f"the {what} export opened the result file before its notice was closed")
    user.close_notice(notice, f"the notice of the {what} export")
    opened = wait_until(f"the {what} export to open the result file", 15,
                        lambda: desktop.opened(desktop.documents_log)[opened_before:])
    if opened != [os.fsencode(result_path)]:
        raise Failure(f"the {what} export opened {opened!r}, expected {result_path}")


def close_window(user, desktop, program, window):
    desktop.x11.request_close(window)

    def probe():
        if user.visible_windows("^Kelvora-"):
            raise Failure("closing the window asked a question after a successful export")
        return program.process.poll() is not None

    wait_until("the program to end after its window was closed", 30, probe, interval=0.1)
    if program.process.returncode != 0:
        raise Failure(f"the program ended with status {program.process.returncode}")
    program.check_clean_log()


def session_test(args, work, processes):
    network_namespace_setup(work)
    engine_log = work / "engine.log"
    processes.start([sys.executable, __file__, "serve-engine", "--pages", args.pages,
                     "--log", str(engine_log)])
    wait_until("the fake engine to listen on port 80", 10, engine_listening)

    # A home folder with a plain name, as a user's would be (the mount stays in this namespace).
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/home"], check=True)
    home = Path("/home/user")
    desktop = Desktop(work, processes, home, window_manager=True)
    desktop.start()
    app_dir = work / "app"
    app_dir.mkdir()
    shutil.copy2(args.program, app_dir / "lomarind")
    import_path = home / "urls.txt"
    import_path.write_bytes(IMPORT_FILE)
    elsewhere = work / "elsewhere"
    elsewhere.mkdir()
    try:
        program = Program(app_dir / "lomarind", desktop, processes, cwd=elsewhere)
        user = User(desktop)
        window = open_main_window(user, program)

        # A URL typed by hand, then a file through the open-file dialog.
        user.click(window, centre(URL_EDIT))
        user.type(window, TYPED_URL.decode())
        user.click(window, centre(ADD_BUTTON))
        user.click(window, centre(IMPORT_BUTTON))
        dialog = wait_until("the open-file dialog", 15,
                            lambda: [w for w in user.visible_windows() if w != window])[0]
        # Qt's own dialog, in Qt's own Chinese words.
        title = user.window_name(dialog)
        if title != OPEN_DIALOG_TITLE:
            raise Failure(f"the open-file dialog is titled {title!r}, expected "
                          f"{OPEN_DIALOG_TITLE!r}")
        user.type(dialog, str(import_path))
        user.key(dialog, "Return")
        try:
            wait_until("the open-file dialog to close", 3,
                       lambda: dialog not in user.visible_windows())
        except Failure:
            # A completion list that popped up while typing takes the first Enter.
            user.key(dialog, "Return")
            wait_until("the open-file dialog to close", 10,
                       lambda: dialog not in user.visible_windows())
        rows = row_centres(desktop.x11, window, len(ROWS))

        # The query run: one request per row in row order, then the completion notice.
        user.click(window, centre(QUERY_BUTTON))
        notice = user.wait_notice("the completion notice of the query run", timeout=60)
        requests = engine_requests(engine_log)
        targets = [r["target"] for r in requests]
        if targets != EXPECTED_TARGETS:
            raise Failure(f"the engine got {targets}, expected {EXPECTED_TARGETS}")
        for request in requests:
            if (not request["request_line"].startswith("GET ") or
                    not request["request_line"].endswith(" HTTP/1.0") or
                    request["host"] != "www.baidu.com" or
                    request["agent"] != "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"):
                raise Failure(f"unexpected request {request}")
        user.close_notice(notice, "the completion notice")
        if args.screenshot:
            # The README's picture of a finished run (a whole-screen PPM).
            time.sleep(0.5)
            desktop.x11.screenshot(Path(args.screenshot))

        browser_actions(user, desktop, window, rows)

        # Every kind, then the first kind again: each file holds its own heading once.
        result_path = app_dir / RESULT_FILE
        for radio, expected, what in ((RADIO_INDEXED, EXPECTED_INDEXED, "仅收录"),
                                      (RADIO_UNINDEXED, EXPECTED_NOT_INDEXED, "仅未收录"),
                                      (RADIO_ALL, EXPECTED_ALL, "全部"),
                                      (RADIO_INDEXED, EXPECTED_INDEXED, "second 仅收录")):
            export(user, window, radio, result_path, expected, desktop, what)
        if (elsewhere / RESULT_FILE).exists():
            raise Failure("a result file was written into the working folder too")

        close_window(user, desktop, program, window)
        if len(engine_requests(engine_log)) != len(ROWS):
            raise Failure("the engine got requests after the query run")
    except BaseException:
        desktop_failure_evidence(desktop, work)
        raise
    finally:
        desktop.stop()


def browser_actions(user, desktop, window, rows):
    url_x = URL_COLUMN_X
    opened = []

    def expect(address, what):
        opened.append(address)
        wait_until(what, 15, lambda: len(desktop.opened(desktop.browser_log)) >= len(opened))
        got = desktop.opened(desktop.browser_log)
        if got != opened:
            raise Failure(f"after {what} the browser was given {got}, expected {opened}")

    def row(number):
        return (url_x, rows[number - 1])

    # No row selected: a right-click opens nothing, but selects the row, so a second one opens it.
    user.click(window, row(1), button=3)
    user.click(window, row(1), button=3)
    expect(b"http://www.example.com/indexed-typed", "a second right-click on row 1")
    # Row 2 selected, a right-click on row 5 opens row 2 (the press comes before the list moves
    # its selection); then row 5 is selected and a second right-click opens row 5.
    user.click(window, row(2))
    user.click(window, row(5), button=3)
    expect(b"http://example.org/missing-a", "a right-click on row 5 with row 2 selected")
    user.click(window, row(5), button=3)
    expect(b"http://example.com/missing-b", "a second right-click on row 5")
    # A double-click opens the engine's page for the row's URL; its GBK bytes and the blank
    # reach the browser percent-encoded.
    user.click(window, row(4), repeat=2)
    expect(b"http://www.baidu.com/s?wd=" + GBK_ROW_ENCODED.encode(), "a double-click on row 4")
    # Below the last row there is nothing to open; the next double-click on a row still works,
    # and nothing came in between.
    below = rows[-1] + 3 * (rows[1] - rows[0])
    user.click(window, (url_x, below), repeat=2)
    user.click(window, row(6), repeat=2)
    expect(b"http://www.baidu.com/s?wd=example.com/drop-connection",
           "a double-click below the rows, then one on row 6")
    # A right-click on a Chinese host behind a blank opens what an address bar makes of it: no
    # blank, the host in its international form, the path's GBK bytes percent-encoded.
    user.click(window, row(7))
    user.click(window, row(7), button=3)
    expect(b"http://xn--fsqu00a.xn--fiqs8s/missing-%D0%C2", "a right-click on row 7")
    # Two schemes one after the other arrive as they stand, the empty port's colon included.
    user.click(window, row(8))
    user.click(window, row(8), button=3)
    expect(b"http://https://example.com/missing-c", "a right-click on row 8")


def desktop_failure_evidence(desktop, work):
    if desktop.x11:
        try:
            if desktop.x11.screenshot(work / "screen.ppm"):
                print(f"screen at the failure: {work / 'screen.ppm'}")
        except Exception:  # evidence only; the failure itself is reported by the caller
            pass


def engine_listening():
    try:
        with socket.create_connection(("127.0.0.1", 80), timeout=1):
            return True
    except OSError:
        return False


def network_namespace_setup(work):
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    hosts = work / "hosts"
    hosts.write_text("127.0.0.1 localhost\n127.0.0.1 www.baidu.com\n::1 localhost\n")
    subprocess.run(["mount", "--bind", str(hosts), "/etc/hosts"], check=True)


def package_test(args, work, processes):
    pkg = work / "pkg"
    built = subprocess.run([args.cpack, "--config", args.cpack_config, "-G", "TGZ", "-B", str(pkg)],
                           capture_output=True, timeout=120)
    if built.returncode != 0:
        raise Failure("cpack failed:\n" + built.stdout.decode(errors="replace") +
                      built.stderr.decode(errors="replace"))
    archives = list(pkg.glob("*.tar.gz"))
    if len(archives) != 1:
        raise Failure(f"cpack made {archives}, expected one .tar.gz")
    unpacked = work / "unpacked"
    with tarfile.open(archives[0]) as archive:
        if hasattr(tarfile, "data_filter"):
            archive.extractall(unpacked, filter="data")
        else:
            archive.extractall(unpacked)
    folders = [p for p in unpacked.iterdir() if p.is_dir()]
    if len(folders) != 1 or not os.access(folders[0] / "lomarind", os.X_OK):
        raise Failure(f"the package holds {sorted(p.name for p in unpacked.rglob('*'))}, "
                      "expected one folder with the program in it")
    folder = folders[0]

    # Without any display the program says in one line that it needs a desktop, and ends.
    alone = subprocess.run([str(folder / "lomarind")], cwd=work, capture_output=True,
                           timeout=30, env={"PATH": "/usr/bin:/bin", "HOME": str(work),
                                            **{k: v for k, v in os.environ.items()
                                               if k.endswith("SAN_OPTIONS")}})
    said = (alone.stdout + alone.stderr).decode(errors="replace").splitlines()
    if alone.returncode != 1 or len(said) != 1 or "needs a desktop" not in said[0]:
        raise Failure(f"without a display the program ended with {alone.returncode} and said "
                      f"{said!r}, expected status 1 and one line that it needs a desktop")

    # No window manager here: the window itself is the outer size.
    desktop = Desktop(work, processes, work / "home")
    desktop.start()
    try:
        program = Program(folder / "lomarind", desktop, processes, cwd=work)
        user = User(desktop)
        window = open_main_window(user, program)
        # 全部 is checked at start; nothing was queried, so the file holds the heading alone.
        export(user, window, RADIO_ALL, folder / RESULT_FILE, HEADING_ALL, desktop, "全部")
        close_window(user, desktop, program, window)
    except BaseException:
        desktop_failure_evidence(desktop, work)
        raise
    finally:
        desktop.stop()


def run_inside(args, test):
    """Runs one test in a fresh temporary folder; returns the exit status."""
    work = Path(tempfile.mkdtemp(prefix=f"lomarind-e2e-{args.test}-"))
    processes = Processes()
    try:
        test(args, work, processes)
    except Failure as failure:
        print(f"FAIL: {failure}")
        report_evidence(work)
        return 1
    except Exception:
        traceback.print_exc()
        report_evidence(work)
        return 1
    finally:
        processes.stop_all()
    shutil.rmtree(work, ignore_errors=True)
    print("PASS")
    return 0


def report_evidence(work):
    for name in ("program.log", "engine.log", "browser.log", "documents.log", "xvfb.log"):
        path = work / name
        if path.exists():
            text = path.read_bytes()[-4000:].decode("utf-8", errors="replace")
            print(f"--- {name} (end) ---\n{text}")
    print(f"the test's folder is kept: {work}")


def cannot_isolate(reason):
    if os.environ.get("CI") == "true":
        print(f"FAIL: the end-to-end test needs a private network namespace: {reason}")
        return 1
    print(f"SKIP: the end-to-end test needs a private network namespace: {reason}")
    return SKIP


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("test", choices=["session", "package", "serve-engine"])
    parser.add_argument("--program", help="the lomarind binary (session)")
    parser.add_argument("--pages", help="the folder of real engine pages (session, engine)")
    parser.add_argument("--cpack", help="the cpack program (package)")
    parser.add_argument("--cpack-config", help="CPackConfig.cmake of the build (package)")
    parser.add_argument("--log", help="where the engine writes down its requests")
    parser.add_argument("--screenshot", help="save the screen after the query run here (session)")
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    args = parser.parse_args()

    if args.test == "serve-engine":
        serve_engine(args.pages, args.log)
        return 0
    for tool in ("Xvfb", "xdotool", "xdg-open"):
        if shutil.which(tool) is None:
            print(f"FAIL: {tool} is not installed (scripts/install-deps installs it)")
            return 1
    if args.test == "package":
        return run_inside(args, package_test)
    if args.inside:
        return run_inside(args, session_test)

    # A private network and mount namespace; where it can be had, also a PID namespace whose
    # processes all end with this test however it ends (with its own /proc, which the leak
    # checker reads).
    if os.geteuid() != 0:
        return cannot_isolate("it must run as root")
    errors = []
    for options in (["--net", "--mount", "--pid", "--fork", "--kill-child", "--mount-proc"],
                    ["--net", "--mount"]):
        probe = subprocess.run(["unshare", *options, "true"], capture_output=True)
        if probe.returncode == 0:
            sys.stdout.flush()
            os.execvp("unshare", ["unshare", *options, sys.executable,
                                  os.path.abspath(__file__), *sys.argv[1:], "--inside"])
        errors.append(probe.stderr.decode(errors="replace").strip())
    return cannot_isolate("unshare failed: " + "; ".join(errors))


if __name__ == "__main__":
    sys.exit(main())
