"""Minimal reader of 64-bit PE images: headers, data directories, sections, imports, symbols."""
import struct

LOAD_CONFIG_DIRECTORY = 10
IMPORT_DIRECTORY = 1


class PeImage:
    def __init__(self, data: bytearray):
        self.data = data
        (self.pe_offset,) = struct.unpack_from("<I", data, 0x3C)
        if data[self.pe_offset:self.pe_offset + 4] != b"PE\0\0":
            raise ValueError("not a PE image")
        coff = self.pe_offset + 4
        (_, self.section_count, _, self.symbol_table, self.symbol_count, optional_size, _) = \
            struct.unpack_from("<HHIIIHH", data, coff)
        self.optional = coff + 20
        if struct.unpack_from("<H", data, self.optional)[0] != 0x20B:
            raise ValueError("not a PE32+ image")
        (self.image_base,) = struct.unpack_from("<Q", data, self.optional + 24)
        self.directories = self.optional + 112
        self.sections = []
        for i in range(self.section_count):
            at = self.optional + optional_size + 40 * i
            name = data[at:at + 8].rstrip(b"\0").decode()
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((name, va, max(vsize, raw_size), raw_ptr))

    def directory(self, index):
        return struct.unpack_from("<II", self.data, self.directories + 8 * index)

    def set_directory(self, index, rva, size):
        struct.pack_into("<II", self.data, self.directories + 8 * index, rva, size)

    def offset_of(self, rva):
        for _, va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"RVA {rva:#x} lies in no section")

    def c_string(self, rva):
        at = self.offset_of(rva)
        return self.data[at:self.data.index(b"\0", at)].decode()

    def imported_dlls(self):
        rva, _ = self.directory(IMPORT_DIRECTORY)
        names = []
        at = self.offset_of(rva)
        while True:
            name_rva = struct.unpack_from("<I", self.data, at + 12)[0]
            if name_rva == 0:
                return names
            names.append(self.c_string(name_rva))
            at += 20

    def symbol_rva(self, wanted):
        """RVA of a COFF symbol (MinGW keeps the symbol table in unstripped images)."""
        strings = self.symbol_table + 18 * self.symbol_count
        i = 0
        while i < self.symbol_count:
            at = self.symbol_table + 18 * i
            raw_name = self.data[at:at + 8]
            if raw_name[:4] == b"\0\0\0\0":
                (offset,) = struct.unpack_from("<I", raw_name, 4)
                end = self.data.index(b"\0", strings + offset)
                name = self.data[strings + offset:end].decode()
            else:
                name = raw_name.rstrip(b"\0").decode()
            value, section, _, _, aux = struct.unpack_from("<IhHBB", self.data, at + 8)
            if name == wanted and section > 0:
                return self.sections[section - 1][1] + value
            i += 1 + aux
        raise KeyError(wanted)
