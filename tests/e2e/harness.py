"""What the Wine tests of the windows share: the tally of their checks, and Test, which starts
the program in a prefix, works it with the driver and keeps what the driver saw."""

import datetime
import json
import os
import time

from tests.e2e import wineprefix
from tests.e2e.layout import CAPTION_PREFIX

# Window and message box styles (winuser.h).
WS_MAXIMIZEBOX = 0x00010000
WS_MINIMIZEBOX = 0x00020000
WS_THICKFRAME = 0x00040000
WS_CAPTION = 0x00C00000
MB_ICONMASK = 0xF0


class Failures:
    def __init__(self):
        self.items = []

    def check(self, condition, message):
        print(("ok:   " if condition else "FAIL: ") + message)
        if not condition:
            self.items.append(message)
        return condition


class Test:
    def __init__(self, args):
        self.args = args
        self.wine = wineprefix.Wine(args.state, args.loader).load()
        self.prefix = args.prefix
        self.exe = wineprefix.windows_path(args.exe)
        self.failures = Failures()
        self.records = []
        self.relay = []
        self.output = ""
        self.shutdown_log = self.wine.log_dir / f"shutdown-{args.check}-{os.getpid()}.log"
        self.shutdown_log.unlink(missing_ok=True)
        self.extra_env = {
            wineprefix.SHUTDOWN_LOG_VARIABLE: wineprefix.windows_path(self.shutdown_log)}

    def check(self, condition, message):
        return self.failures.check(condition, message)

    def drive(self, commands, timeout=25, relay=True):
        """Runs the driver with the program started first; keeps its records.

        `relay` traces the power-off, message box and shell calls; it slows every window
        message down, so the long runs go without it."""
        began = time.monotonic()
        self.before = datetime.datetime.now()
        code, self.records, self.output = self.wine.driver(
            self.prefix, self.args.driver,
            [["start", self.exe], ["wait-window", CAPTION_PREFIX, "15000"], *commands], timeout,
            debug=wineprefix.RELAY_DEBUG if relay else None, extra_env=self.extra_env)
        print(f"the driver ran {time.monotonic() - began:.2f} s")
        if code is None:
            self.wine.kill_server(self.prefix)
        self.relay = wineprefix.relay_calls(self.output)
        self.check(code == 0, f"the driver ran through (exit code {code})")
        for record in self.all("error"):
            self.check(False, f"driver: {record['message']}")
        return code == 0

    def all(self, kind):
        return [r for r in self.records if r["type"] == kind]

    def dumps(self):
        """Each dump: (window record, [child records])."""
        result, current = [], None
        for record in self.records:
            if record["type"] == "window":
                current = (record, [])
                result.append(current)
            elif record["type"] == "child" and current:
                current[1].append(record)
        return result

    def listings(self):
        """Each `windows` listing: [top-level window records]."""
        result, current = [], []
        for record in self.records:
            if record["type"] == "top":
                current.append(record)
            elif record["type"] == "windows-end":
                result.append(current)
                current = []
        return result

    def shutdown_starts(self):
        if not self.shutdown_log.exists():
            return []
        return wineprefix.json_records(self.shutdown_log.read_text(errors="replace"))

    def report(self):
        if self.failures.items:
            print("--- the driver's records")
            for record in self.records:
                print(json.dumps(record))
            print("--- traced calls")
            for call in self.relay:
                print(call)
            if self.shutdown_log.exists():
                print("--- shutdown.exe stand-in log")
                print(self.shutdown_log.read_text(errors="replace"))
            if not self.records:
                print(self.output[-4000:])
            print(f"{len(self.failures.items)} check(s) failed")
            return 1
        return 0
