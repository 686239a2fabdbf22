"""Makes the packages from a build tree and checks what they hold.

    python3 -m tests.resources.check_package install|deb|zip ...

    install --build DIR --work DIR --cmake CMAKE --probe PROGRAM
        Linux: cmake --install to a folder puts the program, its desktop entry, icons and
        AppStream metadata, and machine.reg in place; the platform's registry look-up, run
        from the installed bin folder with XDG_CONFIG_DIRS unset, finds that machine.reg.
    deb --build DIR --work DIR --cpack CPACK --version X.Y.Z --source DIR
        Linux: CPack's Debian package holds the same files below /usr, with machine.reg in
        /etc as a conffile; its control fields; its program, unpacked, answers without a
        display, on one its window's X11 class is the entry's StartupWMClass; its desktop
        entry, AppStream metadata, manual page and itself pass their checkers (lintian,
        hardening-check on its program).
    zip --build DIR --work DIR --cpack CPACK --machine i386|amd64 --art DIR
        Windows: CPack's ZIP holds Nodrell.exe alone, with all its resources.
"""

import argparse
import configparser
import gzip
import os
import pathlib
import re
import shutil
import struct
import subprocess
import sys
import time
import urllib.parse
import xml.etree.ElementTree as ET
import zipfile

from tests.e2e.wineprefix import start_xvfb
from tests.resources import check_resources

APP_ID = "org.example.nodrell"
ICON_SIZES = (16, 24, 32, 48, 64, 128)
MACHINE_REG = pathlib.PurePosixPath("xdg/nodrell/machine.reg")  # below the configuration folder


def fresh(folder):
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    return folder


def run(command, **options):
    return subprocess.run([str(part) for part in command], capture_output=True, text=True, timeout=120,
                          **options)


def environment_without(*names):
    return {name: value for name, value in os.environ.items() if name not in names}


def png_size(path):
    data = path.read_bytes()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    return struct.unpack(">II", data[16:24])


def installed_files(prefix, config):
    """The files an install puts in place, below its prefix and its configuration folder."""
    share = prefix / "share"
    icons = share / "icons" / "hicolor"
    return {prefix / "bin" / "nodrell", config / MACHINE_REG,
            share / "applications" / f"{APP_ID}.desktop", share / "metainfo" / f"{APP_ID}.metainfo.xml",
            share / "man" / "man1" / "nodrell.1.gz", share / "doc" / "nodrell" / "copyright",
            share / "doc" / "nodrell" / "changelog.gz",
            icons / "scalable" / "apps" / "nodrell.svg",
            *(icons / f"{size}x{size}" / "apps" / "nodrell.png" for size in ICON_SIZES)}


def viewer_path(machine_reg):
    """The viewer's path that a machine.reg registers, or None."""
    found = re.search(r'^"PATH"="([^"]*)"$', machine_reg.read_text(), re.MULTILINE)
    return found and found[1]


def check_tree(check, root, prefix, config):
    """Each installed file below root as it should be."""
    program = prefix / "bin" / "nodrell"
    check(program.is_file() and program.stat().st_mode & 0o111 and program.read_bytes()[:4] == b"\x7fELF",
          f"{program.relative_to(root)}: an executable program")

    entry = prefix / "share" / "applications" / f"{APP_ID}.desktop"
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

    icons = prefix / "share" / "icons" / "hicolor"
    for size in ICON_SIZES:
        icon = icons / f"{size}x{size}" / "apps" / "nodrell.png"
        check(icon.is_file() and png_size(icon) == (size, size),
              f"{icon.relative_to(root)}: {png_size(icon) if icon.is_file() else 'missing'}")
    svg = icons / "scalable" / "apps" / "nodrell.svg"
    check(svg.is_file() and ET.parse(svg).getroot().tag == "{http://www.w3.org/2000/svg}svg",
          f"{svg.relative_to(root)}: an SVG picture")

    machine_reg = config / MACHINE_REG
    check(machine_reg.is_file() and viewer_path(machine_reg), f"{machine_reg.relative_to(root)} registers a viewer")


def install(args, check):
    work = pathlib.Path(args.work)
    root = fresh(work / "root")
    result = run([args.cmake, "--install", args.build, "--prefix", root])
    if not check(result.returncode == 0, "cmake --install"):
        print(result.stdout + result.stderr)
        return
    files = {path for path in root.rglob("*") if not path.is_dir()}
    expected = installed_files(root, root / "etc")
    check(files == expected, f"installed {sorted(str(path.relative_to(root)) for path in files)}")
    check_tree(check, root, root, root / "etc")

    # The platform looks for machine.reg in the configuration folder of the install that the
    # running program belongs to, which the probe now does, after /etc/xdg: a file of this
    # machine's there comes first. The install's file names a viewer of its own here, so that
    # the two cannot be taken for each other.
    probe = shutil.copy2(args.probe, root / "bin")
    installed = root / "etc" / MACHINE_REG
    installed.write_text(installed.read_text().replace(viewer_path(installed), "/opt/installed/viewer"))
    machine = pathlib.Path("/etc") / MACHINE_REG
    expected, source = ((viewer_path(machine), f"this machine's {machine}") if machine.exists()
                        else ("/opt/installed/viewer", f"etc/{MACHINE_REG}"))
    result = run([probe], env=environment_without("XDG_CONFIG_DIRS"))
    check(result.returncode == 0 and result.stdout == f"{expected}\n",
          f"the registry look-up from bin/ reads {source}: {result.stdout.strip()!r}, "
          f"exit code {result.returncode}")


def control_fields(deb):
    """dpkg-deb -f: {field: value}, a value's continuation lines joined with line breaks."""
    fields = {}
    name = None
    for line in run(["dpkg-deb", "-f", deb]).stdout.splitlines():
        if not line:
            continue
        if line.startswith(" ") and name:
            fields[name] += "\n" + line[1:]
        else:
            name, _, value = line.partition(":")
            fields[name] = value.strip()
    return fields


def package_deb(args, check):
    work = fresh(pathlib.Path(args.work) / "deb")
    result = run([args.cpack, "-G", "DEB", "--config", pathlib.Path(args.build) / "CPackConfig.cmake", "-B", work])
    if not check(result.returncode == 0, "cpack -G DEB"):
        print(result.stdout + result.stderr)
        return
    architecture = run(["dpkg", "--print-architecture"]).stdout.strip()
    deb = work / f"nodrell_{args.version}_{architecture}.deb"
    if not check(deb.is_file(), f"{deb.name} among {[p.name for p in work.glob('*.deb')]}"):
        return

    # Its files: lines such as "-rw-r--r-- root/root  351 2026-12-07 15:41 ./etc/xdg/...".
    listing = {}
    for line in run(["dpkg-deb", "-c", deb]).stdout.splitlines():
        mode, owner, _, _, _, path = line.split(maxsplit=5)
        if not mode.startswith("d"):
            listing[pathlib.PurePosixPath(path)] = (mode, owner)
    usr, etc = pathlib.PurePosixPath("./usr"), pathlib.PurePosixPath("./etc")
    expected = installed_files(usr, etc)
    check(set(listing) == expected, f"{deb.name} holds {sorted(map(str, listing))}")
    program = usr / "bin" / "nodrell"
    modes = {path: "-rwxr-xr-x" if path == program else "-rw-r--r--" for path in expected}
    check(all(listing.get(path) == (mode, "root/root") for path, mode in modes.items()),
          "owned by root, the program executable, the other files only readable by all")
    conffiles = run(["dpkg-deb", "-I", deb, "conffiles"]).stdout.split()
    check(conffiles == [f"/etc/{MACHINE_REG}"], f"conffiles {conffiles}")

    root = fresh(work / "root")
    if not check(run(["dpkg-deb", "-x", deb, root]).returncode == 0, "dpkg-deb -x"):
        return
    check_tree(check, root, root / "usr", root / "etc")
    share = root / "usr" / "share"
    metainfo = ET.parse(share / "metainfo" / f"{APP_ID}.metainfo.xml").getroot()

    fields = control_fields(deb)
    summary, _, details = fields.get("Description", "").partition("\n")
    check((fields.get("Package"), fields.get("Version"), fields.get("Architecture")) ==
          ("nodrell", args.version, architecture),
          f"package {fields.get('Package')} {fields.get('Version')} {fields.get('Architecture')}")
    check(re.fullmatch(r"[^<>]+ <[^<>@\s]+@[^<>\s]+>", fields.get("Maintainer", "")),
          f"maintainer {fields.get('Maintainer')!r}: a name and an address")
    check(fields.get("Homepage") == metainfo.findtext("url[@type='homepage']"),
          f"home page {fields.get('Homepage')!r}, as in the AppStream metadata")
    # dpkg-shlibdeps found the libraries in the binary.
    depends = {re.split(r"[\s(]", item.strip())[0] for item in fields.get("Depends", "").split(",")}
    check({"libc6", "libqt6widgets6"} <= depends, f"depends on {sorted(depends)}")
    viewer = pathlib.PurePosixPath(viewer_path(root / "etc" / MACHINE_REG) or "").name
    check(fields.get("Recommends") == f"{viewer}, xdg-utils",
          f"recommends {fields.get('Recommends')!r}: the viewer {viewer!r} and the opener")
    changelog = gzip.decompress((share / "doc" / "nodrell" / "changelog.gz").read_bytes()).decode()
    check(changelog.startswith(f"nodrell ({args.version}) "), f"the changelog's first entry is {args.version}")
    check(summary and len(summary) <= 80 and "without asking" in details,
          "description: a summary, then what it does, including that it switches off without asking")

    # With no display the unpacked program says so in one line.
    result = run([root / program], env=environment_without("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"))
    lines = result.stderr.splitlines()
    check(result.returncode == 1 and not result.stdout and len(lines) == 1 and
          lines[0].startswith("Nodrell cannot open its window: "),
          f"the unpacked program without a display: exit code {result.returncode}, {result.stdout + result.stderr!r}")

    check_window_class(check, root / program, share / "applications" / f"{APP_ID}.desktop",
                       pathlib.Path(args.work))
    check_manual(check, root)
    check_lintian(check, deb)
    check_hardening(check, root / program)

    release = metainfo.find("releases/release")
    check(release is not None and release.get("version") == args.version, f"AppStream release {args.version}")
    # The screenshot is the README's picture of the Linux window.
    image = urllib.parse.urlparse(metainfo.findtext("screenshots/screenshot/image") or "").path.lstrip("/")
    source = pathlib.Path(args.source)
    check(image and (source / image).is_file() and f"({image})" in (source / "README.md").read_text(),
          f"the screenshot {image!r} is the README's")

    for command in (["desktop-file-validate", share / "applications" / f"{APP_ID}.desktop"],
                    ["appstreamcli", "validate", "--no-net", share / "metainfo" / f"{APP_ID}.metainfo.xml"],
                    # The launchable and the metadata's file name against the whole tree.
                    ["appstreamcli", "validate-tree", "--no-net", root]):
        result = run(command)
        shown = " ".join([*command[:-1], str(command[-1].relative_to(root))])
        output = (result.stdout + result.stderr).strip()
        check(result.returncode == 0, f"{shown}: {output or 'no remarks'}")


def check_window_class(check, program, entry, work):
    """On an X server of its own, the unpacked program's window has the entry's
    StartupWMClass as its class. Nothing is typed into it: it never counts down."""
    xvfb, display = start_xvfb(work / "xvfb.log")
    environment = {**environment_without("WAYLAND_DISPLAY", "QT_QPA_PLATFORM"), "DISPLAY": display}
    nodrell = subprocess.Popen([program], env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window, deadline = [], time.monotonic() + 15
    while not window and time.monotonic() < deadline:
        time.sleep(0.1)
        window = run(["xdotool", "search", "--onlyvisible", "--pid", nodrell.pid], env=environment).stdout.split()
    seen = run(["xprop", "-id", window[0], "WM_CLASS"], env=environment).stdout.strip() if window else ""
    for process in (nodrell, xvfb):
        process.kill()
        process.wait()
    wanted = re.search(r"^StartupWMClass=(.*)$", entry.read_text(), re.MULTILINE)
    check(wanted and seen == f'WM_CLASS(STRING) = "nodrell", "{wanted[1]}"',
          f"the window's class: {seen!r}, the entry's {wanted and wanted[1]!r}")


def check_manual(check, root):
    """The manual page renders without warnings, where man finds it by name."""
    pages = root / "usr" / "share" / "man"
    page = pages / "man1" / "nodrell.1.gz"
    result = run(["man", "--warnings", "-l", page], env={**os.environ, "MANWIDTH": "80"})
    text = " ".join(result.stdout.split())
    check(result.returncode == 0 and not result.stderr and "nodrell - switch the computer off" in text
          and "It does not ask for confirmation" in text,
          f"man -l {page.name}: exit code {result.returncode}, {result.stderr.strip() or 'no warnings'}")
    found = run(["man", "-M", pages, "-w", "nodrell"]).stdout.strip()
    check(found == str(page), f"man nodrell finds {found!r}")


def check_lintian(check, deb):
    result = run(["lintian", "--display-info", deb])
    tags = re.findall(r"^([EWIPX]): nodrell: (\S+)", result.stdout, re.MULTILINE)
    # The one info tag that stays: lintian counts fortified calls among the functions it does
    # not ignore, and the program's one such call, read(), fills a buffer whose size the
    # compiler checks itself. hardening-check, which counts memcpy, finds fortified calls.
    unexplained = [tag for tag in tags if tag != ("I", "hardening-no-fortify-functions")]
    check(result.returncode == 0 and not unexplained, f"lintian: {result.stdout.strip() or 'no tags'}")


def check_hardening(check, program):
    """hardening-check finds each protection; two of its findings need a closer look."""
    lines = run(["hardening-check", program]).stdout.splitlines()[1:]
    found = dict(line.strip().split(": ", 1) for line in lines if ": " in line)
    disassembly = run(["objdump", "-d", "-M", "intel", "--no-show-raw-insn", program]).stdout
    # It recognises the probing loop of frames sized at run time only; the program's large
    # frames are probed page by page as they are made.
    clash_probe = re.search(r"sub\s+rsp,0x1000\n.*or\s+QWORD PTR \[rsp\],0x0", disassembly)
    # The program's functions start with endbr64; the C library's start files, linked into
    # every program, carry no note that they do, so the linker can give the program none.
    start_files = run(["readelf", "-n", run(["g++", "-print-file-name=Scrt1.o"]).stdout.strip()]).stdout
    cet_impossible = "endbr64" in disassembly and "IBT" not in start_files
    for name, value in found.items():
        good = (value.startswith("yes") or (name == "Stack clash protection" and clash_probe)
                or (name == "Control flow integrity" and cet_impossible))
        check(good, f"hardening-check: {name}: {value}")
    check(len(found) == 7, f"hardening-check judged {len(found)} protections")


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
    result = subprocess.run([sys.executable, "-B", "-m", check_resources.__name__, str(exe),
                             "--machine", args.machine, "--art", args.art], capture_output=True, text=True,
                            timeout=60)
    check(result.returncode == 0, "the packed Nodrell.exe passes the resource checks")
    if result.returncode:
        print(result.stdout + result.stderr)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("what", choices=["install", "deb", "zip"])
    parser.add_argument("--build", required=True)
    parser.add_argument("--work", required=True)
    parser.add_argument("--cmake")
    parser.add_argument("--cpack")
    parser.add_argument("--machine")
    parser.add_argument("--art")
    parser.add_argument("--probe")
    parser.add_argument("--version")
    parser.add_argument("--source")
    args = parser.parse_args()
    check = check_resources.Checks()
    {"install": install, "deb": package_deb, "zip": package_zip}[args.what](args, check)
    print(f"{check.failures} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
