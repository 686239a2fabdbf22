"""Building what bench/run measures, each in a folder of its own below build/.

build/bench-linux: the Linux program and the bench programs, Release (as scripts/start and the
Debian package build it). build/bench-win32: the shipped 32-bit Nodrell.exe, MinSizeRel; where
this host runs no 32-bit code, Wine runs build/bench-win64, the same sources for x86_64.
build/asan: the sanitizer build, for the reliability tests. Warnings are not errors here: the
bench builds with whatever Debian 12's compilers say."""

import dataclasses
import pathlib

from programs import ROOT, run
import winehost

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


def configure(folder, options, log):
    args = ["cmake", "-S", ROOT, "-B", folder, *options]
    if not (folder / "CMakeCache.txt").exists():
        args[1:1] = ["-G", "Ninja"]
    run(args, log)


def windows(kind, log):
    """The Windows build of a Wine kind (win32 or win64): MinSizeRel, with the e2e driver,
    whose hidden window keeps Wine's desktop process up between start-ups."""
    folder = ROOT / "build" / f"bench-{kind.build}"
    toolchain = ROOT / "cmake" / ("mingw-i686.cmake" if kind.build == "win32"
                                  else "mingw-x86_64.cmake")
    configure(folder, [f"-DCMAKE_TOOLCHAIN_FILE={toolchain}", "-DCMAKE_BUILD_TYPE=MinSizeRel"],
              log)
    run(["cmake", "--build", folder, "--target", "nodrell", "nodrell-driver"], log)
    return folder


def build_asan(log):
    cache = ASAN / "CMakeCache.txt"
    if not cache.exists() or "NODRELL_SANITIZE:BOOL=ON" not in cache.read_text():
        configure(ASAN, ["-DNODRELL_SANITIZE=ON"], log)
    run(["cmake", "--build", ASAN, "--target", "reliability_tests"], log)


def build_measured(log):
    linux = ROOT / "build" / "bench-linux"
    configure(linux, ["-DCMAKE_BUILD_TYPE=Release"], log)
    run(["cmake", "--build", linux, "--target", "nodrell", "nodrell-bench", "nodrell-mapwatch",
         "nodrell-floor"], log)
    win32 = windows(winehost.KINDS["win32"], log)
    kind = winehost.for_host(winehost.runs_32bit_code())
    wine = win32 if kind.build == "win32" else windows(kind, log)
    return Built(linux=linux, win32=win32, wine=wine, wine_loader=kind.loader)
