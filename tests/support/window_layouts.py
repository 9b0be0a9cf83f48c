"""Reads the windows' layout tables (tarrow/layout/*.def): the hot areas the
program makes, each with the button its picture draws under it. The format
is described in tarrow/layout/window_layouts.h."""

import csv
import re
from dataclasses import dataclass, field
from pathlib import Path

TWIPS_PER_PIXEL = 15  # at 96 DPI, the DPI the pictures are drawn for

_CALL = re.compile(r"^(TARROW_[A-Z_]+)\((.*)\)\s*$")
_HOT_AREA_FIELDS = 14


@dataclass(frozen=True)
class Rect:
    x: int
    y: int
    width: int
    height: int

    @property
    def right(self):
        return self.x + self.width

    @property
    def bottom(self):
        return self.y + self.height

    def contains(self, other):
        return (self.x <= other.x and self.y <= other.y and other.right <= self.right
                and other.bottom <= self.bottom)

    def center(self):
        return (self.x + self.width // 2, self.y + self.height // 2)

    def moved(self, dx, dy):
        return Rect(self.x + dx, self.y + dy, self.width, self.height)


@dataclass(frozen=True)
class HotArea:
    name: str
    twips: Rect  # the hot area as the program makes it
    drawn: Rect  # the button the picture draws under it, in pixels
    face: tuple  # the drawn button's face colour (red, green, blue)
    tab_index: int
    shown: bool
    tooltip: str
    accessible_name: str

    @property
    def pixels(self):
        """The hot area in the picture's pixels."""
        t = self.twips
        return Rect(*(v // TWIPS_PER_PIXEL for v in (t.x, t.y, t.width, t.height)))


@dataclass
class Layout:
    path: Path
    picture: str = ""
    areas: list = field(default_factory=list)
    # Hot area name -> why its button is not inside it / why it is not
    # inside its picture.
    button_beyond_area: dict = field(default_factory=dict)
    area_beyond_picture: dict = field(default_factory=dict)

    def area(self, name):
        return next(a for a in self.areas if a.name == name)


def _fields(arguments):
    return next(csv.reader([arguments], skipinitialspace=True))


def _colour(text):
    if not re.fullmatch(r"#[0-9A-Fa-f]{6}", text):
        raise ValueError(f"{text!r} is not a colour #RRGGBB")
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def _hot_area(fields):
    if len(fields) != _HOT_AREA_FIELDS:
        raise ValueError(f"{len(fields)} fields, not {_HOT_AREA_FIELDS}")
    name = fields[0]
    numbers = [int(v) for v in fields[1:9]]
    if fields[11] not in ("true", "false"):
        raise ValueError(f"shown is {fields[11]!r}")
    return HotArea(name=name, twips=Rect(*numbers[:4]), drawn=Rect(*numbers[4:]),
                   face=_colour(fields[9]), tab_index=int(fields[10]),
                   shown=fields[11] == "true", tooltip=fields[12],
                   accessible_name=fields[13])


def read_layout(path):
    """The table in `path`; a line it cannot read is a ValueError naming it."""
    layout = Layout(Path(path))
    for number, line in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        if not line.strip() or line.startswith("//"):
            continue
        try:
            match = _CALL.match(line)
            if not match:
                raise ValueError("not a row of the table")
            kind, fields = match.group(1), _fields(match.group(2))
            if kind == "TARROW_PICTURE" and len(fields) == 1:
                layout.picture = fields[0]
            elif kind == "TARROW_HOT_AREA":
                layout.areas.append(_hot_area(fields))
            elif kind == "TARROW_BUTTON_BEYOND_AREA" and len(fields) == 2:
                layout.button_beyond_area[fields[0]] = fields[1]
            elif kind == "TARROW_AREA_BEYOND_PICTURE" and len(fields) == 2:
                layout.area_beyond_picture[fields[0]] = fields[1]
            else:
                raise ValueError(f"{kind} with {len(fields)} fields")
        except ValueError as error:
            raise ValueError(f"{path}:{number}: {error}") from None
    if not layout.picture:
        raise ValueError(f"{path}: names no picture")
    return layout


def layouts_folder(source):
    return Path(source) / "tarrow" / "layout"


def read_layouts(source):
    """Every window's table in the source tree `source`, by file stem."""
    return {p.stem: read_layout(p) for p in sorted(layouts_folder(source).glob("*.def"))}
