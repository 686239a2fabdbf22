"""Reads the resources back out of the built Nodrell.exe and checks each of them: the
version information, the application manifest, the program icon and the pictures the
windows name; and that the program imports nothing but the DLLs of Windows.

    python3 -m tests.resources.check_resources Nodrell.exe --machine i386|amd64 --art app/resources

The manifest's exact bytes (584 of them) are checked on the 32-bit program; the 64-bit
build names its own processor instead of X86 and must otherwise be the same text.
"""

import argparse
import pathlib
import struct
import sys
import xml.etree.ElementTree as ET

# The PE reader of the executable checks, next door.
from tests.e2e import pe_check

US_ENGLISH = 0x0409

RT_CURSOR, RT_ICON, RT_RCDATA, RT_VERSION = 1, 3, 10, 16
RT_GROUP_CURSOR, RT_GROUP_ICON, RT_MANIFEST = 12, 14, 24

VERSION_KEYS = [
    ("Comments", None),  # checked below: a maker's prefix, a hyphen, the product
    ("CompanyName", None),
    ("FileDescription", None),
    ("ProductName", "Nodrell"),
    ("FileVersion", "1.03"),
    ("ProductVersion", "1.03"),
    ("InternalName", "Nodrell"),
    ("OriginalFilename", "Nodrell.exe"),
]

MANIFEST_LENGTH = 584
ASM = "{urn:schemas-microsoft-com:asm.v1}"


# --- the PE file ------------------------------------------------------------------------


class ResourcePeFile(pe_check.PeFile):
    """The executable with its resource directory read out too."""

    def resources(self):
        """[(type, name, language, bytes)] in the order of the resource directory. Types,
        names and languages are numbers or strings."""
        rva, size = self.directory(2)
        if not (rva and size):
            return []
        base = self.offset(rva)

        def entries(at):
            _, _, _, _, named, numbered = struct.unpack_from("<IIHHHH", self.data, base + at)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data, base + at + 16 + 8 * i)
                if name & 0x80000000:
                    length = struct.unpack_from("<H", self.data, base + (name & 0x7FFFFFFF))[0]
                    start = base + (name & 0x7FFFFFFF) + 2
                    key = self.data[start:start + 2 * length].decode("utf-16-le")
                else:
                    key = name
                yield key, target

        found = []
        for kind, types in entries(0):
            for name, names in entries(types & 0x7FFFFFFF):
                for language, leaf in entries(names & 0x7FFFFFFF):
                    data_rva, data_size, _, _ = struct.unpack_from("<IIII", self.data, base + leaf)
                    start = self.offset(data_rva)
                    found.append((kind, name, language, self.data[start:start + data_size]))
        return found


# --- the version resource ---------------------------------------------------------------


def version_block(data, at=0):
    """One block of a version resource: (key, value type, value length, value bytes,
    children, end)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, at)
    end = at + length
    key_end = at + 6
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[at + 6:key_end].decode("utf-16-le")
    value_at = (key_end + 2 + 3) & ~3
    value_bytes = value_length * 2 if value_type == 1 else value_length
    value = data[value_at:min(value_at + value_bytes, end)]
    children = []
    child = (value_at + value_bytes + 3) & ~3
    while child < end:
        block = version_block(data, child)
        children.append(block)
        child = (block[5] + 3) & ~3
    return key, value_type, value_length, value, children, end


# --- images -----------------------------------------------------------------------------


def bitmap_header(data):
    """(width, height, bits) of a DIB; the height counts the colour rows and the mask."""
    size, width, height, planes, bits = struct.unpack_from("<IiiHH", data)
    if size != 40 or planes != 1:
        raise ValueError(f"unexpected DIB header size {size}, planes {planes}")
    return width, height, bits


def dib_length(width, bits):
    colour_stride = (width * bits + 31) // 32 * 4
    mask_stride = (width + 31) // 32 * 4
    return 40 + (1 << bits) * 4 + width * (colour_stride + mask_stride)


def ico_images(data):
    """[(width, height, colour count, bits, image bytes)] of an icon file."""
    reserved, kind, count = struct.unpack_from("<HHH", data)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    images = []
    for i in range(count):
        w, h, colours, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        images.append((w or 256, h or 256, colours, bits, data[offset:offset + size]))
    return images


def gif_facts(data):
    """(signature, width, height, colours in the table, transparent index or None)."""
    signature = data[:6]
    width, height, flags = struct.unpack_from("<HHB", data, 6)
    colours = 2 << (flags & 7) if flags & 0x80 else 0
    at = 13 + 3 * colours
    transparent = None
    while at < len(data) and data[at] == 0x21:
        label = data[at + 1]
        block = at + 2
        if label == 0xF9 and data[block] == 4 and data[block + 1] & 1:
            transparent = data[block + 4]
        while data[block]:
            block += data[block] + 1
        at = block + 1
    return signature, width, height, colours, transparent


# --- the checks -------------------------------------------------------------------------


class Checks:
    def __init__(self):
        self.failures = 0

    def __call__(self, condition, message):
        # At once: the programs that a check runs write between the lines.
        print(("ok:   " if condition else "FAIL: ") + message, flush=True)
        self.failures += not condition
        return condition


def check_version(check, resources):
    versions = [r for r in resources if r[0] == RT_VERSION]
    if not check(len(versions) == 1, f"one version resource ({len(versions)})"):
        return
    _, name, language, data = versions[0]
    check(name == 1 and language == US_ENGLISH, f"version resource 1, language {language:#06x}")
    key, _, value_length, fixed, children, _ = version_block(data)
    check(key == "VS_VERSION_INFO" and value_length == 52, f"root block {key!r}, {value_length} bytes of fixed part")
    (signature, _, file_ms, file_ls, product_ms, product_ls, mask, flags, os_, kind, subtype,
     _, _) = struct.unpack("<13I", fixed)
    check(signature == 0xFEEF04BD, f"fixed part signature {signature:#x}")
    check((file_ms, file_ls) == (0x00010003, 0) and (product_ms, product_ls) == (0x00010003, 0),
          f"file version {file_ms >> 16}.{file_ms & 0xFFFF}.{file_ls >> 16}.{file_ls & 0xFFFF}, product version "
          f"{product_ms >> 16}.{product_ms & 0xFFFF}.{product_ls >> 16}.{product_ls & 0xFFFF}: both 1.3.0.0")
    check((mask, flags) == (0, 0), f"flags mask {mask:#x}, flags {flags:#x}: both 0")
    check((os_, kind, subtype) == (4, 1, 0), f"os {os_:#x}, type {kind}, subtype {subtype}: 0x4, 1, 0")

    order = [child[0] for child in children]
    check(order == ["VarFileInfo", "StringFileInfo"], f"blocks in the order {order}: VarFileInfo first")
    blocks = {child[0]: child for child in children}
    var = blocks.get("VarFileInfo")
    if var and check(len(var[4]) == 1 and var[4][0][0] == "Translation", "VarFileInfo holds Translation alone"):
        value = var[4][0][3]
        pairs = [struct.unpack_from("<HH", value, i) for i in range(0, len(value) - 3, 4)]
        check(pairs == [(0x0409, 0x04B0)], f"Translation {[(hex(a), hex(b)) for a, b in pairs]}: 0x0409, 0x04B0")
    strings = blocks.get("StringFileInfo")
    if not strings:
        return
    tables = [table[0] for table in strings[4]]
    if not check(tables == ["040904B0"], f"string tables {tables}: 040904B0 alone"):
        return
    entries = []
    for key, value_type, value_length, value, _, _ in strings[4][0][4]:
        text = value.decode("utf-16-le").split("\0")[0]
        check(value_type == 1 and value_length == len(text) + 1,
              f"{key}: text value of {value_length} characters with its terminator")
        entries.append((key, text))
    keys = [key for key, _ in entries]
    check(keys == [key for key, _ in VERSION_KEYS], f"keys in the order {keys}")
    values = dict(entries)
    for key, expected in VERSION_KEYS:
        if expected is not None:
            check(values.get(key) == expected, f"{key} = {values.get(key)!r}, expected {expected!r}")
    comments = values.get("Comments", "")
    prefix, _, product = comments.partition("-")
    check(bool(prefix) and product == "Nodrell", f"Comments = {comments!r}: a maker's prefix, a hyphen, Nodrell")
    description = values.get("FileDescription", "")
    check(description == f"{prefix}-Nodrell your PC", f"FileDescription = {description!r}: the prefix, a hyphen, "
          "'Nodrell your PC'")
    check(bool(values.get("CompanyName")), f"CompanyName = {values.get('CompanyName')!r}")


def check_manifest(check, resources, machine):
    manifests = [r for r in resources if r[0] == RT_MANIFEST]
    if not check(len(manifests) == 1, f"one manifest ({len(manifests)})"):
        return
    _, name, language, data = manifests[0]
    check(name == 1 and language == US_ENGLISH, f"manifest resource 1, language {language:#06x}")
    arch = "X86" if machine == "i386" else "amd64"
    if machine != "i386":
        # The same text but for the processor: put back, it must be the shipped manifest.
        check(data.count(b'processorArchitecture="amd64"') == 2, "the 64-bit build names amd64 twice")
        data = data.replace(b'processorArchitecture="amd64"', b'processorArchitecture="X86"')
        arch = "X86"
    check(len(data) == MANIFEST_LENGTH, f"{len(data)} bytes, expected {MANIFEST_LENGTH}")
    check(data[:3] == b"\xef\xbb\xbf", f"begins with the UTF-8 byte-order mark ({data[:3].hex()})")
    body = data[3:]
    check(body.endswith(b"\r\n\r\n"), f"ends in two line breaks ({body[-4:]!r})")
    line = body[:-4]
    check(b"\r" not in line and b"\n" not in line and line.startswith(b"<"), "one line of XML")
    try:
        root = ET.fromstring(line.decode("utf-8"))
    except (ET.ParseError, UnicodeDecodeError) as error:
        check(False, f"well-formed XML: {error}")
        return
    check(root.tag == ASM + "assembly" and root.attrib == {"manifestVersion": "1.0"},
          f"root {root.tag} {root.attrib}")
    tags = [child.tag.replace(ASM, "") for child in root]
    if not check(tags == ["assemblyIdentity", "description", "dependency"], f"elements {tags}"):
        return
    identity, description, dependency = list(root)
    own = dict(identity.attrib)
    check(bool(own.pop("name", "")) and own == {"version": "1.0.0.0", "processorArchitecture": arch,
                                                 "type": "win32"},
          f"program identity {identity.attrib}")
    check(len(identity) == 0 and len(description) == 0, "identity and description hold no elements")
    check(description.text == "XP Styles Demonstration Using Resource Manifest",
          f"description {description.text!r}")
    assemblies = list(dependency)
    if not check(len(assemblies) == 1 and assemblies[0].tag == ASM + "dependentAssembly",
                 "one dependentAssembly"):
        return
    inner = list(assemblies[0])
    check(len(inner) == 1 and inner[0].tag == ASM + "assemblyIdentity" and len(inner[0]) == 0,
          "which holds one assemblyIdentity")
    if inner:
        check(inner[0].attrib == {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                                  "version": "6.0.0.0", "processorArchitecture": arch,
                                  "publicKeyToken": "6595b64144ccf1df", "language": "*"},
              f"common controls {inner[0].attrib}")
    check(b"requestedExecutionLevel" not in data and b"trustInfo" not in data, "no execution level")


def check_icon(check, resources, art):
    groups = [r for r in resources if r[0] == RT_GROUP_ICON]
    if not check([(g[1], g[2]) for g in groups] == [(1, US_ENGLISH)],
                 f"icon groups {[(g[1], hex(g[2])) for g in groups]}: group 1 alone, US English"):
        return
    data = groups[0][3]
    reserved, kind, count = struct.unpack_from("<HHH", data)
    check((reserved, kind, count) == (0, 1, 2), f"group of {count} images")
    entries = [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(count)]
    check(len(data) == 6 + 14 * count, "group size")
    images = {r[1]: r for r in resources if r[0] == RT_ICON}
    check(sorted(images) == [30001, 30002], f"icon images {sorted(images)}: 30001 and 30002")
    expected = {30001: (32, "program-32.bin"), 30002: (16, "program-16.bin")}
    check([e[7] for e in entries] == [30001, 30002], f"the group lists {[e[7] for e in entries]}")
    for width, height, colours, _, planes, bits, size, number in entries:
        if number not in expected or number not in images:
            continue
        side, file = expected[number]
        check((width, height, colours, planes, bits) == (side, side, 16, 1, 4),
              f"group entry {number}: {width} x {height}, {colours} colours, {bits} bits: "
              f"{side} x {side}, 16 colours, 4 bits")
        _, _, language, image = images[number]
        check(language == US_ENGLISH, f"icon {number} language {language:#06x}")
        check(size == len(image), f"icon {number}: the group gives its size {size} ({len(image)})")
        w, h, b = bitmap_header(image)
        check((w, h, b) == (side, 2 * side, 4) and len(image) == dib_length(side, 4),
              f"icon {number}: {w} x {h // 2} pixels, {b} bits per pixel")
        check(image == (art / file).read_bytes(), f"icon {number} is the drawn {file}")


def check_pictures(check, resources, art):
    named = {(r[0], r[1]): r for r in resources if isinstance(r[1], str)}
    for name, file in (("LOGO1", "logo1.gif"), ("LOGO2", "logo2.ico"), ("ABOUTICON", "about.ico")):
        found = named.get((RT_RCDATA, name))
        if check(found is not None, f"picture {name}"):
            check(found[3] == (art / file).read_bytes() and found[2] == US_ENGLISH, f"{name} holds {file}")

    gif = (art / "logo1.gif").read_bytes()
    signature, width, height, colours, transparent = gif_facts(gif)
    check(signature == b"GIF89a" and (width, height) == (48, 48) and transparent is not None
          and transparent < colours,
          f"logo1.gif: {signature.decode()} {width} x {height}, transparent colour {transparent}")

    images = ico_images((art / "logo2.ico").read_bytes())
    check([(w, h, b) for w, h, _, b, _ in images] == [(48, 48, 8)]
          and bitmap_header(images[0][4]) == (48, 96, 8),
          f"logo2.ico: {[(w, h, b) for w, h, _, b, _ in images]}: one 48 x 48 image, 256 colours")

    images = ico_images((art / "about.ico").read_bytes())
    check(sorted((w, h, b) for w, h, _, b, _ in images) == [(16, 16, 8), (32, 32, 8)]
          and all(bitmap_header(i[4])[2] == 8 for i in images),
          f"about.ico: {[(w, h, b) for w, h, _, b, _ in images]}: 16 and 32, 256 colours")

    groups = [r for r in resources if r[0] == RT_GROUP_CURSOR]
    cursors = [r for r in resources if r[0] == RT_CURSOR]
    if check([g[1] for g in groups] == ["LINKCURSOR"] and len(cursors) == 1,
             f"cursor groups {[g[1] for g in groups]}: LINKCURSOR with one image"):
        data = cursors[0][3]
        hot_x, hot_y = struct.unpack_from("<HH", data)
        w, h, b = bitmap_header(data[4:])
        check((hot_x, hot_y, w, h, b) == (14, 8, 32, 64, 1),
              f"cursor {w} x {h // 2}, {b} bit, hot spot {hot_x}, {hot_y}: 32 x 32, 1 bit, 14, 8")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("exe", type=pathlib.Path)
    parser.add_argument("--machine", required=True, choices=list(pe_check.MACHINES))
    parser.add_argument("--art", required=True, type=pathlib.Path, help="the folder of the drawn pictures")
    args = parser.parse_args()

    pe = ResourcePeFile(args.exe.read_bytes())
    check = Checks()
    check(pe.machine == pe_check.MACHINES[args.machine], f"machine {pe.machine:#06x}")
    resources = pe.resources()
    languages = sorted({r[2] for r in resources})
    check(languages == [US_ENGLISH], f"resource languages {[hex(x) for x in languages]}: US English alone")
    check_version(check, resources)
    check_manifest(check, resources, args.machine)
    check_icon(check, resources, args.art)
    check_pictures(check, resources, args.art)
    dlls = pe.imported_dlls()
    foreign = [d for d in dlls if d.lower() not in pe_check.SYSTEM_DLLS]
    check(bool(dlls) and not foreign, f"imports {', '.join(dlls)}" + (f"; not system DLLs: {foreign}" if foreign else ""))
    print(f"{check.failures} failed")
    return 1 if check.failures else 0


if __name__ == "__main__":
    sys.exit(main())
