#!/usr/bin/python3
"""Takes the picture of the countdown window under Wine that docs/form1-wine.png shows.

    screenshot.py --work DIR --loader WINE --exe Nodrell.exe --driver DRIVER.exe --out PNG

It boots its own prefix and X server in DIR (about ten seconds) and ends them again; the
ctest run is not involved. Also: cmake --build <dir> --target form1-screenshot
"""

import argparse
import json
import os
import shutil
import subprocess
import sys
import time

import fixture
import wineprefix

CAPTION_PREFIX = "Nodrell v1.3"
SETTLE_S = 1.5  # lets the window paint, and the clock tick, before the picture


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--work", required=True)
    parser.add_argument("--loader", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    fixture.setup(argparse.Namespace(state=args.work, loader=args.loader, driver=args.driver), names=["default"])
    wine = wineprefix.Wine(args.work, args.loader).load()
    try:
        # The driver keeps the program open while the picture is taken, and then closes it.
        out = wine.log_dir / "screenshot-driver.log"
        with open(out, "wb") as log:
            driver = subprocess.Popen(
                [wine.loader, args.driver, "start", wineprefix.windows_path(args.exe), ";",
                 "wait-window", CAPTION_PREFIX, "20000", ";", "sleep", str(int(SETTLE_S * 1000)),
                 ";", "dump", CAPTION_PREFIX, ";", "sleep", "10000", ";", "stop", "5000"],
                env=wine.env("default"), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
                cwd=wine.state_dir)
        window = None
        deadline = time.monotonic() + 40
        while window is None and time.monotonic() < deadline and driver.poll() is None:
            time.sleep(0.1)
            for line in out.read_text(errors="replace").splitlines():
                if line.startswith("{") and json.loads(line)["type"] == "window":
                    window = json.loads(line)
        if window is None:
            driver.kill()
            raise SystemExit("the window did not appear:\n" + out.read_text(errors="replace"))
        x, y, width, height = window["rect"]
        subprocess.run(
            [shutil.which("import") or "import", "-display", wine.state["display"], "-window",
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
