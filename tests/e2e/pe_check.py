"""Checks the built Windows executable as a file: its processor, that it is a windowed
program, that it needs no DLL beyond those every Windows has, so it runs when copied
alone onto a machine, and its hardening: address randomisation with its relocations,
non-executable data, terminal-server awareness and the stack protector.

    python3 -m tests.e2e.pe_check Nodrell.exe --machine i386|amd64 [--max-bytes N]
"""

import argparse
import struct
import sys

MACHINES = {"i386": 0x014C, "amd64": 0x8664}
SUBSYSTEM_WINDOWS_GUI = 2
RELOCS_STRIPPED = 0x0001
# DllCharacteristics: high-entropy addresses (64-bit only), randomised base, no execution of
# data, terminal-server aware.
HIGH_ENTROPY_VA, DYNAMIC_BASE, NX_COMPAT, TERMINAL_SERVER_AWARE = 0x0020, 0x0040, 0x0100, 0x8000

# The DLLs of Windows itself (all present since Windows XP). MinGW's runtime DLLs
# (libstdc++, libgcc_s, libwinpthread) and the newer universal C runtime are not among them.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "imm32.dll", "kernel32.dll",
    "msvcrt.dll", "ntdll.dll", "ole32.dll", "oleaut32.dll", "powrprof.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "uxtheme.dll", "version.dll", "winmm.dll", "ws2_32.dll",
}


class PeFile:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        (self.machine, sections, _, _, _, optional_size, self.characteristics) = \
            struct.unpack_from("<HHIIIHH", data, pe + 4)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        if magic not in (0x10B, 0x20B):
            raise ValueError(f"unknown optional header magic {magic:#x}")
        self.pe32_plus = magic == 0x20B
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, optional + 68)
        directories = optional + (112 if self.pe32_plus else 96)
        count = struct.unpack_from("<I", data, directories - 4)[0]
        self.directories = [struct.unpack_from("<II", data, directories + 8 * i)
                            for i in range(count)]
        table = optional + optional_size
        self.sections = []
        for i in range(sections):
            _, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((vaddr, max(vsize, raw_size), raw_ptr))

    def offset(self, rva):
        for vaddr, size, raw in self.sections:
            if vaddr <= rva < vaddr + size:
                return rva - vaddr + raw
        raise ValueError(f"address {rva:#x} lies in no section")

    def string(self, rva):
        start = self.offset(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imported_dlls(self):
        """The DLLs named by the import table and by the delay-load import table."""
        names = []
        rva, size = self.directory(1)
        if rva and size:
            at = self.offset(rva)
            while True:
                lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, at)
                if not (lookup or name or thunk):
                    break
                names.append(self.string(name))
                at += 20
        rva, size = self.directory(13)
        if rva and size:
            at = self.offset(rva)
            while True:
                attributes, name = struct.unpack_from("<II", self.data, at)
                if not name:
                    break
                names.append(self.string(name))
                at += 32
        return names


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe")
    parser.add_argument("--machine", required=True, choices=list(MACHINES))
    parser.add_argument("--max-bytes", type=int, help="the size the shipped program stays under")
    args = parser.parse_args()

    with open(args.exe, "rb") as f:
        data = f.read()
    pe = PeFile(data)
    failures = 0

    def check(condition, message):
        nonlocal failures
        print(("ok:   " if condition else "FAIL: ") + message)
        failures += not condition

    check(pe.machine == MACHINES[args.machine],
          f"machine {pe.machine:#06x}, expected {args.machine} ({MACHINES[args.machine]:#06x})")
    check(pe.pe32_plus == (args.machine == "amd64"),
          "PE32+ (64-bit) image" if pe.pe32_plus else "PE32 (32-bit) image")
    check(pe.subsystem == SUBSYSTEM_WINDOWS_GUI,
          f"subsystem {pe.subsystem}, expected {SUBSYSTEM_WINDOWS_GUI} (windowed, no console)")
    dlls = pe.imported_dlls()
    check(bool(dlls), f"imports: {', '.join(dlls)}")
    foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
    check(not foreign, "imports only system DLLs" + (f"; not: {', '.join(foreign)}" if foreign else ""))
    wanted = DYNAMIC_BASE | NX_COMPAT | TERMINAL_SERVER_AWARE | (HIGH_ENTROPY_VA if pe.pe32_plus else 0)
    check(pe.dll_characteristics & wanted == wanted,
          f"DllCharacteristics {pe.dll_characteristics:#06x} include {wanted:#06x}")
    check(not pe.characteristics & RELOCS_STRIPPED and all(pe.directory(5)),
          "relocations kept, so that the image can be moved")
    # libssp's handler is linked in only when protected functions call it.
    check(b"*** stack smashing detected ***" in data, "stack protector")
    if args.max_bytes:
        check(len(data) < args.max_bytes, f"{len(data)} bytes, under {args.max_bytes}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
