#!/usr/bin/env python3
"""Checks the structure of the built ZenthorMeshImport.dll, read with our own PE reader.

    check_dll_structure.py build/mingw/bin/ZenthorMeshImport.dll

What a host relies on before it calls a single function: an x86-64 DLL whose exports are
the six entry points at their ordinals and nothing else; imports of system DLLs and the
host SDK only (the compiler's C++ runtime is linked in, not imported), among them the real
Windows calls of file mapping, the dialog and its activation context; and the resources
of the resource script: the string table, dialog 101 in the extended template form, and
manifest 2. Prints one line per check and exits with 1 when any fails.
"""

import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

LANG_EN_US = 1033
RT_DIALOG, RT_STRING, RT_MANIFEST = 5, 6, 24

EXPECTED_EXPORTS = {
    1: "LibDescription",
    2: "LibNumberClasses",
    3: "LibClassDesc",
    4: "LibVersion",
    6: "LibInitialize",
    7: "LibShutdown",
}

# DLLs that would mean the compiler's runtime is not linked in (or another one crept in).
FORBIDDEN_IMPORTS = re.compile(r"^(libstdc\+\+|libgcc|libwinpthread|libc\+\+|libunwind|msvcp|vcruntime)", re.I)

# The Windows calls that must be the real ones, by the DLL that exports them.
REQUIRED_CALLS = {
    "kernel32.dll": ["CreateFileA", "GetFileSizeEx", "CreateFileMappingA", "MapViewOfFile", "UnmapViewOfFile",
                     "CloseHandle", "DisableThreadLibraryCalls", "CreateActCtxA", "ActivateActCtx",
                     "DeactivateActCtx", "GetModuleHandleExA"],
    "user32.dll": ["LoadStringA", "GetActiveWindow", "DialogBoxParamA", "MessageBoxA", "EndDialog", "GetDlgItem",
                   "SendMessageA", "GetParent"],
    "shlwapi.dll": ["PathFileExistsA"],
}

EXPECTED_STRINGS = {
    1: "Zenthor Mesh Import plugin by Brindle",
    2: "import",
    3: "MeshImport",
    4: "Parameters",
    5: "Spin",
}

STATIC_CLASS, BUTTON_CLASS = 0x0082, 0x0080
NO_ID = 0xFFFFFFFF
EXPECTED_DIALOG = {
    "version": 1, "signature": 0xFFFF, "helpId": 0,
    "exStyle": 0x00000080, "style": 0x90C800C0,
    "rect": (0, 0, 131, 156),
    "menu": None, "windowClass": None,
    "title": "Zenthor Models Importer",
    "font": (8, 0, 0, 1, "MS Sans Serif"),  # points, weight, italic, character set, face
}
EXPECTED_CONTROLS = [
    # class, text, id, style, rect
    (STATIC_CLASS, "Warning! You may not use this plugin for stealing models, especially for commercial use.",
     NO_ID, 0x50020001, (7, 7, 117, 30)),
    (BUTTON_CLASS, "Import settings", NO_ID, 0x50000007, (7, 49, 117, 78)),
    (BUTTON_CLASS, "Include lods", 1001, 0x50010003, (8, 70, 116, 10)),
    (BUTTON_CLASS, "Lets GO !", 1002, 0x50010000, (7, 135, 117, 14)),
]


class Malformed(Exception):
    pass


class PeImage:
    """The parts of a PE32+ image that the checks read."""

    def __init__(self, data):
        self.data = data
        if self.u16(0) != 0x5A4D:
            raise Malformed("no MZ header")
        pe = self.u32(0x3C)
        if self.bytes(pe, 4) != b"PE\0\0":
            raise Malformed("no PE signature")
        self.machine, sections, _, _, _, optional_size, self.characteristics = struct.unpack_from(
            "<HHIIIHH", data, pe + 4)
        optional = pe + 24
        if self.u16(optional) != 0x20B:
            raise Malformed("not a PE32+ image")
        directory_count = self.u32(optional + 108)
        self.directories = [struct.unpack_from("<II", data, optional + 112 + 8 * i)
                            for i in range(min(directory_count, 16))]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            name, virtual_size, rva, raw_size, raw_offset = struct.unpack_from("<8sIIII", data, table + 40 * i)
            flags = self.u32(table + 40 * i + 36)
            self.sections.append((name.rstrip(b"\0").decode("ascii", "replace"), rva, max(virtual_size, raw_size),
                                  raw_offset, raw_size, flags))

    def bytes(self, offset, size):
        if offset < 0 or offset + size > len(self.data):
            raise Malformed(f"read of {size} bytes at {offset:#x} runs past the file")
        return self.data[offset:offset + size]

    def u16(self, offset):
        return struct.unpack("<H", self.bytes(offset, 2))[0]

    def u32(self, offset):
        return struct.unpack("<I", self.bytes(offset, 4))[0]

    def section_of(self, rva):
        for section in self.sections:
            if section[1] <= rva < section[1] + section[2]:
                return section
        return None

    def offset(self, rva):
        section = self.section_of(rva)
        if section is None or rva - section[1] >= section[4]:
            raise Malformed(f"RVA {rva:#x} lies in no section's file data")
        return section[3] + rva - section[1]

    def ascii_at(self, rva):
        start = self.offset(rva)
        end = self.data.find(b"\0", start)
        if end < 0:
            raise Malformed(f"unterminated name at RVA {rva:#x}")
        return self.data[start:end].decode("ascii")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def exports(self):
        """(DLL name, {ordinal: (name or None, function RVA)})."""
        rva, size = self.directory(0)
        if rva == 0:
            return None, {}
        o = self.offset(rva)
        name_rva, base, function_count, name_count, functions, names, ordinals = struct.unpack_from(
            "<12xIIIIIII", self.data, o)
        table = {}
        for i in range(function_count):
            function = self.u32(self.offset(functions) + 4 * i)
            if function != 0:
                table[base + i] = [None, function]
        for i in range(name_count):
            name = self.ascii_at(self.u32(self.offset(names) + 4 * i))
            index = self.u16(self.offset(ordinals) + 2 * i)
            table.setdefault(base + index, [None, 0])[0] = name
        return self.ascii_at(name_rva), {ordinal: tuple(entry) for ordinal, entry in table.items()}

    def imports(self):
        """{DLL name: [function names, '#n' for ordinals]}, ordinary and delay-loaded."""
        found = {}
        rva, _ = self.directory(1)
        while rva:
            lookup, _, _, name, thunks = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            found.setdefault(self.ascii_at(name), []).extend(self._thunk_names(lookup or thunks))
            rva += 20
        rva, _ = self.directory(13)
        while rva:
            _, name, _, _, thunks = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            found.setdefault(self.ascii_at(name), []).extend(self._thunk_names(self.u32(self.offset(rva) + 16)))
            rva += 32
        return found

    def _thunk_names(self, rva):
        names = []
        o = self.offset(rva)
        while True:
            thunk = struct.unpack_from("<Q", self.bytes(o, 8))[0]
            if thunk == 0:
                return names
            names.append(f"#{thunk & 0xFFFF}" if thunk >> 63 else self.ascii_at((thunk & 0x7FFFFFFF) + 2))
            o += 8

    def resources(self):
        """{(type, name): {language: bytes}}; ids as ints, names as strings."""
        rva, _ = self.directory(2)
        if rva == 0:
            return {}
        root = self.offset(rva)
        found = {}
        for type_key, type_dir in self._resource_entries(root, 0):
            for name_key, name_dir in self._resource_entries(root, type_dir):
                for lang_key, data_entry in self._resource_entries(root, name_dir, leaves=True):
                    data_rva, size = struct.unpack_from("<II", self.data, root + data_entry)
                    found.setdefault((type_key, name_key), {})[lang_key] = self.bytes(self.offset(data_rva), size)
        return found

    def _resource_entries(self, root, directory, leaves=False):
        """(key, offset from the root) of each entry of the directory at that offset."""
        named, numbered = struct.unpack_from("<HH", self.bytes(root + directory + 12, 4))
        for i in range(named + numbered):
            name, target = struct.unpack_from("<II", self.bytes(root + directory + 16 + 8 * i, 8))
            if name & 0x80000000:
                o = root + (name & 0x7FFFFFFF)
                key = self.bytes(o + 2, 2 * self.u16(o)).decode("utf-16-le")
            else:
                key = name
            is_directory = bool(target & 0x80000000)
            if is_directory == leaves:
                raise Malformed("resource tree is not type/name/language deep")
            yield key, target & 0x7FFFFFFF


class Cursor:
    """Reads a dialog template: little-endian words, UTF-16 texts, ordinals."""

    def __init__(self, data):
        self.data, self.pos = data, 0

    def take(self, fmt):
        values = struct.unpack_from("<" + fmt, self.data, self.pos)
        self.pos += struct.calcsize("<" + fmt)
        return values if len(values) > 1 else values[0]

    def text(self):
        end = self.pos
        while self.data[end:end + 2] != b"\0\0":
            end += 2
            if end >= len(self.data):
                raise Malformed("unterminated text in the dialog template")
        value = self.data[self.pos:end].decode("utf-16-le")
        self.pos = end + 2
        return value

    def text_or_ordinal(self):
        first = struct.unpack_from("<H", self.data, self.pos)[0]
        if first == 0:
            self.pos += 2
            return None
        if first == 0xFFFF:
            self.pos += 2
            return self.take("H")
        return self.text()

    def align(self, boundary):
        self.pos = (self.pos + boundary - 1) // boundary * boundary


def parse_dialog_ex(data):
    c = Cursor(data)
    dialog = {}
    dialog["version"], dialog["signature"], dialog["helpId"], dialog["exStyle"], dialog["style"] = c.take("HHIII")
    count = c.take("H")
    dialog["rect"] = c.take("hhhh")
    dialog["menu"] = c.text_or_ordinal()
    dialog["windowClass"] = c.text_or_ordinal()
    dialog["title"] = c.text()
    dialog["font"] = None
    if dialog["style"] & 0x40:  # DS_SETFONT
        dialog["font"] = c.take("HHBB") + (c.text(),)
    controls = []
    for _ in range(count):
        c.align(4)
        help_id, ex_style, style = c.take("III")
        rect = c.take("hhhh")
        control_id = c.take("I")
        window_class = c.text_or_ordinal()
        text = c.text_or_ordinal()
        extra = c.take("H")
        c.pos += extra
        controls.append({"helpId": help_id, "exStyle": ex_style, "style": style, "rect": rect, "id": control_id,
                         "class": window_class, "text": text, "extra": extra})
    return dialog, controls, len(data) - c.pos


def parse_string_block(data):
    strings, pos = [], 0
    for _ in range(16):
        length = struct.unpack_from("<H", data, pos)[0]
        strings.append(data[pos + 2:pos + 2 + 2 * length].decode("utf-16-le"))
        pos += 2 + 2 * length
    return strings


class Checks:
    def __init__(self):
        self.failed = 0

    def expect(self, condition, what, detail=""):
        print(("ok    " if condition else "FAIL  ") + what + ("" if condition or not detail else f": {detail}"))
        if not condition:
            self.failed += 1

    def equal(self, actual, expected, what):
        self.expect(actual == expected, what, f"found {shown(actual)}, expected {shown(expected)}")


def shown(value):
    """repr, with styles and other large numbers in hexadecimal."""
    if isinstance(value, bool):
        return repr(value)
    if isinstance(value, int):
        return f"{value:#x}" if value > 0xFFFF else repr(value)
    if isinstance(value, tuple):
        return "(" + ", ".join(shown(item) for item in value) + ")"
    return repr(value)


def check_header(image, checks):
    checks.equal(image.machine, 0x8664, "machine is x86-64")
    checks.expect(image.characteristics & 0x2000, "image is a DLL")


def check_exports(image, checks):
    dll_name, exports = image.exports()
    checks.equal(dll_name, "ZenthorMeshImport.dll", "export directory names the library")
    checks.equal({ordinal: name for ordinal, (name, _) in exports.items()}, EXPECTED_EXPORTS,
                 "exports are the six entry points at ordinals 1-4, 6, 7 (5 unassigned, nothing else)")
    export_rva, export_size = image.directory(0)
    for ordinal, (name, rva) in sorted(exports.items()):
        section = image.section_of(rva)
        code = section is not None and section[5] & 0x20000000 and not export_rva <= rva < export_rva + export_size
        checks.expect(code, f"export {ordinal} ({name}) is code in this DLL, not a forwarder")


def check_imports(image, checks):
    imports = image.imports()
    by_dll = {dll.lower(): names for dll, names in imports.items()}
    print("      imports: " + ", ".join(sorted(imports)))
    runtime = [dll for dll in imports if FORBIDDEN_IMPORTS.match(dll)]
    checks.expect(not runtime, "no C++ or compiler runtime DLL is imported", ", ".join(runtime))
    for dll, calls in REQUIRED_CALLS.items():
        missing = [call for call in calls if call not in by_dll.get(dll, [])]
        checks.expect(not missing, f"the real {dll} calls are imported", "missing " + ", ".join(missing))


def check_strings(resources, checks):
    blocks = {name: languages for (kind, name), languages in resources.items() if kind == RT_STRING}
    checks.equal(sorted(blocks), [1], "one string block, the one of ids 0-15")
    languages = blocks.get(1, {})
    checks.equal(sorted(languages), [LANG_EN_US], "string table is in language 1033 only")
    if LANG_EN_US not in languages:
        return
    strings = parse_string_block(languages[LANG_EN_US])
    checks.equal({i: text for i, text in enumerate(strings) if text}, EXPECTED_STRINGS,
                 "strings 1-5 have their texts and ids 0 and 6-15 are empty")


def check_dialog(resources, checks):
    languages = resources.get((RT_DIALOG, 101), {})
    checks.equal(sorted(languages), [LANG_EN_US], "dialog 101 exists in language 1033 only")
    if LANG_EN_US not in languages:
        return
    dialog, controls, trailing = parse_dialog_ex(languages[LANG_EN_US])
    for field, expected in EXPECTED_DIALOG.items():
        checks.equal(dialog[field], expected, f"dialog {field}")
    checks.equal(len(controls), len(EXPECTED_CONTROLS), "dialog has four controls")
    for index, (control, expected) in enumerate(zip(controls, EXPECTED_CONTROLS)):
        window_class, text, control_id, style, rect = expected
        checks.equal((control["class"], control["text"], control["id"], control["style"], control["rect"]),
                     (window_class, text, control_id, style, rect), f"control {index}: class, text, id, style, rect")
        checks.equal((control["helpId"], control["exStyle"], control["extra"]), (0, 0, 0),
                     f"control {index}: help id, extended style, creation data")
    checks.expect(trailing < 4, "nothing follows the last control", f"{trailing} bytes")


def check_manifest(resources, checks):
    manifests = {name: languages for (kind, name), languages in resources.items() if kind == RT_MANIFEST}
    checks.equal(sorted(manifests), [2], "one manifest, id 2")
    languages = manifests.get(2, {})
    checks.equal(sorted(languages), [LANG_EN_US], "manifest is in language 1033")
    if LANG_EN_US not in languages:
        return
    try:
        root = ElementTree.fromstring(languages[LANG_EN_US])
    except ElementTree.ParseError as error:
        checks.expect(False, "manifest is well-formed XML", str(error))
        return
    local = lambda element: element.tag.rsplit("}", 1)[-1]
    elements = list(root.iter())
    levels = [e.get("level") for e in elements if local(e) == "requestedExecutionLevel"]
    checks.equal(levels, ["asInvoker"], "manifest requests the execution level asInvoker")
    dependencies = [e for e in elements if local(e) == "dependentAssembly"]
    checks.equal(len(dependencies), 1, "manifest names one dependent assembly")
    identities = [e for d in dependencies for e in d if local(e) == "assemblyIdentity"]
    checks.equal([(i.get("type"), i.get("processorArchitecture")) for i in identities], [("win32", "amd64")],
                 "the dependency is a win32 side-by-side assembly for amd64")


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    with open(argv[1], "rb") as file:
        data = file.read()
    checks = Checks()
    try:
        image = PeImage(data)
        check_header(image, checks)
        check_exports(image, checks)
        check_imports(image, checks)
        resources = image.resources()
        check_strings(resources, checks)
        check_dialog(resources, checks)
        check_manifest(resources, checks)
    except (Malformed, struct.error, UnicodeDecodeError) as error:
        checks.expect(False, "the file is a well-formed PE image", str(error))
    print(f"{argv[1]}: {'structure ok' if checks.failed == 0 else f'{checks.failed} checks failed'}")
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
