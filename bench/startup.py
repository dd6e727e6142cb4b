#!/usr/bin/env python3
"""Start-up, memory and idle cost of the real program on a real display.

Runs the program under Xvfb with openbox and trayer as tray host, in a
throw-away XDG home whose system data folder holds no applications or 5,000
of them, and measures:
- exec to the tray icon painted: the tray's part of the screen is read
  through Xlib until its pixels differ from before the start (windows the
  program opens lie elsewhere and do not count); beside it the same for a
  trivial Qt tray program, the floor that Qt and the tray host set;
- the resident memory once the program has gone quiet, with no applications
  and with 5,000;
- with 5,000 applications, once quiet, the CPU time over the idle period
  (/proc/PID/stat, every thread) and then the system calls over another
  (strace -f, every thread).
- with 5,000 applications, a warm switch of the main view: the view opened
  and closed once, then the message the window hotkey's action sends
  (switchMainWindow, here over the single-instance socket, the same call)
  timed to the last drawing the X server reports (DAMAGE) within the first
  burst of drawing, so that its focused text field counts; beside it the
  same for a plain Qt window with a text field, shown and given the focus
  on the same message (bench/floor --window), the floor that Qt, the X
  server and the window manager set;
- many large search scopes beside one: 200 custom scopes of 5,000 folders
  each (20 of 200 under BENCH_SMALL=1), and one scope of as many folders,
  each started until quiet (the median of the runs): the time from exec
  until it last used the processor, its processor time, its resident
  memory and the inotify watches it holds then;
- with 5,000 applications, the growth of the heap in use (glibc's
  malloc_stats, called through gdb, with the per-thread cache off so that
  freed blocks count as free) and of the resident memory over 1,000 further
  show and hide cycles of the main view (after 200 that fill the first
  shows' caches), per cycle; beside it the same for the plain Qt window.
Prints the rows as JSON for table.py.
"""
import argparse
import ctypes
import ctypes.util
import json
import os
import plistlib
import re
import select
import shutil
import signal
import socket
import statistics
import struct
import subprocess
import sys
import tempfile
import time

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
SCREEN = (320, 120)
# The hotkey job's screen: room for the main view's list.
HOTKEY_SCREEN = (1024, 768)
# Where trayer sits (top left, as it is started below): only the icon changes it.
TRAY = (0, 0, 120, 32)


class Screen:
    """The pixels of a display's root window, read through Xlib."""

    def __init__(self, display, size=SCREEN):
        self.size = size
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x11.XGetImage.restype = ctypes.c_void_p
        self.x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                       ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display}")
        self.root = self.x11.XDefaultRootWindow(self.display)

    def pixels(self, area=None):
        x, y, width, height = area or (0, 0) + self.size
        image = self.x11.XGetImage(self.display, self.root, x, y, width, height, 0xFFFFFFFF, 2)  # ZPixmap
        if not image:
            raise RuntimeError("XGetImage failed")
        # XImage: width, height, xoffset, format, char* data, ... bytes_per_line at a fixed offset.
        fields = ctypes.cast(image, ctypes.POINTER(ctypes.c_int))
        data = ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[2]
        bytes_per_line = fields[11]
        content = ctypes.string_at(data, bytes_per_line * height)
        destroy = ctypes.cast(image, ctypes.POINTER(ctypes.c_void_p))[12]  # f.destroy_image, at byte 96
        ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p)(destroy)(image)
        return content

    def close(self):
        self.x11.XCloseDisplay(self.display)


class Damage:
    """Rendering on a display as its X server reports it (DAMAGE on the root
    window, every drawing request a rectangle): when a paint reached the
    screen, without reading pixels back, which would hold up the
    single-threaded server and with it the work being timed."""

    REPORT_RAW_RECTANGLES = 0
    EVENT_SIZE = 192  # XEvent: 24 longs

    def __init__(self, display):
        self.x11 = ctypes.CDLL(ctypes.util.find_library("X11"))
        self.xdamage = ctypes.CDLL(ctypes.util.find_library("Xdamage"))
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XConnectionNumber", "XPending", "XCloseDisplay"):
            getattr(self.x11, name).argtypes = [ctypes.c_void_p]
        self.x11.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.xdamage.XDamageQueryExtension.argtypes = [ctypes.c_void_p, ctypes.POINTER(ctypes.c_int),
                                                       ctypes.POINTER(ctypes.c_int)]
        self.xdamage.XDamageQueryVersion.argtypes = self.xdamage.XDamageQueryExtension.argtypes
        self.xdamage.XDamageCreate.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int]
        self.xdamage.XDamageCreate.restype = ctypes.c_ulong
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display}")
        event_base, error_base = ctypes.c_int(), ctypes.c_int()
        if not self.xdamage.XDamageQueryExtension(self.display, ctypes.byref(event_base), ctypes.byref(error_base)):
            raise RuntimeError("the X server has no DAMAGE extension")
        major, minor = ctypes.c_int(1), ctypes.c_int(1)
        self.xdamage.XDamageQueryVersion(self.display, ctypes.byref(major), ctypes.byref(minor))
        self.notify = event_base.value  # XDamageNotify is the extension's first event
        self.xdamage.XDamageCreate(self.display, self.x11.XDefaultRootWindow(self.display),
                                   self.REPORT_RAW_RECTANGLES)
        self.x11.XSync(self.display, 0)
        self.fd = self.x11.XConnectionNumber(self.display)
        self.event = ctypes.create_string_buffer(self.EVENT_SIZE)

    def _read(self, until):
        """(monotonic time, x, y, width, height) of the rectangles reported until then."""
        found = []
        while True:
            while self.x11.XPending(self.display):
                self.x11.XNextEvent(self.display, self.event)
                kind = ctypes.c_int.from_buffer(self.event).value & 0x7F
                if kind == self.notify:
                    # XDamageNotifyEvent: the area (an XRectangle) at byte 64.
                    x, y, width, height = struct.unpack_from("hhHH", self.event, 64)
                    found.append((time.monotonic(), x, y, width, height))
            remaining = until - time.monotonic()
            if remaining <= 0:
                return found
            select.select([self.fd], [], [], remaining)

    def drain(self):
        self.x11.XSync(self.display, 0)
        self._read(time.monotonic())

    def painted_after(self, start, ignore, burst=0.25, timeout=10.0):
        """Seconds from `start` to the last rectangle drawn within `burst` of
        the first one (a blinking caret comes later); drawing inside `ignore`
        (the tray) does not count."""
        def counts(rectangle):
            _, x, y, width, height = rectangle
            ix, iy, iwidth, iheight = ignore
            return not (x >= ix and y >= iy and x + width <= ix + iwidth and y + height <= iy + iheight)
        end = start + timeout
        first = None
        while first is None:
            if time.monotonic() > end:
                raise RuntimeError("nothing was drawn")
            drawn = [r for r in self._read(time.monotonic() + 0.05) if counts(r)]
            if drawn:
                first = drawn[0][0]
                last = drawn[-1][0]
        for rectangle in self._read(first + burst):
            if counts(rectangle):
                last = rectangle[0]
        return last - start

    def close(self):
        self.x11.XCloseDisplay(self.display)


class Desktop:
    """Xvfb on a free display, openbox, and trayer as tray host."""

    def __init__(self, size=SCREEN):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", "-nolisten", "tcp", "-screen", "0",
                                      f"{size[0]}x{size[1]}x24"], pass_fds=[write], stderr=subprocess.DEVNULL)
        os.close(write)
        with os.fdopen(read) as f:
            self.display = ":" + f.readline().strip()
        env = dict(os.environ, DISPLAY=self.display)
        self.openbox = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)
        self.trayer = subprocess.Popen(["trayer", "--edge", "top", "--align", "left", "--widthtype", "pixel",
                                        "--width", str(TRAY[2]), "--height", str(TRAY[3]), "--expand", "false",
                                        "--transparent", "false", "--tint", "0x31363b", "--SetDockType", "true"],
                                       env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.screen = Screen(self.display, size)
        self.settle()

    def settle(self, quiet=0.5, timeout=10.0):
        """Waits until the screen has not changed for `quiet` seconds; returns its pixels."""
        end = time.monotonic() + timeout
        last = self.screen.pixels()
        since = time.monotonic()
        while time.monotonic() < end:
            time.sleep(0.02)
            now = self.screen.pixels()
            if now != last:
                last, since = now, time.monotonic()
            elif time.monotonic() - since >= quiet:
                break
        return last

    def close(self):
        self.screen.close()
        for process in (self.trayer, self.openbox, self.xvfb):
            process.terminate()
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()


def write_settings(config_home, scopes=()):
    """A later start: the first-run assistant has been seen (it opens once, on
    the first start); `scopes` are the user's own search scopes."""
    folder = os.path.join(config_home, "Vantel")
    os.makedirs(folder, mode=0o700, exist_ok=True)
    settings = {"launchedBefore": True}
    if scopes:
        settings["customSpotlightSearchScope"] = list(scopes)
    with open(os.path.join(folder, "net.tarnwick.vantel.plist"), "wb") as f:
        plistlib.dump(settings, f)


def throwaway_env(home, display):
    env = dict(os.environ, HOME=home, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               DBUS_SESSION_BUS_ADDRESS=f"unix:path={home}/no-bus")
    for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                     ("XDG_STATE_HOME", "state"), ("XDG_RUNTIME_DIR", "runtime"), ("XDG_DATA_DIRS", "system-data"),
                     ("XDG_CONFIG_DIRS", "system-config")):
        path = os.path.join(home, sub)
        os.makedirs(path, mode=0o700, exist_ok=True)
        env[var] = path
    return env


FIRST = ["Text", "Photo", "Music", "Video", "Disk", "System", "Network", "Power", "Font", "Image", "Mail", "Chat",
         "Code", "Map", "Game", "Office", "Print", "Scan", "Web", "Cloud", "Sound", "Clock", "Note", "File"]
SECOND = ["Editor", "Viewer", "Player", "Manager", "Monitor", "Settings", "Terminal", "Browser", "Recorder", "Reader",
          "Writer", "Converter", "Center", "Tool", "Studio", "Launcher", "Client", "Mixer", "Tracker", "Organizer"]


LOCALES = ["ar", "bg", "ca", "cs", "da", "de", "el", "es", "et", "fi", "fr", "he", "hu", "it", "ja", "ko", "lt",
           "nb", "nl", "pl", "pt", "pt_BR", "ro", "ru", "sk", "sl", "sv", "tr", "uk", "zh_CN", "zh_TW"]


def write_applications(folder, count):
    """`count` desktop files as installed applications have them: translated
    names, comments and keywords, an action group."""
    os.makedirs(folder, exist_ok=True)
    for i in range(count):
        name = f"{FIRST[i % len(FIRST)]} {SECOND[(i // len(FIRST)) % len(SECOND)]} {i}"
        lines = ["[Desktop Entry]", "Type=Application", f"Name={name}", "GenericName=Bench application",
                 f"Comment=Opens and edits the files of {name}", "Exec=true %U", "Icon=application-x-executable",
                 "Categories=Utility;", "Keywords=bench;tool;files;", "Terminal=false", "StartupNotify=true",
                 "Actions=new-window;"]
        for locale in LOCALES:
            lines += [f"Name[{locale}]={name} ({locale})", f"GenericName[{locale}]=Bench application ({locale})",
                      f"Comment[{locale}]=Opens and edits the files of {name} ({locale})",
                      f"Keywords[{locale}]=bench;tool;files;{locale};"]
        lines += ["", "[Desktop Action new-window]", "Name=New Window", "Exec=true --new-window"]
        with open(os.path.join(folder, f"app-{i}.desktop"), "w") as f:
            f.write("\n".join(lines) + "\n")


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    raise RuntimeError("no VmRSS")


def cpu_seconds(pid):
    """User and system time of every thread of the process."""
    with open(f"/proc/{pid}/stat") as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def wait_quiet(pid, quiet=2.0, timeout=60.0):
    """Waits until the process used no CPU time for `quiet` seconds."""
    end = time.monotonic() + timeout
    last = cpu_seconds(pid)
    since = time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.1)
        now = cpu_seconds(pid)
        if now != last:
            last, since = now, time.monotonic()
        elif time.monotonic() - since >= quiet:
            return
    raise RuntimeError("the program never went quiet")


def system_calls(pid, seconds):
    """System calls per second of every thread, as strace -f logs them.

    Each call is one line; a call that blocks across the window's edges is
    counted once. (strace -c prints no summary at all when nothing was
    called, so the log is counted instead.)"""
    with tempfile.NamedTemporaryFile(mode="r", suffix=".strace") as out:
        tracer = subprocess.Popen(["strace", "-f", "-qq", "-o", out.name, "-p", str(pid)],
                                  stderr=subprocess.PIPE, text=True)
        time.sleep(seconds)
        tracer.send_signal(signal.SIGINT)
        _, errors = tracer.communicate(timeout=30)
        log = out.read()
    if "Operation not permitted" in errors:
        return None  # not allowed to attach (ptrace)
    calls = [line for line in log.splitlines()
             if re.match(r"^(\d+\s+)?[a-z_0-9]+\(", line) and "resumed>" not in line.split("(", 1)[0]]
    return len(calls) / seconds


class Vantel:
    def __init__(self, binary, desktop, applications, arguments=(), stderr=subprocess.DEVNULL, extra_env=None,
                 scopes=()):
        self.home = tempfile.TemporaryDirectory(prefix="vantel-startup-")
        env = dict(throwaway_env(self.home.name, desktop.display), **(extra_env or {}))
        self.env = env
        write_settings(env["XDG_CONFIG_HOME"], scopes)
        if applications:
            write_applications(os.path.join(env["XDG_DATA_DIRS"], "applications"), applications)
        self.desktop = desktop
        desktop.settle()
        self.before = desktop.screen.pixels(TRAY)
        self.start = time.monotonic()
        self.process = subprocess.Popen([binary, *arguments], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=stderr)

    def wait_painted(self, timeout=30.0):
        """Seconds from exec to the first change of the screen's pixels."""
        end = self.start + timeout
        while time.monotonic() < end:
            if self.desktop.screen.pixels(TRAY) != self.before:
                return time.monotonic() - self.start
            if self.process.poll() is not None:
                raise RuntimeError(f"the program ended before its icon showed (status {self.process.returncode})")
        raise RuntimeError("the tray icon never showed")

    def ask(self, command):
        """Sends one single-instance message; seconds until its answer."""
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as client:
            client.connect(os.path.join(self.env["XDG_RUNTIME_DIR"], "net.tarnwick.vantel.socket"))
            start = time.monotonic()
            client.sendall(json.dumps({"command": command}).encode() + b"\n")
            answer = client.makefile("rb").readline()
        if not answer or json.loads(answer).get("error"):
            raise RuntimeError(f"the program refused {command}: {answer!r}")
        return time.monotonic() - start

    def close(self):
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        # The screen as it was, so the next run starts from the same pixels.
        self.desktop.settle()
        self.home.cleanup()


def measure(binary, applications, runs, idle):
    """Median exec-to-painted over `runs`; in the last run RSS once quiet and, with `idle`, the idle cost."""
    times = []
    result = {}
    for run in range(runs):
        desktop = Desktop()
        vantel = Vantel(binary, desktop, applications)
        try:
            times.append(vantel.wait_painted())
            if run == runs - 1:
                pid = vantel.process.pid
                wait_quiet(pid)
                result["kib"] = rss_kib(pid)
                if idle:
                    before = cpu_seconds(pid)
                    time.sleep(idle)
                    result["cpu_share"] = (cpu_seconds(pid) - before) / idle
                    result["calls_per_s"] = system_calls(pid, idle)
                if vantel.process.poll() is not None:
                    raise RuntimeError(f"the program ended while idle (status {vantel.process.returncode})")
        finally:
            vantel.close()
            desktop.close()
    result["time_s"] = statistics.median(times)
    return result


def hotkey(binary, applications, runs, arguments=()):
    """Median warm switch to the painted main view, and a ping's round trip."""
    desktop = Desktop(HOTKEY_SCREEN)
    vantel = Vantel(binary, desktop, applications, arguments)
    damage = Damage(desktop.display)
    try:
        vantel.wait_painted()
        wait_quiet(vantel.process.pid)
        # Once cold: the view is made; closed again, it is warm.
        vantel.ask("toggle")
        time.sleep(1.0)
        vantel.ask("toggle")
        times, pings = [], []
        for _ in range(runs):
            before = desktop.settle()
            pings.append(vantel.ask("ping"))
            damage.drain()
            start = time.monotonic()
            vantel.ask("toggle")
            times.append(damage.painted_after(start, TRAY))
            if desktop.screen.pixels() == before:
                raise RuntimeError("the main view did not show")
            vantel.ask("toggle")
        return {"time_s": statistics.median(times), "ping_s": statistics.median(pings)}
    finally:
        damage.close()
        vantel.close()
        desktop.close()


def make_scopes(root, count, folders):
    """`count` scopes of `folders` folders each below `root`: the scope, fifty
    folders in it (fewer for a small scope) and the rest spread below those,
    with one application in each scope."""
    wide = min(50, max(1, folders // 20))
    scopes = []
    for s in range(count):
        scope = os.path.join(root, f"scope-{s}")
        os.makedirs(scope)
        for i in range(wide):
            os.mkdir(os.path.join(scope, str(i)))
        for k in range(folders - 1 - wide):
            os.mkdir(os.path.join(scope, str(k % wide), str(k)))
        with open(os.path.join(scope, f"app-{s}.desktop"), "w") as f:
            f.write(f"[Desktop Entry]\nType=Application\nName=Scope {s}\nExec=true\n")
        scopes.append(scope)
    return scopes


def inotify_watches(pid):
    """The inotify watches the process holds, over all its inotify descriptors."""
    watches = 0
    fds = f"/proc/{pid}/fd"
    for fd in os.listdir(fds):
        try:
            if os.readlink(os.path.join(fds, fd)) != "anon_inode:inotify":
                continue
            with open(f"/proc/{pid}/fdinfo/{fd}") as info:
                watches += sum(1 for line in info if line.startswith("inotify wd:"))
        except OSError:
            continue
    return watches


def watch_budget():
    """The program's watch budget: a tenth of the user's limit, at most 20,000."""
    try:
        with open("/proc/sys/fs/inotify/max_user_watches") as f:
            return min(int(f.read(32)) // 10, 20000)
    except (OSError, ValueError):
        return 8192 // 10


def settle(binary, scopes, quiet=2.0):
    """A start over the scopes until the program went quiet: seconds from exec
    to its last use of the processor, its processor time, resident KiB and watches."""
    desktop = Desktop()
    vantel = Vantel(binary, desktop, 0, scopes=scopes)
    try:
        pid = vantel.process.pid
        vantel.wait_painted(timeout=120.0)
        last = cpu_seconds(pid)
        since = time.monotonic()
        end = since + 600.0
        while time.monotonic() - since < quiet:
            if time.monotonic() > end:
                raise RuntimeError("the program never went quiet")
            time.sleep(0.05)
            now = cpu_seconds(pid)
            if now != last:
                last, since = now, time.monotonic()
        if vantel.process.poll() is not None:
            raise RuntimeError(f"the program ended (status {vantel.process.returncode})")
        return {"time_s": since - vantel.start, "cpu_s": last, "kib": rss_kib(pid), "watches": inotify_watches(pid)}
    finally:
        vantel.close()
        desktop.close()


def scopes_rows(binary, count, folders, runs):
    """Many large scopes beside one scope of as many folders: the median of
    `runs` starts of each, and the watches beside a start without scopes of
    the user's (the program's own application folders)."""
    def median_of(scopes):
        results = [settle(binary, scopes) for _ in range(runs)]
        return {key: statistics.median(result[key] for result in results) for key in results[0]}

    with tempfile.TemporaryDirectory(prefix="vantel-scopes-") as root:
        many = make_scopes(os.path.join(root, "many"), count, folders)
        one = make_scopes(os.path.join(root, "one"), 1, folders)
        single = median_of(one)
        several = median_of(many)
    own = settle(binary, [])["watches"]
    budget = watch_budget()

    def text(run):
        return (f"{run['time_s']:.2f} s to quiet, {run['cpu_s']:.2f} s CPU, {mib(run['kib'])}, "
                f"{run['watches']:,.0f} watches")

    ratio = max(several["time_s"] / single["time_s"], several["cpu_s"] / max(single["cpu_s"], 0.01))
    return [{"job": f"{count:,} scopes of {folders:,} folders: start until quiet", "size": count * folders,
             "value": text(several), "baseline": f"{text(single)} (one scope of {folders:,} folders)",
             "ratio": f"{ratio:.2f}x",
             "target": f"≤ 3x the one scope's time and CPU, ≤ {budget:,} watches beside the program's own {own}",
             "met": ratio <= 3.0 and several["watches"] <= budget + own}]


def heap_in_use(pid, log):
    """Bytes of heap in use (every arena and the mapped chunks), as glibc's
    malloc_stats tells them on the program's standard error (`log`), called
    through gdb. Unlike the resident size, this does not move with the
    allocator's free pages, which settle over the first thousand shows.
    None when gdb can't attach (ptrace)."""
    done = subprocess.run(["gdb", "-nx", "-batch", "-p", str(pid), "-ex", "call (void) malloc_stats()"],
                          env=dict(os.environ, DEBUGINFOD_URLS=""), capture_output=True, text=True, timeout=120)
    with open(log) as f:
        text = f.read()
    total = text.rfind("Total (incl. mmap):")
    found = re.search(r"in use bytes\s*=\s*(\d+)", text[total:]) if total >= 0 else None
    if done.returncode != 0 or not found:
        return None
    return int(found.group(1))


def growth(binary, applications, cycles, arguments=()):
    """Heap in use and resident memory grown over `cycles` warm show-and-hide
    cycles, in bytes (heap None where gdb can't attach)."""
    desktop = Desktop(HOTKEY_SCREEN)
    with tempfile.NamedTemporaryFile(mode="w+", suffix=".stderr") as log:
        # Without glibc's per-thread cache, whose freed blocks count as in use.
        vantel = Vantel(binary, desktop, applications, arguments, stderr=log,
                        extra_env={"GLIBC_TUNABLES": "glibc.malloc.tcache_count=0"})
        try:
            vantel.wait_painted()
            wait_quiet(vantel.process.pid)
            # The first shows fill what is kept for good (fonts, icons, layouts).
            for _ in range(min(200, cycles)):
                vantel.ask("toggle")
                vantel.ask("toggle")
            # Each message's connection keeps a timer for 5 s: let them go.
            time.sleep(6)
            wait_quiet(vantel.process.pid)
            heap = heap_in_use(vantel.process.pid, log.name)
            resident = rss_kib(vantel.process.pid)
            for _ in range(cycles):
                vantel.ask("toggle")
                vantel.ask("toggle")
            time.sleep(6)
            wait_quiet(vantel.process.pid)
            if vantel.process.poll() is not None:
                raise RuntimeError(f"the program ended while shown and hidden (status {vantel.process.returncode})")
            resident = (rss_kib(vantel.process.pid) - resident) * 1024
            after = heap_in_use(vantel.process.pid, log.name) if heap is not None else None
            return {"heap": after - heap if after is not None else None, "resident": resident}
        finally:
            vantel.close()
            desktop.close()


def per_cycle(grown, cycles):
    """Heap and resident growth per cycle."""
    heap = f"{grown['heap'] / cycles:.1f} bytes of heap" if grown["heap"] is not None else "heap unknown (gdb could not attach)"
    return f"{heap} and {grown['resident'] / cycles:.0f} resident bytes per cycle"


def mib(kib):
    return f"{kib / 1024:.1f} MiB"


def ms(seconds, digits=0):
    return f"{seconds * 1000:.{digits}f} ms"


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("binary")
    parser.add_argument("--floor", help="the trivial tray program (bench/floor), measured as the floor")
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--idle", type=float, default=60.0, help="seconds of each idle measurement")
    parser.add_argument("--applications", type=int, default=5000)
    parser.add_argument("--cycles", type=int, default=1000, help="show and hide cycles of the memory growth")
    small = os.environ.get("BENCH_SMALL") == "1"
    parser.add_argument("--scopes", type=int, default=20 if small else 200, help="search scopes of the scopes row")
    parser.add_argument("--scope-folders", type=int, default=200 if small else 5000, help="folders in each scope")
    parser.add_argument("--only-scopes", action="store_true", help="measure the scopes row alone")
    args = parser.parse_args()
    for tool in ("Xvfb", "openbox", "trayer", "strace", "gdb"):
        if not shutil.which(tool):
            sys.exit(f"{tool} is not installed (make deps)")

    scopes = scopes_rows(args.binary, args.scopes, args.scope_folders, args.runs)
    if args.only_scopes:
        json.dump({"rows": scopes, "applications": f"{args.applications:,}"}, sys.stdout, indent=1)
        print()
        return
    floor = measure(args.floor, 0, args.runs, 0) if args.floor else None
    floor_switch = hotkey(args.floor, 0, args.runs, ["--window"]) if args.floor else None
    switch = hotkey(args.binary, args.applications, args.runs)
    floor_growth = growth(args.floor, 0, args.cycles, ["--window"]) if args.floor else None
    grown = growth(args.binary, args.applications, args.cycles)
    empty = measure(args.binary, 0, args.runs, 0)
    full = measure(args.binary, args.applications, args.runs, args.idle)
    n = args.applications
    size = f"{n:,}"
    floor_text = f"{ms(floor['time_s'])} (a trivial Qt tray program)" if floor else "—"
    rows = [
        {"job": "exec to tray icon painted, a later start", "size": 0, "value": ms(empty["time_s"]),
         "baseline": floor_text},
        {"job": "exec to tray icon painted, a later start", "size": n, "value": ms(full["time_s"]),
         "baseline": floor_text, "target": "< 100 ms", "met": full["time_s"] < 0.1},
        {"job": "warm hotkey to main view painted", "size": n, "value": ms(switch["time_s"], 1),
         "baseline": f"{ms(floor_switch['time_s'], 1)} (a plain Qt window with a text field shown the same way)"
         if floor_switch else f"{ms(switch['ping_s'], 1)} (a ping over the same socket)", "target": "< 16 ms",
         "met": switch["time_s"] < 0.016},
        {"job": f"memory grown over {args.cycles:,} warm shows and hides of the main view", "size": n,
         "value": per_cycle(grown, args.cycles),
         "baseline": f"{per_cycle(floor_growth, args.cycles)} (the plain Qt window shown the same way)"
         if floor_growth is not None else "—", "target": "< 16 bytes of heap and resident per cycle",
         "met": grown["heap"] is not None and grown["heap"] / args.cycles < 16
         and grown["resident"] / args.cycles < 16},
        {"job": "RSS once quiet", "size": n, "value": mib(full["kib"]),
         "baseline": f"{mib(empty['kib'])} (no applications)", "target": "< 50 MiB",
         "met": full["kib"] < 50 * 1024},
        {"job": f"idle CPU over {args.idle:g} s", "size": n, "value": f"{full['cpu_share'] * 100:.3f} % of a core",
         "target": "< 0.1 %", "met": full["cpu_share"] < 0.001},
        {"job": f"idle system calls over {args.idle:g} s (strace -f)", "size": n,
         "value": f"{full['calls_per_s']:.1f} per s" if full["calls_per_s"] is not None
         else "strace could not attach", "target": "< 20 per s",
         "met": full["calls_per_s"] is not None and full["calls_per_s"] < 20},
    ] + scopes
    json.dump({"rows": rows, "applications": size}, sys.stdout, indent=1)
    print()


if __name__ == "__main__":
    main()
