"""Which Wine runs the Windows program on this host, decided in one place.

Wine runs the shipped 32-bit Nodrell.exe only where the kernel executes 32-bit code. Elsewhere
the same sources built for x86_64 stand in. Whichever build it is, its loader, the wine server
that sets up and serves its prefixes, and the prefixes' WINEARCH must all be of one kind: a
64-bit server turns a prefix into a 64-bit installation that the 32-bit loader refuses.

Run as a module (python3 -m tests.e2e.winehost) it answers the build scripts:
  e2e-build      the build folder whose program the end-to-end tests drive here
  loader BUILD   the Wine loader of that build ("win32" or "win64")
"""

import dataclasses
import pathlib
import subprocess
import sys

WINE_DIR = pathlib.Path("/usr/lib/wine")


@dataclasses.dataclass(frozen=True)
class WineKind:
    build: str  # the build folder below build/, and the name of the kind
    loader: str
    server: str
    arch: str  # WINEARCH of the prefixes


KINDS = {
    "win32": WineKind("win32", str(WINE_DIR / "wine"), str(WINE_DIR / "wineserver32"), "win32"),
    "win64": WineKind("win64", str(WINE_DIR / "wine64"), str(WINE_DIR / "wineserver64"), "win64"),
}


def runs_32bit_code():
    """Whether this host runs 32-bit programs: the 32-bit loader starts and answers."""
    try:
        return subprocess.run([KINDS["win32"].loader, "--version"], stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=60).returncode == 0
    except (OSError, subprocess.TimeoutExpired):
        return False


def for_host(runs_32bit):
    """The kind the end-to-end tests use on a host that does or does not run 32-bit code."""
    return KINDS["win32" if runs_32bit else "win64"]


def for_loader(loader):
    """The kind a loader belongs to, known by its file name."""
    name = pathlib.Path(loader).name
    for kind in KINDS.values():
        if pathlib.Path(kind.loader).name == name:
            return kind
    raise ValueError(f"{loader} is no Wine loader of {', '.join(KINDS)}")


def main(args):
    if args == ["e2e-build"]:
        print(for_host(runs_32bit_code()).build)
    elif len(args) == 2 and args[0] == "loader" and args[1] in KINDS:
        print(KINDS[args[1]].loader)
    else:
        sys.exit(f"usage: {sys.argv[0]} e2e-build | loader {'|'.join(KINDS)}")


if __name__ == "__main__":
    main(sys.argv[1:])
