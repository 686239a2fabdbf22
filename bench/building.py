"""Building what bench/run measures, each from its preset in CMakePresets.json, in a folder of
its own below build/.

build/bench-linux: the Linux program and the bench programs, Release (as scripts/start and the
Debian package build it). build/bench-win32: the shipped 32-bit Nodrell.exe, MinSizeRel; where
this host runs no 32-bit code, Wine runs build/bench-win64, the same sources for x86_64.
Warnings are not errors in these: the bench builds with whatever Debian 12's compilers say.
build/asan: scripts/test's sanitizer build, for the reliability tests."""

import dataclasses
import pathlib

from bench.programs import ROOT, run
from tests.e2e import winehost

ASAN = ROOT / "build" / "asan"


@dataclasses.dataclass(frozen=True)
class Built:
    linux: pathlib.Path  # build/bench-linux
    win32: pathlib.Path  # the shipped Nodrell.exe's folder
    wine: pathlib.Path  # the folder of the Nodrell.exe that Wine runs here
    wine_loader: str

    @property
    def nodrell(self):
        return self.linux / "nodrell"

    @property
    def nodrell_bench(self):
        return self.linux / "bench" / "nodrell-bench"

    @property
    def floor(self):
        return self.linux / "bench" / "nodrell-floor"

    @property
    def mapwatch(self):
        return self.linux / "bench" / "nodrell-mapwatch"

    @property
    def exe(self):
        return self.win32 / "Nodrell.exe"

    @property
    def wine_exe(self):
        return self.wine / "Nodrell.exe"

    @property
    def wine_driver(self):
        return self.wine / "tests" / "e2e" / "nodrell-driver.exe"

    @property
    def reliability_tests(self):
        return ASAN / "tests" / "reliability" / "reliability_tests"


def build(preset, targets, log):
    """Configures the preset's folder and builds the targets there."""
    run(["cmake", "--preset", preset], log, cwd=ROOT)
    run(["cmake", "--build", "--preset", preset, "--target", *targets], log, cwd=ROOT)
    return ROOT / "build" / preset


def windows(kind, log):
    """The Windows build of a Wine kind (win32 or win64): MinSizeRel, with the e2e driver,
    whose hidden window keeps Wine's desktop process up between start-ups."""
    return build(f"bench-{kind.build}", ["nodrell", "nodrell-driver"], log)


def build_asan(log):
    build("asan", ["reliability_tests"], log)


def build_measured(log):
    linux = build("bench-linux", ["nodrell", "nodrell-bench", "nodrell-mapwatch", "nodrell-floor"],
                  log)
    win32 = windows(winehost.KINDS["win32"], log)
    kind = winehost.for_host(winehost.runs_32bit_code())
    wine = win32 if kind.build == "win32" else windows(kind, log)
    return Built(linux=linux, win32=win32, wine=wine, wine_loader=kind.loader)
