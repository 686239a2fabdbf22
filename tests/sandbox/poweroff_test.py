"""The Linux power-off routes of the real program, end to end, in a sandbox.

    python3 -m tests.sandbox.namespaces python3 -m tests.sandbox.poweroff_test CASE
        --program NODRELL --login1 LOGIN1-STANDIN --uname5 UNAME-SHIM.so
        --shutdown SHUTDOWN-STANDIN

The program runs on an X server of its own and is worked with xdotool as a user would: a
target a few seconds ahead typed into its fields, then Start. It runs in the private mount
and network namespaces that namespaces.py made (inside a user namespace for a user other than
root), where /sbin/shutdown is bind-mounted to SHUTDOWN-STANDIN, which only logs, and
DBUS_SYSTEM_BUS_ADDRESS leads to a private dbus-daemon of the test's own, on which
LOGIN1-STANDIN owns org.freedesktop.login1 and only logs PowerOff. Before the program
starts, the test proves from inside the namespaces that this is so, and refuses to run
otherwise.

CASE is one of:
  accepted      logind takes PowerOff: PowerOff(false) comes in the target second, and the
                shutdown program is not started
  refused       logind refuses: /sbin/shutdown -P now is started instead
  both-refused  logind and the shutdown program refuse: one message box, then the ready look
  no-bus        no system bus, and the shutdown program refuses: the same
  stop          Stop is clicked as the target second begins: no request at all
  kernel5       a kernel of major version 5 (the uname shim): the shutdown program first; it
                refuses, so PowerOff follows
  logind-silent logind never answers: /sbin/shutdown -P now follows within 15 s
  kernel5-hang  kernel 5, and the shutdown program hangs (ending only after 12 s): PowerOff
                follows within 15 s, and the late end of the program is reaped, not answered
  both-silent   logind never answers and the shutdown program hangs: one box within 30 s
  bus-again     no system bus at the first countdown's target, so the shutdown program takes
                the request; the bus is there for the second countdown, and PowerOff reaches it
"""

import argparse
import ctypes
import os
import pathlib
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from tests.e2e.harness import Failures
from tests.e2e.layout import CAPTION_PREFIX, FORM1
from tests.e2e.wineprefix import start_xvfb

SHUTDOWN = "/sbin/shutdown"
# The system bus socket where systems keep it, and where the D-Bus library looks by default;
# /var/run is mostly a link to /run, but not on every system.
HOST_BUS_SOCKETS = ("/run/dbus/system_bus_socket", "/var/run/dbus/system_bus_socket")
X_SOCKETS = "/tmp/.X11-unix"
LOGIN1 = "org.freedesktop.login1"
# The target lies this many seconds after the moment it is typed.
AHEAD_S = 4
# How late after the start of the target second the first request may come.
LATE_S = 1.0
# How long a route has to answer, and when the other route's request must have come.
ANSWER_S = 10
GIVEN_WAY_S = 15
# The hanging shutdown program ends this long after its start.
HANG_S = 12
GREEN = (0, 255, 0)

CASES = {
    # name: (logind answers, shutdown program's exit status, kernel 5)
    "accepted": ("accept", 0, False),
    "refused": ("refuse", 0, False),
    "both-refused": ("refuse", 1, False),
    "no-bus": (None, 1, False),
    "stop": ("accept", 0, False),
    "kernel5": ("accept", 1, True),
    "logind-silent": ("silent", 0, False),
    "kernel5-hang": ("accept", "hang", True),
    "both-silent": ("silent", "hang", False),
    "bus-again": ("accept", 0, False),
}

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


class Refusal(Exception):
    """The sandbox is not what it must be: the test does not run."""


def mount_points(mountinfo):
    return [line.split()[4] for line in pathlib.Path(mountinfo).read_text().splitlines()]


def mount_ids(mountinfo):
    return {line.split()[0] for line in pathlib.Path(mountinfo).read_text().splitlines()}


def same_file(a, b):
    sa, sb = os.stat(a), os.stat(b)
    return (sa.st_dev, sa.st_ino) == (sb.st_dev, sb.st_ino)


def enter_own_namespaces():
    """Proves that the test runs in mount and network namespaces of its own, whose mounts
    show nowhere else, and gives its X server a socket folder of its own. Other X servers
    on the machine then share no socket with it, abstract or in /tmp/.X11-unix.

    The proof reads the parent's mount and socket tables, which a test in a user namespace
    may read where the parent's namespace links are closed to it: a mount namespace of its
    own holds copies of the parent's mounts, with ids of their own, and a socket made in a
    network namespace of its own is not in the parent's table."""
    parent = os.getppid()
    if mount_ids("/proc/self/mountinfo") & mount_ids(f"/proc/{parent}/mountinfo"):
        raise Refusal("not in a mount namespace of its own (it has mounts of its parent's): "
                      "run it through namespaces.py")
    with socket.socket(socket.AF_UNIX) as probe:
        name = f"nodrell-sandbox-{os.getpid()}"
        probe.bind("\0" + name)
        seen = [f"@{name}" in pathlib.Path(f"/proc/{pid}/net/unix").read_text().split()
                for pid in ("self", parent)]
        if seen != [True, False]:
            raise Refusal("not in a network namespace of its own (a socket made here shows in "
                          "its parent's): run it through namespaces.py")
    shared = [line for line in pathlib.Path("/proc/self/mountinfo").read_text().splitlines()
              if " shared:" in line.split(" - ")[0]]
    if shared:
        raise Refusal(f"mounts here still propagate to others: {shared[0]}")
    os.makedirs(X_SOCKETS, mode=0o1777, exist_ok=True)
    subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=1777", "tmpfs", X_SOCKETS], check=True)


def put_shutdown_standin(standin):
    """Bind-mounts the stand-in over what /sbin/shutdown runs, in this namespace alone, and
    proves that it took."""
    parent = os.getppid()
    # /sbin/shutdown is usually a link, to systemctl; the mount goes on the file it leads to.
    # A system without one (a minimal install with no init system) gets an empty folder over
    # the one it would be in, with a file to mount on, in this namespace alone.
    if not os.path.lexists(SHUTDOWN):
        folder = os.path.realpath(os.path.dirname(SHUTDOWN))
        subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", folder], check=True)
        pathlib.Path(folder, os.path.basename(SHUTDOWN)).touch()
    target = os.path.realpath(SHUTDOWN)
    if not os.path.isfile(target):
        raise Refusal(f"{SHUTDOWN} leads to no file ({target}) to put the stand-in over")
    subprocess.run(["mount", "--bind", str(standin), target], check=True)
    if not same_file(SHUTDOWN, standin):
        raise Refusal(f"{SHUTDOWN} is not the stand-in after the mount")
    if target in mount_points(f"/proc/{parent}/mountinfo"):
        raise Refusal(f"the mount on {target} shows outside the namespace")
    print(f"{SHUTDOWN} ({target}) is the stand-in {standin}, in this namespace alone")


def hide_host_bus():
    """Covers the folder of the host's system bus socket with an empty one, in this namespace
    alone, and proves the socket gone: whatever bus address a program here takes, it cannot
    reach the host's bus and its real login manager."""
    for folder in sorted({os.path.realpath(os.path.dirname(path)) for path in HOST_BUS_SOCKETS}):
        if os.path.isdir(folder):
            subprocess.run(["mount", "-t", "tmpfs", "-o", "mode=0755", "tmpfs", folder], check=True)
    reachable = [path for path in HOST_BUS_SOCKETS if os.path.exists(path)]
    if reachable:
        raise Refusal(f"the host's system bus {reachable[0]} is still reachable")
    print(f"the host's system bus ({', '.join(HOST_BUS_SOCKETS)}) is out of reach")


def bus_call(address, method, *args):
    """A call to the bus daemon at the address; its printed reply."""
    return subprocess.run(
        ["dbus-send", f"--bus={address}", "--print-reply", "--reply-timeout=5000",
         "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus", f"org.freedesktop.DBus.{method}",
         *args],
        capture_output=True, text=True, timeout=10, env=quiet_env()).stdout


def pid_on_bus(address, name):
    reply = bus_call(address, "GetConnectionUnixProcessID", f"string:{name}")
    words = reply.split()
    return int(words[-1]) if "uint32" in words else None


def die_with_parent():
    PR_SET_PDEATHSIG = 1
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def quiet_env():
    """The environment without any bus address of the host's."""
    env = dict(os.environ)
    for name in ("DBUS_SYSTEM_BUS_ADDRESS", "DBUS_SESSION_BUS_ADDRESS", "LD_PRELOAD",
                 "QT_QPA_PLATFORM"):
        env.pop(name, None)
    return env


class Sandbox:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.logind, self.shutdown_status, self.kernel5 = CASES[args.case]
        self.processes = []
        self.login1_log = work / "login1.log"
        self.shutdown_log = work / "shutdown.log"
        self.failures = Failures()

    def check(self, condition, message):
        return self.failures.check(condition, message)

    def start(self, argv, **kwargs):
        """Starts a process that is killed should the test end without stopping it."""
        proc = subprocess.Popen(argv, stdin=subprocess.DEVNULL, preexec_fn=die_with_parent,
                                **kwargs)
        self.processes.append(proc)
        return proc

    def stop_all(self):
        for proc in reversed(self.processes):
            if proc.poll() is None:
                proc.kill()
            proc.wait()

    # --- the bus --------------------------------------------------------------------------

    def no_bus(self):
        """The address of a private bus that is not there yet, proved to lead nowhere."""
        socket = self.work / "system_bus_socket"
        address = f"unix:path={socket}"
        if socket.exists():
            raise Refusal(f"{socket} exists, yet there must be no bus")
        print(f"the system bus address {address} leads nowhere")
        return address

    def start_bus(self):
        """A private dbus-daemon with the login manager's stand-in on it, proved to be what
        the address leads to. Returns the address."""
        socket = self.work / "system_bus_socket"
        config = self.work / "bus.conf"
        config.write_text(BUS_CONFIG.format(socket=socket))
        read_end, write_end = os.pipe()
        daemon = self.start(
            ["dbus-daemon", f"--config-file={config}", "--nofork", f"--print-address={write_end}"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            env=quiet_env())
        os.close(write_end)
        with os.fdopen(read_end) as printed:
            address = printed.readline().strip()
        if not address.startswith(f"unix:path={socket},"):
            raise Refusal(f"the private bus gave the address {address!r}")
        standin = self.start([self.args.login1, address, str(self.login1_log), self.logind],
                             stdout=subprocess.PIPE, text=True, env=quiet_env())
        if standin.stdout.readline().strip() != "ready":
            raise Refusal("the login manager's stand-in did not start")
        # The proof: the bus at the address is served by our daemon, and our stand-in owns
        # the login manager's name there.
        if pid_on_bus(address, "org.freedesktop.DBus") != daemon.pid:
            raise Refusal(f"{address} is not served by the private dbus-daemon {daemon.pid}")
        if pid_on_bus(address, LOGIN1) != standin.pid:
            raise Refusal(f"{LOGIN1} on {address} is not the stand-in {standin.pid}")
        print(f"the system bus address {address} is the private daemon {daemon.pid}, "
              f"{LOGIN1} its stand-in {standin.pid}")
        return address

    # --- the program ----------------------------------------------------------------------

    def start_program(self, bus_address):
        env = quiet_env()
        env.update(
            DISPLAY=self.display,
            DBUS_SYSTEM_BUS_ADDRESS=bus_address,
            DBUS_SESSION_BUS_ADDRESS=f"unix:path={self.work}/no-session-bus",
            XDG_RUNTIME_DIR=str(self.work),
            NODRELL_SHUTDOWN_LOG=str(self.shutdown_log),
            NODRELL_SHUTDOWN_STATUS=str(self.shutdown_status),
            NODRELL_SHUTDOWN_HANG=str(HANG_S),
        )
        if self.kernel5:
            env["LD_PRELOAD"] = self.args.uname5
            # A sanitized build wants its own run time first; the shim needs none of it.
            env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":verify_asan_link_order=0"
        log = open(self.work / "nodrell.log", "wb")
        self.program = self.start([self.args.program], stdout=log, stderr=log, env=env)
        log.close()
        self.window = self.wait_window(f"^{CAPTION_PREFIX}")

    def xdotool(self, *words):
        return subprocess.run(["xdotool", *words], capture_output=True, text=True, timeout=10,
                              env={**quiet_env(), "DISPLAY": self.display}).stdout.split()

    def wait_window(self, name, timeout=15):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            found = self.xdotool("search", "--onlyvisible", "--name", name)
            if found:
                return found[0]
            time.sleep(0.05)
        return None

    def windows_named(self, name):
        return self.xdotool("search", "--onlyvisible", "--name", name)

    def click(self, name):
        x, y, w, h = FORM1.box(name)
        self.xdotool("mousemove", "--window", self.window, str(x + w // 2), str(y + h // 2),
                     "click", "1")
        time.sleep(0.05)

    def type_into(self, name, text):
        self.click(name)
        self.xdotool("type", "--delay", "20", text)
        time.sleep(0.05)

    def start_countdown(self):
        """Types a target AHEAD_S seconds ahead and presses Start; returns the target as
        seconds since the epoch."""
        target = int(time.time()) + AHEAD_S
        if time.strftime("%H:%M:%S", time.localtime(target)) == "00:00:00":
            target += 1  # the one time the window refuses
        parts = time.strftime("%H %M %S", time.localtime(target)).split()
        for i, part in enumerate(parts):
            self.type_into(f"txtTime({i})", part)
        self.click("Command1(0)")
        return target

    def look(self):
        """What the window shows: whether it counts down, and the enabled state of the
        buttons and fields, read from its pixels."""
        shot = subprocess.run(["import", "-window", self.window, "-depth", "8", "ppm:-"],
                              capture_output=True, timeout=10,
                              env={**quiet_env(), "DISPLAY": self.display}).stdout
        magic, size, _, data = shot.split(b"\n", 3)
        width = int(size.split()[0])

        def pixel(x, y):
            i = (y * width + x) * 3
            return tuple(data[i:i + 3])

        def has_dark_text(name):
            x, y, w, h = FORM1.box(name)
            return any(max(pixel(px, py)) < 80 for px in range(x + 4, x + w - 4)
                       for py in range(y + 4, y + h - 4))

        left = FORM1.box("lblCountDown")
        field = FORM1.box("txtTime(0)")
        return {
            "green": pixel(left[0] + 3, left[1] + 3) == GREEN,
            "start enabled": has_dark_text("Command1(0)"),
            "stop enabled": has_dark_text("Command1(1)"),
            "fields enabled": pixel(field[0] + 3, field[1] + 3) == (255, 255, 255),
        }

    def check_look(self, counting, when):
        expected = {"green": counting, "start enabled": not counting,
                    "stop enabled": counting, "fields enabled": not counting}
        # Given time to paint what it shows: a part just uncovered is drawn a moment later.
        deadline = time.monotonic() + 2
        seen = self.look()
        while seen != expected and time.monotonic() < deadline:
            time.sleep(0.1)
            seen = self.look()
        self.check(seen == expected,
                   f"{when}: the {'counting' if counting else 'ready'} look ({seen})")

    # --- what happened --------------------------------------------------------------------

    def logged(self, path):
        """[(seconds since the epoch, rest of the line)] of a stand-in's log."""
        if not path.exists():
            return []
        entries = []
        for line in path.read_text().splitlines():
            moment, _, rest = line.partition(" ")
            entries.append((float(moment), rest))
        return entries

    def check_in_target_second(self, what, entries, target):
        if entries:
            late = entries[0][0] - target
            self.check(0 <= late <= LATE_S,
                       f"the first {what} came {late:+.3f} s after the target second began")

    def wait_until(self, done, moment):
        while not done() and time.time() < moment:
            time.sleep(0.1)

    def check_given_way(self, what, entries, target):
        """The other route's request came once the first had had its time to answer."""
        if self.check(len(entries) == 1, f"{what} came once ({len(entries)})"):
            late = entries[0][0] - target
            self.check(ANSWER_S - 0.5 <= late <= GIVEN_WAY_S,
                       f"{what} came {late:+.3f} s after the target second began")

    def zombies(self):
        """The program's children that ended without being reaped."""
        found = []
        for stat in pathlib.Path("/proc").glob("[0-9]*/stat"):
            try:
                fields = stat.read_text().rsplit(")", 1)[1].split()
            except OSError:
                continue
            if fields[0] == "Z" and int(fields[1]) == self.program.pid:
                found.append(stat.parent.name)
        return found

    def check_box_then_ready(self):
        boxes = self.windows_named("^Nodrell$")
        if not self.check(len(boxes) == 1, f"one message box is open ({len(boxes)})"):
            return
        time.sleep(0.6)  # the rest of the target second, with its ticks
        self.check(len(self.windows_named("^Nodrell$")) == 1, "no second box comes")
        # Out of the window's way, so that the window can be read.
        self.xdotool("windowmove", "--sync", boxes[0], "400", "300")
        self.check_look(True, "while the box is open")
        self.xdotool("key", "--window", boxes[0], "Return")
        deadline = time.monotonic() + 5
        while self.windows_named("^Nodrell$") and time.monotonic() < deadline:
            time.sleep(0.05)
        self.check(not self.windows_named("^Nodrell$"), "the box closes with Return")
        self.check_look(False, "after the box")

    def run(self):
        enter_own_namespaces()
        hide_host_bus()
        put_shutdown_standin(self.args.shutdown)
        case = self.args.case
        address = self.no_bus() if self.logind is None or case == "bus-again" else self.start_bus()
        xvfb, self.display = start_xvfb(self.work / "xvfb.log")
        self.processes.append(xvfb)
        if not self.check(self.xdotool("getdisplaygeometry") == ["1024", "768"],
                          f"the X server on {self.display} answers"):
            return
        self.start_program(address)
        if not self.check(self.window is not None, "the program's window is shown"):
            return
        self.check_look(False, "at the start")
        target = self.start_countdown()
        self.check_look(True, "after Start")

        if case == "stop":
            # Held from before the target second into it, the program finds the Stop click
            # and the target's tick waiting together, as when it is busy at that moment.
            time.sleep(max(0.0, target - 0.5 - time.time()))
            os.kill(self.program.pid, signal.SIGSTOP)
            self.click("Command1(1)")
            time.sleep(max(0.0, target + 0.3 - time.time()))
            os.kill(self.program.pid, signal.SIGCONT)
        elif case == "bus-again":
            time.sleep(max(0.0, target + 1.5 - time.time()))
            first = self.logged(self.shutdown_log)
            self.check(len(first) >= 1, "without a bus, the shutdown program took the request")
            self.check_in_target_second("shutdown", first, target)
            self.click("Command1(1)")
            self.start_bus()
            target = self.start_countdown()
        elif case in ("logind-silent", "kernel5-hang"):
            other = self.shutdown_log if case == "logind-silent" else self.login1_log
            self.wait_until(lambda: self.logged(other), target + GIVEN_WAY_S)
        elif case == "both-silent":
            self.wait_until(lambda: self.windows_named("^Nodrell$"), target + 2 * GIVEN_WAY_S)
            self.check(time.time() <= target + 2 * GIVEN_WAY_S,
                       f"the box came {time.time() - target:+.1f} s after the target second")
        time.sleep(max(0.0, target + 1.5 - time.time()))
        if case in ("both-refused", "no-bus", "both-silent"):
            self.check_box_then_ready()
        else:
            self.check(not self.windows_named("^Nodrell$"), "no message box")

        power_offs = self.logged(self.login1_log)
        shutdowns = self.logged(self.shutdown_log)
        print(f"PowerOff calls: {power_offs}\nshutdown starts: {shutdowns}")
        self.check(all(rest == "PowerOff false" for _, rest in power_offs),
                   "PowerOff is asked for without interaction")
        self.check(all(rest == "-P now" for _, rest in shutdowns),
                   "the shutdown program is started with -P now")
        if case == "accepted":
            self.check(len(power_offs) >= 1, "logind was asked to power off")
            self.check_in_target_second("PowerOff", power_offs, target)
            self.check(not shutdowns, "the shutdown program was not started")
        elif case == "refused":
            self.check(len(power_offs) == 1, "logind was asked once")
            self.check(len(shutdowns) >= 1, "the shutdown program was started after it")
            self.check_in_target_second("PowerOff", power_offs, target)
            self.check_in_target_second("shutdown", shutdowns, target)
        elif case in ("both-refused", "no-bus", "both-silent"):
            self.check(len(power_offs) == (0 if case == "no-bus" else 1),
                       f"logind was asked {len(power_offs)} times")
            self.check(len(shutdowns) == 1, "the shutdown program was started once")
        elif case == "stop":
            self.check(not power_offs and not shutdowns, "no power-off was asked for")
            self.check_look(False, "after Stop")
        elif case == "kernel5":
            self.check(len(shutdowns) == 1, "the shutdown program was started once")
            self.check_in_target_second("shutdown", shutdowns, target)
            self.check(len(power_offs) >= 1 and shutdowns and power_offs[0][0] >= shutdowns[0][0],
                       "logind was asked after the shutdown program refused")
        elif case == "logind-silent":
            self.check(len(power_offs) == 1, "logind was asked once")
            self.check_in_target_second("PowerOff", power_offs, target)
            self.check_given_way("the shutdown program", shutdowns, target)
        elif case == "kernel5-hang":
            self.check(len(shutdowns) == 1, "the shutdown program was started once")
            self.check_in_target_second("shutdown", shutdowns, target)
            self.check_given_way("PowerOff", power_offs, target)
            # The hanging program ends, late: reaped, and its consent taken for nothing.
            time.sleep(max(0.0, shutdowns[0][0] + HANG_S + 1 - time.time()) if shutdowns else 0)
            self.check(not self.zombies(), f"no child of the program is a zombie ({self.zombies()})")
            self.check(not self.windows_named("^Nodrell$"), "no message box after the late end")
        elif case == "bus-again":
            self.check(len(power_offs) >= 1, "logind was asked once the bus was there")
            self.check_in_target_second("PowerOff", power_offs, target)
            self.check(len(shutdowns) == len(first), "the shutdown program was not started again")
        self.check(self.program.poll() is None,
                   f"the program still runs (exit code {self.program.poll()})")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("case", choices=list(CASES))
    parser.add_argument("--program", required=True)
    parser.add_argument("--login1", required=True)
    parser.add_argument("--uname5", required=True)
    parser.add_argument("--shutdown", required=True)
    args = parser.parse_args()
    work = pathlib.Path(tempfile.mkdtemp(prefix="nodrell-sandbox-"))
    sandbox = Sandbox(args, work)
    try:
        sandbox.run()
    except Refusal as refusal:
        print(f"refusing to run: {refusal}")
        return 1
    finally:
        sandbox.stop_all()
        if sandbox.failures.items:
            for name in ("nodrell.log", "xvfb.log"):
                print(f"--- {name}")
                log = work / name
                print(log.read_text(errors="replace")[-3000:] if log.exists() else "(none)")
        shutil.rmtree(work, ignore_errors=True)
    if sandbox.failures.items:
        print(f"{len(sandbox.failures.items)} check(s) failed")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
