"""Refuses every #include that runs against the layer table (cmake/layers.txt):
a file in a top-level folder may include its own folder's headers, those of
the folders its row uses and, through them, theirs. Each refusal names the
file, the line and the arrow it would need. With --doc, the page that shows
the table must show it as it is.

  check_includes.py --source ROOT [--doc PAGE]

Exits with 1 when anything is refused."""

import argparse
import re
import sys
from pathlib import Path

TABLE = Path("cmake") / "layers.txt"
SOURCES = {".h", ".hpp", ".c", ".cc", ".cpp", ".def"}
# `#include "folder/..."`, or `<folder/...>` for a folder of the table.
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def read_table(path):
    """{folder: the folders it uses}; "*" stands for every folder."""
    uses = {}
    for line in Path(path).read_text(encoding="utf-8").splitlines():
        if not line.strip() or line.startswith("#"):
            continue
        folder, _library, *used = line.split()
        uses[folder] = used
    for folder, used in uses.items():
        if "*" in used:
            uses[folder] = sorted(uses)
        for name in used:
            if name != "*" and name not in uses:
                raise ValueError(f"{path}: {folder} uses {name}, which has no row")
    return uses


def reachable(uses):
    """{folder: every folder it may include}, itself among them."""
    reach = {}
    for folder in uses:
        seen, todo = {folder}, list(uses[folder])
        while todo:
            name = todo.pop()
            if name not in seen:
                seen.add(name)
                todo.extend(uses[name])
        reach[folder] = seen
    return reach


def refusals(source, uses):
    """Every include that the table does not allow, as 'file:line: why'."""
    reach = reachable(uses)
    found = []
    for folder in sorted(uses):
        for path in sorted((source / folder).rglob("*")):
            if path.suffix not in SOURCES or not path.is_file():
                continue
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            for number, line in enumerate(lines, 1):
                match = INCLUDE.match(line)
                if not match or "/" not in match.group(2):
                    continue
                quote, included = match.groups()
                target = included.split("/", 1)[0]
                where = f"{path.relative_to(source).as_posix()}:{number}: {line.strip()}"
                if target not in uses:
                    if quote == '"':
                        found.append(f"{where}: {target}/ is no folder of {TABLE.as_posix()}")
                elif target not in reach[folder]:
                    allowed = " ".join(sorted(reach[folder] - {folder})) or "nothing"
                    found.append(f"{where}: no arrow {folder} -> {target} "
                                 f"({folder} may include {allowed})")
    return found


def shows_table(page, table):
    """Whether `page` holds the table's text as it is."""
    return Path(table).read_text(encoding="utf-8") in Path(page).read_text(encoding="utf-8")


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--source", required=True, type=Path)
    parser.add_argument("--doc", type=Path)
    args = parser.parse_args(argv)
    table = args.source / TABLE
    found = refusals(args.source, read_table(table))
    if args.doc is not None and not shows_table(args.doc, table):
        found.append(f"{args.doc}: does not show {TABLE.as_posix()} as it is")
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
