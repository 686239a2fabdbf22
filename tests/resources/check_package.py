#!/usr/bin/python3
"""Makes the packages from a build tree and checks what they hold.

    check_package.py install --build DIR --work DIR --cmake CMAKE
        Linux: cmake --install puts the program, its desktop entry and its icons in place.
    check_package.py zip --build DIR --work DIR --cpack CPACK --machine i386|amd64 --art DIR
        Windows: CPack's ZIP holds Nodrell.exe alone, with all its resources.
"""

import argparse
import configparser
import pathlib
import shutil
import struct
import subprocess
import sys
import zipfile

sys.dont_write_bytecode = True  # nothing written into the source tree
import check_resources  # noqa: E402

ICON_SIZES = (16, 32, 48)


def fresh(folder):
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    return folder


def png_size(path):
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def install(args, check):
    root = fresh(pathlib.Path(args.work) / "root")
    result = subprocess.run([args.cmake, "--install", args.build, "--prefix", str(root)],
                            capture_output=True, text=True, timeout=120)
    if not check(result.returncode == 0, "cmake --install"):
        print(result.stdout + result.stderr)
        return
    program = root / "bin" / "nodrell"
    check(program.is_file() and program.stat().st_mode & 0o111 and program.read_bytes()[:4] == b"\x7fELF",
          f"{program.relative_to(root)}: an executable program")

    entry = root / "share" / "applications" / "nodrell.desktop"
    if check(entry.is_file(), f"{entry.relative_to(root)}"):
        parser = configparser.ConfigParser(interpolation=None)
        parser.optionxform = str
        parser.read(entry)
        desktop = parser["Desktop Entry"] if parser.has_section("Desktop Entry") else {}
        values = {key: desktop.get(key) for key in ("Type", "Name", "Exec", "Icon", "Terminal")}
        check(values == {"Type": "Application", "Name": "Nodrell", "Exec": "nodrell", "Icon": "nodrell",
                         "Terminal": "false"}, f"desktop entry {values}")
        check(desktop.get("Categories", "").endswith(";") and bool(desktop.get("Comment")),
              "desktop entry has categories and a comment")

    for size in ICON_SIZES:
        icon = root / "share" / "icons" / "hicolor" / f"{size}x{size}" / "apps" / "nodrell.png"
        check(icon.is_file() and png_size(icon) == (size, size),
              f"{icon.relative_to(root)}: {png_size(icon) if icon.is_file() else 'missing'}")


def package_zip(args, check):
    work = fresh(pathlib.Path(args.work) / "cpack")
    result = subprocess.run([args.cpack, "-G", "ZIP", "--config", str(pathlib.Path(args.build) / "CPackConfig.cmake"),
                             "-B", str(work)], capture_output=True, text=True, timeout=300)
    if not check(result.returncode == 0, "cpack -G ZIP"):
        print(result.stdout + result.stderr)
        return
    zips = sorted(work.glob("*.zip"))
    if not check(len(zips) == 1, f"one ZIP: {[z.name for z in zips]}"):
        return
    with zipfile.ZipFile(zips[0]) as archive:
        names = archive.namelist()
        check(names == ["Nodrell.exe"], f"{zips[0].name} holds {names}")
        if "Nodrell.exe" not in names:
            return
        exe = work / "unpacked" / "Nodrell.exe"
        exe.parent.mkdir()
        exe.write_bytes(archive.read("Nodrell.exe"))
    # The packed program is the whole program: its resources, its imports.
    result = subprocess.run([sys.executable, str(pathlib.Path(check_resources.__file__)), str(exe),
                             "--machine", args.machine, "--art", args.art], capture_output=True, text=True,
                            timeout=60)
    check(result.returncode == 0, "the packed Nodrell.exe passes the resource checks")
    if result.returncode:
        print(result.stdout + result.stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["install", "zip"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--cmake")
    parser.add_argument("--cpack")
    parser.add_argument("--machine")
    parser.add_argument("--art")
    args = parser.parse_args()
    check = check_resources.Checks()
    if args.what == "install":
        install(args, check)
    else:
        package_zip(args, check)
    print(f"{check.failures} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
