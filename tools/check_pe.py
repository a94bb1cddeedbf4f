#!/usr/bin/env python3
"""Checks a PE file's export and import tables.

  check_pe.py FILE [--exports "1:Name 2:Other"] [--ordinal-imports "dll:2,8,9"]...
                   [--only-system-imports]

--exports: the file exports exactly these names at these ordinals.
--ordinal-imports: from that DLL it imports exactly these ordinals, by ordinal only.
--only-system-imports: every other imported DLL is a Windows system DLL.
"""
import argparse
import struct
import sys

SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "gdi32.dll", "advapi32.dll", "ole32.dll", "oleaut32.dll",
    "shell32.dll", "shlwapi.dll", "comctl32.dll", "msvcrt.dll", "windowscodecs.dll", "msimg32.dll",
}


class Pe:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("not a PE file")
        nsec = struct.unpack_from("<H", data, pe + 6)[0]
        optsize = struct.unpack_from("<H", data, pe + 20)[0]
        opt = pe + 24
        magic = struct.unpack_from("<H", data, opt)[0]
        self.pe32plus = magic == 0x20B
        dd = opt + (112 if self.pe32plus else 96)
        self.dirs = [struct.unpack_from("<II", data, dd + 8 * i) for i in range(16)]
        self.sections = []
        for i in range(nsec):
            s = opt + optsize + 40 * i
            vsize, va, rawsize, raw = struct.unpack_from("<IIII", data, s + 8)
            self.sections.append((va, max(vsize, rawsize), raw))

    def off(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError("rva %x outside sections" % rva)

    def cstr(self, rva):
        o = self.off(rva)
        return self.data[o:self.data.index(b"\0", o)].decode("latin-1")

    def exports(self):
        rva, size = self.dirs[0]
        if not rva:
            return {}
        o = self.off(rva)
        base, nfuncs, nnames, funcs, names, ords = struct.unpack_from("<IIIIII", self.data, o + 16)
        result = {}
        for i in range(nnames):
            name = self.cstr(struct.unpack_from("<I", self.data, self.off(names) + 4 * i)[0])
            idx = struct.unpack_from("<H", self.data, self.off(ords) + 2 * i)[0]
            result[base + idx] = name
        return result

    def imports(self):
        rva, size = self.dirs[1]
        result = {}
        o = self.off(rva)
        while True:
            ilt, _, _, name, iat = struct.unpack_from("<IIIII", self.data, o)
            if not name:
                break
            dll = self.cstr(name)
            entries = []
            t = self.off(ilt or iat)
            width, flag = (8, 1 << 63) if self.pe32plus else (4, 1 << 31)
            while True:
                v = struct.unpack_from("<Q" if self.pe32plus else "<I", self.data, t)[0]
                if not v:
                    break
                entries.append(("ord", v & 0xFFFF) if v & flag else ("name", self.cstr((v & 0x7FFFFFFF) + 2)))
                t += width
            result[dll.lower()] = entries
            o += 20
        return result


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("file")
    ap.add_argument("--exports")
    ap.add_argument("--ordinal-imports", action="append", default=[])
    ap.add_argument("--only-system-imports", action="store_true")
    a = ap.parse_args()
    pe = Pe(open(a.file, "rb").read())
    errors = []
    if a.exports is not None:
        want = {int(o): n for o, n in (e.split(":") for e in a.exports.split())}
        got = pe.exports()
        if got != want:
            errors.append("exports %s, expected %s" % (sorted(got.items()), sorted(want.items())))
    imports = pe.imports()
    ordinal_dlls = set()
    for entry in a.ordinal_imports:
        dll, ords = entry.split(":")
        dll = dll.lower()
        ordinal_dlls.add(dll)
        want = sorted(int(x) for x in ords.split(","))
        entries = imports.get(dll, [])
        if any(kind != "ord" for kind, _ in entries):
            errors.append("%s imported by name: %s" % (dll, entries))
        got = sorted(v for kind, v in entries if kind == "ord")
        if got != want:
            errors.append("ordinals from %s: %s, expected %s" % (dll, got, want))
    if a.only_system_imports:
        for dll in imports:
            if dll not in ordinal_dlls and dll not in SYSTEM_DLLS and not dll.startswith("api-ms-win-"):
                errors.append("imports non-system DLL %s" % dll)
    for e in errors:
        print("check_pe: %s: %s" % (a.file, e))
    if not errors:
        print("check_pe: %s: exports %s; imports %s" % (
            a.file, sorted(pe.exports().items()),
            {d: len(v) for d, v in imports.items()}))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
