"""The countdown of the Windows build under Wine, worked by the driver as a user would.

    python3 -m tests.e2e.countdown_test CHECK --state DIR --loader WINE --exe Nodrell.exe
        --driver DRIVER.exe [--prefix default|winxp|poweroff]

CHECK is one of:
  exitwindows       a target a few seconds ahead calls ExitWindowsEx(5, 0xFFFFFFFF) when it
                    is reached (Wine's default version). Wine then ends every process of the
                    prefix, so this runs in the prefix "poweroff" and nothing else runs there
                    meanwhile.
  exitwindows-fallback
                    the same under the winxp version, with no shutdown.exe in the system
                    directory: the command route's failed start falls back to
                    ExitWindowsEx(5, 0xFFFFFFFF). It ends the prefix winxp, so it comes last
                    there.
  exitwindows-refused
                    the same under the winxp version, with a shutdown.exe that ends with
                    status 1314 (the right to shut down not held): the refusal falls back to
                    ExitWindowsEx(5, 0xFFFFFFFF). It ends the prefix winxp's programs too.
  shutdown-command  the same under the winxp version starts the system directory's
                    shutdown.exe (the prefix's logging stand-in) with "-s -f -t 0", minimised
  no-time           Start with 00 00 00 warns "No shutdown time entered.", then the hours
                    have the focus; so too with Enter held down on Start and Enter in the box
  invalid-minutes   minutes 75 warn "Not a valid time.", then the minutes keep "75" and have
                    the focus, also when the box is closed with Enter
  stop              Stop after Start gives the fields and "Start Countdown" back
  close             Close ends the program at once while it counts down, asking for no
                    power-off
  tab-order         Tab walks Close, About, Start and the fields from seconds to hours,
                    round from the last to the first, passing over the disabled Stop and the
                    labels; a field it comes to has its two digits selected; Enter moves on
                    from a field
  keyboard          Start and Stop pressed with Enter: the focus goes on to Close, which the
                    key held down does not press

Every run traces the program's ExitWindowsEx and message box calls (Wine's relay trace) and
has the stand-in shutdown.exe log to a file of its own. Nothing here can power off the host:
under Wine ExitWindowsEx ends the prefix's processes only, and the stand-in only logs.
"""

import datetime
import os
import re
import subprocess
import sys
import time

from tests.e2e import harness, wineprefix
from tests.e2e.harness import MB_ICONMASK
from tests.e2e.layout import CAPTION_PREFIX as CAPTION, FORM1

NO_TIME = ("Enter shutdown time", "No shutdown time entered.")
INVALID = ("Invallid time value", "Not a valid time.")
MB_ICONWARNING = 0x30
DWORD = 0xFFFFFFFF  # a traced 32-bit argument, whatever the trace shows above it

SHUTDOWN_COMMAND_LINE = "shutdown -s -f -t 0"
SHUTDOWN_STATUS_VARIABLE = "NODRELL_SHUTDOWN_STATUS"
SHUTDOWN_MODULE = "c:\\windows\\system32\\shutdown.exe"
STARTF_USESHOWWINDOW = 0x1
SW_SHOWMINIMIZED = 2
EWX_SHUTDOWN_FORCE = 5
ANY_REASON = 0xFFFFFFFF

# How far ahead the power-off target lies, and how late after it the request may come (the
# clock ticks four times a second).
AHEAD_S = 3
LATE_S = 2.5
# Enter pressed, held down (an auto-repeat) and let go.
HELD_ENTER = ["key", CAPTION, "enter", "1"]


HOURS, MINUTES, SECONDS = (FORM1.centre(f"txtTime({i})") for i in range(3))
START, STOP = FORM1.centre("Command1(0)"), FORM1.centre("Command1(1)")
CLOSE, ABOUT = FORM1.centre("Command2"), FORM1.centre("Command3")


class CountdownTest(harness.Test):
    def controls(self, dump):
        window, children = dump
        found, missing = FORM1.match(window, children)
        for name, why in missing.items():
            if name.startswith(("txtTime", "Command", "lblCountDown")):
                self.check(False, f"{name} found ({why})")
        return found

    def target(self, record):
        """The moment typed by type-time, on the host clock."""
        hours, minutes, seconds = (int(p) for p in record["target"].split(":"))
        moment = datetime.datetime.combine(self.before.date(),
                                           datetime.time(hours, minutes, seconds))
        if moment < self.before - datetime.timedelta(minutes=1):
            moment += datetime.timedelta(days=1)  # past midnight
        return moment

    def power_off_calls(self):
        return [args for name, args in self.relay if name == "user32.ExitWindowsEx"]

    def check_no_power_off(self):
        self.check(not self.power_off_calls(),
                   f"no ExitWindowsEx call (traced: {self.power_off_calls()})")
        starts = self.shutdown_starts()
        self.check(not starts, f"shutdown.exe was not started ({len(starts)} starts logged)")

    def check_box(self, dump, caption, text):
        window, children = dump
        self.check(window["class"] == "#32770" and window["caption"] == caption,
                   f"a message box {window['caption']!r} (class {window['class']})")
        texts = [c["text"] for c in children if c["class"].lower() == "static" and c["text"]]
        self.check(texts == [text], f"it says {texts}, expected [{text!r}]")
        self.check(any(c.get("icon") for c in children), "it shows an icon")
        buttons = [c["text"] for c in children if c["class"].lower() == "button"]
        self.check(buttons == ["OK"], f"its buttons: {buttons}")
        asked = [(args[1], args[2], args[3]) for name, args in self.relay
                 if name.startswith("user32.MessageBox") and len(args) >= 4]
        right = [a[:2] == (text, caption) and a[2] & MB_ICONMASK == MB_ICONWARNING for a in asked]
        self.check(right and all(right), f"the program asked for this box with the warning icon, "
                                         f"once a try (traced text, title, type: {asked})")

    def check_warning(self, box, field):
        """The warning box (caption, text) of the first dump, the countdown window waiting
        behind it in the first listing, and the focus on the field after OK."""
        caption, text = box
        self.check_box(self.dumps()[0], caption, text)
        tops = self.listings()[0]
        main = next((r for r in tops if r["caption"].startswith(CAPTION)), None)
        self.check(main is not None and not main["enabled"],
                   f"the countdown window takes no input while {caption!r} is open")
        focus = self.all("focus")[0]
        self.check(focus["on"], f"after OK the {field} field has the focus (it is on "
                                f"{focus.get('focusClass')} {focus.get('focusText')!r})")


def check_field_state(test, found, counting, caption=None):
    """The buttons and fields while counting down, or while not; `caption` is the start
    button's when not counting ("Start Countdown", one blank, once Stop has been pressed)."""
    start = found.get("Command1(0)")
    stop = found.get("Command1(1)")
    caption = "Counting down..." if counting else caption
    if start:
        test.check(start["text"] == caption and start["enabled"] != counting,
                   f"the start button reads {start['text']!r} and is "
                   f"{'enabled' if start['enabled'] else 'disabled'}")
    if stop:
        test.check(stop["enabled"] == counting,
                   f"the stop button is {'enabled' if stop['enabled'] else 'disabled'}")
    for i in range(3):
        field = found.get(f"txtTime({i})")
        if field:
            test.check(field["enabled"] != counting,
                       f"txtTime({i}) is {'enabled' if field['enabled'] else 'disabled'}")


def run_exitwindows(test, shutdown_started=False):
    """Started without waiting: ExitWindowsEx ends the driver too, so the trace in its
    output and the prefix's processes tell what happened."""
    wine = test.wine
    program = os.path.basename(test.args.exe).lower()
    # Witnesses that must outlive the power-off: a host process, and a Wine program in
    # another prefix.
    host_witness = subprocess.Popen(["sleep", "60"], stdin=subprocess.DEVNULL,
                                    start_new_session=True)
    other = next(name for name in wineprefix.PREFIXES if name != test.prefix)
    wine_witness = wine.start_driver(
        other, test.args.driver, [["sleep", "40000"]], os.devnull, os.devnull)
    try:
        watch_power_off(test, program, host_witness, other, wine_witness, shutdown_started)
    finally:
        for witness in (host_witness, wine_witness):
            if witness.poll() is None:
                witness.kill()
            witness.wait()


def run_exitwindows_fallback(test, refusal=None):
    """Under Windows XP the command route comes first: shutdown.exe is missing, or it ends
    with the status `refusal`, and ExitWindowsEx follows."""
    windows = test.wine.prefix_dir(test.prefix) / "drive_c" / "windows"
    if not test.check(test.wine.state["winver"][test.prefix] == "5.1",
                      f"prefix {test.prefix} reports Windows XP"):
        return
    if refusal is None:
        (windows / "system32" / "shutdown.exe").unlink(missing_ok=True)
    else:
        test.extra_env[SHUTDOWN_STATUS_VARIABLE] = str(refusal)
    run_exitwindows(test, shutdown_started=refusal is not None)
    # The trace names the library in capitals and doubles the backslashes of a path.
    starts = [i for i, (name, args) in enumerate(test.relay)
              if name.lower() == "kernel32.createprocessw" and args and
              str(args[0]).replace("\\\\", "\\").lower() == SHUTDOWN_MODULE]
    calls = [i for i, (name, _) in enumerate(test.relay) if name == "user32.ExitWindowsEx"]
    test.check(starts and calls and starts[0] < calls[0],
               f"the start of {SHUTDOWN_MODULE} was tried first (traced at {starts}, "
               f"ExitWindowsEx at {calls})")


def watch_power_off(test, program, host_witness, other, wine_witness, shutdown_started):
    wine = test.wine
    out = wine.log_dir / f"exitwindows-{os.getpid()}.out"
    err = wine.log_dir / f"exitwindows-{os.getpid()}.err"
    test.before = datetime.datetime.now()
    began = time.monotonic()
    driver = wine.start_driver(
        test.prefix, test.args.driver,
        [["start", test.exe], ["wait-window", CAPTION, "15000"],
         ["type-time", CAPTION, HOURS, MINUTES, SECONDS, str(AHEAD_S)],
         ["click", CAPTION, START], ["dump", CAPTION], ["wait-exit", "20000"]],
        out, err, debug=wineprefix.RELAY_DEBUG, extra_env=test.extra_env)
    seen = None
    offset = 0
    ran_there = None  # whether the program showed among the prefix's processes
    while driver.poll() is None and time.monotonic() - began < 25:
        if ran_there is None and b'"type":"window"' in out.read_bytes():
            ran_there = any(program in cmd.lower()
                            for cmd in wine.processes(test.prefix).values())
        with open(err, "rb") as trace:
            trace.seek(offset)
            chunk = trace.read()
        # Whole lines only; the rest is read again next time.
        offset += chunk.rfind(b"\n") + 1
        if seen is None and b"Call user32.ExitWindowsEx(" in chunk[:chunk.rfind(b"\n") + 1]:
            seen = datetime.datetime.now()
        time.sleep(0.02)
    if driver.poll() is None:
        driver.kill()
        driver.wait()
        wine.kill_server(test.prefix)
        test.check(False, "the driver ended within 25 s")
    print(f"the driver ran {time.monotonic() - began:.2f} s")
    test.output = err.read_text(errors="replace")
    test.records = wineprefix.json_records(out.read_text(errors="replace"))
    test.relay = wineprefix.relay_calls(test.output)
    if seen is None and test.power_off_calls():
        seen = datetime.datetime.now()  # the call came as the driver ended

    typed = test.all("type-time")
    test.check(bool(typed) and typed[0]["delivered"], "the target time was typed")
    dumps = test.dumps()
    if dumps:
        check_field_state(test, test.controls(dumps[0]), counting=True)
    else:
        test.check(False, "the driver saw the countdown start")
    calls = test.power_off_calls()
    test.check(len(calls) >= 1, f"ExitWindowsEx was called ({len(calls)} calls traced)")
    if calls:
        flags = [tuple(a & DWORD for a in call[:2]) for call in calls]
        test.check(all(f == (EWX_SHUTDOWN_FORCE, ANY_REASON) for f in flags),
                   f"with (flags, reason) = (5, 0xFFFFFFFF): {[(hex(a), hex(b)) for a, b in flags]}")
    if typed and seen:
        target = test.target(typed[0])
        late = (seen - target).total_seconds()
        test.check(0 <= late <= LATE_S,
                   f"the call came when the target {target:%H:%M:%S} was reached "
                   f"(seen at {seen:%H:%M:%S.%f}, {late:+.2f} s)")
    test.check(not test.all("exit"), "the program did not end before the power-off request")
    starts = len(test.shutdown_starts())
    test.check(starts == (1 if shutdown_started else 0), f"shutdown.exe was started {starts} times")

    # Wine's answer to the request: the programs of the prefix end (the program, the driver
    # and the desktop holder; Wine's own services may restart), and nothing outside it.
    deadline = time.monotonic() + 5
    while True:
        left = [cmd for cmd in wine.processes(test.prefix).values()
                if program in cmd.lower() or "nodrell-driver" in cmd.lower()]
        if not left or time.monotonic() > deadline:
            break
        time.sleep(0.1)
    test.check(ran_there is True, "the program ran in the prefix until then")
    test.check(not left, f"the programs of the prefix ended (left: {left})")
    test.check(wine_witness.poll() is None,
               f"a program in prefix {other} still runs (exit code {wine_witness.poll()})")
    test.check(host_witness.poll() is None, "a host process still runs")
    test.check(wine.alive(wine.xvfb_pid(test.prefix), b"Xvfb"), "the X server still runs")


def run_shutdown_command(test):
    log = wineprefix.windows_path(test.shutdown_log)
    if not test.drive([
        ["type-time", CAPTION, HOURS, MINUTES, SECONDS, str(AHEAD_S)],
        ["click", CAPTION, START], ["dump", CAPTION],
        ["wait-file", log, str((AHEAD_S + 10) * 1000)],
        # The rest of the target second: every tick in it asks again.
        ["sleep", "1200"], ["windows"], ["stop", "5000"],
    ]):
        return
    typed = test.all("type-time")
    test.check(bool(typed) and typed[0]["delivered"], "the target time was typed")
    dumps = test.dumps()
    if dumps:
        check_field_state(test, test.controls(dumps[0]), counting=True)
    starts = test.shutdown_starts()
    test.check(len(starts) >= 1, f"shutdown.exe was started ({len(starts)} times)")
    for start in starts:
        test.check(start["commandLine"] == SHUTDOWN_COMMAND_LINE,
                   f"its command line is {start['commandLine']!r}")
        test.check(start["module"].lower() == SHUTDOWN_MODULE,
                   f"it is the system directory's: {start['module']!r}")
        test.check(start["flags"] & STARTF_USESHOWWINDOW and start["showWindow"] == SW_SHOWMINIMIZED,
                   f"shown minimised (dwFlags {start['flags']:#x}, wShowWindow {start['showWindow']})")
        if typed:
            target = test.target(typed[0])
            clock = datetime.datetime.strptime(start["time"], "%H:%M:%S.%f").time()
            moment = datetime.datetime.combine(target.date(), clock)
            if moment < target - datetime.timedelta(hours=12):
                moment += datetime.timedelta(days=1)
            late = (moment - target).total_seconds()
            test.check(0 <= late <= LATE_S,
                       f"at {start['time']}, when the target {target:%H:%M:%S} was reached")
    test.check(not test.power_off_calls(), "no ExitWindowsEx call")
    tops = [r["caption"] for r in test.listings()[0]]
    test.check(any(c.startswith(CAPTION) for c in tops),
               "the program still runs (the stand-in powers nothing off)")


def run_no_time(test):
    caption = NO_TIME[0]
    if not test.drive([
        ["type", CAPTION, HOURS, "00"], ["type", CAPTION, MINUTES, "00"],
        ["type", CAPTION, SECONDS, "00"],
        ["click", CAPTION, START], ["wait-window", caption, "5000"], ["dump", caption],
        ["windows"], ["click", caption, "OK"], ["wait-gone", caption, "3000"],
        ["focus", CAPTION, HOURS, "2000"], ["sleep", "300"], ["dump", CAPTION],
        # Again from the keyboard: Enter held on Start, then Enter in the box.
        ["key", CAPTION, "tab"], ["key", CAPTION, "tab"], ["key", CAPTION, "tab"],
        ["focus", CAPTION, START, "2000"], HELD_ENTER, ["windows"],
        ["key", caption, "enter", "1"], ["wait-gone", caption, "3000"], ["sleep", "300"],
        ["focus", CAPTION, HOURS, "500"],
        ["stop", "5000"],
    ]):
        return
    test.check_warning(NO_TIME, "hours")
    found = test.controls(test.dumps()[1])
    check_field_state(test, found, counting=False, caption=FORM1.row["Command1(0)"].caption)
    texts = [found[f"txtTime({i})"]["text"] for i in range(3) if f"txtTime({i})" in found]
    test.check(texts == ["00", "00", "00"], f"the fields still read {texts}")
    held = [r["caption"] for r in test.listings()[1]]
    test.check(caption in held, f"Enter held down on Start does not close its box ({held})")
    focus = test.all("focus")[-1]
    test.check(focus["on"], f"Enter in the box leaves the focus on the hours (it is on "
                            f"{focus.get('focusText')!r})")
    test.check_no_power_off()


def run_invalid_minutes(test):
    caption = INVALID[0]
    if not test.drive([
        ["type", CAPTION, MINUTES, "75"], ["wait-window", caption, "5000"], ["dump", caption],
        ["windows"], ["click", caption, "OK"], ["wait-gone", caption, "3000"],
        ["focus", CAPTION, MINUTES, "2000"],
        # Long enough for a box that comes back.
        ["sleep", "500"], ["windows"], ["dump", CAPTION],
        # Closed with Enter, whose release must not move on to the seconds.
        ["type", CAPTION, MINUTES, "76"], ["wait-window", caption, "5000"],
        ["key", caption, "enter", "1"],
        ["wait-gone", caption, "3000"], ["sleep", "300"], ["focus", CAPTION, MINUTES, "500"],
        ["stop", "5000"],
    ]):
        return
    test.check_warning(INVALID, "minutes")
    after = [r["caption"] for r in test.listings()[1] if not r["caption"].startswith(CAPTION)]
    test.check(not after, f"no box comes back after OK (open: {after})")
    minutes = test.controls(test.dumps()[1]).get("txtTime(1)")
    if minutes:
        test.check(minutes["text"] == "75", f"the minutes keep {minutes['text']!r}")
    focus = test.all("focus")[-1]
    test.check(focus["on"], f"after Enter in the box the minutes keep the focus (it is on "
                            f"{focus.get('focusText')!r})")
    test.check_no_power_off()


def run_stop(test):
    # An hour ahead: the countdown runs, and no power-off comes near.
    if not test.drive([
        ["type-time", CAPTION, HOURS, MINUTES, SECONDS, "3600"],
        ["click", CAPTION, START], ["sleep", "600"], ["dump", CAPTION],
        ["click", CAPTION, STOP], ["sleep", "300"], ["dump", CAPTION], ["stop", "5000"],
    ]):
        return
    typed = test.all("type-time")[0]
    counting, stopped = (test.controls(d) for d in test.dumps()[:2])
    check_field_state(test, counting, counting=True)
    left = counting.get("lblCountDown")
    if left:
        test.check(re.fullmatch(r"00:59:5\d|01:00:00", left["text"]) is not None,
                   f"the time left reads {left['text']!r} for a target an hour ahead")
    clicks = test.all("click")
    test.check(len(clicks) == 2 and all(c["delivered"] for c in clicks),
               "Start and then Stop took the click")
    check_field_state(test, stopped, counting=False, caption="Start Countdown")
    texts = ":".join(stopped[f"txtTime({i})"]["text"] for i in range(3)
                     if f"txtTime({i})" in stopped)
    test.check(texts == typed["target"], f"the fields keep the time {texts}")
    test.check_no_power_off()


def run_close(test):
    if not test.drive([
        ["type-time", CAPTION, HOURS, MINUTES, SECONDS, str(AHEAD_S)],
        ["click", CAPTION, START], ["click", CAPTION, CLOSE], ["wait-exit", "3000"],
    ]):
        return
    clicks = test.all("click")
    test.check(len(clicks) == 2 and clicks[1]["controlText"] == "Close" and
               clicks[1]["delivered"], "the Close button took the click while counting down")
    ended = test.all("exit")
    if test.check(bool(ended), "the program ended"):
        test.check(ended[0]["waitedMs"] < 1000 and ended[0]["exitCode"] == 0,
                   f"at once ({ended[0]['waitedMs']} ms), exit code {ended[0]['exitCode']}")
    test.check_no_power_off()


def run_tab_order(test):
    # The window opens with the focus on the hours, the last place in the tab order.
    order = [CLOSE, ABOUT, START, SECONDS, MINUTES, HOURS, CLOSE]
    steps = [step for control in order for step in
             (["key", CAPTION, "tab"], ["focus", CAPTION, control, "2000"])]
    if not test.drive([["focus", CAPTION, HOURS, "3000"], *steps[:8], ["dump", CAPTION],
                       *steps[8:], ["click", CAPTION, HOURS], ["key", CAPTION, "enter"],
                       ["focus", CAPTION, MINUTES, "2000"], ["stop", "5000"]], relay=False):
        return
    reached = [(f["controlText"], f["on"]) for f in test.all("focus")]
    test.check(len(reached) == len(order) + 2 and all(on for _, on in reached),
               f"Tab took the focus from the hours round the tab order, Enter on to the "
               f"minutes: {reached}")
    seconds = test.controls(test.dumps()[0]).get("txtTime(2)")
    if seconds:
        test.check(seconds.get("sel") == [0, 2],
                   f"the seconds have their digits selected: {seconds.get('sel')}")


def run_keyboard(test):
    # An hour ahead: the countdown runs, and no power-off comes near. From the seconds, typed
    # last, five Tabs lead round to Start.
    if not test.drive([
        ["type-time", CAPTION, HOURS, MINUTES, SECONDS, "3600"], *[["key", CAPTION, "tab"]] * 5,
        HELD_ENTER, ["focus", CAPTION, CLOSE, "2000"], ["dump", CAPTION],
        ["key", CAPTION, "tab"], ["key", CAPTION, "tab"],
        HELD_ENTER, ["focus", CAPTION, CLOSE, "2000"], ["dump", CAPTION], ["stop", "5000"],
    ], relay=False):
        return
    focus = [f["on"] for f in test.all("focus")]
    test.check(focus == [True, True], f"after Start and after Stop the focus is on Close, "
                                      f"which Enter held down did not press ({focus})")
    counting, stopped = (test.controls(d) for d in test.dumps()[:2])
    check_field_state(test, counting, counting=True)
    check_field_state(test, stopped, counting=False, caption="Start Countdown")


CHECKS = {
    "tab-order": run_tab_order,
    "keyboard": run_keyboard,
    "exitwindows": run_exitwindows,
    "exitwindows-fallback": run_exitwindows_fallback,
    "exitwindows-refused": lambda test: run_exitwindows_fallback(test, refusal=1314),
    "shutdown-command": run_shutdown_command,
    "no-time": run_no_time,
    "invalid-minutes": run_invalid_minutes,
    "stop": run_stop,
    "close": run_close,
}


def main():
    args = wineprefix.test_arguments(CHECKS).parse_args()
    test = CountdownTest(args)
    CHECKS[args.check](test)
    return test.report()


if __name__ == "__main__":
    sys.exit(main())
