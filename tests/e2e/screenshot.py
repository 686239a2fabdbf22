"""Takes the picture of the countdown window under Wine that docs/form1-wine.png shows, or
with --about the About window over it (docs/about-wine.png); with --dpi on a screen of that
many dots per inch (docs/form1-wine-144.png, docs/about-wine-144.png).

    python3 -m tests.e2e.screenshot --work DIR --loader WINE --exe Nodrell.exe
        --driver DRIVER.exe --out PNG [--about] [--dpi N]

It boots its own prefix and X server in DIR (about ten seconds) and ends them again; the
ctest run is not involved. Also: cmake --build <dir> --target form1-screenshot (or
about-screenshot, form1-screenshot-144, about-screenshot-144)
"""

import argparse
import os
import shutil
import subprocess
import sys
import time

from tests.e2e import fixture, wineprefix
from tests.e2e.layout import ABOUT_CAPTION, CAPTION_PREFIX

ABOUT_BUTTON = "About"
SETTLE_S = 1.5  # lets the window paint, and the clock tick, before the picture


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--loader", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--about", action="store_true",
                        help="open the About window and take it over the countdown window")
    parser.add_argument("--dpi", type=int, default=96, help="the screen's dots per inch")
    args = parser.parse_args()
    # The windows in the picture, each dumped by the driver.
    shown = [CAPTION_PREFIX, ABOUT_CAPTION] if args.about else [CAPTION_PREFIX]
    opening = []
    if args.about:
        # Pressed, not clicked: the click's handling lasts while the About window is open.
        opening = ["press", CAPTION_PREFIX, ABOUT_BUTTON, ";", "wait-window", ABOUT_CAPTION,
                   "10000", ";"]
    dumps = []
    for caption in shown:
        dumps += ["dump", caption, ";"]

    fixture.setup(argparse.Namespace(state=args.work, loader=args.loader, driver=args.driver,
                                     standin=None), names=["default"])
    wine = wineprefix.Wine(args.work, args.loader).load()
    try:
        if args.dpi != 96:
            wine.set_dpi("default", args.dpi)
        # The driver keeps the program open while the picture is taken, and then closes it.
        out = wine.log_dir / "screenshot-driver.log"
        with open(out, "wb") as log:
            driver = subprocess.Popen(
                [wine.loader, args.driver, "start", wineprefix.windows_path(args.exe), ";",
                 "wait-window", CAPTION_PREFIX, "20000", ";", *opening, "sleep",
                 str(int(SETTLE_S * 1000)), ";", *dumps, "sleep", "10000", ";", "stop", "5000"],
                env=wine.env("default"), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                cwd=wine.state_dir)
        windows = []
        deadline = time.monotonic() + 40
        while len(windows) < len(shown) and time.monotonic() < deadline and driver.poll() is None:
            time.sleep(0.1)
            windows = [r for r in wineprefix.json_records(out.read_text(errors="replace"))
                       if r["type"] == "window"]
        if len(windows) < len(shown):
            driver.kill()
            raise SystemExit("the window did not appear:\n" + out.read_text(errors="replace"))
        # The smallest rectangle around them all.
        left = min(w["rect"][0] for w in windows)
        top = min(w["rect"][1] for w in windows)
        right = max(w["rect"][0] + w["rect"][2] for w in windows)
        bottom = max(w["rect"][1] + w["rect"][3] for w in windows)
        x, y, width, height = left, top, right - left, bottom - top
        subprocess.run(
            [shutil.which("import") or "import", "-display", wine.display("default"), "-window",
             "root", "-crop", f"{width}x{height}+{x}+{y}", "+repage", args.out],
            check=True, timeout=30)
        driver.kill()
        driver.wait()
        print(f"{os.path.normpath(args.out)}: {width} x {height} pixels")
    finally:
        fixture.cleanup(argparse.Namespace(state=args.work, loader=args.loader))
    return 0


if __name__ == "__main__":
    sys.exit(main())
