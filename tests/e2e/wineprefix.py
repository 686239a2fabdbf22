"""Throwaway Wine prefixes, each with a private X server, for the end-to-end tests.

The fixture (fixture.py) creates them once per test run and writes their whereabouts to
state.json in the state directory; the tests read that file and run the driver in them.
"""

import argparse
import json
import os
import pathlib
import re
import shutil
import signal
import subprocess
import tempfile
import time

from tests.e2e import winehost

STATE_FILE = "state.json"

# The prefixes, and the Windows version each reports ("" leaves Wine's default, 6.1).
# "poweroff" is for the one test whose program calls ExitWindowsEx, which under Wine ends
# every process of the prefix: no other test runs there meanwhile.
PREFIXES = {"default": "", "winxp": "winxp", "poweroff": ""}

# The program's windows look for Verdana, which is not installed here; DejaVu Sans stands in.
# Without Managed=N every closed window stalls for two seconds when no window manager runs.
SETTINGS_REG = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"Verdana"="DejaVu Sans"

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"shutdown.exe"="native"

[HKEY_CURRENT_USER\Software\Wine\Debug]
"RelayInclude"="{relay}"
"""

# The calls a run with WINEDEBUG=+relay traces (RELAY_DEBUG): the power-off call, the
# message box calls and the shell's opening of an address, with their arguments, on stderr.
RELAY_CALLS = ["user32.ExitWindowsEx", "shell32.ShellExecuteA", "kernel32.CreateProcessW"] + [
    f"user32.MessageBox{kind}{charset}"
    for kind in ("", "Ex", "Indirect", "Timeout") for charset in "AW"
]
RELAY_DEBUG = "+relay"
RELAY_CALL = re.compile(r"Call (\w+\.\w+)\((.*)\) ret=")

# Wine's own shutdown.exe does nothing; the test prefixes have a stand-in in its place that
# logs how it was started (tests/e2e/shutdown_standin.cpp), to the file named by this
# environment variable.
SHUTDOWN_LOG_VARIABLE = "NODRELL_SHUTDOWN_LOG"

# The screen's dots per inch, which Wine reads at each program's start; programs are neither
# told 96 nor stretched, as on Windows XP.
DPI_REG = r"""REGEDIT4

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:{dpi:08x}
"""

# A 64-bit prefix knows only the 64-bit XP (5.2), so winecfg refuses "winxp" there; this
# value is what winecfg writes for it in a 32-bit prefix and makes Wine report 5.1.
WINXP_REG = r"""REGEDIT4

[HKEY_CURRENT_USER\Software\Wine]
"Version"="winxp"
"""

# The wine server stays this many seconds after its last program ends, so that the tests,
# run one after the other, find it and its service processes ready.
SERVER_LINGER_S = 30
# A D-Bus address that leads nowhere.
NO_BUS = "unix:path=/nonexistent/nodrell-test-bus"

# The longest a test run may keep the prefixes' desktops open; the cleanup ends it sooner.
HOLD_MAX_S = 300

WINE_FONTS = pathlib.Path("/usr/share/wine/fonts")


def driver_args(driver_exe, commands):
    """The driver's command line with the commands (lists of words) chained by ";"."""
    args = [str(pathlib.Path(driver_exe).resolve())]
    for i, command in enumerate(commands):
        if i:
            args.append(";")
        args.extend(command)
    return args


def json_records(text):
    """The JSON objects among the lines of the text, one a line."""
    records = []
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("{"):
            try:
                records.append(json.loads(line))
            except json.JSONDecodeError:
                pass
    return records


def relay_calls(text):
    """The calls in a relay trace, in the order made: [("dll.Function", [arguments])], the
    arguments as ints, or as str where the trace shows a string (a NULL string is 0)."""
    calls = []
    for line in text.splitlines():
        match = RELAY_CALL.search(line)
        if not match:
            continue
        # Numbers print as hex, strings as <pointer> "text" (L"text" for wide ones).
        args = []
        for arg in re.findall(r'[0-9a-fA-F]+(?: L?"(?:[^"\\]|\\.)*")?', match.group(2)):
            text_arg = re.search(r' L?"(.*)"$', arg)
            args.append(text_arg.group(1) if text_arg else int(arg, 16))
        calls.append((match.group(1), args))
    return calls


def windows_path(path):
    """The path as Wine programs see it, through drive Z:, which is the Unix root."""
    return "Z:" + str(pathlib.Path(path).resolve()).replace("/", "\\")


def test_arguments(checks):
    """The command line every end-to-end test script takes: the check to run, the Wine state
    of the fixture, the program, the driver and the prefix. Returns the parser, for a
    script's own options."""
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=list(checks))
    parser.add_argument("--state", required=True)
    parser.add_argument("--loader", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--prefix", default="default", choices=list(PREFIXES))
    return parser


def start_xvfb(log_path):
    """Starts an X server on a free display number that it picks itself (96 DPI). Returns the
    process and the display name, such as ":3"."""
    read_end, write_end = os.pipe()
    with open(log_path, "wb") as log:
        # -noreset: an X server resets when its last client leaves, and turns away whoever
        # connects meanwhile; a client that only looks whether the server is there would
        # make the next one fail.
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-dpi", "96", "-noreset"],
            pass_fds=(write_end,), stdin=subprocess.DEVNULL, stdout=log, stderr=log,
            start_new_session=True)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + 15
    while not number.endswith(b"\n") and time.monotonic() < deadline:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
    os.close(read_end)
    if not number.strip().isdigit():
        proc.kill()
        raise SystemExit(f"Xvfb did not start; see {log_path}")
    return proc, ":" + number.decode().strip()


class Wine:
    """A state directory with the X server and the prefixes of one test run."""

    def __init__(self, state_dir, loader):
        self.state_dir = pathlib.Path(state_dir).resolve()
        # The loader, its server and the prefixes' architecture are of one kind.
        kind = winehost.for_loader(loader)
        self.loader = kind.loader
        self.server = kind.server
        self.arch = kind.arch
        self.log_dir = self.state_dir / "logs"
        self.state = {}

    # --- state ---------------------------------------------------------------------------

    def load(self):
        path = self.state_dir / STATE_FILE
        if not path.exists():
            raise SystemExit(f"{path} is missing: the e2e setup has not run")
        self.state = json.loads(path.read_text())
        return self

    def save(self):
        (self.state_dir / STATE_FILE).write_text(json.dumps(self.state, indent=1))

    def prefix_dir(self, name):
        return self.state_dir / f"prefix-{name}"

    def env(self, prefix, debug=None, extra=None):
        env = dict(os.environ)
        env.update(
            DISPLAY=self.display(prefix),
            WINEPREFIX=str(self.prefix_dir(prefix)),
            WINELOADER=self.loader,
            WINEDEBUG=debug or os.environ.get("NODRELL_WINEDEBUG", "-all"),
            WINEDLLOVERRIDES="mscoree,mshtml=",
            # Wine's own services look for the host's system bus (for its disks); a test
            # prefix reaches none of the host's services, on either bus.
            DBUS_SYSTEM_BUS_ADDRESS=NO_BUS,
            DBUS_SESSION_BUS_ADDRESS=NO_BUS,
        )
        env.update(extra or {})
        env["WINEARCH"] = self.arch
        return env

    def display(self, prefix):
        """The X display of the prefix's programs."""
        return self.state.get("displays", {}).get(prefix, self.state["display"])

    def xvfb_pid(self, prefix):
        return self.state.get("xvfb_pids", {}).get(prefix, self.state["xvfb_pid"])

    # --- running programs ----------------------------------------------------------------

    def run(self, prefix, args, timeout, log_name=None, debug=None, extra_env=None):
        """Runs a Wine program in the prefix; returns (exit code, stdout text, stderr text).

        Output goes through files, not pipes: Wine's service processes outlive the program
        and would hold a pipe open. `debug` replaces WINEDEBUG, `extra_env` adds variables."""
        self.log_dir.mkdir(parents=True, exist_ok=True)
        self.ensure_server(prefix)
        with tempfile.TemporaryFile(dir=self.log_dir) as out, tempfile.TemporaryFile(
            dir=self.log_dir
        ) as err:
            try:
                code = subprocess.run(
                    [self.loader, *args],
                    env=self.env(prefix, debug, extra_env),
                    stdin=subprocess.DEVNULL,
                    stdout=out,
                    stderr=err,
                    timeout=timeout,
                    cwd=self.state_dir,
                ).returncode
            except subprocess.TimeoutExpired:
                code = None
            out.seek(0)
            err.seek(0)
            stdout = out.read().decode("utf-8", "replace")
            stderr = err.read().decode("utf-8", "replace")
        if log_name:
            (self.log_dir / f"{log_name}.log").write_text(
                f"$ {' '.join(args)}\nexit: {code}\n--- stdout\n{stdout}--- stderr\n{stderr}"
            )
        return code, stdout, stderr

    def driver(self, prefix, driver_exe, commands, timeout, debug=None, extra_env=None):
        """Runs the driver with the commands (lists of words) chained in one process.

        Returns (exit code, list of the JSON records it printed, raw stdout + stderr)."""
        code, stdout, stderr = self.run(prefix, driver_args(driver_exe, commands), timeout,
                                        debug=debug, extra_env=extra_env)
        return code, json_records(stdout), stdout + stderr

    def start_driver(self, prefix, driver_exe, commands, out_path, err_path, debug=None,
                     extra_env=None):
        """Starts the driver without waiting, its stdout and stderr going to the two files.

        For runs that end in a way the driver cannot report (ExitWindowsEx ends it too): the
        caller watches the files and the process."""
        self.ensure_server(prefix)
        with open(out_path, "wb") as out, open(err_path, "wb") as err:
            return subprocess.Popen(
                [self.loader, *driver_args(driver_exe, commands)],
                env=self.env(prefix, debug, extra_env),
                stdin=subprocess.DEVNULL,
                stdout=out,
                stderr=err,
                cwd=self.state_dir,
            )

    def processes(self, prefix):
        """The host's processes that run in the prefix: {pid: command line}."""
        wanted = b"\0WINEPREFIX=" + os.fsencode(self.prefix_dir(prefix)) + b"\0"
        found = {}
        for entry in pathlib.Path("/proc").iterdir():
            if not entry.name.isdigit():
                continue
            try:
                environ = (entry / "environ").read_bytes()
                cmdline = (entry / "cmdline").read_bytes()
            except OSError:
                continue
            if wanted in b"\0" + environ:
                found[int(entry.name)] = cmdline.replace(b"\0", b" ").decode(errors="replace")
        return found

    def alive(self, pid, marker):
        """Whether the process runs and its command line holds `marker` (bytes)."""
        try:
            return marker in pathlib.Path(f"/proc/{pid}/cmdline").read_bytes() and \
                pathlib.Path(f"/proc/{pid}/stat").read_text().split(") ")[1][0] != "Z"
        except (OSError, IndexError):
            return False

    def ensure_server(self, prefix):
        """Starts the prefix's wine server unless one runs, lingering after its last program.

        Left to the loader, Debian's server quits with the last program, and each test would
        wait for it and the service processes to start again. An idle server still ends by
        itself, so an interrupted run leaves nothing behind for long."""
        subprocess.run(
            [self.server, f"-p{SERVER_LINGER_S}"],
            env={**os.environ, "WINEPREFIX": str(self.prefix_dir(prefix))},
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            timeout=20,
        )

    def kill_server(self, prefix):
        """Ends every Wine process of the prefix."""
        if not self.prefix_dir(prefix).exists():
            return
        env = {**os.environ, "WINEPREFIX": str(self.prefix_dir(prefix))}
        subprocess.run(
            [self.server, "-k"],
            env=env,
            stdin=subprocess.DEVNULL,
            stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL,
            timeout=20,
        )

    # --- the X server --------------------------------------------------------------------

    def start_xvfb(self, prefix):
        """Starts an X server for the prefix's programs, on a display number it picks itself
        among the free ones.

        One for each prefix: on a shared display, a window that another prefix's program
        activates takes the X input focus, and Wine then deactivates the window that had it,
        whose keys (Escape, Enter) would go nowhere. The first one started is also the
        state's "display"."""
        proc, display = start_xvfb(self.log_dir / f"xvfb-{prefix}.log")
        self.state.setdefault("displays", {})[prefix] = display
        self.state.setdefault("xvfb_pids", {})[prefix] = proc.pid
        self.state.setdefault("display", display)
        self.state.setdefault("xvfb_pid", proc.pid)

    def stop_xvfb(self):
        pids = set(self.state.get("xvfb_pids", {}).values())
        if self.state.get("xvfb_pid"):
            pids.add(self.state["xvfb_pid"])
        for pid in pids:
            self.stop_one_xvfb(pid)

    def stop_one_xvfb(self, pid):
        try:
            # Only our own X server: the pid may have been reused since.
            cmdline = pathlib.Path(f"/proc/{pid}/cmdline").read_bytes()
        except OSError:
            return
        if b"Xvfb" not in cmdline or b"-displayfd" not in cmdline:
            return
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            if not pathlib.Path(f"/proc/{pid}").exists():
                return
            try:
                if pathlib.Path(f"/proc/{pid}/stat").read_text().split(") ")[1][0] == "Z":
                    return
            except OSError:
                return
            time.sleep(0.1)
        os.kill(pid, signal.SIGKILL)

    # --- prefixes ------------------------------------------------------------------------

    def create_prefix(self, name):
        """Starts wineboot for a new prefix; returns the running process."""
        folder = self.prefix_dir(name)
        folder.mkdir(parents=True)
        self.ensure_server(name)
        log = open(self.log_dir / f"wineboot-{name}.log", "wb")
        proc = subprocess.Popen(
            [self.loader, "wineboot", "-i"],
            env=self.env(name),
            stdin=subprocess.DEVNULL,
            stdout=log,
            stderr=log,
            cwd=self.state_dir,
        )
        log.close()
        proc.prefix_name = name
        proc.prefix_dir = folder
        return proc

    def wait_boot(self, proc, timeout):
        """Waits for the wineboot that create_prefix started; fails unless it ends well."""
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            raise SystemExit(f"wineboot of prefix {proc.prefix_name} took too long")
        if proc.returncode != 0:
            raise SystemExit(
                f"wineboot of prefix {proc.prefix_name} failed ({proc.returncode}); "
                f"see {self.log_dir}/wineboot-{proc.prefix_name}.log"
            )

    def boot(self, name, timeout):
        """A new prefix in place of whatever lay there, booted and configured (without the
        shutdown.exe stand-in)."""
        shutil.rmtree(self.prefix_dir(name), ignore_errors=True)
        self.wait_boot(self.create_prefix(name), timeout)
        self.configure_prefix(name)

    def start_holder(self, name, driver_exe):
        """Keeps Wine's desktop process of the prefix running until the cleanup.

        The desktop process ends a second after its last program; a program that starts
        while it ends waits ten seconds for it. A hidden window held open all along avoids
        that. Returns once the window exists."""
        log_path = self.log_dir / f"holder-{name}.log"
        with open(log_path, "wb") as log:
            proc = subprocess.Popen(
                [self.loader, str(pathlib.Path(driver_exe).resolve()), "hold",
                 str(HOLD_MAX_S * 1000)],
                env=self.env(name),
                stdin=subprocess.DEVNULL,
                stdout=log,
                stderr=log,
                cwd=self.state_dir,
                start_new_session=True,
            )
        self.state.setdefault("holders", {})[name] = proc.pid
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and proc.poll() is None:
            if '"type":"hold"' in log_path.read_text(errors="replace"):
                return
            time.sleep(0.05)
        raise SystemExit(f"the desktop holder of prefix {name} did not start; see {log_path}")

    def stop_holders(self):
        for pid in self.state.get("holders", {}).values():
            try:
                if b"nodrell-driver" in pathlib.Path(f"/proc/{pid}/cmdline").read_bytes():
                    os.kill(pid, signal.SIGKILL)
            except OSError:
                pass

    def set_dpi(self, name, dpi):
        """The dots per inch of the programs that start in the prefix from now on."""
        reg = self.state_dir / f"dpi-{name}.reg"
        reg.write_text(DPI_REG.format(dpi=dpi).replace("\n", "\r\n"))
        code, _, _ = self.run(name, ["regedit", "/S", windows_path(reg)], 60, f"regedit-dpi-{name}")
        if code != 0:
            raise SystemExit(f"cannot set {dpi} dots per inch in prefix {name}")

    def configure_prefix(self, name, standin=None):
        """Fonts, registry settings, the shutdown.exe stand-in and Windows version of a
        booted prefix."""
        windows = self.prefix_dir(name) / "drive_c" / "windows"
        fonts = windows / "Fonts"
        fonts.mkdir(parents=True, exist_ok=True)
        if WINE_FONTS.is_dir():
            for font in WINE_FONTS.iterdir():
                shutil.copy2(font, fonts / font.name)
        if standin:
            # GetSystemDirectory: system32, for 64-bit programs in a 64-bit prefix as for
            # 32-bit ones in a 32-bit prefix; the stand-in is built for the program's machine.
            (windows / "system32" / "shutdown.exe").unlink(missing_ok=True)
            shutil.copyfile(standin, windows / "system32" / "shutdown.exe")
        reg = self.state_dir / f"settings-{name}.reg"
        relay = ";".join(RELAY_CALLS)
        reg.write_text(SETTINGS_REG.replace("{relay}", relay).replace("\n", "\r\n"))
        code, _, _ = self.run(name, ["regedit", "/S", windows_path(reg)], 60, f"regedit-{name}")
        if code != 0:
            raise SystemExit(f"regedit failed in prefix {name}")
        version = PREFIXES[name]
        if version:
            code, _, _ = self.run(name, ["winecfg", "-v", version], 60, f"winecfg-{name}")
            if code != 0:
                xp = self.state_dir / f"winxp-{name}.reg"
                xp.write_text(WINXP_REG.replace("\n", "\r\n"))
                code, _, _ = self.run(name, ["regedit", "/S", windows_path(xp)], 60,
                                      f"regedit-version-{name}")
                if code != 0:
                    raise SystemExit(f"cannot set Windows version {version} in prefix {name}")
