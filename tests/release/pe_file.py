"""Reads what a release check needs from a Windows executable (PE32 or PE32+): the machine, the
DLLs it imports, whether it still carries symbols or debugging sections, its version resource
and its application manifest. Standard library only."""

import struct

MACHINE_I386 = 0x14C
MACHINE_AMD64 = 0x8664

RT_VERSION = 16
RT_MANIFEST = 24

_IMPORT_DIRECTORY = 1
_RESOURCE_DIRECTORY = 2
_DELAY_IMPORT_DIRECTORY = 13


class PeError(ValueError):
    pass


class PeFile:
    def __init__(self, data):
        self.data = bytes(data)
        if self.data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe_offset,) = struct.unpack_from("<I", self.data, 0x3C)
        if self.data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe_offset + 4
        (self.machine, section_count, _, self.symbol_table_pointer, self.symbol_count,
         optional_size, self.characteristics) = struct.unpack_from("<HHIIIHH", self.data, coff)
        optional = coff + 20
        (magic,) = struct.unpack_from("<H", self.data, optional)
        if magic == 0x10B:
            directories = optional + 96
        elif magic == 0x20B:
            directories = optional + 112
        else:
            raise PeError("unknown optional header magic %#x" % magic)
        self.pe32_plus = magic == 0x20B
        (directory_count,) = struct.unpack_from("<I", self.data, directories - 4)
        self.directories = [struct.unpack_from("<II", self.data, directories + 8 * i)
                            for i in range(directory_count)]
        self.sections = []
        table = optional + optional_size
        for i in range(section_count):
            raw_name, virtual_size, address, raw_size, raw_pointer = struct.unpack_from(
                "<8sIIII", self.data, table + 40 * i)
            name = self._section_name(raw_name.rstrip(b"\0").decode("latin-1"))
            self.sections.append((name, address, max(virtual_size, raw_size), raw_pointer,
                                  raw_size))

    def _section_name(self, name):
        # "/4" names the string at offset 4 of the COFF string table, which follows the symbol
        # table; linkers write long names (".debug_info") that way.
        if not name.startswith("/") or not self.symbol_table_pointer:
            return name
        strings = self.symbol_table_pointer + 18 * self.symbol_count
        start = strings + int(name[1:])
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    # --- Addresses ---

    def offset_of(self, rva):
        for _, address, size, raw_pointer, raw_size in self.sections:
            if address <= rva < address + size:
                if rva - address >= raw_size:
                    raise PeError("address %#x lies in no file data" % rva)
                return raw_pointer + rva - address
        raise PeError("address %#x lies in no section" % rva)

    def string_at(self, rva):
        start = self.offset_of(rva)
        return self.data[start:self.data.index(b"\0", start)].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    # --- Imports ---

    def imported_dlls(self):
        """Every DLL named by the import and delay-import tables, as written there."""
        names = []
        rva, _ = self.directory(_IMPORT_DIRECTORY)
        while rva:
            entry = struct.unpack_from("<5I", self.data, self.offset_of(rva))
            if not any(entry):
                break
            names.append(self.string_at(entry[3]))
            rva += 20
        rva, _ = self.directory(_DELAY_IMPORT_DIRECTORY)
        while rva:
            entry = struct.unpack_from("<8I", self.data, self.offset_of(rva))
            if not any(entry):
                break
            names.append(self.string_at(entry[1]))
            rva += 32
        return names

    # --- Symbols ---

    def debug_sections(self):
        """Debugging sections (DWARF .debug_*), which a strip removes; also any section still
        named through a string table that is gone ("/4")."""
        return [s[0] for s in self.sections if s[0].startswith((".debug", "/"))]

    def stripped(self):
        # A stripped image may keep the string table (and so a symbol-table pointer) for long
        # section names such as ".eh_frame" of 32-bit images, but no symbol and no debug section.
        return self.symbol_count == 0 and not self.debug_sections()

    # --- Resources ---

    def resources(self, resource_type):
        """{(name id, language): bytes} of every resource of a numeric type."""
        root_rva, _ = self.directory(_RESOURCE_DIRECTORY)
        if not root_rva:
            return {}
        root = self.offset_of(root_rva)

        def entries(directory_offset):
            named, numbered = struct.unpack_from("<HH", self.data, directory_offset + 12)
            for i in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data,
                                                  directory_offset + 16 + 8 * i)
                yield name, target

        found = {}
        for type_id, type_target in entries(root):
            if type_id != resource_type or not type_target & 0x80000000:
                continue
            for name_id, name_target in entries(root + (type_target & 0x7FFFFFFF)):
                if not name_target & 0x80000000:
                    continue
                for language, leaf in entries(root + (name_target & 0x7FFFFFFF)):
                    data_rva, size = struct.unpack_from("<II", self.data, root + leaf)
                    start = self.offset_of(data_rva)
                    found[(name_id, language)] = self.data[start:start + size]
        return found

    def version_info(self):
        """The first version resource as (fixed file version, fixed product version,
        {string name: value}); None without one."""
        blocks = self.resources(RT_VERSION)
        if not blocks:
            return None
        return parse_version_resource(blocks[sorted(blocks)[0]])

    def manifest(self):
        """The text of manifest resource 1 (the one CreateProcess reads), or None."""
        for (name, _), data in sorted(self.resources(RT_MANIFEST).items()):
            if name == 1:
                return data.decode("utf-8")
        return None


def _align4(offset):
    return (offset + 3) & ~3


def _read_block(data, offset):
    """One VERSIONINFO block: (key, value bytes, value type, children, end offset)."""
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    end = offset + length
    key_start = offset + 6
    key_end = key_start
    while data[key_end:key_end + 2] != b"\0\0":
        key_end += 2
    key = data[key_start:key_end].decode("utf-16-le")
    value_start = _align4(key_end + 2)
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[value_start:value_start + value_size]
    children = []
    child = _align4(value_start + value_size)
    while child < end:
        block = _read_block(data, child)
        children.append(block)
        child = _align4(block[4])
    return key, value, value_type, children, end


def _version_numbers(most, least):
    return (most >> 16, most & 0xFFFF, least >> 16, least & 0xFFFF)


def parse_version_resource(data):
    key, fixed, _, children, _ = _read_block(data, 0)
    if key != "VS_VERSION_INFO":
        raise PeError("version resource key %r" % key)
    signature, _, file_ms, file_ls, product_ms, product_ls = struct.unpack_from("<6I", fixed)
    if signature != 0xFEEF04BD:
        raise PeError("no VS_FIXEDFILEINFO")
    strings = {}
    for child_key, _, _, tables, _ in children:
        if child_key != "StringFileInfo":
            continue
        for _, _, _, entries, _ in tables:
            for name, value, value_type, _, _ in entries:
                text = value.decode("utf-16-le") if value_type == 1 else value.decode("latin-1")
                strings[name] = text.rstrip("\0")
    return _version_numbers(file_ms, file_ls), _version_numbers(product_ms, product_ls), strings
