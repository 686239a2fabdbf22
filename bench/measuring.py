"""The measurements of bench/run. Each function takes its samples and returns them raw; the
statistics and the verdicts are left to stats.py.

The Linux programs are compared in one run, interleaved: nodrell with its window open and not
counting; nodrell counting (nodrell-bench, the same window and handlers with a platform that
only records, so that nothing is ever powered off); the floor (nodrell-floor, a bare Qt 6
window whose 250 ms timer writes the time into a label); and KShutdown counting toward its
message-only test action, eight hours away."""

import os
import pathlib
import platform as host
import re
import subprocess
import tempfile
import time

from bench.programs import Watched, json_line, peak_rss_kib, run, usage, window_title
from tests.e2e import pe_check  # the list of DLLs that every Windows has
from tests.e2e import wineprefix

KSHUTDOWN = ["kshutdown", "--test", "8h"]


def commands(built):
    """The programs compared: (command, marker in its command line)."""
    return {
        "nodrell": ([built.nodrell], b"bench-linux/nodrell"),
        "counting": ([built.nodrell_bench, "countdown"], b"nodrell-bench"),
        "floor": ([built.floor], b"nodrell-floor"),
        "kshutdown": (KSHUTDOWN, b"kshutdown"),
    }


def rotated(names, index):
    """The names in an order that moves by one from round to round."""
    shift = index % len(names)
    return names[shift:] + names[:shift]


# --- start-up -------------------------------------------------------------------------------


def start_once(built, command, marker, env, log):
    """One start under the watcher: the milliseconds to the mapped window."""
    watched = Watched(built.mapwatch, command, env, log, marker)
    try:
        return watched.wait_mapped()
    finally:
        watched.end()


def startups(built, env, work, rounds):
    """Start to MapNotify of nodrell, the floor and KShutdown, one program at a time, in an
    order that turns from round to round, after one round that is not counted (it leaves
    the disk cache and the programs' own caches warm for all three)."""
    programs = {name: commands(built)[name] for name in ("nodrell", "floor", "kshutdown")}
    times = {name: [] for name in programs}
    for index in range(rounds + 1):
        for name in rotated(list(programs), index):
            command, marker = programs[name]
            ms = start_once(built, command, marker, env, work / f"startup-{name}.log")
            if index > 0:
                times[name].append(ms)
            time.sleep(0.2)
    return times


def wine_startups(built, wine, work, count):
    """Start-up of Nodrell.exe under Wine, with the wine server and Wine's desktop process
    already running (a hidden window of the e2e driver holds the desktop open), after two
    starts that are not counted."""
    wine.ensure_server("default")
    wine.start_holder("default", built.wine_driver)
    env = wine.env("default")
    times = []
    try:
        for i in range(count + 2):
            ms = start_once(built, [built.wine_loader, built.wine_exe], b"Nodrell.exe", env,
                            work / "startup-wine.log")
            if i >= 2:
                times.append(ms)
            time.sleep(0.3)
    finally:
        wine.kill_server("default")
        wine.stop_holders()
    return times


# --- the idle cost --------------------------------------------------------------------------


def idle_round(built, env, work, index, settle_s, seconds):
    """The four programs side by side: started together, left alone for `settle_s`, then
    their processor time and wake-ups over `seconds`, read one after the other in an order
    that turns from round to round, scaled to 10 s; and each one's peak resident set."""
    countdown_log = work / f"idle-{index}-counting.log"
    watched = {}
    try:
        # One after the other, nodrell last: its window is the active one, as it is for a
        # user who opened it and left it.
        for name in ("kshutdown", "floor", "counting", "nodrell"):
            command, marker = commands(built)[name]
            log = countdown_log if name == "counting" else work / f"idle-{name}.log"
            log.unlink(missing_ok=True)
            watched[name] = Watched(built.mapwatch, command, env, log, marker)
            watched[name].wait_mapped()
        left = json_line(countdown_log, "left", 10)
        if not re.fullmatch(r"0?7:59:5\d", left["caption"]) or left["requests"] != 0:
            raise SystemExit(f"nodrell-bench is not counting toward its target: {left}")
        time.sleep(settle_s)
        check_kshutdown_counts(env, watched["kshutdown"])
        order = rotated(list(watched), index)
        before = {name: usage(watched[name].pid) for name in order}
        time.sleep(seconds)
        after = {name: usage(watched[name].pid) for name in order}
        peak = {name: peak_rss_kib(watched[name].pid) for name in order}
        check_kshutdown_counts(env, watched["kshutdown"])
    finally:
        for program in watched.values():
            program.end()
    scale = 10 / seconds
    return {name: {"cpu_ms": (after[name][0] - before[name][0]) * scale,
                   "wakeups": (after[name][1] - before[name][1]) * scale,
                   "rss_kib": peak[name]}
            for name in watched}


def check_kshutdown_counts(env, kshutdown):
    title = window_title(env["DISPLAY"], kshutdown.window)
    if "Remaining time" not in title:
        raise SystemExit(f"KShutdown is not counting down: {title}")


# --- the timing of the power-off request ---------------------------------------------------


def accuracy(built, env, work, runs):
    """nodrell-bench accuracy RUNS: one record per run with the times of its requests."""
    log = work / "accuracy.log"
    with open(log, "w") as out:
        result = subprocess.run([str(built.nodrell_bench), "accuracy", str(runs)], env=env,
                                stdin=subprocess.DEVNULL, stdout=out,
                                stderr=subprocess.DEVNULL, timeout=runs * 5 + 60)
    if result.returncode != 0:
        raise SystemExit(f"nodrell-bench accuracy failed ({result.returncode}); see {log}")
    records = [r for r in wineprefix.json_records(log.read_text()) if r.get("type") == "run"]
    if len(records) != runs:
        raise SystemExit(f"nodrell-bench accuracy gave {len(records)} runs of {runs}; see {log}")
    return records


# --- sizes and the machine -----------------------------------------------------------------


def sizes(built):
    dump = run(["i686-w64-mingw32-objdump", "-p", built.exe])
    dlls = sorted({m.lower() for m in re.findall(r"DLL Name:\s*(\S+)", dump)})
    with tempfile.TemporaryDirectory() as tmp:
        stripped = pathlib.Path(tmp) / "nodrell"
        run(["strip", "-o", stripped, built.nodrell])
        stripped_size = stripped.stat().st_size
    ldd = [line.split()[0] for line in run(["ldd", built.nodrell]).splitlines()
           if line.strip() and "linux-vdso" not in line]
    return {
        "exe_bytes": built.exe.stat().st_size,
        "dlls": dlls,
        "non_system_dlls": [d for d in dlls if d not in pe_check.SYSTEM_DLLS],
        "linux_bytes": built.nodrell.stat().st_size,
        "linux_stripped_bytes": stripped_size,
        "needed": re.findall(r"NEEDED\s+(\S+)", run(["objdump", "-p", built.nodrell])),
        "ldd": ldd,
    }


def first_line(text):
    return text.strip().splitlines()[0] if text.strip() else "?"


def package_version(name):
    return run(["dpkg-query", "-W", "-f=${Version}", name], check=False).strip() or "?"


def machine(built):
    info = {}
    for line in pathlib.Path("/proc/cpuinfo").read_text().splitlines():
        if line.startswith("model name"):
            info["CPU"] = f"{line.split(':', 1)[1].strip()}, {os.cpu_count()} cores"
            break
    for line in pathlib.Path("/proc/meminfo").read_text().splitlines():
        if line.startswith("MemTotal:"):
            info["Memory"] = f"{int(line.split()[1]) / 1024 / 1024:.1f} GiB"
    qt = run(["qtpaths6", "--qt-version"], check=False).strip() or "?"
    info.update({
        "Kernel": f"Linux {host.release()} ({host.machine()})",
        "Debian": pathlib.Path("/etc/debian_version").read_text().strip(),
        "Qt": f"{qt} (nodrell, the floor); KShutdown uses Qt 5 ({package_version('libqt5core5a')})",
        "Wine": f"{first_line(run([built.wine_loader, '--version'], check=False))} "
                f"({pathlib.Path(built.wine_loader).name}, running "
                f"{built.wine.name.removeprefix('bench-')} Nodrell.exe)",
        "KShutdown": f"Debian package kshutdown {package_version('kshutdown')}",
        "Compilers": f"{first_line(run(['g++', '--version']))}; "
                     f"{first_line(run(['i686-w64-mingw32-g++', '--version']))}",
        "X server": "Xvfb, 1024x768, 24 bits, 96 DPI, no window manager, no D-Bus session",
    })
    return info
