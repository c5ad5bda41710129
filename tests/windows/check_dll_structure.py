#!/usr/bin/python3
"""Checks the structure of the built ZenthorMeshImport.dll.

    check_dll_structure.py build/mingw/bin/plugins/ZenthorMeshImport.dll ZenthorMeshImport.res

What a host relies on before it calls a single function: an x86-64 DLL whose exports are
the six entry points at their ordinals and nothing else; imports of system DLLs and the
host SDK only (the compiler's C++ runtime is linked in, not imported), among them the real
Windows calls of file mapping, the dialog and its activation context; and exactly the
resources of the resource script, byte for byte as the .res file compiled from it holds
them (none missing, none added by the toolchain). Prints one line per check and exits
with 1 when any fails.
"""

import re
import struct
import sys

import pefile

EXPECTED_EXPORTS = {1: "LibDescription", 2: "LibNumberClasses", 3: "LibClassDesc", 4: "LibVersion",
                    6: "LibInitialize", 7: "LibShutdown"}

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


def res_resources(data):
    """{(type, name, language): bytes} of a .res file; ids as ints, names as strings."""
    def id_or_name(pos):
        if struct.unpack_from("<H", data, pos)[0] == 0xFFFF:
            return struct.unpack_from("<H", data, pos + 2)[0], pos + 4
        end = pos
        while struct.unpack_from("<H", data, end)[0] != 0:
            end += 2
        return data[pos:end].decode("utf-16-le"), end + 2

    found, pos = {}, 0
    while pos + 8 <= len(data):
        data_size, header_size = struct.unpack_from("<II", data, pos)
        kind, after = id_or_name(pos + 8)
        name, _ = id_or_name(after)
        language = struct.unpack_from("<H", data, pos + header_size - 10)[0]
        if kind != 0:  # the leading empty entry
            found[(kind, name, language)] = data[pos + header_size:pos + header_size + data_size]
        pos = (pos + header_size + data_size + 3) // 4 * 4
    return found


def dll_resources(pe):
    found = {}
    key = lambda entry: entry.id if entry.name is None else str(entry.name)
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in directory.entries if directory else []:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                entry = language.data.struct
                found[(key(kind), key(name), language.id)] = pe.get_data(entry.OffsetToData, entry.Size)
    return found


class Checks:
    def __init__(self):
        self.failed = 0

    def expect(self, condition, what, detail=""):
        print(("ok    " if condition else "FAIL  ") + what + ("" if condition or not detail else f": {detail}"))
        if not condition:
            self.failed += 1

    def equal(self, actual, expected, what):
        self.expect(actual == expected, what, f"found {actual!r}, expected {expected!r}")


def check_header(pe, checks):
    checks.equal(hex(pe.FILE_HEADER.Machine), hex(0x8664), "machine is x86-64")
    checks.expect(pe.is_dll(), "image is a DLL")


def check_exports(pe, checks):
    directory = getattr(pe, "DIRECTORY_ENTRY_EXPORT", None)
    checks.equal(directory.name.decode() if directory else None, "ZenthorMeshImport.dll",
                 "export directory names the library")
    symbols = directory.symbols if directory else []
    names = {s.ordinal: s.name.decode() if s.name else None for s in symbols}
    checks.equal(names, EXPECTED_EXPORTS,
                 "exports are the six entry points at ordinals 1-4, 6, 7 (5 unassigned, nothing else)")
    for symbol in sorted(symbols, key=lambda s: s.ordinal):
        section = pe.get_section_by_rva(symbol.address)
        code = symbol.forwarder is None and section is not None and section.Characteristics & 0x20000000
        checks.expect(code, f"export {symbol.ordinal} ({names[symbol.ordinal]}) is code in this DLL, "
                            "not a forwarder")


def check_imports(pe, checks):
    imports = {}
    for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) + getattr(pe, "DIRECTORY_ENTRY_DELAY_IMPORT", []):
        imports.setdefault(entry.dll.decode(), []).extend(
            i.name.decode() if i.name else f"#{i.ordinal}" for i in entry.imports)
    print("      imports: " + ", ".join(sorted(imports)))
    runtime = [dll for dll in imports if FORBIDDEN_IMPORTS.match(dll)]
    checks.expect(not runtime, "no C++ or compiler runtime DLL is imported", ", ".join(runtime))
    by_dll = {dll.lower(): names for dll, names in imports.items()}
    for dll, calls in REQUIRED_CALLS.items():
        missing = [call for call in calls if call not in by_dll.get(dll, [])]
        checks.expect(not missing, f"the real {dll} calls are imported", "missing " + ", ".join(missing))


def check_resources(pe, res_data, checks):
    expected, found = res_resources(res_data), dll_resources(pe)
    differing = sorted((key for key in expected.keys() | found.keys() if expected.get(key) != found.get(key)),
                       key=repr)
    checks.expect(not differing, "resources are the resource script's, byte for byte, none missing or added",
                  "differing (type, name, language): " + ", ".join(map(repr, differing)))


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip().splitlines()[2].strip(), file=sys.stderr)
        return 2
    checks = Checks()
    try:
        pe = pefile.PE(argv[1])
        with open(argv[2], "rb") as file:
            res_data = file.read()
        check_header(pe, checks)
        check_exports(pe, checks)
        check_imports(pe, checks)
        check_resources(pe, res_data, checks)
    except (pefile.PEFormatError, struct.error, ValueError, UnicodeDecodeError) as error:
        checks.expect(False, "the files are a well-formed PE image and .res file", str(error))
    print(f"{argv[1]}: {'structure ok' if checks.failed == 0 else f'{checks.failed} checks failed'}")
    return 0 if checks.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
