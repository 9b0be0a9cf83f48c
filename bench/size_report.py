"""Where a program's bytes go, from the map the linker writes beside it:

    size_report.py PROGRAM.map [PROGRAM.exe]

sums what each origin puts into the image (our own libraries by folder, the
C++ runtime, the threads library, the unwinder, the C runtime, the import
tables, the resources), by kind: code (.text), data (.rdata, .data, .bss,
.tls), unwind tables (.eh_frame) and the rest. With the executable it also
shows what headers and section alignment add to the file."""

import os
import re
import sys
from collections import defaultdict

SECTION = re.compile(r"^(\.[\w$.]+)\s+0x[0-9a-f]+\s+0x([0-9a-f]+)")
INPUT = re.compile(r"^ (\.[\w$.]+)?\s*0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
KINDS = {".text": "code", ".rdata": "data", ".data": "data", ".bss": "data", ".tls": "data",
         ".eh_frame": "unwind"}
ORIGINS = [
    (r"libstdc\+\+\.a", "C++ runtime (libstdc++)"),
    (r"libwinpthread", "threads (winpthread)"),
    (r"libgcc_eh\.a|libgcc\.a|crtbegin|crtend", "unwinder and helpers (libgcc)"),
    (r"libmingw|libmsvcrt|libmoldname|crt2\.o|libkernel32\.a\(.*(lib32|lib64)", "C runtime (MinGW)"),
    (r"lib[a-z0-9]+\.a\(", "import tables"),
    (r"\.res$", "resources (icon, manifest, pictures, version)"),
    (r"^dll stuff$", "relocations"),
]


def origin_of(path):
    for pattern, name in ORIGINS:
        if re.search(pattern, path):
            return name
    # Our own code: the folder of the library or object it came from.
    own = re.search(r"lib(tarrow_\w+)\.a", path)
    if own:
        return own.group(1)
    return "program entry (" + os.path.basename(path.split("(")[0]).split(".")[0] + ")"


def read_map(path):
    sizes = defaultdict(lambda: defaultdict(int))
    outputs = {}
    with open(path, encoding="utf-8", errors="replace") as lines:
        in_memory_map = False
        section = None
        pending_name = None
        for line in lines:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                in_memory_map = True
                continue
            if not in_memory_map:
                continue
            found = SECTION.match(line)
            if found:
                section = found.group(1)
                outputs[section] = int(found.group(2), 16)
                continue
            if re.match(r"^ \.[\w$.]+$", line):  # a long input name: the rest follows
                pending_name = line.strip()
                continue
            found = INPUT.match(line)
            if found and section is not None:
                size = int(found.group(2), 16)
                source = found.group(3).strip()
                pending_name = None
                if size == 0 or source.startswith(("*", "LONG ")) or "=" in source:
                    continue
                kind = KINDS.get(section, "other")
                sizes[origin_of(source)][kind] += size
    return sizes, outputs


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    sizes, outputs = read_map(sys.argv[1])
    kinds = ["code", "data", "unwind", "other"]
    print(f"{'origin':<46}" + "".join(f"{k:>9}" for k in kinds) + f"{'total':>9}  (KB)")
    rows = sorted(sizes.items(), key=lambda item: -sum(item[1].values()))
    for origin, by_kind in rows:
        cells = "".join(f"{by_kind[k] / 1024:>9.1f}" for k in kinds)
        print(f"{origin:<46}{cells}{sum(by_kind.values()) / 1024:>9.1f}")
    total = sum(sum(by_kind.values()) for by_kind in sizes.values())
    print(f"{'all input sections':<46}{'':>36}{total / 1024:>9.1f}")
    if len(sys.argv) == 3:
        file_size = os.path.getsize(sys.argv[2])
        print(f"{'headers and alignment':<46}{'':>36}"
              f"{(file_size - total) / 1024:>9.1f}")
        print(f"{'the file':<46}{'':>36}{file_size / 1024:>9.1f}")


if __name__ == "__main__":
    main()
