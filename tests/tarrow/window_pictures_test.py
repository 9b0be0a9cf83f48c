"""The committed pictures against the windows' layout tables: each drawn
button lies inside its hot area and each hot area inside its picture, unless
the table says why not, and the picture shows each button's face colour
where the table puts the button. ImageMagick (which draws the pictures)
decodes them."""

import math
import re
import shutil
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(SOURCE / "tests" / "support"))

from window_layouts import TWIPS_PER_PIXEL, Rect, read_layout, read_layouts  # noqa: E402

# The face is sampled this many pixels in from each corner of the button:
# inside the rounded corners (radius 8 at most) and clear of the icons and
# captions, which keep further in.
FACE_INSET = 4
# Each sample is the mean of the 3 x 3 pixels around its point, which
# evens out the JPEG's noise.
PATCH = 1
# Distance in RGB. The committed faces lie within 9 of their colours; the
# closest colour that a misplaced sample can land on, the light background
# beside a white face, is 23 away.
TOLERANCE = 12


class Picture:
    """A decoded picture: its size and its pixels."""

    def __init__(self, path):
        convert = shutil.which("convert")
        if convert is None:
            raise RuntimeError("ImageMagick's convert is missing (scripts/setup installs it)")
        ppm = subprocess.run([convert, str(path), "-depth", "8", "ppm:-"], check=True,
                             capture_output=True).stdout
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", ppm)
        self.width, self.height = int(header.group(1)), int(header.group(2))
        self.pixels = ppm[header.end():]

    def patch(self, x, y):
        """The mean colour around (x, y), or None where the patch leaves the
        picture."""
        if not (PATCH <= x < self.width - PATCH and PATCH <= y < self.height - PATCH):
            return None
        total = [0, 0, 0]
        for py in range(y - PATCH, y + PATCH + 1):
            for px in range(x - PATCH, x + PATCH + 1):
                i = (py * self.width + px) * 3
                for c in range(3):
                    total[c] += self.pixels[i + c]
        count = (2 * PATCH + 1) ** 2
        return tuple(v / count for v in total)


_pictures = {}


def picture_of(layout):
    path = SOURCE / "images" / layout.picture
    if path not in _pictures:
        _pictures[path] = Picture(path)
    return _pictures[path]


def number_problems(layout, width, height):
    """(hot area, what is wrong) for every rule of the numbers a row breaks
    without its table saying why, or that the table excuses it from though
    it keeps it."""
    problems = []
    picture = Rect(0, 0, width, height)
    for excused in (layout.button_beyond_area, layout.area_beyond_picture):
        for name in excused:
            if name not in {a.name for a in layout.areas}:
                problems.append((name, "excused, but the table has no such hot area"))
    for area in layout.areas:
        if any(v % TWIPS_PER_PIXEL for v in vars(area.twips).values()):
            problems.append((area.name, f"{area.twips} is not on whole pixels"))
        rules = (
            (area.pixels.contains(area.drawn), layout.button_beyond_area,
             "the button lies inside its hot area", f"{area.drawn} in {area.pixels}"),
            (picture.contains(area.pixels), layout.area_beyond_picture,
             "the hot area lies inside its picture", f"{area.pixels} in {width} x {height}"),
        )
        for kept, excused, rule, detail in rules:
            if not kept and area.name not in excused:
                problems.append((area.name, f"breaks '{rule}': {detail}"))
            if kept and area.name in excused:
                problems.append((area.name, f"is excused from '{rule}', which it keeps"))
        if not picture.contains(area.drawn):
            problems.append((area.name, f"button {area.drawn} leaves the picture"))
    return problems


def face_problems(layout, picture):
    """(hot area, what is wrong) for every sample of a drawn button that does
    not show the button's face colour."""
    problems = []
    for area in layout.areas:
        b = area.drawn
        left, top = b.x + FACE_INSET, b.y + FACE_INSET
        right, bottom = b.right - 1 - FACE_INSET, b.bottom - 1 - FACE_INSET
        for point in ((left, top), (right, top), (left, bottom), (right, bottom)):
            seen = picture.patch(*point)
            if seen is None:
                problems.append((area.name, f"{point} is outside the picture"))
            elif math.dist(seen, area.face) > TOLERANCE:
                shown = tuple(round(v) for v in seen)
                problems.append((area.name, f"{point} shows {shown}, not the face {area.face}"))
    return problems


def moved_copy(layout, name, folder, area_by, button_by):
    """A copy of `layout`'s table in `folder` with hot area `name` moved by
    `area_by` and its drawn button by `button_by` (pixels, dx and dy)."""
    lines = layout.path.read_text(encoding="utf-8").splitlines(keepends=True)
    for i, line in enumerate(lines):
        if re.match(rf"TARROW_HOT_AREA\(\s*{name}\s*,", line):
            # The name and the eight numbers hold no comma.
            parts = line.split(",", 9)
            numbers = [int(v) for v in parts[1:9]]
            numbers[0] += area_by[0] * TWIPS_PER_PIXEL
            numbers[1] += area_by[1] * TWIPS_PER_PIXEL
            numbers[4] += button_by[0]
            numbers[5] += button_by[1]
            lines[i] = ",".join([parts[0], *(f" {n}" for n in numbers), parts[9]])
    copy = Path(folder) / layout.path.name
    copy.write_text("".join(lines), encoding="utf-8")
    return read_layout(copy)


class WindowPictures(unittest.TestCase):
    layouts = read_layouts(SOURCE)

    def test_every_table_names_a_committed_picture_and_has_hot_areas(self):
        self.assertTrue(self.layouts)
        for stem, layout in self.layouts.items():
            with self.subTest(stem):
                self.assertTrue((SOURCE / "images" / layout.picture).is_file(), layout.picture)
                self.assertTrue(layout.areas)

    def test_buttons_lie_inside_their_hot_areas_and_hot_areas_inside_their_pictures(self):
        for stem, layout in self.layouts.items():
            with self.subTest(stem):
                picture = picture_of(layout)
                self.assertEqual(number_problems(layout, picture.width, picture.height), [])

    def test_each_picture_shows_each_buttons_face_where_its_table_puts_it(self):
        for stem, layout in self.layouts.items():
            with self.subTest(stem):
                self.assertEqual(face_problems(layout, picture_of(layout)), [])

    # A copy of a table with one hot area moved, button and all, by 8 pixels
    # each way: the picture's check names that hot area, and it alone.
    def test_an_area_moved_in_a_copy_of_its_table_is_caught_by_the_picture(self):
        shifts = ((8, 0), (-8, 0), (0, 8), (0, -8))
        with tempfile.TemporaryDirectory() as folder:
            for stem, layout in self.layouts.items():
                picture = picture_of(layout)
                self.assertEqual(face_problems(layout, picture), [])
                for area in layout.areas:
                    for shift in shifts:
                        with self.subTest(f"{stem} {area.name} moved by {shift}"):
                            moved = moved_copy(layout, area.name, folder, shift, shift)
                            self.assertEqual(moved.area(area.name).drawn,
                                             area.drawn.moved(*shift))
                            caught = {name for name, _ in face_problems(moved, picture)}
                            self.assertEqual(caught, {area.name})

    # A copy of a table with one hot area moved off its button, by the
    # button's width: the numbers name that hot area, and it alone.
    def test_a_hot_area_moved_off_its_button_is_caught_by_the_numbers(self):
        with tempfile.TemporaryDirectory() as folder:
            for stem, layout in self.layouts.items():
                picture = picture_of(layout)
                for area in layout.areas:
                    if area.name in layout.button_beyond_area:
                        continue
                    with self.subTest(f"{stem} {area.name}"):
                        moved = moved_copy(layout, area.name, folder, (area.drawn.width, 0),
                                           (0, 0))
                        caught = {name for name, _ in
                                  number_problems(moved, picture.width, picture.height)}
                        self.assertEqual(caught, {area.name})


if __name__ == "__main__":
    unittest.main()
