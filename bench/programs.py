"""Starting, watching and ending the programs that bench/run measures, and reading their
figures from /proc. Every process started here is ended again by its id, never by name."""

import os
import pathlib
import signal
import subprocess
import time

from tests.e2e import wineprefix  # X servers, JSON lines

ROOT = pathlib.Path(__file__).resolve().parent.parent

began = time.monotonic()
started = set()  # (pid, marker) of every process started and not yet ended


def say(text):
    print(f"[{time.monotonic() - began:6.1f} s] {text}", flush=True)


def run(args, log=None, check=True, **kwargs):
    """Runs a command to its end; its output goes to the log file (appended) or is returned."""
    args = [str(a) for a in args]
    if log is None:
        result = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, text=True,
                                **kwargs)
        if check and result.returncode != 0:
            raise SystemExit(f"{' '.join(args)} failed:\n{result.stdout}{result.stderr}")
        return result.stdout
    with open(log, "a") as out:
        out.write(f"$ {' '.join(args)}\n")
        out.flush()
        result = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.STDOUT, **kwargs)
    if check and result.returncode != 0:
        tail = "".join(pathlib.Path(log).read_text(errors="replace").splitlines(True)[-30:])
        raise SystemExit(f"{' '.join(args)} failed; the end of {log}:\n{tail}")
    return ""


def is_ours(pid, marker):
    """Whether the process runs (not a zombie) and its command line holds `marker` (bytes)."""
    try:
        if marker not in pathlib.Path(f"/proc/{pid}/cmdline").read_bytes():
            return False
        return pathlib.Path(f"/proc/{pid}/stat").read_text().rsplit(") ", 1)[1][0] != "Z"
    except (OSError, IndexError):
        return False


def end_process(pid, marker, wait_s=3.0):
    """Ends a process started here, by its id: TERM, then KILL if it stays."""
    for sig in (signal.SIGTERM, signal.SIGKILL):
        if not is_ours(pid, marker):
            break
        try:
            os.kill(pid, sig)
        except ProcessLookupError:
            break
        deadline = time.monotonic() + wait_s
        while time.monotonic() < deadline and is_ours(pid, marker):
            time.sleep(0.02)
    started.discard((pid, marker))


def end_all():
    for pid, marker in list(started):
        end_process(pid, marker, wait_s=1.0)


# --- readings from /proc ---------------------------------------------------------------------


def peak_rss_kib(pid):
    for line in pathlib.Path(f"/proc/{pid}/status").read_text().splitlines():
        if line.startswith("VmHWM:"):
            return int(line.split()[1])
    raise SystemExit(f"no VmHWM for process {pid}")


def usage(pid):
    """What the process has used so far, summed over its threads: time on the processor (ms,
    the scheduler's own count) and voluntary context switches, that is its wake-ups."""
    on_cpu_ns = switches = 0
    for task in pathlib.Path(f"/proc/{pid}/task").iterdir():
        try:
            on_cpu_ns += int((task / "schedstat").read_text().split()[0])
            for line in (task / "status").read_text().splitlines():
                if line.startswith("voluntary_ctxt_switches:"):
                    switches += int(line.split()[1])
        except (OSError, IndexError, ValueError):
            pass  # a thread that ended meanwhile
    return on_cpu_ns / 1e6, switches


# --- X servers and watched programs --------------------------------------------------------


class Xvfb:
    """A private X server on a display number it picks itself among the free ones."""

    def __init__(self, log):
        self.proc, self.display = wineprefix.start_xvfb(log)
        started.add((self.proc.pid, b"Xvfb"))

    def stop(self):
        end_process(self.proc.pid, b"Xvfb")
        self.proc.wait()


def gui_env(display, home):
    """The same environment for every Linux program measured: a throwaway home, no desktop
    session, the X server given."""
    env = {k: v for k, v in os.environ.items()
           if not k.startswith(("QT_", "XDG_", "DBUS_", "KDE", "DESKTOP_", "WAYLAND", "GTK"))}
    runtime = home / "runtime"
    runtime.mkdir(parents=True, exist_ok=True)
    runtime.chmod(0o700)
    env.update(DISPLAY=display, HOME=str(home), XDG_CONFIG_HOME=str(home / ".config"),
               XDG_CACHE_HOME=str(home / ".cache"), XDG_DATA_HOME=str(home / ".local/share"),
               XDG_RUNTIME_DIR=str(runtime))
    return env


class Watched:
    """A program started under nodrell-mapwatch, which reports when its window was mapped."""

    def __init__(self, mapwatch, command, env, log, marker):
        self.marker = marker
        self.watch = subprocess.Popen(
            [str(mapwatch), "--timeout", "30000", "--log", str(log), "--", *map(str, command)],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, text=True,
            start_new_session=True)
        line = self.watch.stdout.readline().split()
        if len(line) != 2 or line[0] != "pid":
            raise SystemExit(f"nodrell-mapwatch did not start {command}: {line}")
        self.pid = int(line[1])
        started.add((self.pid, marker))
        self.window = None

    def wait_mapped(self):
        """Milliseconds from the start to the MapNotify of the program's window."""
        line = self.watch.stdout.readline().split()
        if len(line) != 4 or line[0] != "mapped":
            self.end()
            raise SystemExit(f"the window of {self.marker.decode()} was not mapped: {line}")
        self.window = line[2]
        return float(line[1])

    def end(self):
        end_process(self.pid, self.marker)
        try:
            self.watch.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.watch.kill()
            self.watch.wait()


def json_line(path, key, timeout_s):
    """The first JSON line of type `key` that the program writes to its log."""
    deadline = time.monotonic() + timeout_s
    while time.monotonic() < deadline:
        for record in wineprefix.json_records(path.read_text(errors="replace")):
            if record.get("type") == key:
                return record
        time.sleep(0.05)
    raise SystemExit(f"no {key} line in {path}")


def window_title(display, window):
    return run(["xprop", "-display", display, "-id", window, "_NET_WM_NAME"], check=False)
