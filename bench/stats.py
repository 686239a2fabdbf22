"""Statistics over the raw samples of bench/run, and the targets judged on them. Every target
compares medians of samples taken in the same run."""

import dataclasses
import math
import statistics

# Nodrell.exe's limit, as the project's own size check reads 300 KB (tests/e2e).
EXE_LIMIT_BYTES = 300 * 1024
START_RATIO = 1.15  # start to MapNotify, against the floor's
RSS_RATIO = 1.05  # peak resident set, against the floor's
WAKEUP_RATIO = 1.2  # voluntary context switches, against the floor's
CPU_RATIO = 1.0  # processor time, against KShutdown's while it counts
DELAY_LIMIT_MS = 10  # first power-off request after the start of the target second


def median(values):
    return statistics.median(values)


def quartiles(values):
    if len(values) < 2:
        return values[0], values[0]
    q = statistics.quantiles(values, n=4, method="inclusive")
    return q[0], q[2]


def percentile(values, p):
    """The nearest-rank percentile: the smallest value with p % of the values at or below it."""
    ordered = sorted(values)
    rank = max(1, -(-len(ordered) * p // 100))
    return ordered[int(rank) - 1]


def idle_samples(rounds, name, key):
    return [r[name][key] for r in rounds]


def request_delays_ms(runs):
    """Per accuracy run, the delay from the start of the target second to the first request;
    a run without any request counts as an endless delay."""
    return [run["requests"][0] * 1000 if run["requests"] else math.inf for run in runs]


@dataclasses.dataclass
class Target:
    name: str
    measured: str  # the program's median, or a count
    against: str  # what it is compared with
    ratio: str
    ok: bool


def ratio_target(name, value, reference, limit_ratio, fmt, against):
    ratio = value / reference
    return Target(name, fmt(value), f"{against} {fmt(reference)}",
                  f"{ratio:.2f} (at most {limit_ratio:g})", ratio <= limit_ratio)


def targets(r, fmt_ms, fmt_mib, fmt_count):
    idle = r["idle"]

    def idle_median(name, key):
        return median(idle_samples(idle, name, key))

    rows = []
    for name, label in (("nodrell", "not counting"), ("counting", "counting")):
        rows.append(ratio_target(
            f"Processor time per 10 s, {label}: at most KShutdown's (counting)",
            idle_median(name, "cpu_ms"), idle_median("kshutdown", "cpu_ms"), CPU_RATIO,
            fmt_ms, "KShutdown"))
    for name, label in (("nodrell", "not counting"), ("counting", "counting")):
        rows.append(ratio_target(
            f"Voluntary context switches per 10 s, {label}: at most {WAKEUP_RATIO:g} x the "
            f"floor's", idle_median(name, "wakeups"), idle_median("floor", "wakeups"),
            WAKEUP_RATIO, fmt_count, "floor"))
    start = r["startup"]
    rows.append(ratio_target(
        f"Start to MapNotify: at most {START_RATIO:g} x the floor's",
        median(start["nodrell"]), median(start["floor"]), START_RATIO, fmt_ms, "floor"))
    rows.append(ratio_target(
        f"Peak resident set: at most {RSS_RATIO:g} x the floor's",
        idle_median("nodrell", "rss_kib"), idle_median("floor", "rss_kib"), RSS_RATIO,
        fmt_mib, "floor"))

    s = r["sizes"]
    rows.append(Target(f"Nodrell.exe (i686, MinSizeRel) below 300 KB ({EXE_LIMIT_BYTES:,} bytes)",
                       f"{s['exe_bytes']:,} bytes", "", "", s["exe_bytes"] < EXE_LIMIT_BYTES))
    rows.append(Target("Nodrell.exe imports only system DLLs", ", ".join(s["dlls"]), "", "",
                       not s["non_system_dlls"]))
    runs = r["accuracy"]
    in_second = sum(1 for run in runs if run["requests"] and 0 <= run["requests"][0] < 1)
    rows.append(Target("First power-off request within the target second, every run",
                       f"{in_second} of {len(runs)} runs", "", "", in_second == len(runs)))
    delay = median(request_delays_ms(runs))
    rows.append(Target(f"First power-off request at most {DELAY_LIMIT_MS} ms after the start "
                       f"of the target second (median)", fmt_ms(delay), "", "",
                       delay <= DELAY_LIMIT_MS))
    tests = r["reliability"]["tests"]
    passed = sum(1 for t in tests if t["passed"])
    rows.append(Target("The reliability tests pass", f"{passed} of {len(tests)}", "", "",
                       passed == len(tests)))
    return rows
