"""The countdown window of the Windows build, started under Wine and read by the driver.

    python3 -m tests.e2e.form1_test CHECK --state DIR --loader WINE --exe Nodrell.exe
        --driver DRIVER.exe [--prefix default|winxp] [--dpi N]

CHECK is one of: window, controls, start-time, selection, version, look.
Each run starts the program once, reads its window and closes it again; look starts it twice
and looks at the screen. With --dpi the prefix's programs see a screen of N dots per inch
(Wine's LogPixels) while the check runs, and the prefix goes back to 96 after it.

look: the controls lie where the layout table puts them at the screen's dots per inch, the
pictures fill their grown places, the clock labels keep their sunken edges where the
labels without background lie over them, and nothing covers ":h", ":m" or ":s": what the
caption draws right of the hours field, seen with the fields hidden, shows the same with
them, and it ends inside its picture box.
"""

import datetime
import json
import re
import shutil
import subprocess
import sys
import time

from tests.e2e import wineprefix
from tests.e2e.harness import WS_CAPTION, WS_MAXIMIZEBOX, WS_MINIMIZEBOX, WS_THICKFRAME, Failures
from tests.e2e.layout import CAPTION, CAPTION_PREFIX, FORM1, pixels

# What the version line reads with each prefix's Windows version.
VERSION_LINES = {
    "default": "Shutdown v1.3.0 - Windows version 6.1  Windows XP",
    "winxp": "Shutdown v1.3.0 - Windows version 5.1  Windows XP",
}

# Window styles (winuser.h), besides those the About window's checks read too.
WS_SYSMENU = 0x00080000
WS_EX_TOOLWINDOW = 0x00000080
ES_CENTER = 0x0001

TIME_TEXT = re.compile(r"^([01]\d|2[0-3]):([0-5]\d):([0-5]\d)$")


class Seen:
    """The window as the driver's dump showed it, its rows found."""

    def __init__(self, records, output):
        self.output = output
        self.winver = next((r for r in records if r["type"] == "winver"), None)
        self.window = next((r for r in records if r["type"] == "window"), None)
        self.children = [r for r in records if r["type"] == "child"]
        self.stop = next((r for r in records if r["type"] == "stop"), None)
        self.errors = [r["message"] for r in records if r["type"] == "error"]
        self.found = {}
        self.missing = {}
        if self.window:
            self.dpi = self.window["dpi"]
            self.found, self.missing = FORM1.match(self.window, self.children)

    def usable(self):
        if self.window is None:
            print("FAIL: the driver saw no window:")
            print(self.output)
            return False
        return True

    def expected(self, row):
        return tuple(pixels(v, self.dpi) for v in row.box)

    def control(self, failures, name):
        child = self.found.get(name)
        failures.check(child is not None, f"{name} exists" + (
            f" ({self.missing[name]})" if child is None else ""))
        return child

    def print_dump(self):
        print("--- the window as the driver saw it")
        print(json.dumps(self.window))
        for child in self.children:
            print(json.dumps(child))
        if self.stop:
            print(json.dumps(self.stop))
        for error in self.errors:
            print("driver error:", error)


class Run(Seen):
    """One start of the program: the window as the driver saw it."""

    def __init__(self, wine, prefix, exe, driver):
        self.before = datetime.datetime.now()
        self.code, records, output = wine.driver(
            prefix,
            driver,
            [
                ["winver"],
                ["start", wineprefix.windows_path(exe)],
                ["wait-window", CAPTION_PREFIX, "15000"],
                ["dump", CAPTION_PREFIX],
                ["stop", "5000"],
            ],
            timeout=25,
        )
        self.after = datetime.datetime.now()
        print(f"the driver ran {(self.after - self.before).total_seconds():.2f} s")
        if self.code is None:
            print("FAIL: the driver did not finish in time")
            wine.kill_server(prefix)
        super().__init__(records, output)


def check_window(run, failures):
    w = run.window
    failures.check(w["caption"] == CAPTION, f"caption is {w['caption']!r}")
    failures.check(w["dpi"] == 96, f"the screen has 96 dots per inch (got {w['dpi']})")
    want = tuple(pixels(v, run.dpi) for v in FORM1.client)
    failures.check(tuple(w["client"]) == want,
                   f"client area {w['client'][0]} x {w['client'][1]}, expected {want[0]} x {want[1]}")
    style = w["style"]
    failures.check(style & WS_CAPTION == WS_CAPTION, "has a title bar")
    failures.check(bool(style & WS_SYSMENU), "has a system menu")
    failures.check(bool(style & WS_MINIMIZEBOX), "has a minimise box")
    failures.check(not style & WS_MAXIMIZEBOX, "has no maximise box")
    failures.check(not style & WS_THICKFRAME, "is not resizable (no sizing border)")
    failures.check(not w["exstyle"] & WS_EX_TOOLWINDOW and w["owner"] == 0,
                   "is an unowned application window (it gets a taskbar button)")
    failures.check(w["enabled"], "is enabled")
    stop = run.stop
    failures.check(stop is not None and stop["ended"],
                   "closing the window ends the program"
                   + (f" (exit code {stop['exitCode']})" if stop and stop["ended"] else ""))


def check_controls(run, failures):
    for row in FORM1.rows:
        child = run.control(failures, row.name)
        if child is None:
            continue
        box = run.expected(row)
        got = tuple(child["parentRect"])
        if row.auto_size:
            failures.check(got[:2] == box[:2] and got[2] > 0 and got[3] > 0,
                           f"{row.name} at {got[:2]}, sized to its caption {got[2:]}")
        else:
            failures.check(got == box, f"{row.name} at {got}, expected {box}")
        if row.kind == "TextBox":
            failures.check(child.get("limit") == 2,
                           f"{row.name} takes at most 2 characters (limit {child.get('limit')})")
            failures.check(bool(child["style"] & ES_CENTER), f"{row.name} is centred")
        # The program writes the time into lblKlok and the fields as it loads.
        if row.caption is not None and row.name != "lblKlok" and row.kind != "TextBox":
            failures.check(child["text"] == row.caption,
                           f"{row.name} reads {child['text']!r}, expected {row.caption!r}")
        failures.check(child["enabled"] == row.enabled,
                       f"{row.name} is {'enabled' if child['enabled'] else 'disabled'}")
        # Below the client area Frame1 is never seen; shown, screen readers would read it out.
        failures.check(child["visible"] == (row.name != "Frame1"),
                       f"{row.name} is {'shown' if child['visible'] else 'hidden'}")

    klok = run.found.get("lblKlok")
    if klok:
        failures.check(TIME_TEXT.match(klok["text"]) is not None,
                       f"lblKlok shows a time of day: {klok['text']!r}")
    frame = run.found.get("Frame1")
    if frame:
        failures.check(frame["rect"][1] >= run.window["client"][1],
                       "Frame1 lies below the client area, never seen")
        failures.check(frame["text"].startswith("Shutdown v1.3.0 - Windows version "),
                       f"Frame1 holds the version line: {frame['text']!r}")

    # Where two rows overlap, the earlier one lies in front: first among its siblings.
    for i, front in enumerate(FORM1.rows):
        for back in FORM1.rows[i + 1:]:
            a, b = run.found.get(front.name), run.found.get(back.name)
            if not a or not b or a["parent"] != b["parent"]:
                continue
            ax, ay, aw, ah = a["parentRect"]
            bx, by, bw, bh = b["parentRect"]
            if ax < bx + bw and bx < ax + aw and ay < by + bh and by < ay + ah:
                failures.check(a["order"] < b["order"],
                               f"{front.name} lies in front of {back.name}, which it overlaps")


def time_in_run(run, hours, minutes, seconds):
    """Whether the time of day lies between the start of the run and the dump, to the
    second (a run may pass midnight)."""
    start = run.before.replace(microsecond=0)
    for day in (run.before.date(), run.after.date()):
        moment = datetime.datetime.combine(day, datetime.time(hours, minutes, seconds))
        if start <= moment <= run.after:
            return True
    return False


def check_start_time(run, failures):
    span = f"{run.before:%H:%M:%S.%f}"[:-3] + " .. " + f"{run.after:%H:%M:%S.%f}"[:-3]
    fields = [run.control(failures, f"txtTime({i})") for i in range(3)]
    if all(fields):
        texts = [f["text"] for f in fields]
        digits = all(re.fullmatch(r"\d\d", t) for t in texts)
        failures.check(digits, f"the fields hold two digits each: {texts}")
        if digits:
            h, m, s = (int(t) for t in texts)
            failures.check(h < 24 and m < 60 and s < 60 and time_in_run(run, h, m, s),
                           f"the fields hold the time of the start {':'.join(texts)} "
                           f"(local clock {span})")
    for name in ("lblCountDown", "lblKlok"):
        label = run.control(failures, name)
        if label is None:
            continue
        text = label["text"]
        if name == "lblCountDown" or text == "00:00:00":
            failures.check(text == "00:00:00", f"{name} reads {text!r} right after the start")
        else:
            match = TIME_TEXT.match(text)
            failures.check(match is not None
                           and time_in_run(run, *(int(g) for g in match.groups())),
                           f"{name} shows the time of day {text!r} (local clock {span})")


def check_selection(run, failures):
    hours = run.control(failures, "txtTime(0)")
    if hours:
        failures.check(hours.get("sel") == [0, 2],
                       f"the hours field has its two characters selected (EM_GETSEL "
                       f"{hours.get('sel')}, text {hours['text']!r})")
        focus = run.window["focus"]
        owner = next((c for c in run.children if c["hwnd"] == focus), None)
        print(f"note: the focus is on {owner['class'] + ' ' + repr(owner['text']) if owner else focus}")


def check_version(run, failures, prefix):
    frame = run.control(failures, "Frame1")
    if frame:
        reported = (f"{run.winver['major']}.{run.winver['minor']}" if run.winver else "unknown")
        failures.check(frame["text"] == VERSION_LINES[prefix],
                       f"Frame1 reads {frame['text']!r}, expected {VERSION_LINES[prefix]!r} "
                       f"(the prefix reports Windows {reported})")


class Screen:
    """The X display's screen as the user sees it, pixel by pixel."""

    def __init__(self, display):
        ppm = subprocess.run(
            [shutil.which("import") or "import", "-display", display, "-window", "root",
             "-depth", "8", "ppm:-"], capture_output=True, check=True, timeout=30).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.data = ppm[header.end():]

    def pixel(self, x, y):
        at = 3 * (y * self.width + x)
        return tuple(self.data[at:at + 3])


def shoot(wine, args, hide=()):
    """Starts the program, hides the controls named in `hide`, lets the window paint and
    takes a picture of the screen. Returns what the driver saw then, and the picture."""
    # Files of the prefix's own: the look at 96 and at 144 dots per inch run side by side.
    done = wine.state_dir / f"form1-look-{args.prefix}.done"
    done.unlink(missing_ok=True)
    out, err = (wine.log_dir / f"form1-look-{args.prefix}.{kind}" for kind in ("out", "err"))
    commands = [["start", wineprefix.windows_path(args.exe)],
                ["wait-window", CAPTION_PREFIX, "15000"],
                *(["hide", CAPTION_PREFIX, control] for control in hide),
                ["sleep", "1000"], ["dump", CAPTION_PREFIX],
                ["wait-file", wineprefix.windows_path(done), "20000"], ["stop", "5000"]]
    driver = wine.start_driver(args.prefix, args.driver, commands, out, err)
    screen = None
    try:
        deadline = time.monotonic() + 25
        while time.monotonic() < deadline and driver.poll() is None:
            if any(r["type"] == "end" for r in wineprefix.json_records(out.read_text())):
                screen = Screen(wine.display(args.prefix))
                break
            time.sleep(0.1)
    finally:
        done.write_text("taken")
        try:
            driver.wait(timeout=15)
        except subprocess.TimeoutExpired:
            driver.kill()
            wine.kill_server(args.prefix)
    output = out.read_text(errors="replace") + err.read_text(errors="replace")
    return Seen(wineprefix.json_records(output), output), screen


def ink(screen, rect, paper):
    """The pixels of a screen rectangle (x, y, width, height) that differ from the paper:
    {(x, y) from the rectangle's corner: colour}."""
    x0, y0, width, height = rect
    found = {}
    for y in range(height):
        for x in range(width):
            colour = screen.pixel(x0 + x, y0 + y)
            if colour != paper:
                found[(x, y)] = colour
    return found


def on_screen(seen, name):
    """Where the row's window lies on the screen: x, y, width, height."""
    x, y, width, height = seen.found[name]["rect"]  # from the window's client area
    ox, oy = seen.window["clientOrigin"]
    return x + ox, y + oy, width, height


def check_look(wine, args, failures):
    shown, screen = shoot(wine, args)
    if not shown.usable() or screen is None:
        return failures.check(False, "the window was seen and its picture taken")
    check_controls(shown, failures)
    failures.check(shown.dpi == args.dpi, f"the screen has {args.dpi} dots per inch (got {shown.dpi})")
    want = tuple(pixels(v, shown.dpi) for v in FORM1.client)
    failures.check(tuple(shown.window["client"]) == want,
                   f"client area {shown.window['client']}, expected {want}")
    found = shown.found
    if not all(name in found for name in ("Image2", "lblKlok", "lblCountDown", "Label1")):
        return
    # The window's own colour, right of the pictures.
    image = on_screen(shown, "Image2")
    paper = screen.pixel(image[0] + image[2] + 2, image[1] + image[3] // 2)

    # The power button is round and fills its square: its ink reaches across nine tenths of it.
    drawn = ink(screen, image, paper)
    across = max(x for x, _ in drawn) - min(x for x, _ in drawn) + 1 if drawn else 0
    down = max(y for _, y in drawn) - min(y for _, y in drawn) + 1 if drawn else 0
    failures.check(across >= 0.9 * image[2] and down >= 0.9 * image[3],
                   f"Image2's picture is {across} x {down} in its {image[2]} x {image[3]} place")

    # A sunken edge is the same shadow on its top and its left, also under "System Time:" and
    # "Time left:", which lie over the clocks' left ends.
    for name in ("lblKlok", "lblCountDown"):
        x, y, width, height = on_screen(shown, name)
        shadow = screen.pixel(x + width // 2, y)
        lost = [row for row in range(y + 2, y + height - 2) if screen.pixel(x, row) != shadow]
        failures.check(not lost, f"{name}'s left edge is whole ({len(lost)} of {height - 4} "
                                 f"pixels not its shadow {shadow})")

    # The caption seen with the fields hidden, against the window with them.
    fields = [found.get(f"txtTime({i})") for i in range(3)]
    if not all(fields):
        return
    bare, bare_screen = shoot(wine, args, hide=[f"#{f['id']}" for f in fields])
    if not bare.usable() or bare_screen is None or "Label1" not in bare.found:
        return failures.check(False, "the window with the fields hidden was seen")
    label = found["Label1"]["parentRect"]
    holder = found["Picture1"]["client"]
    failures.check(label[0] + label[2] <= holder[0],
                   f"Label1 ends inside Picture1: {label} in {holder}")
    # In pixels from the caption's left edge.
    boxes = [(f["parentRect"][0] - label[0], f["parentRect"][0] + f["parentRect"][2] - label[0])
             for f in fields]
    caption = {at: colour for at, colour in ink(bare_screen, on_screen(bare, "Label1"), paper).items()
               if at[0] >= boxes[0][1]}
    x, y, _, _ = on_screen(shown, "Label1")
    hidden = [at for at, colour in caption.items() if screen.pixel(x + at[0], y + at[1]) != colour]
    rooms = [(boxes[0][1], boxes[1][0]), (boxes[1][1], boxes[2][0]), (boxes[2][1], label[2])]
    in_rooms = [sum(1 for (px, _) in caption if start <= px < end) for start, end in rooms]
    failures.check(all(in_rooms) and not hidden,
                   f"the caption right of the hours: {len(caption)} pixels, {in_rooms} after "
                   f"each field, {len(hidden)} of them covered")


CHECKS = {
    "window": check_window,
    "controls": check_controls,
    "start-time": check_start_time,
    "selection": check_selection,
}


def main():
    parser = wineprefix.test_arguments([*CHECKS, "version", "look"])
    parser.add_argument("--dpi", type=int, default=96)
    args = parser.parse_args()

    wine = wineprefix.Wine(args.state, args.loader).load()
    failures = Failures()
    if args.check == "look":
        if args.dpi != 96:
            wine.set_dpi(args.prefix, args.dpi)
        try:
            check_look(wine, args, failures)
        finally:
            if args.dpi != 96:
                wine.set_dpi(args.prefix, 96)
        print(f"{len(failures.items)} check(s) failed" if failures.items else "all checks passed")
        return 1 if failures.items else 0

    run = Run(wine, args.prefix, args.exe, args.driver)
    if not run.usable():
        return 1
    if args.check == "version":
        check_version(run, failures, args.prefix)
    else:
        CHECKS[args.check](run, failures)
    for error in run.errors:
        failures.check(False, f"driver: {error}")
    if failures.items:
        run.print_dump()
        print(f"{len(failures.items)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
