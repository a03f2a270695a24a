#!/usr/bin/env python3
"""Checks the shipped Windows updater without running it.

    check-shipped-exe.py PROGRAM.exe

What a 64-bit Windows 7 to 11 machine needs of it, read from the file:
  - a PE32 program for i386 (it runs on 32-bit Windows and under WoW64);
  - the Windows GUI subsystem (no console window opens);
  - the manifest embedded as resource 24/1, asking for elevation
    (requireAdministrator), as the program must run as an administrator;
  - imports from system DLLs that Windows 7 has and nothing else: no runtime
    DLL of the cross compiler, no API set or universal C runtime DLL that
    only later Windows versions carry.
The headers and imports are read as objdump -p shows them; the manifest
from the resource directory. Prints "ok: ..." or "FAIL: ..." a check and
exits non-zero when one failed.
"""
import re
import struct
import subprocess
import sys

# System DLLs of Windows 7 SP1 that a desktop program may import.
WINDOWS7_DLLS = {
    "advapi32.dll", "bcrypt.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll",
    "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ntdll.dll", "ole32.dll",
    "oleaut32.dll", "rpcrt4.dll", "secur32.dll", "shell32.dll", "shlwapi.dll",
    "user32.dll", "userenv.dll", "uxtheme.dll", "version.dll", "winmm.dll",
    "wintrust.dll", "ws2_32.dll",
}
RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1


def resource_manifest(image):
    """The bytes of resource 24/1 (any language), or None."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    optional_size = struct.unpack_from("<H", image, pe + 20)[0]
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (96 if magic == 0x10B else 112)
    rsrc_rva, rsrc_size = struct.unpack_from("<II", image, directories + 2 * 8)
    if rsrc_size == 0:
        return None

    def file_offset(rva):
        table = optional + optional_size
        for i in range(sections):
            _, vsize, vaddr, raw_size, raw_ptr = struct.unpack_from("<8sIIII", image, table + 40 * i)
            if vaddr <= rva < vaddr + max(vsize, raw_size):
                return raw_ptr + (rva - vaddr)
        raise ValueError(f"RVA {rva:#x} is in no section")

    base = file_offset(rsrc_rva)

    def entries(offset):
        named, ids = struct.unpack_from("<HH", image, base + offset + 12)
        for i in range(named + ids):
            name, target = struct.unpack_from("<II", image, base + offset + 16 + 8 * i)
            yield name, target

    for type_id, type_target in entries(0):
        if type_id != RT_MANIFEST or not type_target & 0x80000000:
            continue
        for name_id, name_target in entries(type_target & 0x7FFFFFFF):
            if name_id != CREATEPROCESS_MANIFEST_RESOURCE_ID or not name_target & 0x80000000:
                continue
            for _, data_entry in entries(name_target & 0x7FFFFFFF):
                rva, size = struct.unpack_from("<II", image, base + data_entry)
                start = file_offset(rva)
                return image[start:start + size]
    return None


def main():
    if len(sys.argv) != 2:
        print("usage: check-shipped-exe.py PROGRAM.exe", file=sys.stderr)
        return 2
    path = sys.argv[1]
    results = []

    def check(ok, what, detail=""):
        results.append(ok)
        print(("ok: " if ok else "FAIL: ") + what + (f" ({detail})" if detail and not ok else ""))

    try:
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", path], capture_output=True,
                              text=True, check=True).stdout
        with open(path, "rb") as f:
            image = f.read()
    except (OSError, subprocess.CalledProcessError) as error:
        print(f"FAIL: {path} could not be read ({error})")
        return 1

    file_format = re.search(r"file format (\S+)", dump)
    magic = re.search(r"^Magic\s+(\S+)", dump, re.M)
    check(file_format and file_format.group(1) == "pei-i386" and magic and magic.group(1) == "010b",
          "a PE32 program for i386",
          f"{file_format.group(1) if file_format else '?'}, magic {magic.group(1) if magic else '?'}")
    subsystem = re.search(r"^Subsystem\s+(\S+)", dump, re.M)
    check(subsystem and int(subsystem.group(1), 16) == 2, "the Windows GUI subsystem",
          f"subsystem {subsystem.group(1) if subsystem else '?'}")

    try:
        manifest = resource_manifest(image)
    except (struct.error, ValueError) as error:
        manifest = None
        print(f"   (the resource directory could not be read: {error})")
    check(manifest is not None and re.search(rb'requestedExecutionLevel\s+level="requireAdministrator"', manifest),
          "the manifest embedded as resource 24/1 asks for requireAdministrator",
          "no manifest resource" if manifest is None else "no requireAdministrator in the manifest")

    dlls = re.findall(r"^\s*DLL Name: (\S+)", dump, re.M)
    others = sorted(d for d in dlls if d.lower() not in WINDOWS7_DLLS)
    check(dlls and not others, "imports only from system DLLs of Windows 7: " + ", ".join(dlls),
          "not Windows 7 system DLLs: " + ", ".join(others) if others else "no imports found")
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
