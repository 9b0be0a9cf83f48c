"""Reads what the tests look at in a Windows executable, 32- or 64-bit: the
machine it is built for, the DLLs it imports, its resources (manifest,
version record, icon group) and whether it carries symbols or debug
information."""

import struct
from pathlib import Path

RT_ICON = 3
RT_GROUP_ICON = 14
RT_VERSION = 16
RT_MANIFEST = 24

IMPORT_DIRECTORY = 1
RESOURCE_DIRECTORY = 2

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664

# The optional header's magic, and where its data directories begin (after
# their count) in each format.
PE32 = 0x10B
PE32_PLUS = 0x20B
DIRECTORIES_AT = {PE32: 96, PE32_PLUS: 112}

SYMBOL_SIZE = 18


class PeFile:
    def __init__(self, path: Path):
        self.data = Path(path).read_bytes()
        if self.data[:2] != b"MZ":
            raise ValueError(f"{path} is not an executable")
        pe = self._u32(0x3C)
        if self.data[pe : pe + 4] != b"PE\0\0":
            raise ValueError(f"{path} has no PE header")
        (
            self.machine,
            sections,
            _,
            self.symbol_table,
            self.symbol_count,
            optional_size,
        ) = struct.unpack_from("<HHIIIH", self.data, pe + 4)
        optional = pe + 24
        magic = self._u16(optional)
        if magic not in DIRECTORIES_AT:
            raise ValueError(f"{path} has an unknown optional header ({magic:#x})")
        self.bits = 64 if magic == PE32_PLUS else 32
        directories = optional + DIRECTORIES_AT[magic]
        directory_count = self._u32(directories - 4)
        self.directories = [
            struct.unpack_from("<II", self.data, directories + 8 * i)
            for i in range(directory_count)
        ]
        self.sections = []
        self.section_names = []
        table = optional + optional_size
        for i in range(sections):
            name, size, address, raw_size, raw = struct.unpack_from(
                "<8sIIII", self.data, table + 40 * i
            )
            self.sections.append((address, max(size, raw_size), raw))
            self.section_names.append(self._section_name(name))

    def _section_name(self, raw_name):
        """A section's name; longer names (".debug_info") are "/offset" into
        the string table behind the symbol table."""
        name = raw_name.rstrip(b"\0").decode("ascii")
        if name.startswith("/") and name[1:].isdigit() and self.symbol_table:
            start = self.symbol_table + SYMBOL_SIZE * self.symbol_count + int(name[1:])
            return self.data[start : self.data.index(b"\0", start)].decode("ascii")
        return name

    def debug_sections(self):
        return [name for name in self.section_names if name.startswith((".debug", ".zdebug"))]

    def _u16(self, offset):
        return struct.unpack_from("<H", self.data, offset)[0]

    def _u32(self, offset):
        return struct.unpack_from("<I", self.data, offset)[0]

    def offset(self, rva):
        for address, size, raw in self.sections:
            if address <= rva < address + size:
                return raw + rva - address
        raise ValueError(f"address {rva:#x} lies in no section")

    def _c_string(self, rva):
        start = self.offset(rva)
        return self.data[start : self.data.index(b"\0", start)].decode("ascii")

    def imported_dlls(self):
        rva, _ = self.directories[IMPORT_DIRECTORY]
        names = []
        at = self.offset(rva)
        while True:
            name_rva = self._u32(at + 12)
            if name_rva == 0:
                return names
            names.append(self._c_string(name_rva))
            at += 20

    def resource(self, kind, ident):
        """The bytes of resource `kind`/`ident` in its first language, or None."""
        base_rva, _ = self.directories[RESOURCE_DIRECTORY]
        base = self.offset(base_rva)
        level = base
        for key in (kind, ident, None):
            named, numbered = struct.unpack_from("<HH", self.data, level + 12)
            entries = [
                struct.unpack_from("<II", self.data, level + 16 + 8 * i)
                for i in range(named + numbered)
            ]
            match = [e for e in entries if key is None or e[0] == key]
            if not match:
                return None
            target = match[0][1]
            if target & 0x80000000:
                level = base + (target & 0x7FFFFFFF)
            else:
                data_rva, size = struct.unpack_from("<II", self.data, base + target)
                start = self.offset(data_rva)
                return self.data[start : start + size]
        return None

    def version_strings(self):
        """The StringFileInfo texts of the version record, by key."""
        record = self.resource(RT_VERSION, 1)
        if record is None:
            return {}
        strings = {}
        _walk_version_node(record, 0, strings)
        return strings

    def icon_sizes(self, ident=1):
        """The (width, height) of each image in icon group `ident`."""
        group = self.resource(RT_GROUP_ICON, ident)
        if group is None:
            return []
        count = struct.unpack_from("<H", group, 4)[0]
        sizes = []
        for i in range(count):
            width, height = struct.unpack_from("<BB", group, 6 + 14 * i)
            sizes.append((width or 256, height or 256))
        return sizes


def _align4(offset):
    return (offset + 3) & ~3


def _walk_version_node(record, at, strings):
    length, value_length, kind = struct.unpack_from("<HHH", record, at)
    end = at + length
    key_start = at + 6
    key_end = key_start
    while record[key_end : key_end + 2] != b"\0\0":
        key_end += 2
    key = record[key_start:key_end].decode("utf-16-le")
    value_start = _align4(key_end + 2)
    if kind == 1:
        value_bytes = record[value_start : value_start + 2 * value_length]
        value_end = value_start + 2 * value_length
        if value_length:
            strings[key] = value_bytes.decode("utf-16-le").rstrip("\0")
    else:
        value_end = value_start + value_length
    child = _align4(value_end)
    while child < end:
        child_length = struct.unpack_from("<H", record, child)[0]
        if child_length == 0:
            break
        _walk_version_node(record, child, strings)
        child = _align4(child + child_length)
