#!/usr/bin/python3
"""Desktop matrix: starts each desktop session headless, runs "quotix --demo"
in it, uses the tray item as that desktop's user would, judges what the
screenshots show, writes the results as JSON and docs/desktops.md from them.
Not part of CI: it installs several desktops' worth of Debian packages.

  scripts/desktops.py [options] [QUOTIX_BINARY]
    --list         name the sessions and exit
    --only NAME    run one session (repeatable)
    --keep-going   go on after a session that could not start
    --publish      also copy small crops of the key screenshots to docs/images/
    --out DIR      screenshots, logs and results.json (default build/desktops)
    --limit SECS   time limit of one session (default 600)
    --no-install   do not call apt-get
    --render       only write docs/desktops.md (and docs/desktops.json) from
                   DIR/results.json, else from docs/desktops.json
The binary is QUOTIX_BINARY, else $QUOTIX_BIN, else an executable named
quotix found under build/. scripts/desktops.sh starts each desktop; this
program then drives it (--drive SESSION, inside that session).
"""
import argparse
import collections
import colorsys
import datetime
import json
import os
import re
import signal
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent

# Titles name the desktop as installed where the matrix runs (desktop_version).
SESSIONS = {
    "xfce": ("{desktop} panel, X11", ["xfce (xcb)"]),
    "kde-x11": ("KDE {desktop}, X11", ["kde-x11 (xcb)"]),
    "kde-wayland": ("KDE {desktop}, Wayland (nested kwin_wayland)",
                    ["kde-wayland (xcb)", "kde-wayland (wayland)"]),
    "gnome-x11": ("{desktop} + AppIndicator, X11", ["gnome-x11 (xcb)"]),
    "gnome-x11-plain": ("{desktop} without AppIndicator, X11", ["gnome-x11-plain (xcb)"]),
    "gnome-wayland": ("{desktop} + AppIndicator, Wayland headless",
                      ["gnome-wayland (xcb)", "gnome-wayland (wayland)"]),
    "sway": ("{desktop} + waybar, Wayland nested on Xvfb", ["sway (xcb)", "sway (wayland)"]),
}
# The package whose version names the desktop, and the desktop's short name.
DESKTOP_PACKAGE = {"XFCE": ("xfce4-panel", "XFCE"), "KDE": ("plasma-workspace", "Plasma"),
                   "GNOME": ("gnome-shell", "GNOME Shell"), "SWAY": ("sway", "sway")}
PACKAGE_LIST = {"xfce": "XFCE", "kde-x11": "KDE", "kde-wayland": "KDE", "gnome-x11": "GNOME",
                "gnome-x11-plain": "GNOME", "gnome-wayland": "GNOME", "sway": "SWAY"}
CHECKS = {
    "item": "Item shown", "shot": "Screenshot", "contrast": "Icon 3:1", "open": "Click opens panel",
    "onscreen": "Panel on screen", "placed": "Panel at item", "outside": "Click outside closes",
    "escape": "Escape closes", "layout": "Menu layout", "fresh": "Menu fresh 10/10", "refresh": "Menu Refresh",
    "alert": "Alert shown", "quit": "Menu Quit ends it", "notice": "No-tray notice",
    "menufirst": "Menu opens panel before a click",
}
NA = "N.A."


def log(text):
    print(f"[desktops {time.strftime('%H:%M:%S')}] {text}", file=sys.stderr, flush=True)


def wait_for(seconds, test, step=0.25):
    end = time.monotonic() + seconds
    while True:
        try:
            if test():
                return True
        except Exception:  # a probe that fails is a "not yet"
            pass
        if time.monotonic() >= end:
            return False
        time.sleep(step)


def run(*args, env=None, timeout=30):
    """Standard output of a command, or None when it failed."""
    try:
        done = subprocess.run(args, capture_output=True, text=True, env=env, timeout=timeout)
    except (OSError, subprocess.TimeoutExpired):
        return None
    return done.stdout if done.returncode == 0 else None


# ---------------------------------------------------------------------------
# Judging pictures: pure functions of the screenshots.

def luminance(rgb):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = rgb[:3]
    return 0.2126 * channel(r) + 0.7152 * channel(g) + 0.0722 * channel(b)


def contrast(a, b):
    la, lb = luminance(a), luminance(b)
    return (max(la, lb) + 0.05) / (min(la, lb) + 0.05)


def hexrgb(rgb):
    return "#%02x%02x%02x" % tuple(rgb[:3])


def saturation(rgb):
    return colorsys.rgb_to_hsv(*(v / 255 for v in rgb[:3]))[1]


def diff_runs(before, after, y0, y1):
    """Boxes (x, y, w, h) of what differs between two screenshots within the
    band y0..y1, one per run of changed columns (a gap of 4 splits them), left
    to right. A new tray item is one of them; hosts add it at the left of
    their tray, but a notification's own indicator may appear too."""
    from PIL import ImageChops
    band = (0, y0, before.width, y1)
    mask = ImageChops.difference(before.convert("RGB").crop(band), after.convert("RGB").crop(band)).convert("L")
    mask = mask.point(lambda v: 255 if v > 8 else 0)
    box = mask.getbbox()
    if not box:
        return []
    columns = [x for x in range(box[0], box[2]) if mask.crop((x, 0, x + 1, mask.height)).getbbox()]
    runs, first, last = [], columns[0], columns[0]
    for x in columns[1:] + [None]:
        if x is not None and x - last < 4:
            last = x
            continue
        inner = mask.crop((first, 0, last + 1, mask.height)).getbbox()
        runs.append((first + inner[0], y0 + inner[1], inner[2] - inner[0], inner[3] - inner[1]))
        if x is not None:
            first = last = x
    return runs


def diff_box(before, after, y0, y1, leftmost=True):
    """The box of what differs within the band y0..y1: all of it, or with
    leftmost only the first run of changed columns."""
    runs = diff_runs(before, after, y0, y1)
    if not runs or leftmost:
        return runs[0] if runs else None
    x0, y0_ = min(r[0] for r in runs), min(r[1] for r in runs)
    x1, y1_ = max(r[0] + r[2] for r in runs), max(r[1] + r[3] for r in runs)
    return (x0, y0_, x1 - x0, y1_ - y0_)


def icon_contrast(image, box, bar):
    """WCAG contrast of the icon's marks as the screenshot shows them: the
    letters (the strongest grey in each half's upper part; Claude left, Codex
    right) and the band fills (the commonest saturated colour in its lower
    part) against what they sit on (the icon's commonest colour: its plate,
    or the panel where there is none), and each against the panel's own
    colour (the item box's corner: waybar's tray box, else the bar). Returns
    (worst ratio against what the marks sit on, text)."""
    x, y, w, h = box
    crop = image.convert("RGB").crop((x, y, x + w, y + h))
    pixels = {(i, j): crop.getpixel((i, j)) for i in range(w) for j in range(h)}
    # The icon: what differs from the tray box's corner colour (waybar pads
    # its icon), as a square from its left (a label may follow it).
    corner = pixels[(0, 0)]
    ground = lambda c: any(max(abs(u - v) for u, v in zip(c, g)) < 6 for g in (corner, bar))
    marked = [p for p, c in pixels.items() if not ground(c)]
    if not marked:
        return 0.0, "nothing drawn"
    left, top = min(i for i, _ in marked), min(j for _, j in marked)
    size = max(j for _, j in marked) - top + 1
    pixels = {(i - left, j - top): c for (i, j), c in pixels.items()
              if left <= i < left + size and top <= j < top + size}
    behind = collections.Counter(pixels.values()).most_common(1)[0][0]
    # A tray box of its own colour (waybar's) is the panel the icon sits in.
    panel = corner if corner != behind and contrast(corner, bar) > 1.2 else bar
    worst, parts, on_panel = 99.0, [], []
    for name, x0, x1 in (("Claude", 0, size // 2), ("Codex", size // 2, size)):
        def found(keep, rows):
            return collections.Counter(c for (i, j), c in pixels.items()
                                       if x0 <= i < x1 and rows(j) and c not in (behind, bar) and keep(c))
        letters = found(lambda c: saturation(c) < 0.2, lambda j: j < size * 2 // 5)
        fills = found(lambda c: saturation(c) > 0.3, lambda j: j >= size // 3)
        for what, seen in (("letter", letters), ("fill", fills)):
            if not seen:
                continue
            colour = seen.most_common(1)[0][0]
            if what == "letter":
                # A letter scaled by the host is a core among blended edges:
                # its strongest colour seen twice or more.
                colour = max((c for c, n in seen.items() if n >= 2), key=lambda c: contrast(c, behind),
                             default=colour)
            ratio = contrast(colour, behind)
            worst = min(worst, ratio)
            parts.append(f"{name} {what} {hexrgb(colour)} {ratio:.2f}:1")
            on_panel.append(f"{name} {what} {contrast(colour, panel):.2f}:1")
    if len(parts) < 4:
        worst = 0.0  # a mark not found is a mark not seen
    return worst, (f"marks on {hexrgb(behind)} (its plate or the panel): " + ", ".join(parts)
                   + f"; against the panel's own {hexrgb(panel)}: " + ", ".join(on_panel)
                   + f"; plate against panel {contrast(behind, panel):.2f}:1")


PERCENT = re.compile(r"(\d{1,3}) ?% ?(left)?")


def menu_figures(text):
    """The figures a menu's text shows, as ("34%", "66% left") strings."""
    return {m[1] + "%" + (" left" if m[2] else "") for m in PERCENT.finditer(text)}


def judge_menu(drawn, labels):
    """Whether the drawn menu (its OCR text) shows what the layout's labels
    say: None when it does, else what is stale. Figures the OCR misses are
    forgiven; a figure drawn that the layout lacks, or none of its figures,
    is stale."""
    want = set().union(set(), *(menu_figures(label) for label in labels))
    seen = menu_figures(drawn)
    if "Loading" in drawn and not any("Loading" in label for label in labels):
        return "drawn 'Loading' while the layout has figures"
    if want and not seen & want:
        return f"drawn figures {sorted(seen)} while the layout has {sorted(want)}"
    if seen - want:
        return f"drawn figures {sorted(seen - want)} the layout lacks (it has {sorted(want)})"
    return None


def entry(entries, prefix):
    """The id of the menu entry whose label starts so ("Refresh" is
    "Refreshing…" while a refresh runs)."""
    return next(ident for label, ident in entries.items() if label.startswith(prefix[:7]))


# ---------------------------------------------------------------------------
# Results: one JSON file per session, rewritten after every record, so what a
# session found survives the time limit.

class Results:
    def __init__(self, path):
        self.path = path
        self.rows = {}
        self.row = None

    def start(self, row):
        self.row = row
        self.rows.setdefault(row, {"checks": {}, "notes": []})
        self.save()

    def record(self, check, value):
        self.rows[self.row]["checks"][check] = value
        log(f"{self.row}: {check} = {value}")
        self.save()

    def result(self, check):
        return self.rows[self.row]["checks"].get(check)

    def note(self, text):
        text = " ".join(str(text).replace("|", "/").split())
        self.rows[self.row]["notes"].append(text)
        log(f"{self.row}: {text}")
        self.save()

    def save(self):
        self.path.write_text(json.dumps({"rows": self.rows}, indent=1, ensure_ascii=False))


# ---------------------------------------------------------------------------
# The driver: runs inside one desktop session (see scripts/desktops.sh).

class Driver:
    SCREEN = (int(os.environ.get("SCREEN_W", 1280)), int(os.environ.get("SCREEN_H", 800)))
    NEAR = 48  # the panel must start within this many pixels of the item (or its bar)

    def __init__(self, session):
        import dbus
        self.dbus = dbus
        self.session = session
        self.out = Path(os.environ["SESSION_OUT"])
        self.tmp = Path(os.environ["T"])
        self.binary = os.environ["QUOTIX_BIN"]
        self.results = Results(self.out / "result.json")
        self.bus = dbus.bus.BusConnection(os.environ["DBUS_SESSION_BUS_ADDRESS"])
        self.quotix = None
        self.platform = "xcb"
        self.slug = ""
        # What the hosts call on the item and its menu, to report how each host talks.
        self.monitor_log = self.tmp / "monitor.log"
        self.monitor = subprocess.Popen(
            ["dbus-monitor", "--session", "type='method_call',interface='org.kde.StatusNotifierItem'",
             "type='method_call',interface='com.canonical.dbusmenu'"],
            stdout=open(self.monitor_log, "w"), stderr=subprocess.DEVNULL)
        self.notify_log = self.tmp / "notify.log"
        self.notify_monitor = subprocess.Popen(
            ["dbus-monitor", "--session",
             "type='method_call',interface='org.freedesktop.Notifications',member='Notify'"],
            stdout=open(self.notify_log, "w"), stderr=subprocess.DEVNULL)
        self.x = os.environ.get("XVFB_DISPLAY") or os.environ.get("DISPLAY")
        self.rounds = 0

    # -- D-Bus ---------------------------------------------------------------
    def get(self, dest, path, interface, name):
        obj = self.bus.get_object(dest, path, introspect=False)
        return obj.Get(interface, name, dbus_interface="org.freedesktop.DBus.Properties", timeout=5)

    def watcher(self, name):
        return self.get("org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                        name)

    def item_registered(self):
        return any(f"StatusNotifierItem-{self.quotix.pid}-" in s for s in self.watcher("RegisteredStatusNotifierItems"))

    @property
    def item_service(self):
        return f"org.kde.StatusNotifierItem-{self.quotix.pid}-1"

    def menu(self):
        path = self.get(self.item_service, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Menu")
        return self.bus.get_object(self.item_service, path, introspect=False)

    def layout(self):
        """The menu's entries as {label: id}, read as a host reads them."""
        _, (_, _, children) = self.menu().GetLayout(0, -1, self.dbus.Array([], signature="s"),
                                                    dbus_interface="com.canonical.dbusmenu", timeout=5)
        return {str(props.get("label", "")): int(ident) for ident, props, _ in children}

    def menu_click(self, method, ident):
        menu, iface = self.menu(), "com.canonical.dbusmenu"
        try:
            if method == "Event":
                menu.Event(ident, "clicked", self.dbus.Int32(0, variant_level=1), self.dbus.UInt32(0),
                           dbus_interface=iface, timeout=5)
            else:
                menu.EventGroup([(ident, "clicked", self.dbus.Int32(0, variant_level=1), self.dbus.UInt32(0))],
                                signature="a(isvu)", dbus_interface=iface, timeout=5)
            return "ok"
        except self.dbus.DBusException as error:
            return error.get_dbus_name() or str(error)[:120]

    def activate(self, x, y):
        item = self.bus.get_object(self.item_service, "/StatusNotifierItem", introspect=False)
        try:
            item.Activate(x, y, dbus_interface="org.kde.StatusNotifierItem", timeout=5)
        except self.dbus.DBusException:
            pass

    def monitor_mark(self):
        return len(self.monitor_log.read_text(errors="replace").splitlines())

    def host_calls_since(self, mark):
        calls, call = [], None
        wanted = re.compile(r"member=(Activate|SecondaryActivate|ContextMenu|Event|EventGroup|AboutToShow|"
                            r"AboutToShowGroup|ProvideXdgActivationToken)\b")
        for line in self.monitor_log.read_text(errors="replace").splitlines()[mark:]:
            if line.startswith("method call"):
                if call:
                    calls.append(call)
                found = wanted.search(line)
                call = found[1] if found else None
            elif call == "ProvideXdgActivationToken":
                continue  # the token itself stays out of the notes
            elif call and re.search(r'int32|string "|uint32', line):
                call += " " + line.strip()
        if call:
            calls.append(call)
        return "; ".join(calls[:12]) or "none"

    # -- quotix ----------------------------------------------------------------
    def start_quotix(self, platform, display=None):
        self.platform = platform
        home = self.tmp / f"quotix-home-{platform}"
        for sub in (".config", ".local/share", ".cache"):
            (home / sub).mkdir(parents=True, exist_ok=True)
        # The judges read a Claude half and a Codex half of the icon: the
        # demo's other providers stay out of the title, as a user may choose.
        settings = home / ".config/Quotix/Quotix.conf"
        settings.parent.mkdir(parents=True, exist_ok=True)
        settings.write_text("[General]\ntitleLeftOut=copilot, gemini\n")
        env = dict(os.environ, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
                   XDG_DATA_HOME=str(home / ".local/share"), XDG_CACHE_HOME=str(home / ".cache"),
                   QT_QPA_PLATFORM=platform)
        if display:
            env["DISPLAY"] = display
        self.quotix_log = self.out / f"{self.slug}-quotix.log"
        self.notes_mark = len(self.notifications())
        self.quotix = subprocess.Popen([self.binary, "--demo"], env=env, stdout=open(self.quotix_log, "w"),
                                       stderr=subprocess.STDOUT)

    def stop_quotix(self):
        if self.quotix and self.quotix.poll() is None:
            self.quotix.terminate()
            try:
                self.quotix.wait(5)
            except subprocess.TimeoutExpired:
                self.quotix.kill()
                self.quotix.wait()

    def quotix_ended(self):
        return self.quotix.poll() is not None

    def requests_during(self, seconds, action):
        """A refresh shows as requests to the demo service: count the "GET "
        the process writes (8 bytes of each write, so no header is seen)."""
        trace = self.tmp / "strace.txt"
        strace = subprocess.Popen(["strace", "-f", "-qq", "-p", str(self.quotix.pid), "-e",
                                   "trace=write,writev,sendto,sendmsg", "-s", "8", "-o", str(trace)],
                                  stderr=subprocess.DEVNULL)
        time.sleep(1)
        said = action()
        time.sleep(seconds)
        strace.terminate()
        strace.wait()
        text = trace.read_text(errors="replace") if trace.exists() else ""
        return text.count('"GET '), said

    # -- screenshots -----------------------------------------------------------
    def grab(self):
        from PIL import ImageGrab
        return ImageGrab.grab(xdisplay=self.x)

    def shot(self, name):
        try:
            image = self.grab()
        except Exception:
            return None
        if image is None:
            return None
        image.save(self.out / f"{self.slug}-{name}.png")
        return image

    def save_crop(self, name, box):
        x, y, w, h = box
        x0, y0 = max(0, x), max(0, y)
        x1, y1 = min(self.SCREEN[0], x + w), min(self.SCREEN[1], y + h)
        (self.out / f"{self.slug}-{name}.crop").write_text(f"{x0} {y0} {x1} {y1}")

    def xdotool(self, *args, display=None):
        return run("xdotool", *map(str, args), env=dict(os.environ, DISPLAY=display or self.x))

    def x_click(self, x, y, button=1, times=1):
        args = ["mousemove", x, y, "click"]
        if times > 1:
            args += ["--repeat", times, "--delay", 120]
        self.xdotool(*args, button)
        return True

    def x_key(self, key):
        self.xdotool("key", key)

    def x_window(self, display):
        """Geometry of the first viewable wide window of quotix on an X
        display: (x, y, w, h, kind)."""
        env = dict(os.environ, DISPLAY=display)
        ids = (run("xdotool", "search", "--all", "--pid", str(self.quotix.pid), env=env) or "").split()
        for ident in ids:
            info = run("xwininfo", "-id", ident, env=env) or ""
            if "IsViewable" not in info:
                continue
            field = lambda name: int(re.search(name + r":\s+(-?\d+)", info)[1])
            x, y, w, h = (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                          field("Height"))
            if w < 200:  # only the panel is that wide; an XEmbed icon is not
                continue
            types = run("xprop", "-id", ident, "_NET_WM_WINDOW_TYPE", env=env) or ""
            # The titled window is of the normal type; the anchored ones are a
            # popup menu or a utility window first.
            return x, y, w, h, "normal" if "= _NET_WM_WINDOW_TYPE_NORMAL" in types else "frameless"
        return None

    # -- judging ---------------------------------------------------------------
    def wait_for_figures(self):
        """Until the first refresh has answered (the menu holds figures), and
        the host has had a moment to draw them."""
        wait_for(30, lambda: any("%" in label for label in self.layout()))
        time.sleep(2)

    def judge_item_shot(self, before, after, bar):
        """Whether the screenshots before and after the start show the item;
        records shot and contrast, returns the item's box or None."""
        r = self.results
        runs = diff_runs(before, after, *bar) if before and after else []
        # The item is the first new thing with both letters and both fills.
        judged = []
        for x, y, w, h in runs:
            panel = after.convert("RGB").getpixel((max(0, x - 3), y + h // 2))
            judged.append(((x, y, w, h), panel, *icon_contrast(after, (x, y, w, h), panel)))
        found = next((j for j in judged if j[2] > 0), judged[0] if judged else None)
        box = found[0] if found else None
        if box:
            r.record("shot", "PASS")
            box, panel, worst, text = found
            x, y, w, h = box
            r.note(f"icon drawn at {w}x{h}+{x}+{y}; panel colour beside it {hexrgb(panel)}")
            r.record("contrast", "PASS" if worst >= 3.0 else "FAIL")
            r.note(f"contrast measured on the screenshot: {text}")
        else:
            r.record("shot", "FAIL" if after else NA)
            r.record("contrast", NA)
            r.note("screenshot shows no new item in the bar" if after else "no screenshot possible")
        return box

    def check_geometry(self, geometry, box, bar):
        r = self.results
        x, y, w, h = geometry[:4]
        sw, sh = self.SCREEN
        r.record("onscreen", "PASS" if x >= 0 and y >= 0 and x + w <= sw and y + h <= sh else "FAIL")
        r.note(f"panel at {w}x{h}+{x}+{y} on a {sw}x{sh} screen")
        near = (min(x, box[0]) - 16, min(y, bar[0]), max(x + w, box[0] + box[2]) + 16, max(y + h, bar[1])) \
            if box else (x - 16, y, x + w + 16, y + h)
        self.save_crop("panel", (near[0], near[1], near[2] - near[0], near[3] - near[1]))
        if not box:
            r.record("placed", NA)
            r.note("item's position unknown, placement not judged")
            return
        cx = box[0] + box[2] // 2
        # Just below a top bar or just above a bottom one, reaching across the item.
        gap = y - bar[1] if bar[0] < sh // 2 else bar[0] - (y + h)
        if -2 <= gap <= self.NEAR and x - self.NEAR <= cx <= x + w + self.NEAR:
            r.record("placed", "PASS")
        elif geometry[4] == "normal":
            # No Wayland client may place a window of its own: there the honest
            # panel is a normal window that the compositor places.
            r.record("placed", "PASS (normal window)")
            r.note(f"panel is {gap}px from the bar ({bar[0]}..{bar[1]}), item centre x={cx}")
        else:
            r.record("placed", "FAIL")
            r.note(f"panel is {gap}px from the bar ({bar[0]}..{bar[1]}), item centre x={cx}")

    def ocr(self, image, box):
        from PIL import Image
        x, y, w, h = box
        crop = image.convert("L").crop((x, y, x + w, y + h))
        crop = crop.resize((w * 3, h * 3), Image.LANCZOS)
        # Light letters on a dark menu read better inverted.
        if sum(crop.getdata()) / (crop.width * crop.height) < 110:
            crop = crop.point(lambda v: 255 - v)
        path = self.tmp / "ocr.png"
        crop.save(path)
        return run("tesseract", str(path), "-", timeout=60) or ""

    def check_menu_openings(self, open_menu, close_menu, dismiss, method, count=10):
        """The host's own menu, opened `count` times, each right after the
        figures changed (Show Remaining turned on or off, a refresh): what it
        draws must be what the layout says at that moment. A menu that did
        not close on Escape is dismissed with a click elsewhere, or the next
        click on the item would only close it."""
        r = self.results
        stale, judged = [], 0
        for i in range(count):
            try:
                entries = self.layout()
            except Exception as error:
                r.note(f"menu opening {i + 1}: no layout ({error})")
                break
            change = "Show Remaining" if i % 2 == 0 else "Refresh"
            self.menu_click(method, entry(entries, change))
            time.sleep((0.1, 0.4, 1.0)[i % 3])
            before = self.grab()
            open_menu()
            time.sleep(1.5)
            after = self.shot("menu" if i == 0 else "menu-again")
            labels = list(self.layout())
            box = diff_box(before, after, 0, self.SCREEN[1], leftmost=False) if after else None
            close_menu()
            if box and not wait_for(2, lambda: not diff_box(before, self.grab(), box[1], box[1] + box[3])):
                dismiss()
                time.sleep(0.6)
            drawn = self.ocr(after, box) if box and box[2] >= 60 and box[3] >= 40 else ""
            (self.out / f"{self.slug}-menu-{i + 1}.txt").write_text(drawn + "\n--- the layout said:\n"
                                                                   + "\n".join(labels) + "\n")
            # Its own entries tell a drawn menu from anything else that changed.
            if "Quit" not in drawn and "Show" not in drawn:
                r.note(f"menu opening {i + 1}: no menu drawn")
                continue
            if judged == 0:
                self.save_crop("menu", box)
            judged += 1
            fault = judge_menu(drawn, [l for l in labels if "%" in l or "Loading" in l])
            if fault:
                stale.append(f"opening {i + 1} after {change}: {fault}")
        for text in stale:
            r.note(f"stale menu: {text}")
        r.note(f"host's menu opened {count} times right after a change: {judged} drawn and read, "
               f"{len(stale)} stale")
        if judged == 0:
            r.record("fresh", NA)
        else:
            r.record("fresh", "PASS" if not stale and judged == count else f"FAIL ({count - len(stale)} of {count})"
                     if stale else f"FAIL ({judged} of {count} drawn)")
        # Show Remaining back off: the later checks read plain figures.
        try:
            entries = self.layout()
            if any("left" in l for l in entries):
                self.menu_click(method, entry(entries, "Show Remaining"))
        except Exception:
            pass

    def check_refresh(self, method):
        """The layout, and Refresh with the host's own method, which crosses
        the demo's 80 % threshold: the alert must show."""
        r = self.results
        try:
            entries = self.layout()
            entry(entries, "Refresh"), entry(entries, "Quit")
            r.record("layout", "PASS")
        except Exception as error:
            r.record("layout", "FAIL")
            r.note(f"GetLayout: {str(error)[:200]}")
            return False
        figures = set().union(*map(menu_figures, entries))
        count, said = self.requests_during(3, lambda: self.menu_click(method, entry(entries, "Refresh")))
        # Where strace may not trace (another user's session), the demo's
        # second answer shows in the figures instead.
        changed = wait_for(3, lambda: set().union(*map(menu_figures, self.layout())) != figures)
        if count > 0 or changed:
            r.record("refresh", "PASS")
            r.note(f"Refresh: {count} request(s) to the demo service seen" + (", and the menu's figures changed"
                                                                              if changed else ""))
        else:
            r.record("refresh", "FAIL")
            r.note(f"{method} on Refresh: no request to the demo service; the call said: {said}")
        # The demo's second answer crosses 80 %: one alert in the whole round.
        alerts = [n for n in self.notifications()[self.notes_mark:] if "Usage is at" in n]
        time.sleep(0.5)
        self.shot("alert")
        # Sent is not shown: a session without a notification server drops it.
        server = self.notification_server()
        r.record("alert", "PASS" if len(alerts) == 1 and server != "not found" else "FAIL")
        r.note(f"alerts in this round: {len(alerts)}" + (f"; it says: {alerts[0][:200]}" if alerts else "")
               + f"; the notification server is {server}")
        return True

    def notification_server(self):
        """The program that owns the notification service, by name."""
        try:
            bus = self.bus.get_object("org.freedesktop.DBus", "/org/freedesktop/DBus", introspect=False)
            pid = bus.GetConnectionUnixProcessID("org.freedesktop.Notifications", dbus_interface="org.freedesktop.DBus")
            return Path(f"/proc/{pid}/comm").read_text().strip()
        except Exception:
            return "not found"

    def check_quit(self, method):
        r = self.results
        said = self.menu_click(method, entry(self.layout(), "Quit"))
        if wait_for(5, self.quotix_ended):
            r.record("quit", "PASS")
        else:
            r.record("quit", "FAIL")
            r.note(f"{method} on Quit: the process kept running; the call said: {said}")

    def notifications(self):
        """Summary and body of each Notify call the session's bus carried."""
        time.sleep(0.5)
        calls = self.notify_log.read_text(errors="replace").split("method call")[1:]
        # Only calls to the well-known name: GNOME Shell 48 passes each one on
        # to its own notification daemon by unique name.
        return [" ".join(re.findall(r'string "([^"]*)"', call)[2:4]) for call in calls
                if "destination=org.freedesktop.Notifications " in call.split("\n", 1)[0]]

    # -- rounds ----------------------------------------------------------------
    def start_round(self, platform, display, bar):
        """Starts Quotix and waits for its item and figures: False when no item
        registered, else the item's box as judged on the screenshot (None when
        the screenshot did not show it)."""
        r = self.results
        before = self.shot("before")
        self.start_quotix(platform, display)
        if not wait_for(25, self.item_registered):
            r.record("item", "FAIL")
            r.note(f"no StatusNotifierItem registered; quotix said: {self.quotix_log.read_text()[-300:]}")
            return False
        r.record("item", "PASS")
        self.wait_for_figures()
        self.idle = self.shot("tray")  # nothing of ours open: what a panel no host lists is found against
        return self.judge_item_shot(before, self.idle, bar)

    def x11_round(self, bar, method, open_times=1, menu_button=3):
        """The item on an X11 desktop: drawn by the host, clicked with xdotool
        as a person would."""
        r = self.results
        box = self.start_round("xcb", self.x, bar)
        if not box:
            return self.stop_quotix()
        cx, cy = box[0] + box[2] // 2, box[1] + box[3] // 2
        geometry = lambda: self.x_window(self.x)
        mark = self.monitor_mark()
        self.x_click(cx, cy, times=open_times)
        r.record("open", "PASS" if wait_for(4, geometry) else "FAIL")
        r.note(f"host's calls on a left click: {self.host_calls_since(mark)}")
        found = geometry()
        if found:
            time.sleep(1)  # a compositing host draws the new window a frame later
            self.shot("panel")
            self.check_geometry(found, box, bar)
            self.x_click(100 if found[0] > self.SCREEN[0] // 2 else self.SCREEN[0] - 100, self.SCREEN[1] // 2)
            gone = lambda: not geometry()
            r.record("outside", "PASS" if wait_for(3, gone) else "FAIL")
            if not gone():
                self.x_key("Escape")
                wait_for(3, gone)
            time.sleep(0.5)  # past the guard against reopening at once
            self.x_click(cx, cy, times=open_times)
            if wait_for(4, geometry):
                time.sleep(0.3)
                self.x_key("Escape")
                r.record("escape", "PASS" if wait_for(3, gone) else "FAIL")
            else:
                r.record("escape", NA)
                r.note("the panel did not open a second time")
        else:
            for check in ("onscreen", "placed", "outside", "escape"):
                r.record(check, NA)
        if self.check_refresh(method):
            mark = self.monitor_mark()
            self.check_menu_openings(lambda: self.x_click(cx, cy, button=menu_button), lambda: self.x_key("Escape"),
                                     lambda: self.x_click(self.SCREEN[0] // 2, self.SCREEN[1] // 2 + 100), method)
            r.note(f"host's calls on opening its menu: {self.host_calls_since(mark)[:300]}")
            self.check_quit(method)
        self.stop_quotix()

    def check_menu_first(self, method, geometry, box, bar, host):
        """"Show Usage…" from the host's menu before any click on the item:
        with no click to anchor to, the panel must still sit at the edge and
        end where the desktop keeps its tray (Plasma: bottom right)."""
        r, (sw, sh) = self.results, self.SCREEN
        r.note("menu's Show Usage before any click: " + self.menu_click(method, entry(self.layout(), "Show Usage")))
        if not wait_for(4, geometry):
            return r.record("menufirst", "FAIL")
        time.sleep(1)
        self.shot("menu-first")
        x, y, w, h, kind = found = geometry()
        gap = y - bar[1] if bar[0] < sh // 2 else bar[0] - (y + h)
        at_tray = x + w >= sw - self.NEAR or (box and x <= box[0] + box[2] // 2 <= x + w)
        r.note(f"opened from the menu first: panel at {w}x{h}+{x}+{y}, a window of kind {kind}, "
               f"{gap}px from the bar ({bar[0]}..{bar[1]})")
        on_screen = x >= 0 and y >= 0 and x + w <= sw and y + h <= sh
        if kind == "normal":
            # Without layer-shell (a Qt 6.4 build) the compositor places it, as after a click.
            r.record("menufirst", "PASS (normal window)" if on_screen else "FAIL")
        else:
            r.record("menufirst", "PASS" if -2 <= gap <= self.NEAR and at_tray and on_screen else "FAIL")
        host.key("Escape")
        if not wait_for(3, lambda: not geometry()):
            r.note("Escape did not close the panel opened from the menu; the menu entry again")
            self.menu_click(method, entry(self.layout(), "Show Usage"))
            wait_for(3, lambda: not geometry())
        time.sleep(0.5)  # past the guard against reopening at once
        return found

    def wayland_round(self, platform, bar, method, activate_at, host, menu_first=False):
        """The item on a Wayland desktop: X clients seen through XWayland,
        native ones through the compositor (`host` knows how)."""
        r = self.results
        if self.rounds:
            time.sleep(4)  # a host may still draw the last round's item
        self.rounds += 1
        box = self.start_round(platform, host.xwayland, bar)
        if box is False:
            return self.stop_quotix()
        geometry = lambda: self.x_window(host.xwayland) if platform == "xcb" else host.window(self.quotix.pid)
        gone = lambda: not geometry()
        if menu_first:
            self.check_menu_first(method, geometry, box, bar, host)
        mark = self.monitor_mark()
        opened_by = "a pointer click on the item"
        if not (box and host.open_item(box) and
                wait_for(3, lambda: "Activate" in self.host_calls_since(mark))):
            self.activate(*activate_at)
            opened_by = f"D-Bus Activate{activate_at} as the host sends it"
        r.record("open", "PASS" if wait_for(4, geometry) else "FAIL")
        r.note(f"opened with {opened_by}; host's calls: {self.host_calls_since(mark)}")
        unanswered = set(re.findall(r"Could not find slot \S+::(\w+)", self.quotix_log.read_text(errors="replace")))
        if unanswered:
            r.note("Qt found no slot for the host's " + ", ".join(sorted(unanswered)))
        found = geometry()
        if not found:
            self.shot("after-click")  # a panel the host does not list may still be drawn
        if found:
            r.note(f"Qt on {platform}: the panel is a window of type {found[4]}"
                   + (f"; the shell takes its name and icon from {host.app_of(self.quotix.pid)}"
                      if platform == "wayland" and hasattr(host, "app_of") else ""))
            time.sleep(1)
            self.shot("panel")
            self.check_geometry(found, box, bar)
            if platform == "wayland" and hasattr(host, "maximise_button"):
                # Qt's own title bar there draws a maximise button whatever
                # the window asks for: a fixed size must keep it from working.
                host.click(*host.maximise_button(found))
                time.sleep(1.5)
                after = geometry()
                r.note(f"its title bar's maximise button clicked: the panel is now "
                       + (f"{after[2]}x{after[3]}" if after else "gone")
                       + (" (unchanged)" if after and after[2:4] == found[2:4] else ""))
                self.shot("maximised")
            if host.click(100 if found[0] > self.SCREEN[0] // 2 else self.SCREEN[0] - 100, self.SCREEN[1] - 100):
                if wait_for(3, gone):
                    r.record("outside", "PASS")
                elif host.click_other_window():
                    # Some shells keep the focus on a click on the bare
                    # desktop; a click on another program's window is the
                    # click outside their users make.
                    r.record("outside", "PASS (click on a window)" if wait_for(3, gone) else "FAIL")
                else:
                    r.record("outside", "FAIL")
            else:
                r.record("outside", NA)
                r.note("no pointer to click outside with")
            # Whether Escape reaches a fresh panel can depend on when the
            # compositor hands it the focus: try twice.
            opened = closed = 0
            for attempt in (1, 2):
                if not gone():
                    host.key("Escape")
                    if not wait_for(2, gone):
                        self.activate(*activate_at)
                        wait_for(3, gone)
                time.sleep(0.5)
                self.activate(*activate_at)
                if not wait_for(4, geometry):
                    continue
                opened += 1
                time.sleep(1)  # a person takes this long at least
                host.key("Escape")
                if wait_for(3, gone):
                    closed += 1
                else:
                    r.note(f"Escape {attempt} missed; the focus was on: {host.focus_owner()}")
            r.record("escape", NA if not opened else "PASS" if closed == opened else
                     "FAIL" if not closed else f"FAIL ({closed} of {opened})")
            if not gone():
                self.activate(*activate_at)  # closed for the menu checks
        else:
            for check in ("onscreen", "placed", "outside", "escape"):
                r.record(check, NA)
        if not self.check_refresh(method):
            return self.stop_quotix()
        if box:
            mark = self.monitor_mark()
            cx, cy = box[0] + box[2] // 2, box[1] + box[3] // 2
            self.check_menu_openings(lambda: host.open_menu(cx, cy), lambda: host.key("Escape"),
                                     lambda: host.click(self.SCREEN[0] // 2, self.SCREEN[1] // 2 + 100), method)
            r.note(f"host's calls on opening its menu: {self.host_calls_since(mark)[:300]}")
        else:
            r.record("fresh", NA)
        self.check_quit(method)
        self.stop_quotix()

    def start_row(self, row):
        self.results.start(row)
        self.slug = re.sub(r"[^a-z0-9]+", "-", row).strip("-")


# -- How each Wayland host is seen and clicked --------------------------------

class XvfbHands:
    """A compositor nested on Xvfb takes Xvfb's pointer and keys as its own:
    xdotool there is a real user's hand."""

    def __init__(self, driver):
        self.d = driver
        self.xwayland = os.environ.get("XWAYLAND_DISPLAY")

    def click(self, x, y):
        return self.d.x_click(x, y)

    def open_item(self, box):
        return self.d.x_click(box[0] + box[2] // 2, box[1] + box[3] // 2)

    def open_menu(self, x, y):
        self.d.x_click(x, y, button=3)

    def key(self, name):
        self.d.x_key(name)

    def click_other_window(self):
        return False

    def focus_owner(self):
        return "unknown"


class KWinHost(XvfbHands):
    probes = 0

    def windows(self):
        """KWin lists its windows to a script; print() lands in its log."""
        KWinHost.probes += 1
        name = f"quotixprobe{KWinHost.probes}"
        script = self.d.tmp / "probe.js"
        script.write_text("""
const clients = workspace.windowList ? workspace.windowList() : workspace.clientList();
for (let i = 0; i < clients.length; ++i) {
    const c = clients[i];
    const kind = c.dock ? "dock" : c.normalWindow ? (c.moveable ? "normal" : "anchored")
        : c.popupWindow ? "popup" : "other";
    print("QUOTIXWIN " + c.pid + " " + Math.round(c.x) + " " + Math.round(c.y) + " " + Math.round(c.width) + " "
        + Math.round(c.height) + " " + kind + " " + c.desktopFileName);
}
print("QUOTIXEND");
""")
        kwin_log = self.d.tmp / "kwin.log"
        mark = len(kwin_log.read_text(errors="replace").splitlines())
        scripting = self.d.bus.get_object("org.kde.KWin", "/Scripting", introspect=False)
        scripting.loadScript(str(script), name, dbus_interface="org.kde.kwin.Scripting")
        scripting.start(dbus_interface="org.kde.kwin.Scripting")
        lines = []
        for _ in range(12):
            lines = kwin_log.read_text(errors="replace").splitlines()[mark:]
            if any("QUOTIXEND" in line for line in lines):
                break
            time.sleep(0.25)
        scripting.unloadScript(name, dbus_interface="org.kde.kwin.Scripting")
        rows = [line.split("QUOTIXWIN ", 1)[1].split() for line in lines if "QUOTIXWIN " in line]
        return [(int(p), int(x), int(y), int(w), int(h), kind, rest) for p, x, y, w, h, kind, *rest in rows]

    def app_of(self, pid):
        return ", ".join(f"the desktop entry '{rest[0]}.desktop'" if rest else "no desktop entry"
                         for p, *_, rest in self.windows() if p == pid) or "no window"

    def window(self, pid):
        for p, x, y, w, h, kind, _ in self.windows():
            if p == pid and w >= 200:
                return x, y, w, h, kind
        return None

    def bar(self):
        docks = [y for _, _, y, _, _, kind, _ in self.windows() if kind == "dock" and y > 400]
        return docks[0] if docks else self.d.SCREEN[1] - 44


class SwayHost(XvfbHands):
    BAR = (0, 26)  # waybar, as the launcher configures it

    def tree(self):
        return json.loads(run("swaymsg", "-t", "get_tree") or "{}")

    def nodes(self):
        def walk(node):
            yield node
            for child in node.get("nodes", []) + node.get("floating_nodes", []):
                yield from walk(child)
        return walk(self.tree())

    def window(self, pid):
        for node in self.nodes():
            if node.get("pid") == pid and node.get("visible"):
                rect = node["rect"]
                return rect["x"], rect["y"], rect["width"], rect["height"], "normal"
        # sway's tree lists no layer surfaces: a native panel is found on the screen.
        return self.layer_panel() if self.d.platform == "wayland" else None

    def layer_panel(self):
        """What is drawn below the bar now that was not while nothing of
        ours was open, when it is panel-sized: (x, y, w, h, "anchored")."""
        idle = getattr(self.d, "idle", None)
        now = self.d.grab() if idle else None
        box = diff_box(idle, now, self.BAR[1], self.d.SCREEN[1], leftmost=False) if now else None
        if not box or box[2] < 200 or box[3] < 100:
            return None
        return (*box, "anchored")

    def focus_owner(self):
        return ", ".join(f"{n.get('name')} ({n.get('shell')})" for n in self.nodes() if n.get("focused")) or "nothing"


class GnomeHost:
    """GNOME on Wayland, headless: our probe extension's unsafe mode opens the
    shell's Eval, which drives Clutter's virtual input devices (the shell
    treats them as a real mouse and keyboard) and takes screenshots."""
    INPUT = """const Clutter = imports.gi.Clutter, GLib = imports.gi.GLib;
const seat = Clutter.get_default_backend().get_default_seat();
global._quotixPointer = global._quotixPointer || seat.create_virtual_device(Clutter.InputDeviceType.POINTER_DEVICE);
global._quotixKeys = global._quotixKeys || seat.create_virtual_device(Clutter.InputDeviceType.KEYBOARD_DEVICE);
const now = () => GLib.get_monotonic_time();
function click(x, y, times) {
    global._quotixPointer.notify_absolute_motion(now(), x, y);
    for (let i = 0; i < times; ++i) {
        global._quotixPointer.notify_button(now(), Clutter.BUTTON_PRIMARY, Clutter.ButtonState.PRESSED);
        global._quotixPointer.notify_button(now(), Clutter.BUTTON_PRIMARY, Clutter.ButtonState.RELEASED);
    }
}
function key(keyval) {
    global._quotixKeys.notify_keyval(now(), keyval, Clutter.KeyState.PRESSED);
    global._quotixKeys.notify_keyval(now(), keyval, Clutter.KeyState.RELEASED);
}
"""

    def __init__(self, driver):
        self.d = driver
        self.xwayland = None

    def eval(self, script):
        shell = self.d.bus.get_object("org.gnome.Shell", "/org/gnome/Shell", introspect=False)
        ok, value = shell.Eval(script, dbus_interface="org.gnome.Shell", timeout=10)
        if not ok:
            raise RuntimeError(str(value))
        return json.loads(str(value)) if value else None

    def ready(self):
        wait_for(20, lambda: self.eval("true"))
        # mutter sets XWayland's display and cookie file in its own environment.
        wait_for(20, lambda: "/" in (self.eval("imports.gi.GLib.getenv('XAUTHORITY')") or ""))
        self.xwayland = self.eval("imports.gi.GLib.getenv('DISPLAY')")
        os.environ["XAUTHORITY"] = self.eval("imports.gi.GLib.getenv('XAUTHORITY')") or ""
        return self.xwayland is not None

    def grab(self):
        from PIL import Image
        path = self.d.tmp / "shot.png"
        shooter = self.d.bus.get_object("org.gnome.Shell.Screenshot", "/org/gnome/Shell/Screenshot",
                                        introspect=False)
        shooter.Screenshot(False, False, str(path), dbus_interface="org.gnome.Shell.Screenshot", timeout=10)
        image = Image.open(path)
        image.load()
        return image

    def click(self, x, y, times=1):
        self.eval(f"{self.INPUT} click({x}, {y}, {times}); true")
        return True

    def open_item(self, box):
        # A double click activates; a single one opens the menu.
        return self.click(box[0] + box[2] // 2, box[1] + box[3] // 2, 2)

    def open_menu(self, x, y):
        self.click(x, y)

    def key(self, name):
        self.eval(f"{self.INPUT} key(Clutter.KEY_{name}); true")

    def window(self, pid):
        found = self.eval(
            f"global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == {pid} && "
            "w.showing_on_its_workspace()).map(w => { const r = w.get_frame_rect(); return [r.x, r.y, r.width, "
            "r.height, w.get_window_type() == 0 ? 'normal' : 'type' + w.get_window_type()]; })") or []
        for x, y, w, h, kind, *_ in found:
            if w >= 200:
                return x, y, w, h, kind
        return None

    def app_of(self, pid):
        """The name the shell gives the window's app (its top bar shows it)."""
        return self.eval(
            "const Shell = imports.gi.Shell; const t = Shell.WindowTracker.get_default(); "
            f"global.get_window_actors().map(a => a.meta_window).filter(w => w.get_pid() == {pid})"
            ".map(w => { const a = t.get_window_app(w); return a ? `the app '${a.get_name()}' (${a.get_id()})` : "
            "'no app'; }).join(', ')")

    def maximise_button(self, window):
        """Where Qt's own decoration (bradient) draws the maximise button."""
        x, y, w = window[:3]
        return x + w - 40, y + 15

    def click_other_window(self):
        """Another program's window, clicked as a user turns to it: xmessage
        through XWayland."""
        env = dict(os.environ, DISPLAY=self.xwayland)
        other = subprocess.Popen(["xmessage", "-geometry", "320x120+120+560", "another program"], env=env,
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            if not wait_for(5, lambda: run("xdotool", "search", "--class", "Xmessage", env=env)):
                return False
            time.sleep(1)
            centre = self.eval("global.get_window_actors().map(a => a.meta_window).filter(w => w.get_wm_class() == "
                               "'Xmessage').map(w => { const r = w.get_frame_rect(); "
                               "return [r.x + r.width / 2, r.y + r.height / 2]; })")
            if not centre:
                return False
            self.click(int(centre[0][0]), int(centre[0][1]))
            time.sleep(1)
            return True
        finally:
            other.kill()

    def focus_owner(self):
        return self.eval("global.display.focus_window ? global.display.focus_window.get_title() : 'no window'")


# -- Sessions -------------------------------------------------------------------

def drive_xfce(d):
    d.start_row("xfce (xcb)")
    d.x11_round((0, 26), "EventGroup")


def drawn_top(image, y0, y1, reach=24):
    """The row within y0..y1 where a bottom panel is drawn: its window may
    start higher (Plasma 6 floats its panel inside a taller window), so the
    sharpest change between two rows near the window's top, across the
    screen, is where the panel's own edge is."""
    from PIL import ImageChops, ImageStat
    if image is None:
        return y0
    rgb = image.convert("L")
    row = lambda y: rgb.crop((100, y, rgb.width - 100, y + 1))
    edges = {y: ImageStat.Stat(ImageChops.difference(row(y - 1), row(y))).mean[0]
             for y in range(max(1, y0), min(y1, y0 + reach))}
    return max(edges, key=edges.get) if edges else y0


def bar_of_plasma(d, window_top):
    top = drawn_top(d.shot("bar"), window_top, d.SCREEN[1])
    d.results.note(f"Plasma's panel is drawn from y={top} (its window starts at y={window_top})")
    return top, d.SCREEN[1]


def plasma_bar_top(d):
    """The top edge of Plasma's bottom panel, from its X11 window."""
    env = dict(os.environ, DISPLAY=d.x)
    for ident in (run("xdotool", "search", "--class", "plasmashell", env=env) or "").split():
        info = run("xwininfo", "-id", ident, env=env) or ""
        if "IsViewable" not in info:
            continue
        y = int(re.search(r"Absolute upper-left Y:\s+(-?\d+)", info)[1])
        h = int(re.search(r"Height:\s+(\d+)", info)[1])
        if h < 100 and y + h >= d.SCREEN[1] - 2:
            return y
    return d.SCREEN[1] - 44


def drive_kde_x11(d):
    d.start_row("kde-x11 (xcb)")
    d.x11_round(bar_of_plasma(d, plasma_bar_top(d)), "Event")


def drive_gnome_x11(d):
    d.start_row("gnome-x11 (xcb)")
    d.x_key("Escape")  # the shell starts in the overview; a user closes it first
    time.sleep(1)
    # The extension opens the menu on a click and activates on a double click.
    d.x11_round((0, 32), "Event", open_times=2, menu_button=1)


def extension(enabled):
    run("gsettings", "set", "org.gnome.shell", "enabled-extensions",
        "['ubuntu-appindicators@ubuntu.com']" if enabled else "[]")


def drive_gnome_x11_plain(d):
    """No tray at all: quotix must say what to enable, keep running, and show
    its item once the user enables the extension, also when turned off and
    on again while it runs (judged by the item drawn, not by the watcher's
    list: the extension has listed items it then dropped)."""
    r = d.results
    d.start_row("gnome-x11-plain (xcb)")
    d.x_key("Escape")
    for check in CHECKS:
        r.record(check, NA)
    started = time.monotonic()
    d.start_quotix("xcb", d.x)
    time.sleep(14)  # past its 10 s wait for a tray
    d.shot("tray")
    if d.quotix_ended():
        r.record("item", "FAIL")
        return r.note(f"no tray: quotix ended after {time.monotonic() - started:.0f}s")
    r.note(f"no tray: quotix still runs after {time.monotonic() - started:.0f}s")
    # The demo's own alerts may come too; the notice is the one about the tray.
    sent = [n for n in d.notifications()[d.notes_mark:] if "AppIndicator" in n or "no tray" in n]
    r.record("notice", "PASS" if len(sent) == 1 else "FAIL")
    r.note(f"notices about the missing tray: {len(sent)}" + (f"; it says: {sent[0][:200]}" if sent else ""))
    r.record("shot", "PASS")
    extension(True)
    service = d.item_service
    if not wait_for(40, lambda: service in d.watcher("RegisteredStatusNotifierItems")):
        r.record("item", "FAIL")
        return r.note("the item did not appear after the extension was enabled")
    r.note(f"the item appeared {time.monotonic() - started:.0f}s after the start, once the extension was enabled")
    time.sleep(3)
    d.shot("tray-later")
    hide = d.SCREEN[0] // 2 + 120  # the clock in the middle is left out

    def right_part(image):
        from PIL import ImageDraw
        image = image.convert("RGB")
        ImageDraw.Draw(image).rectangle((0, 0, hide, 32), fill="black")
        return image

    cycles, drawn = 10, 0
    for _ in range(cycles):
        extension(False)
        wait_for(10, lambda: not d.bus.name_has_owner("org.kde.StatusNotifierWatcher"))
        time.sleep(1)
        off = right_part(d.shot("late-off"))
        extension(True)
        if wait_for(15, lambda: diff_box(off, right_part(d.shot("late-on")), 0, 32), step=0.5):
            drawn += 1
    shell_log = (d.tmp / "gnome-shell.log").read_text(errors="replace") if (d.tmp / "gnome-shell.log").exists() else ""
    r.note(f"extension turned off and on {cycles} times while quotix ran: the item was drawn {drawn} times; "
           f"the shell logged 'Argument two may not be null' {shell_log.count('Argument two may not be null')} times")
    r.record("item", "PASS" if drawn == cycles else f"FAIL ({drawn} of {cycles})")
    d.stop_quotix()


def drive_gnome_wayland(d):
    host = GnomeHost(d)
    d.grab = host.grab
    d.start_row("gnome-wayland (xcb)")
    if not host.ready():
        d.results.record("item", "FAIL")
        return d.results.note("the shell's Eval stayed closed or no XWayland display was found")
    time.sleep(3)
    host.key("Escape")  # out of the overview the shell starts in
    time.sleep(1)
    # GNOME passes global coordinates.
    d.wayland_round("xcb", (0, 32), "Event", (d.SCREEN[0] - 200, 16), host)
    d.start_row("gnome-wayland (wayland)")
    d.wayland_round("wayland", (0, 32), "Event", (d.SCREEN[0] - 200, 16), host)


def drive_kde_wayland(d):
    host = KWinHost(d)
    d.start_row("kde-wayland (xcb)")
    bar = bar_of_plasma(d, host.bar())
    # Plasma passes where the pointer is, in global coordinates.
    at = (d.SCREEN[0] - 200, d.SCREEN[1] - 20)
    d.wayland_round("xcb", bar, "Event", at, host)
    d.start_row("kde-wayland (wayland)")
    d.wayland_round("wayland", bar, "Event", at, host, menu_first=True)


def drive_sway(d):
    host = SwayHost(d)
    # waybar 0.9 passes coordinates relative to the item, such as (10, 17); 0.12 global ones.
    d.start_row("sway (xcb)")
    d.wayland_round("xcb", host.BAR, "EventGroup", (10, 17), host)
    d.start_row("sway (wayland)")
    d.wayland_round("wayland", host.BAR, "EventGroup", (10, 17), host)


DRIVERS = {"xfce": drive_xfce, "kde-x11": drive_kde_x11, "kde-wayland": drive_kde_wayland,
           "gnome-x11": drive_gnome_x11, "gnome-x11-plain": drive_gnome_x11_plain,
           "gnome-wayland": drive_gnome_wayland, "sway": drive_sway}


def drive(session):
    d = Driver(session)
    try:
        DRIVERS[session](d)
    finally:
        d.stop_quotix()
        d.monitor.terminate()


# ---------------------------------------------------------------------------
# The parent: installs, runs each session under a time limit, renders.

def os_release(path=Path("/etc/os-release")):
    """(key, title) of the system the matrix runs on: ("trixie", "Debian 13 (trixie)")."""
    fields = {}
    for line in path.read_text().splitlines() if path.exists() else []:
        key, _, value = line.partition("=")
        fields[key] = value.strip().strip('"')
    key = fields.get("VERSION_CODENAME") or fields.get("ID", "unknown")
    return key, f"{fields.get('NAME', 'Linux').split()[0]} {fields.get('VERSION_ID', '')} ({key})"


def desktop_version(session):
    """The desktop as installed here, e.g. "Plasma 6.3.6", or None."""
    package, name = DESKTOP_PACKAGE[PACKAGE_LIST[session]]
    version = run("dpkg-query", "-W", "-f=${Version}", package)
    if not version:
        return None
    # "4:6.3.6-1" is Plasma 6.3.6: no epoch, no Debian revision.
    return f"{name} {re.sub(r'-[^-]*$', '', version.split(':')[-1])}"


def by_release(results):
    """Results keyed by release. The first runs kept sessions at the top:
    they were Debian 12's."""
    if results and "releases" not in results:
        results = {"releases": {"bookworm": {"title": "Debian 12 (bookworm)", "sessions": results}}}
    return results or {"releases": {}}


def render(release):
    """One release's table and notes, from its merged results."""
    sessions = release["sessions"]
    rows = [(row, data, sessions[session].get("desktop")) for session in SESSIONS
            for row, data in sessions.get(session, {}).get("rows", {}).items()]
    lines = ["| Desktop (Qt platform) | " + " | ".join(CHECKS.values()) + " |",
             "|---|" + "---|" * len(CHECKS)]
    for row, data, desktop in rows:
        start = data["checks"].get("start")
        label = f"{row}, {desktop}" if desktop else row
        lines.append(f"| {label} | " + " | ".join(start or data["checks"].get(c, NA) for c in CHECKS) + " |")
    notes = []
    for row, data, _ in rows:
        notes.append(f"- **{row}**")
        notes += [f"  - {text}" for text in data["notes"]]
    return "\n".join(lines), "\n".join(notes)


def write_doc(results):
    doc = ROOT / "docs/desktops.md"
    old = doc.read_text() if doc.exists() else ""
    text = ("# Quotix on Linux desktops\n\nMade by `scripts/desktops.py` with `quotix --demo`, one table for each "
            "Debian release it ran on;\neach desktop ran headless on a private session bus. PASS and FAIL are what "
            "the script saw; N.A. means\nthe check cannot be made there. The tables and notes are rendered from "
            "the runs' results,\n`docs/desktops.json`.\n")
    tables = []
    releases = sorted(results["releases"].items(), key=lambda kv: kv[1]["title"])
    for key, release in releases:
        table, notes = render(release)
        tables.append(table)
        dated = f", run on {release['date']}" if release.get("date") else ""
        text += f"\n## {release['title']}{dated}\n\n{table}\n\n### Notes from this run\n\n{notes}\n"
    # The hand-written part stays.
    if "\n## Hosts" in old:
        text += "\n" + old[old.index("\n## Hosts") + 1:]
    doc.write_text(text)
    (ROOT / "docs/desktops.json").write_text(json.dumps(results, indent=1, ensure_ascii=False) + "\n")
    return "\n\n".join(tables)


def install(session):
    lists = '"${QUOTIX_DESKTOP_PACKAGES[@]}" "${QUOTIX_DESKTOP_%s_PACKAGES[@]}"' % PACKAGE_LIST[session]
    return subprocess.run(["bash", "-c", f'source "{ROOT}/scripts/common.sh"; quotix_install_packages {lists}']
                          ).returncode == 0


def run_session(session, out, binary, limit):
    """One session in a process group of its own; what it recorded."""
    session_out = out / session
    subprocess.run(["rm", "-rf", str(session_out)])
    session_out.mkdir(parents=True)
    env = dict(os.environ, SESSION_OUT=str(session_out), QUOTIX_BIN=binary)
    launch_log = open(session_out / "launch.log", "w")
    child = subprocess.Popen(["bash", str(ROOT / "scripts/desktops.sh"), session], env=env, start_new_session=True,
                             stdout=launch_log, stderr=subprocess.PIPE, text=True)
    timed_out = False
    try:
        _, errors = child.communicate(timeout=limit)
    except subprocess.TimeoutExpired:
        timed_out = True
        os.killpg(child.pid, signal.SIGTERM)
        time.sleep(3)  # the launcher's own clean-up copies the logs and removes its folder
        errors = ""
    try:
        os.killpg(child.pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    child.wait()
    (session_out / "launch-errors.log").write_text(errors or "")
    try:
        result = json.loads((session_out / "result.json").read_text())
    except (OSError, ValueError):
        result = {"rows": {}}
    rows = result["rows"]
    if not any(data["checks"] for data in rows.values()):
        reason = errors.strip().splitlines()[-1] if errors.strip() else "the session recorded nothing"
        result["rows"] = rows = {row: {"checks": {"start": "could not start here"}, "notes": [reason]}
                                 for row in SESSIONS[session][1]}
    if timed_out:
        for data in rows.values():
            data["notes"].append(f"stopped at the time limit of {limit}s")
    return result


def find_quotix(given):
    for candidate in (given, os.environ.get("QUOTIX_BIN")):
        if candidate and os.access(candidate, os.X_OK):
            return os.path.realpath(candidate)
    found = sorted((len(str(p)), str(p)) for p in (ROOT / "build").rglob("quotix") if p.is_file()
                   and os.access(p, os.X_OK))
    return found[0][1] if found else None


def main():
    parser = argparse.ArgumentParser(usage=__doc__, add_help=False)
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--keep-going", action="store_true")
    parser.add_argument("--publish", action="store_true")
    parser.add_argument("--out", type=Path, default=ROOT / "build/desktops")
    parser.add_argument("--limit", type=int, default=600)
    parser.add_argument("--no-install", action="store_true")
    parser.add_argument("--render", action="store_true")
    parser.add_argument("--drive")
    parser.add_argument("-h", "--help", action="store_true")
    parser.add_argument("binary", nargs="?")
    args = parser.parse_args()
    if args.help:
        print(__doc__)
        return 0
    if args.drive:
        drive(args.drive)
        return 0
    if args.list:
        for name, (title, _) in SESSIONS.items():
            print(f"{name:16} {title.format(desktop=desktop_version(name) or '(not installed)')}")
        return 0
    for name in args.only:
        if name not in SESSIONS:
            print(f"desktops.py: no session named {name} (see --list)", file=sys.stderr)
            return 2
    out = args.out.resolve()
    out.mkdir(parents=True, exist_ok=True)
    results_file = out / "results.json"
    # Sessions not run this time stay from earlier runs into the same folder.
    published = ROOT / "docs/desktops.json"
    results = by_release(json.loads((results_file if results_file.exists() else published).read_text())
                         if results_file.exists() or published.exists() else {})
    if args.render:
        print(write_doc(results))
        return 0
    key, title = os_release()
    release = results["releases"].setdefault(key, {"title": title, "sessions": {}})
    release["date"] = str(datetime.date.today())
    binary = find_quotix(args.binary)
    if not binary:
        print("desktops.py: no quotix binary; build it, or pass its path (or set QUOTIX_BIN)", file=sys.stderr)
        return 2
    log(f"quotix: {binary}; screenshots and logs in {out}")
    failed = 0
    sessions = release["sessions"]
    for session in args.only or SESSIONS:
        if not args.no_install and not install(session):
            sessions[session] = {"rows": {row: {"checks": {"start": "could not start here"},
                                                "notes": ["its packages did not install"]}
                                          for row in SESSIONS[session][1]}}
        else:
            desktop = desktop_version(session)
            log(f"session {session} ({SESSIONS[session][0].format(desktop=desktop or '?')}) on {title}, "
                f"at most {args.limit}s")
            sessions[session] = dict(run_session(session, out, binary, args.limit), desktop=desktop)
        results_file.write_text(json.dumps(results, indent=1, ensure_ascii=False))
        if any("start" in data["checks"] for data in sessions[session]["rows"].values()):
            failed = 1
            if not args.keep_going:
                break
    print(write_doc(results))
    if args.publish:
        publish(out)
    return failed


def publish(out):
    """Small crops of the panel and menu screenshots for docs/images/."""
    from PIL import Image
    images = ROOT / "docs/images"
    for crop in sorted(out.glob("*/*.crop")):
        shot = crop.with_suffix(".png")
        if not shot.exists():
            continue
        box = tuple(int(v) for v in crop.read_text().split())
        name = "desktop-" + shot.stem.replace("-panel", "") + ".png"
        Image.open(shot).crop(box).convert("RGB").quantize(96).save(images / name, optimize=True)


if __name__ == "__main__":
    sys.exit(main())
