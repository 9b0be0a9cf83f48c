"""Where things are in Tarrow's windows: client sizes and click points in
pixels at 96 DPI (the designs' twips divided by 15). The hot areas come from
the windows' layout tables, which the program makes them from."""

import sys
from dataclasses import astuple
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "support"))

from window_layouts import read_layouts  # noqa: E402

_LAYOUTS = read_layouts(Path(__file__).resolve().parents[2])


def _center(window, area):
    return _LAYOUTS[window].area(area).pixels.center()


PROGRAM = r"C:\Program Files\Tarrow\Tarrow.exe"

INTRO = (640, 480)
INTRO_START = _center("intro", "Label1")
MAIN = (656, 504)
MAIN_RATE = _center("main", "Label3")
MAIN_SETTINGS = _center("main", "Label6")  # and Label7 over it
MAIN_RESTORE = _center("main", "Label5")
MAIN_HELP = _center("main", "Label8")
MAIN_INFO = _center("main", "Label2")
MAIN_EXIT = _center("main", "Label1")
# The hot areas as client rectangles (left, top, width, height), by the name
# a screen reader reads, in their tab order (Label7 lies over Label6 with
# its name).
MAIN_HOT_AREAS = {
    a.accessible_name: astuple(a.pixels)
    for a in sorted(_LAYOUTS["main"].areas, key=lambda a: a.tab_index)
}
HELP = (500, 400)  # Form7
HELP_CLOSE = _center("help", "Label1")
INFO = (300, 239)  # Form3
INFO_CLOSE = _center("information", "Label2")
FILEE = (299, 299)
WORKING = (399, 200)
CHECK1 = (167, 136)
OPTION1 = (173, 94)
OPTION2 = (173, 110)
COMMAND1 = (260, 180)
COMMAND2 = (144, 180)
NOTICE = (270, 269)  # Form6
RATINGS = {"Star": (399, 99), "Fast": (400, 98), "Normal": (399, 98), "Slow": (400, 100)}
