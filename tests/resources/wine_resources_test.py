"""Runs Nodrell.exe under Wine on a private X server and checks what its resources do there:
the manifest brings the common controls of version 6 into the process (the side-by-side
assembly, not the system32 DLL that a program without a manifest gets), the title bar shows
the program icon's 16 x 16 image, and the countdown window shows its two pictures in place,
Image2 in front of Image1, with their transparent pixels showing what lies behind.

    python3 -m tests.resources.wine_resources_test --work DIR --loader WINE --exe Nodrell.exe
        --probe PROBE.exe --art app/resources [--out PNG]

It boots a throwaway prefix in DIR (about ten seconds) and removes it again. With --out it
also saves the picture of the window.
"""

import argparse
import pathlib
import re
import shutil
import subprocess
import sys
import time

# The Wine prefixes and X servers of the end-to-end tests, and the countdown window's layout.
from tests.e2e import wineprefix
from tests.e2e.layout import CAPTION_PREFIX, DPI, FORM1, pixels
from tests.resources import check_resources

# The prefix, set up as the end-to-end tests' default one.
PREFIX = "default"
BOOT_TIMEOUT_S = 120
# The countdown window's pictures: Image2 first, as it lies in front.
IMAGES = [("Image2", "logo2.ico"), ("Image1", "logo1.gif")]


def decode(image):
    """(width, height, rows of (r, g, b, a)) of a picture file, read by ImageMagick."""
    size = subprocess.run(["identify", "-format", "%w %h", image], check=True,
                          capture_output=True, text=True, timeout=30).stdout.split()
    width, height = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", image, "-depth", "8", "rgba:-"], check=True,
                         capture_output=True, timeout=30).stdout
    if len(raw) != width * height * 4:
        raise SystemExit(f"cannot decode {image}")
    rows = [[tuple(raw[(y * width + x) * 4:(y * width + x) * 4 + 4]) for x in range(width)]
            for y in range(height)]
    return width, height, rows


def screenshot(display):
    """(width, rows of (r, g, b)) of the whole screen."""
    data = subprocess.run(["import", "-display", display, "-window", "root", "-depth", "8", "ppm:-"],
                          check=True, capture_output=True, timeout=30).stdout
    match = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
    width, height = int(match.group(1)), int(match.group(2))
    body = data[match.end():]
    return [[tuple(body[(y * width + x) * 3:(y * width + x) * 3 + 3]) for x in range(width)]
            for y in range(height)]


def check_pictures(check, screen, client, art):
    """The screen around the two pictures against what they should make together."""
    background = screen[client[1] + pixels(240, DPI)][client[0] + pixels(4560, DPI)]
    placed = []
    for name, file in IMAGES:
        left, top = FORM1.row[name].box[:2]  # twips from the client area's top left
        width, height, rows = decode(str(art / file))
        check((width, height) == (48, 48), f"{name} ({file}) is {width} x {height}")
        placed.append((name, client[0] + pixels(left, DPI), client[1] + pixels(top, DPI), width, height, rows))
    x0 = min(p[1] for p in placed)
    y0 = min(p[2] for p in placed)
    x1 = max(p[1] + p[3] for p in placed)
    y1 = max(p[2] + p[4] for p in placed)
    wrong = []
    counts = {"background": 0, "Image1": 0, "Image2": 0, "Image1 through Image2": 0}
    for y in range(y0, y1):
        for x in range(x0, x1):
            expected, source = background, "background"
            seen_clear_front = False
            for name, left, top, width, height, rows in placed:  # front first
                if left <= x < left + width and top <= y < top + height:
                    r, g, b, a = rows[y - top][x - left]
                    if a:
                        expected, source = (r, g, b), name
                        break
                    seen_clear_front = seen_clear_front or name == "Image2"
            if source == "Image1" and seen_clear_front:
                source = "Image1 through Image2"
            counts[source] += 1
            if screen[y][x] != expected:
                wrong.append((x, y, screen[y][x], expected, source))
    check(not wrong, f"the pictures' {(x1 - x0) * (y1 - y0)} pixels as composed ({counts}); "
          f"{len(wrong)} differ" + (f", first {wrong[:3]}" if wrong else ""))
    check(all(counts.values()), "every kind of pixel occurs: the test sees transparency and order")


def check_title_icon(check, screen, window, art):
    """The 16 x 16 program image somewhere in the title bar, pixel for pixel."""
    _, _, icon = decode(str(art / "program.ico") + "[1]")
    x, y, width, _ = window["rect"]
    caption_bottom = window["client"][1]
    for top in range(y, caption_bottom - 15):
        for left in range(x, x + 40):
            if all(icon[j][i][3] == 0 or screen[top + j][left + i] == icon[j][i][:3]
                   for j in range(16) for i in range(16)):
                check(True, f"the title bar shows the program icon's 16 x 16 image at {left}, {top}")
                return
    check(False, "the title bar shows the program icon's 16 x 16 image")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--loader", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--probe", required=True)
    parser.add_argument("--art", required=True, type=pathlib.Path)
    parser.add_argument("--out")
    args = parser.parse_args()

    check = check_resources.Checks()
    wine = wineprefix.Wine(args.work, args.loader)
    wine.log_dir.mkdir(parents=True, exist_ok=True)
    try:
        wine.start_xvfb(PREFIX)
        wine.boot(PREFIX, BOOT_TIMEOUT_S)
        out = wine.log_dir / "probe.log"
        with open(out, "wb") as log:
            probe = subprocess.Popen([wine.loader, str(pathlib.Path(args.probe).resolve()),
                                      wineprefix.windows_path(args.exe), CAPTION_PREFIX, "8000"],
                                     env=wine.env(PREFIX), stdin=subprocess.DEVNULL, stdout=log,
                                     stderr=log, cwd=wine.state_dir)
        records = []
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and probe.poll() is None:
            time.sleep(0.1)
            records = wineprefix.json_records(out.read_text(errors="replace"))
            if any(r["type"] in ("window", "error") for r in records):
                break
        window = next((r for r in records if r["type"] == "window"), None)
        if window is None:
            probe.kill()
            raise SystemExit("the window did not appear:\n" + out.read_text(errors="replace"))

        modules = {r["who"]: r for r in records if r["type"] == "comctl32"}
        program = modules.get("program", {}).get("path", "")
        side = re.search(r"\\winsxs\\[^\\]*microsoft\.windows\.common-controls_6595b64144ccf1df_(6\.0\.[0-9.]+)_",
                         program, re.IGNORECASE)
        check(side is not None, f"Nodrell.exe runs with the common controls {program!r}: version 6 "
              "side by side")
        own = modules.get("probe", {}).get("path", "")
        check(bool(own) and "winsxs" not in own.lower(),
              f"while a program without the manifest gets {own!r}")

        time.sleep(1.5)  # the first paint, and a tick of the clock
        screen = screenshot(wine.display(PREFIX))
        check_title_icon(check, screen, window, args.art)
        check_pictures(check, screen, window["client"], args.art)
        if args.out:
            x, y, width, height = window["rect"]
            subprocess.run(["import", "-display", wine.display(PREFIX), "-window", "root", "-crop",
                            f"{width}x{height}+{x}+{y}", "+repage", args.out], check=True, timeout=30)
            print("saved", args.out)
        probe.kill()
        probe.wait(timeout=10)
    finally:
        wine.kill_server(PREFIX)
        wine.stop_xvfb()
        shutil.rmtree(wine.prefix_dir(PREFIX), ignore_errors=True)
    print(f"{check.failures} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
