"""What the tests look at in a Windows executable, 32- or 64-bit, read with
Debian's pefile: the machine it is built for, the DLLs it imports, its
resources (manifest, version record, icon group) and whether it carries
symbols or debug information."""

from pathlib import Path

import pefile

RT_GROUP_ICON = 14
RT_MANIFEST = 24
RT_RCDATA = 10

MACHINE_I386 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
MACHINE_AMD64 = pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_AMD64"]


class Executable:
    def __init__(self, path: Path):
        self.path = Path(path)
        self.pe = pefile.PE(str(path))
        self.machine = self.pe.FILE_HEADER.Machine
        self.bits = 64 if self.pe.PE_TYPE == pefile.OPTIONAL_HEADER_MAGIC_PE_PLUS else 32
        self.symbol_table = self.pe.FILE_HEADER.PointerToSymbolTable
        self.symbol_count = self.pe.FILE_HEADER.NumberOfSymbols

    def size(self) -> int:
        return self.path.stat().st_size

    def debug_sections(self):
        """Sections of debug information: ".debug_*", or a long name that
        only a symbol table could spell ("/4")."""
        names = [section.Name.rstrip(b"\0").decode("ascii", "replace")
                 for section in self.pe.sections]
        return [name for name in names if name.startswith((".debug", "/"))]

    def imported_dlls(self):
        return [entry.dll.decode("ascii") for entry in
                getattr(self.pe, "DIRECTORY_ENTRY_IMPORT", [])]

    def imported_functions(self):
        """{DLL name in lower case: the names of the functions imported from
        it}; a function imported by ordinal is "#<ordinal>"."""
        return {entry.dll.decode("ascii").lower():
                {imp.name.decode("ascii") if imp.name else f"#{imp.ordinal}"
                 for imp in entry.imports}
                for entry in getattr(self.pe, "DIRECTORY_ENTRY_IMPORT", [])}

    def resource(self, kind, ident):
        """The bytes of resource `kind`/`ident` in its first language, or None."""
        for type_entry in getattr(self.pe, "DIRECTORY_ENTRY_RESOURCE", None).entries:
            if type_entry.id != kind:
                continue
            for entry in type_entry.directory.entries:
                if entry.id == ident and entry.directory.entries:
                    data = entry.directory.entries[0].data.struct
                    return self.pe.get_data(data.OffsetToData, data.Size)
        return None

    def version_strings(self):
        """The StringFileInfo texts of the version record, by key."""
        strings = {}
        for info in getattr(self.pe, "FileInfo", []):
            for entry in info:
                for table in getattr(entry, "StringTable", []):
                    strings.update({key.decode(): value.decode()
                                    for key, value in table.entries.items()})
        return strings

    def icon_sizes(self, ident=1):
        """The (width, height) of each image in icon group `ident`."""
        group = self.resource(RT_GROUP_ICON, ident)
        if group is None:
            return []
        count = int.from_bytes(group[4:6], "little")
        return [(group[6 + 14 * i] or 256, group[7 + 14 * i] or 256) for i in range(count)]
