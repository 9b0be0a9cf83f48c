"""Screenshots of a window compared pixel by pixel: taken with the desktop's
screenshot helper until the picture holds still, read as RGB bytes with
ImageMagick's convert, and where two of the same size differ."""

import subprocess
import time
from pathlib import Path


def rgb(path: Path, width: int, height: int) -> bytes:
    data = subprocess.run(["convert", str(path), "-depth", "8", "rgb:-"],
                          capture_output=True, check=True).stdout
    if len(data) != width * height * 3:
        raise ValueError(f"{path} is not a {width}x{height} picture")
    return data


def settled_screenshot(desktop, window, path: Path, timeout: float = 10.0):
    """The window's RGB bytes once two screenshots in a row agree (painting
    that is still due has happened), the last one left at `path`; None when
    no screenshot can be taken or the picture never holds still."""
    deadline = time.monotonic() + timeout
    last = None
    while time.monotonic() < deadline:
        path.unlink(missing_ok=True)
        if not desktop.screenshot(window, path):
            return None
        pixels = rgb(path, window.width, window.height)
        if pixels == last:
            return pixels
        last = pixels
        time.sleep(0.2)
    return None


def changed_points(before: bytes, after: bytes, width: int):
    """(x, y) of every pixel that differs between two pictures of that width."""
    row = width * 3
    points = []
    for start in range(0, len(before), row):
        if before[start:start + row] == after[start:start + row]:
            continue
        for x in range(width):
            at = start + 3 * x
            if before[at:at + 3] != after[at:at + 3]:
                points.append((x, start // row))
    return points


def inside(point, rect, margin: int = 0) -> bool:
    x, y = point
    left, top, width, height = rect
    return (left - margin <= x < left + width + margin
            and top - margin <= y < top + height + margin)
