"""The reliability tests of the sanitizer build with many inputs, each test in a process of its
own, two at a time. They run after the timed measurements, which they would disturb."""

import json
import os
import queue
import re
import subprocess
import threading
import time

from bench.programs import ROOT, end_process, started

WORKERS = 2


def names(binary, env):
    listing = subprocess.run([str(binary), "--gtest_list_tests"], env=env,
                             stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if listing.returncode != 0:
        raise SystemExit(f"cannot list the reliability tests:\n{listing.stderr}")
    found = []
    suite = ""
    for line in listing.stdout.splitlines():
        line = line.split("#")[0].rstrip()
        if line and not line.startswith(" "):
            suite = line.strip()
        elif line.strip():
            found.append(suite + line.strip())
    return found


def test_inputs(fuzz_runs):
    """How many random inputs each test takes at NODRELL_FUZZ_RUNS=fuzz_runs, read from the
    tests' sources: fuzzRuns(default), possibly divided; None for a fixed count."""
    inputs = {}
    for source in sorted((ROOT / "tests" / "reliability").glob("*.cpp")):
        text = source.read_text()
        heads = list(re.finditer(r"^TEST(?:_F)?\((\w+),\s*(\w+)\)", text, re.M))
        for i, head in enumerate(heads):
            body = text[head.end():heads[i + 1].start() if i + 1 < len(heads) else len(text)]
            used = re.search(r"fuzzRuns\(\s*\d+\s*\)\s*(?:/\s*(\d+))?", body)
            inputs[f"{head[1]}.{head[2]}"] = (
                fuzz_runs // int(used[1] or 1) if used else None)
    return inputs


def result_of(name, code, report):
    """Whether the test passed, and its own time, from its JSON report and exit status."""
    seconds, passed = None, False
    if report.exists():
        for suite in json.loads(report.read_text()).get("testsuites", []):
            for test in suite.get("testsuite", []):
                if f"{suite['name']}.{test['name']}" == name:
                    seconds = float(test.get("time", "0s").rstrip("s"))
                    # The sanitizer's leak check at exit fails a test that passed.
                    passed = ("failures" not in test and code == 0
                              and test.get("result") == "COMPLETED")
    return seconds, passed


def run_tests(binary, work, fuzz_runs):
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    env.update(NODRELL_FUZZ_RUNS=str(fuzz_runs), QT_QPA_PLATFORM="offscreen")
    todo = queue.Queue()
    all_names = names(binary, env)
    for name in all_names:
        todo.put(name)
    codes = {}

    def work_through():
        while True:
            try:
                name = todo.get_nowait()
            except queue.Empty:
                return
            with open(work / f"reliability-{name}.log", "w") as out:
                proc = subprocess.Popen(
                    [str(binary), f"--gtest_filter={name}",
                     f"--gtest_output=json:{work / f'reliability-{name}.json'}"],
                    env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                    start_new_session=True)
            started.add((proc.pid, b"reliability_tests"))
            codes[name] = proc.wait()
            end_process(proc.pid, b"reliability_tests")

    began = time.monotonic()
    workers = [threading.Thread(target=work_through, daemon=True) for _ in range(WORKERS)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    wall = time.monotonic() - began
    inputs = test_inputs(fuzz_runs)
    tests = []
    for name in all_names:
        code = codes.get(name)
        seconds, passed = result_of(name, code, work / f"reliability-{name}.json")
        tests.append({"name": name, "exit": code, "inputs": inputs.get(name),
                      "seconds": seconds, "passed": passed})
    return {"wall_s": wall, "tests": tests, "workers": WORKERS}
