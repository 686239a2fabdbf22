"""Sets up and tears down the X servers and Wine prefixes shared by the e2e tests.

    python3 -m tests.e2e.fixture setup --state DIR --loader WINE --driver DRIVER.exe
        [--standin SHUTDOWN.exe]
    python3 -m tests.e2e.fixture cleanup --state DIR --loader WINE

setup replaces whatever an earlier run left in DIR; --standin is put in place of each
prefix's shutdown.exe. cleanup ends every process that setup
or the tests started and removes the prefixes (NODRELL_E2E_KEEP=1 keeps them to look at).
"""

import argparse
import concurrent.futures
import os
import shutil
import sys
import time

from tests.e2e import wineprefix

BOOT_TIMEOUT_S = 120


def teardown(wine):
    for name in wineprefix.PREFIXES:
        wine.kill_server(name)
    wine.stop_holders()
    wine.stop_xvfb()


def setup(args, names=tuple(wineprefix.PREFIXES)):
    began = time.monotonic()
    wine = wineprefix.Wine(args.state, args.loader)
    if (wine.state_dir / wineprefix.STATE_FILE).exists():
        teardown(wine.load())
    for name in wineprefix.PREFIXES:
        shutil.rmtree(wine.prefix_dir(name), ignore_errors=True)
    wine.state_dir.mkdir(parents=True, exist_ok=True)
    wine.log_dir.mkdir(parents=True, exist_ok=True)
    wine.state = {"loader": wine.loader}
    try:
        for name in names:
            wine.start_xvfb(name)
            wine.save()
            print(f"prefix {name}: Xvfb on display {wine.display(name)} "
                  f"(pid {wine.xvfb_pid(name)})")

        # The prefixes boot side by side: each has its own wine server.
        boots = [wine.create_prefix(name) for name in names]
        for boot in boots:
            wine.wait_boot(boot, BOOT_TIMEOUT_S)
            # At once, while wineboot's desktop is still up.
            wine.start_holder(boot.prefix_name, args.driver)
            wine.save()
        print(f"prefixes booted after {time.monotonic() - began:.1f} s")
        with concurrent.futures.ThreadPoolExecutor() as pool:
            list(pool.map(lambda name: wine.configure_prefix(name, args.standin), names))

        for name in names:
            code, records, output = wine.driver(name, args.driver, [["winver"]], 60)
            versions = [r for r in records if r.get("type") == "winver"]
            if code != 0 or not versions:
                raise SystemExit(f"the driver does not run in prefix {name}:\n{output}")
            v = versions[0]
            wine.state.setdefault("winver", {})[name] = f"{v['major']}.{v['minor']}"
            print(f"prefix {name}: Windows {v['major']}.{v['minor']} build {v['build']}")
        wine.save()
    except BaseException:
        teardown(wine)
        raise
    print(f"setup done in {time.monotonic() - began:.1f} s")


def cleanup(args):
    wine = wineprefix.Wine(args.state, args.loader)
    if not (wine.state_dir / wineprefix.STATE_FILE).exists():
        print("nothing to clean up")
        return
    teardown(wine.load())
    if os.environ.get("NODRELL_E2E_KEEP") != "1":
        for name in wineprefix.PREFIXES:
            shutil.rmtree(wine.prefix_dir(name), ignore_errors=True)
    (wine.state_dir / wineprefix.STATE_FILE).unlink()
    print("wine servers and Xvfb ended")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("action", choices=["setup", "cleanup"])
    parser.add_argument("--state", required=True)
    parser.add_argument("--loader", required=True)
    parser.add_argument("--driver")
    parser.add_argument("--standin")
    args = parser.parse_args()
    if args.action == "setup":
        if not args.driver:
            parser.error("setup needs --driver")
        setup(args)
    else:
        cleanup(args)
    return 0


if __name__ == "__main__":
    sys.exit(main())
