"""The windows' layout tables, read from the C++ source that builds the windows, and where
their rows lie in pixels: the tests take every place, size and caption from there.

The reader takes a table as it is written: one `const std::array Layout{...}` of
`ControlSpec{.field = value, ...}` rows and one `const tk::WindowSpec Window{...}`. Whatever
it cannot read for certain (a row written another way, a place that is not a number, a kind
it does not know) stops it with a LayoutError: no row is left out unseen.
"""

import ast
import dataclasses
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parents[2]

# The countdown window's caption and how it begins, and the About window's; the tables build
# them from the version's macros.
CAPTION_PREFIX = "Nodrell v1.3"
CAPTION = "Nodrell v1.3 - Copyright (c) 2026 Ilse Marwood"
ABOUT_CAPTION = "About Nodrell"

# The kinds of row that are windows of their own, with their window class under Windows
# (None: the program's own), and those that are not.
WINDOW_CLASSES = {"Label": "Static", "Button": "Button", "TextBox": "Edit", "PictureBox": None,
                  "Image": "Static"}
WINDOWLESS = ("Line", "Timer")

DPI = 96  # Wine's default, and the tests' screen
PICTURE_BORDER = 2  # pixels of the sunken edge around a picture box's inside

TOKEN = re.compile(r'\s+|//[^\n]*|/\*.*?\*/|(?P<string>"(?:\\.|[^"\\\n])*")|(?P<number>\d\w*)'
                   r'|(?P<word>[A-Za-z_]\w*(?:::\w+)*)|(?P<mark>[^\s\w"])', re.S)


class LayoutError(Exception):
    pass


@dataclasses.dataclass(frozen=True)
class Row:
    """A row of a layout table that is a window of its own. Twips."""
    name: str  # with its index in a control array: "txtTime(0)"
    kind: str
    caption: str | None  # None where the table names a constant: a picture, a text from elsewhere
    box: tuple
    container: str | None = None
    auto_size: bool = False
    enabled: bool = True


def tokens(text):
    found, at = [], 0
    while at < len(text):
        match = TOKEN.match(text, at)
        if match is None:
            raise LayoutError(f"cannot read {text[at:at + 20]!r}")
        if match.lastgroup:
            found.append((match.lastgroup, match.group()))
        at = match.end()
    return found


def braced(toks, at):
    """The items of the brace list that opens at toks[at], split at its own commas."""
    items, item, depth = [], [], 0
    for token in toks[at + 1:]:
        if token[1] in "{([":
            depth += 1
        elif token[1] in "})]":
            if depth == 0:
                return items + [item] if item else items
            depth -= 1
        elif token[1] == "," and depth == 0:
            items.append(item)
            item = []
            continue
        item.append(token)
    raise LayoutError("a brace list does not end")


def opening(toks, type_name, variable):
    """Where the brace list of the one `type_name variable{...}` in toks opens."""
    starts = [i + 2 for i in range(len(toks) - 2)
              if [t[1] for t in toks[i:i + 3]] == [type_name, variable, "{"]]
    if len(starts) != 1:
        raise LayoutError(f"{len(starts)} tables {type_name} {variable}, expected one")
    return starts[0]


def designated(items):
    fields = {}
    for item in items:
        if len(item) < 4 or (item[0][1], item[1][0], item[2][1]) != (".", "word", "="):
            raise LayoutError(f"not a designated field: {' '.join(t[1] for t in item)}")
        fields[item[1][1]] = item[3:]
    return fields


def value(fields, name, as_type, default=None):
    """A field as int, bool or str, or as a caption: a text, or None for a named constant."""
    toks = fields.get(name)
    if toks is None:
        return default
    kinds, texts = [t[0] for t in toks], [t[1] for t in toks]
    if as_type is int and (kinds == ["number"] or texts[:1] == ["-"] and kinds[1:] == ["number"]):
        return int("".join(texts), 0)
    if as_type is bool and texts in (["true"], ["false"]):
        return texts == ["true"]
    if as_type in (str, "caption") and set(kinds) == {"string"}:
        return "".join(ast.literal_eval(text) for text in texts)
    if as_type == "caption" and set(kinds) <= {"string", "word"}:
        return None
    raise LayoutError(f".{name} = {' '.join(texts)} is not a plain "
                      f"{getattr(as_type, '__name__', as_type)}")


def row(item):
    if [t[1] for t in item[:2]] != ["ControlSpec", "{"] or item[-1][1] != "}":
        raise LayoutError(f"not a ControlSpec row: {' '.join(t[1] for t in item[:8])} ...")
    fields = designated(braced(item, 1))
    kind = [t[1] for t in fields.get("kind", [])]
    if len(kind) != 1 or not kind[0].startswith("Kind::"):
        raise LayoutError(f"a row without a plain kind: {kind}")
    kind = kind[0].removeprefix("Kind::")
    name, index = value(fields, "name", str), value(fields, "index", int, -1)
    if kind not in WINDOW_CLASSES and kind not in WINDOWLESS or name is None:
        raise LayoutError(f"a row {name} of kind {kind}, unknown here")
    return Row(f"{name}({index})" if index >= 0 else name, kind, value(fields, "caption", "caption"),
               tuple(value(fields, side, int, 0) for side in ("left", "top", "width", "height")),
               value(fields, "container", str), value(fields, "autoSize", bool, False),
               value(fields, "enabled", bool, True))


class Table:
    """A window's layout table: its rows that are windows, front to back, its client area
    and its place on the screen (None where the system chooses)."""

    def __init__(self, text):
        toks = tokens(text)
        rows = [row(item) for item in braced(toks, opening(toks, "std::array", "Layout"))]
        written = sum(1 for i in range(len(toks) - 1)
                      if [t[1] for t in toks[i:i + 2]] == ["ControlSpec", "{"])
        if written != len(rows):
            raise LayoutError(f"{written} ControlSpec rows written, {len(rows)} in the table Layout")
        self.rows = [r for r in rows if r.kind not in WINDOWLESS]
        self.row = {r.name: r for r in self.rows}
        if len(self.row) != len(self.rows):
            raise LayoutError("two rows of one name")
        window = designated(braced(toks, opening(toks, "tk::WindowSpec", "Window")))
        self.client = (value(window, "clientWidth", int), value(window, "clientHeight", int))
        point = [t[1] for t in window.get("position", [])]
        if point and (len(point) != 6 or point[:2] != ["tk::Point", "{"]):
            raise LayoutError(f"a position {' '.join(point)}, not tk::Point{{x, y}}")
        self.position = (int(point[2]), int(point[4])) if point else None

    def box(self, name):
        """The row's bounds in the window's client area, in pixels at the tests' DPI: x, y,
        width, height."""
        row = self.row[name]
        x, y, w, h = (pixels(v, DPI) for v in row.box)
        if row.container:
            cx, cy = (pixels(v, DPI) + PICTURE_BORDER for v in self.row[row.container].box[:2])
            x, y = x + cx, y + cy
        return x, y, w, h

    def centre(self, name):
        """The row's centre in the window's client area, where a user would click it."""
        x, y, w, h = self.box(name)
        return f"@{x + w // 2},{y + h // 2}"

    def match(self, window, children):
        """Finds each row's window in a dump by its place: by its parent and its top left
        corner. Returns ({row name: child record}, {row name: why it was not found})."""
        found, missing = {}, {}
        for row in self.rows:
            if row.container is None:
                parent = window["hwnd"]
            elif row.container in found:
                parent = found[row.container]["hwnd"]
            else:
                missing[row.name] = f"its container {row.container} is missing"
                continue
            x, y = (pixels(v, window["dpi"]) for v in row.box[:2])
            wanted = WINDOW_CLASSES[row.kind]
            at_place = [
                c for c in children
                if c["parent"] == parent and tuple(c["parentRect"][:2]) == (x, y)
                and (wanted is None or c["class"].lower() == wanted.lower())
            ]
            if row.kind == "PictureBox":
                # A picture box holds the controls of its rows; anything else at its place
                # cannot be it.
                holders = [c for c in at_place if any(d["parent"] == c["hwnd"] for d in children)]
                at_place = holders or at_place
            if len(at_place) == 1:
                found[row.name] = at_place[0]
            else:
                where = "the window" if row.container is None else row.container
                missing[row.name] = (
                    f"{len(at_place)} windows of class {wanted or 'any'} at ({x}, {y}) "
                    f"in {where}, expected one"
                )
        return found, missing


def pixels(twips, dpi):
    """As tk::twipsToPixels: to the nearest pixel, halves away from zero."""
    scaled = twips * dpi
    return (scaled + 720) // 1440 if scaled >= 0 else -((-scaled + 720) // 1440)


def read(path):
    try:
        return Table((ROOT / path).read_text())
    except LayoutError as error:
        raise LayoutError(f"{path}: {error}") from None


FORM1 = read("forms/Form1/Form1Layout.cpp")
FRM_ABOUT = read("forms/frmAbout/frmAboutLayout.cpp")
