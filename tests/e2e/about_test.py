"""The About window of the Windows build under Wine, opened from the countdown window and
worked by the driver as a user would.

    python3 -m tests.e2e.about_test CHECK --state DIR --loader WINE --exe Nodrell.exe
        --driver DRIVER.exe [--prefix default|winxp] [--openings N]

CHECK is one of:
  window           the About button opens the window modally: its caption, place, size,
                   texts and focus; Escape and Enter close it, and the countdown window takes
                   input again, with no button left looking like the default one
  sysinfo          with the System Information tool's path in the registry, System Info
                   starts that program (a logging stand-in) by its path, and no box appears
  sysinfo-missing  with Wine's own registry, which has no tool, System Info says so in a box
                   and the About window stays open
  link             a click on the address hands exactly that address to the shell, whose
                   browser (a logging stand-in) gets it
  gui-objects      N openings and closings (100 by default) leave the program holding no
                   more GDI objects, windows or handles than before

The tests that change the prefix (a registry value, files under C:\\) undo it when they end.
"""

import json
import os
import re
import shutil
import sys
import time

from tests.e2e import harness, wineprefix
from tests.e2e.harness import MB_ICONMASK, WS_CAPTION, WS_MAXIMIZEBOX, WS_MINIMIZEBOX
from tests.e2e.harness import WS_THICKFRAME
from tests.e2e.layout import ABOUT_CAPTION as ABOUT, CAPTION_PREFIX as CAPTION
from tests.e2e.layout import DPI, FORM1, FRM_ABOUT, WINDOW_CLASSES, pixels

HOME_PAGE = "https://nodrell.example.org/"
ABOUT_BUTTON = FORM1.centre("Command3")
CLOSE_BUTTON = FORM1.centre("Command2")
HOURS = FORM1.centre("txtTime(0)")
OK = "OK"
SYSINFO = "&System Info..."
UNAVAILABLE = "System Information Is Unavailable At This Time"
BOX = "=Nodrell"  # the message box: its caption is exactly the title

# The controls the checks name, found by their place in the window's layout table, with the
# text each must have.
TEXTS = {"cmdOK": OK, "cmdSysInfo": SYSINFO, "lblTitle": "Nodrell", "lblTitle2": "Nodrell",
         "lblVersion": "Version 1.3.0", "lblURL": HOME_PAGE}

# Window styles (winuser.h), besides those of the countdown window's checks.
WS_EX_DLGMODALFRAME = 0x00000001
BS_TYPEMASK = 0x0F
BS_DEFPUSHBUTTON = 0x01
MB_TYPEMASK = 0x0F
SW_SHOWNORMAL = 1

# Where the sysinfo test puts its stand-in for the System Information tool, below the
# prefix's drive C:, and the decoy that a path started as a bare command line would reach
# first (the command line "C:\nodrell-test\System Info\msinfo32.exe" names
# "C:\nodrell-test\System.exe" before the whole path).
TOOL_FOLDER = "nodrell-test"
TOOL = f"C:\\{TOOL_FOLDER}\\System Info\\msinfo32.exe"
DECOY = f"C:\\{TOOL_FOLDER}\\System.exe"
TOOL_KEY = r"HKLM\SOFTWARE\Microsoft\Shared Tools\MSINFO"
TOOL_VALUE = "PATH"
FOLDER_KEY = r"HKLM\SOFTWARE\Microsoft\Shared Tools Location"

# winebrowser starts the first of these Unix programs that it finds for an http(s) address.
BROWSER_KEY = r"HKCU\Software\Wine\WineBrowser"
BROWSER_VALUE = "Browsers"
BROWSER_SCRIPT = """#!{python}
import json, sys
with open({log!r}, "a") as log:
    log.write(json.dumps({{"argv": sys.argv[1:]}}) + "\\n")
"""

# The gui-objects check: openings before the first count (the first opening loads what the
# program then keeps: fonts, pictures, the link cursor; 59 GDI objects here), and the growth
# it tolerates between the two counts. A leak of one object an opening grows a count by the
# number of openings (a hundred); the few allowed only let through a cache that the system
# fills late, such as Wine's cache of a few window DCs. Windows are not cached: none may
# stay behind.
WARM_UP = 5
OBJECT_TOLERANCE = 8
HANDLE_TOLERANCE = 4


class AboutTest(harness.Test):
    def open_about(self):
        """The driver's commands that open the About window and wait until it has the focus."""
        return [["press", CAPTION, ABOUT_BUTTON], ["wait-window", ABOUT, "5000"],
                ["focus", ABOUT, OK, "3000"]]

    def reg(self, *args):
        """Runs Wine's reg.exe in the prefix; returns its exit code and output."""
        code, out, err = self.wine.run(self.prefix, ["reg", *args], 30)
        return code, out + err

    def drive(self, commands, timeout=25, relay=True):
        """Runs the driver with the program started and the About window opened first."""
        return super().drive(self.open_about() + commands, timeout, relay)

    def top(self, listing, caption):
        return next((r for r in listing if r["caption"] == caption), None)

    def check_open(self, listing, when):
        """The About window is open and takes input; the countdown window waits."""
        about = self.top(listing, ABOUT)
        main = next((r for r in listing if r["caption"].startswith(CAPTION)), None)
        self.check(about is not None and about["enabled"], f"{when}: the About window is open")
        self.check(main is not None and not main["enabled"],
                   f"{when}: the countdown window takes no input")

    def check_no_box(self, listing, when):
        others = [r["caption"] for r in listing
                  if r["caption"] != ABOUT and not r["caption"].startswith(CAPTION)]
        self.check(not others, f"{when}: no other window is open ({others})")
        boxes = [name for name, _ in self.relay if name.startswith("user32.MessageBox")]
        self.check(not boxes, f"no message box was asked for (traced: {boxes})")

    def focus_on_ok(self):
        focus = self.all("focus")
        self.check(bool(focus) and focus[0]["on"],
                   "OK has the focus when the window opens" + (
                       f" (it is on {focus[0].get('focusClass')} {focus[0].get('focusText')!r})"
                       if focus else ""))


def check_about_dump(test, window, children, main_window):
    """The About window as dumped right after it opened."""
    test.check(window["caption"] == ABOUT, f"caption {window['caption']!r}")
    test.check(window["class"] == main_window["class"],
               f"a window of the program's form class {window['class']!r}")
    position = tuple(pixels(v, DPI) for v in FRM_ABOUT.position)
    test.check(tuple(window["rect"][:2]) == position,
               f"its top left at {tuple(window['rect'][:2])}, expected {position}")
    client = tuple(pixels(v, DPI) for v in FRM_ABOUT.client)
    test.check(tuple(window["client"]) == client,
               f"client area {window['client'][0]} x {window['client'][1]}, expected "
               f"{client[0]} x {client[1]}")
    style, exstyle = window["style"], window["exstyle"]
    test.check(style & WS_CAPTION == WS_CAPTION and exstyle & WS_EX_DLGMODALFRAME,
               "a title bar and a dialog frame")
    test.check(not style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
               "no minimise or maximise box, not resizable")
    test.check(window["focus"] != 0 and window["active"] == window["hwnd"],
               "it is the active window")

    for name, text in TEXTS.items():
        row, cls = FRM_ABOUT.row[name], WINDOW_CLASSES[FRM_ABOUT.row[name].kind]
        want = tuple(pixels(v, DPI) for v in row.box)
        at_place = [c for c in children if c["parent"] == window["hwnd"]
                    and tuple(c["parentRect"][:2]) == want[:2]
                    and c["class"].lower() == cls.lower()]
        if not test.check(len(at_place) == 1,
                          f"{name}: one {cls} at {want[:2]} ({len(at_place)} found)"):
            continue
        control = at_place[0]
        test.check(control["text"] == text, f"{name} reads {control['text']!r}")
        if not row.auto_size:
            test.check(tuple(control["parentRect"][2:]) == want[2:],
                       f"{name} is {control['parentRect'][2]} x {control['parentRect'][3]}")
        test.check(control["visible"] and control["enabled"], f"{name} is visible and enabled")
        if name == "cmdOK":
            test.check(control["style"] & BS_TYPEMASK == BS_DEFPUSHBUTTON,
                       "OK is the default button")
            test.check(window["focus"] == control["hwnd"], "OK has the focus")
    buttons = [c["text"] for c in children if c["class"].lower() == "button"]
    test.check(buttons == [OK, SYSINFO], f"its buttons: {buttons}")


def run_window(test):
    if not test.drive([
        ["dump", ABOUT], ["windows"],
        # A click on the countdown window's Close while About is open must not get through.
        ["click", CAPTION, CLOSE_BUTTON],
        ["key", ABOUT, "escape"], ["wait-gone", ABOUT, "3000"], ["windows"], ["dump", CAPTION],
        ["type", CAPTION, HOURS, "07"], ["dump", CAPTION],
        # Again, closed with Enter on OK this time.
        *test.open_about(), ["key", ABOUT, "enter"], ["wait-gone", ABOUT, "3000"], ["windows"],
        ["stop", "5000"],
    ]):
        return
    listings = test.listings()
    dumps = test.dumps()
    main_window = next((r for r in listings[0] if r["caption"].startswith(CAPTION)), None)
    test.focus_on_ok()
    if main_window:
        check_about_dump(test, *dumps[0], main_window)
    test.check_open(listings[0], "while open")
    click = test.all("click")[0]
    test.check(not click["delivered"],
               "a click on the countdown window's Close does not reach it while About is open")

    after = listings[1]
    test.check(test.top(after, ABOUT) is None, "Escape closes the About window")
    main = next((r for r in after if r["caption"].startswith(CAPTION)), None)
    test.check(main is not None and main["enabled"], "the countdown window takes input again")
    window, _ = dumps[1]
    test.check(window["active"] == window["hwnd"], "and is the active window")
    typed = test.all("type")[0]
    test.check(typed["delivered"] and typed["focused"] and typed["text"] == "07",
               f"typing into its hours field works (it reads {typed['text']!r})")
    defaults = [c["text"] for c in dumps[2][1] if c["class"].lower() == "button"
                and c["style"] & BS_TYPEMASK == BS_DEFPUSHBUTTON]
    test.check(not defaults, f"with the focus in a field no button looks like the default "
                             f"one ({defaults})")

    focus = test.all("focus")
    test.check(len(focus) == 2 and focus[1]["on"], "opened again, OK has the focus")
    test.check(test.top(listings[2], ABOUT) is None, "Enter on OK closes the About window")
    test.check(not [r for r in listings[2] if r["caption"] != main_window["caption"]]
               if main_window else False, "no other window is open afterwards")
    test.check(not test.shutdown_starts(), "neither key started the System Information tool")
    boxes = [name for name, _ in test.relay if name.startswith("user32.MessageBox")]
    test.check(not boxes, f"no message box was asked for (traced: {boxes})")


def prefix_path(test, windows_path):
    """Where a C: path of the prefix lies on this machine."""
    assert windows_path[:3].upper() == "C:\\"
    return test.wine.prefix_dir(test.prefix).joinpath(
        "drive_c", *windows_path[3:].split("\\"))


def run_sysinfo(test):
    folder = prefix_path(test, f"C:\\{TOOL_FOLDER}")
    shutil.rmtree(folder, ignore_errors=True)
    for program in (TOOL, DECOY):
        prefix_path(test, program).parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(test.args.standin, prefix_path(test, program))
    code, output = test.reg("add", TOOL_KEY, "/v", TOOL_VALUE, "/t", "REG_SZ", "/d", TOOL, "/f")
    try:
        if not test.check(code == 0, f"the tool's path is registered ({output.strip()})"):
            return
        ran = test.drive([
            ["click", ABOUT, SYSINFO],
            ["wait-file", wineprefix.windows_path(test.shutdown_log), "5000"],
            # Long enough for a box or a second start to come.
            ["sleep", "500"], ["windows"], ["stop", "5000"],
        ])
    finally:
        code, output = test.reg("delete", TOOL_KEY, "/v", TOOL_VALUE, "/f")
        test.check(code == 0, f"the tool's path is removed again ({output.strip()})")
        shutil.rmtree(folder, ignore_errors=True)
    if not ran:
        return
    test.focus_on_ok()
    starts = test.shutdown_starts()
    test.check(len(starts) == 1, f"one program was started ({len(starts)})")
    for start in starts:
        test.check(start["module"] == TOOL, f"the registered tool {start['module']!r}")
        program = re.match(r'\s*("([^"]*)"|\S+)', start["commandLine"])
        named = program.group(2) if program and program.group(2) is not None else (
            program.group(1) if program else None)
        test.check(named == TOOL, f"its command line names it: {start['commandLine']!r}")
        print(f"note: shown with dwFlags {start['flags']:#x}, wShowWindow {start['showWindow']}")
    listing = test.listings()[0]
    test.check_open(listing, "afterwards")
    test.check_no_box(listing, "afterwards")


def run_sysinfo_missing(test):
    # Wine's own registry: the MSINFO key without a PATH value, no folder key.
    path_code, path_output = test.reg("query", TOOL_KEY, "/v", TOOL_VALUE)
    folder_code, folder_output = test.reg("query", FOLDER_KEY)
    if not (test.check(path_code != 0, f"the prefix has no {TOOL_KEY} {TOOL_VALUE} "
                                       f"({path_output.strip()!r})") and
            test.check(folder_code != 0, f"the prefix has no {FOLDER_KEY} "
                                         f"({folder_output.strip()!r})")):
        return
    if not test.drive([
        ["press", ABOUT, SYSINFO], ["wait-window", BOX, "5000"], ["dump", BOX], ["windows"],
        ["click", BOX, OK], ["wait-gone", BOX, "3000"], ["sleep", "300"], ["windows"],
        ["focus", ABOUT, SYSINFO, "2000"], ["stop", "5000"],
    ]):
        return
    test.focus_on_ok()
    window, children = test.dumps()[0]
    test.check(window["class"] == "#32770" and window["caption"] == "Nodrell",
               f"a message box {window['caption']!r} (class {window['class']})")
    texts = [c["text"] for c in children if c["class"].lower() == "static" and c["text"]]
    test.check(texts == [UNAVAILABLE], f"it says {texts}")
    icons = [c for c in children if c.get("icon")]
    test.check(not icons, f"it shows no icon ({len(icons)} shown)")
    buttons = [c["text"] for c in children if c["class"].lower() == "button"]
    test.check(buttons == [OK], f"its buttons: {buttons}")
    asked = [(args[1], args[2], args[3]) for name, args in test.relay
             if name.startswith("user32.MessageBox") and len(args) >= 4]
    test.check(len(asked) == 1 and asked[0][:2] == (UNAVAILABLE, "Nodrell")
               and asked[0][2] & (MB_ICONMASK | MB_TYPEMASK) == 0,
               f"the program asked for one box with OK alone and no icon "
               f"(traced text, title, type: {asked})")

    during, after = test.listings()[:2]
    about = test.top(during, ABOUT)
    test.check(about is not None and not about["enabled"],
               "the About window takes no input while the box is open")
    test.check_open(after, "after OK")
    others = [r["caption"] for r in after
              if r["caption"] != ABOUT and not r["caption"].startswith(CAPTION)]
    test.check(not others, f"after OK no other window is open ({others})")
    focus = test.all("focus")[-1]
    test.check(focus.get("activeText") == ABOUT and focus["on"],
               f"after OK the About window is active, the focus back on System Info (on "
               f"{focus.get('focusText')!r} in {focus.get('activeText')!r})")
    test.check(not test.shutdown_starts(), "no program was started")


def run_link(test):
    log = test.wine.log_dir / f"browser-{os.getpid()}.log"
    log.unlink(missing_ok=True)
    script = test.wine.log_dir / f"browser-{os.getpid()}.py"
    script.write_text(BROWSER_SCRIPT.format(python=sys.executable, log=str(log)))
    script.chmod(0o755)
    code, output = test.reg("add", BROWSER_KEY, "/v", BROWSER_VALUE, "/t", "REG_SZ",
                            "/d", f'"{script}"', "/f")
    try:
        if not test.check(code == 0, f"the browser stand-in is set ({output.strip()})"):
            return
        ran = test.drive([
            ["click", ABOUT, HOME_PAGE],
            ["wait-file", wineprefix.windows_path(log), "10000"],
            ["sleep", "500"], ["windows"], ["stop", "5000"],
        ], timeout=30)
    finally:
        code, output = test.reg("delete", BROWSER_KEY, "/v", BROWSER_VALUE, "/f")
        test.check(code == 0, f"the browser stand-in is removed again ({output.strip()})")
        script.unlink(missing_ok=True)
    browsed = wineprefix.json_records(log.read_text()) if log.exists() else []
    log.unlink(missing_ok=True)
    if not ran:
        return
    test.focus_on_ok()
    opened = [args for name, args in test.relay if name == "shell32.ShellExecuteA"]
    test.check(opened == [[0, 0, HOME_PAGE, 0, "", SW_SHOWNORMAL]],
               f"the program called ShellExecuteA(0, NULL, address, NULL, \"\", 1) once "
               f"(traced: {opened})")
    test.check([b["argv"] for b in browsed] == [[HOME_PAGE]],
               f"the browser got exactly the address ({[b['argv'] for b in browsed]})")
    listing = test.listings()[0]
    test.check_open(listing, "afterwards")
    test.check_no_box(listing, "afterwards")


def run_gui_objects(test):
    openings = test.args.openings
    first, second = openings // 2, openings - openings // 2
    cycle = ["cycle", CAPTION, ABOUT_BUTTON, ABOUT]
    began = time.monotonic()
    if not test.drive([
        ["key", ABOUT, "escape"], ["wait-gone", ABOUT, "3000"],
        [*cycle, "escape", str(WARM_UP - 1), "5000"], ["resources"],
        # Closed both ways: Escape, then Enter on OK.
        [*cycle, "escape", str(first), "5000"], [*cycle, "enter", str(second), "5000"],
        ["resources"], ["windows"], ["stop", "5000"],
    ], timeout=30 + openings * 0.3, relay=False):
        return
    cycles = test.all("cycle")
    done = sum(c["count"] for c in cycles[1:])
    spent = sum(c["totalMs"] for c in cycles[1:])
    test.check(done == openings, f"opened and closed {done} times after {WARM_UP} to warm up")
    if done:
        print(f"note: {spent / done:.1f} ms an opening (slowest "
              f"{max(c['slowestMs'] for c in cycles[1:])} ms; the run took "
              f"{time.monotonic() - began:.1f} s)")
    before, after = test.all("resources")[:2]
    print(f"counts before: {json.dumps(before)}")
    print(f"counts after:  {json.dumps(after)}")

    def compare(key, what, tolerance):
        grown = after[key] - before[key]
        test.check(grown <= tolerance,
                   f"{what}: {before[key]} before, {after[key]} after "
                   f"(grew by {grown}, {tolerance} allowed)")

    # GetGuiResources where the system has it; Wine's is a stub that answers 0 and leaves
    # ERROR_CALL_NOT_IMPLEMENTED, so there the GDI handle table and the windows count.
    gui_works = before["guiGdi"] > 0 and before["guiUser"] > 0
    if gui_works:
        compare("guiGdi", "GetGuiResources GDI objects", OBJECT_TOLERANCE)
        compare("guiUser", "GetGuiResources USER objects", OBJECT_TOLERANCE)
    else:
        print(f"note: GetGuiResources answers GDI {before['guiGdi']} (error "
              f"{before['guiGdiError']}), USER {before['guiUser']} (error "
              f"{before['guiUserError']}): not implemented here")
    if test.check(gui_works or before["gdiTable"] > 0,
                  "the GDI objects are counted (GetGuiResources or the GDI handle table)"):
        if before["gdiTable"] > 0:
            compare("gdiTable", "GDI objects in the handle table", OBJECT_TOLERANCE)
    compare("windows", "windows, hidden and message-only ones included", 0)
    if before["kernelHandles"] >= 0:
        compare("kernelHandles", "kernel handles", HANDLE_TOLERANCE)
    else:
        print("note: the kernel handles cannot be counted here")
    tops = [r["caption"] for r in test.listings()[0]]
    test.check(len(tops) == 1 and tops[0].startswith(CAPTION),
               f"only the countdown window is open ({tops})")


CHECKS = {
    "window": run_window,
    "sysinfo": run_sysinfo,
    "sysinfo-missing": run_sysinfo_missing,
    "link": run_link,
    "gui-objects": run_gui_objects,
}


def main():
    parser = wineprefix.test_arguments(CHECKS)
    parser.add_argument("--standin", help="the logging program put in the tool's place")
    parser.add_argument("--openings", type=int, default=100)
    args = parser.parse_args()
    if args.check == "sysinfo" and not args.standin:
        parser.error("sysinfo needs --standin")
    test = AboutTest(args)
    CHECKS[args.check](test)
    return test.report()


if __name__ == "__main__":
    sys.exit(main())
