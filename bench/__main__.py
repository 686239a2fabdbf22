"""Measures Nodrell against the floor and KShutdown and writes docs/performance.md.

    bench/run [--quick] [--out FILE]    (python3 -m bench, run from the source tree's root)

Exits with 1 when a target is missed. The parts, each in a file of its own here:
building.py builds what is measured, programs.py starts, watches and ends the programs,
measuring.py takes the samples, reliability.py runs the reliability tests with many inputs,
stats.py holds the statistics and the targets, report.py writes the document.

Nothing is ever powered off: the Linux program and Nodrell.exe are only started and ended,
never set counting; the countdowns that are measured run in nodrell-bench, whose platform
only records; KShutdown runs its message-only test action, eight hours away, and is ended
long before.

--quick takes a few samples of everything, to try the command out; its document says so.
"""

import argparse
import atexit
import datetime
import json
import os
import pathlib
import shutil
import signal
import sys
import time

from bench import building, measuring, programs, reliability, report
from bench.programs import ROOT, say
from tests.e2e import wineprefix

FULL = dict(startups=15, wine_startups=15, idle_rounds=9, settle_s=8, idle_s=10, accuracy=60,
            fuzz_runs=1_000_000)
QUICK = dict(startups=3, wine_startups=3, idle_rounds=2, settle_s=8, idle_s=5, accuracy=5,
             fuzz_runs=1_000)


def measure(built, counts, work):
    """Every timed measurement, on X servers of their own."""
    r = {}
    wine = wineprefix.Wine(built.wine / "bench-wine", built.wine_loader)
    shutil.rmtree(wine.state_dir, ignore_errors=True)
    wine.log_dir.mkdir(parents=True)
    linux_x = programs.Xvfb(work / "xvfb-linux.log")
    wine.state = {"loader": wine.loader}
    wine.start_xvfb("default")
    try:
        env = programs.gui_env(linux_x.display, work / "home")
        r["idle"], r["idle_loads"] = [], []
        for index in range(counts["idle_rounds"]):
            say(f"idle cost, four programs side by side, round {index + 1}")
            r["idle"].append(measuring.idle_round(built, env, work, index, counts["settle_s"],
                                                  counts["idle_s"]))
            r["idle_loads"].append(os.getloadavg()[0])
        say(f"start-up, nodrell, the floor and KShutdown in turn, {counts['startups']} rounds")
        r["startup"] = measuring.startups(built, env, work, counts["startups"])
        say(f"timing of the power-off request, {counts['accuracy']} runs")
        r["accuracy"] = measuring.accuracy(built, env, work, counts["accuracy"])
        say("booting the Wine prefix")
        wine.boot("default", timeout=120)
        wine.save()
        wine.kill_server("default")
        say(f"start-up of Nodrell.exe under Wine, {counts['wine_startups']} runs")
        r["wine_startup"] = measuring.wine_startups(built, wine, work, counts["wine_startups"])
    finally:
        wine.kill_server("default")
        wine.stop_holders()
        linux_x.stop()
        wine.stop_xvfb()
        shutil.rmtree(wine.prefix_dir("default"), ignore_errors=True)
    return r


def main():
    parser = argparse.ArgumentParser(prog="bench/run", description=__doc__.split("\n\n")[0])
    parser.add_argument("--quick", action="store_true", help="a few samples, to try it out")
    parser.add_argument("--out", default=str(ROOT / "docs" / "performance.md"),
                        help="the document; a relative path starts at the source tree's root")
    args = parser.parse_args()
    counts = QUICK if args.quick else FULL
    atexit.register(programs.end_all)
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))

    work = ROOT / "build" / "bench-work"
    shutil.rmtree(work, ignore_errors=True)
    work.mkdir(parents=True)
    log = work / "build.log"
    say(f"building ({log})")
    building.build_asan(log)
    built = building.build_measured(log)

    r = {"quick": args.quick, "fuzz_runs": counts["fuzz_runs"], "settle_s": counts["settle_s"],
         "idle_s": counts["idle_s"], "load_before": os.getloadavg()[0],
         "machine": measuring.machine(built), "sizes": measuring.sizes(built)}
    r.update(measure(built, counts, work))
    say(f"reliability tests with NODRELL_FUZZ_RUNS={counts['fuzz_runs']}")
    r["reliability"] = reliability.run_tests(built.reliability_tests, work, counts["fuzz_runs"])

    r["took_s"] = time.monotonic() - programs.began
    r["date"] = datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M %Z")
    (work / "results.json").write_text(json.dumps(r, indent=1))
    text, targets = report.document(r)
    out = pathlib.Path(args.out)
    out.write_text(text)
    say(f"wrote {out} (raw figures in {work / 'results.json'})")
    for t in targets:
        print(f"{'pass  ' if t.ok else 'MISSED'} {t.name}: {t.measured}"
              + (f" against {t.against}, ratio {t.ratio}" if t.against else ""))
    return 0 if all(t.ok for t in targets) else 1


if __name__ == "__main__":
    sys.exit(main())
