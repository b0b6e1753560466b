#!/usr/bin/env python3
"""Checks a Windows package of the suite: the files it holds, and for each
program its headers (width, console subsystem, the only DLLs it imports,
stripped), and the usage text's CR LF line ends.

    check_windows_package.py PACKAGE.zip 32|64
"""
import re
import subprocess
import sys
import tempfile
import zipfile
from pathlib import Path

PROGRAMS = ["DUSKAR.EXE", "DUSKARI.EXE", "MORVANTE.EXE", "TALMIRO3.EXE", "TALMIROX.EXE", "TALMIROX3.EXE", "TOLVA.EXE"]
EXPECTED_FILES = sorted(PROGRAMS + ["talmiro.dat", "windows-usage.txt"])
ALLOWED_DLLS = {"KERNEL32.dll", "msvcrt.dll"}
# What objdump says of each width: its file format, and the optional header's magic.
WIDTHS = {
    "32": ("i686-w64-mingw32-objdump", "pei-i386", "010b"),
    "64": ("x86_64-w64-mingw32-objdump", "pei-x86-64", "020b"),
}


def program_faults(objdump, path, file_format, magic):
    headers = subprocess.run([objdump, "-p", str(path)], check=True, capture_output=True, text=True).stdout
    sections = subprocess.run([objdump, "-h", str(path)], check=True, capture_output=True, text=True).stdout
    faults = []
    if f"file format {file_format}" not in headers:
        faults.append(f"not {file_format}")
    if not re.search(rf"^Magic\s+{magic}\b", headers, re.M):
        faults.append(f"optional header magic is not {magic}")
    if not re.search(r"^Subsystem\s+00000003\b", headers, re.M):
        faults.append("not a console program")
    dlls = set(re.findall(r"DLL Name: (\S+)", headers))
    if not dlls or dlls - ALLOWED_DLLS:
        faults.append(f"imports from {sorted(dlls)}")
    if ".debug" in sections:
        faults.append("not stripped")
    return faults


def main():
    package, bits = Path(sys.argv[1]), sys.argv[2]
    objdump, file_format, magic = WIDTHS[bits]
    faults = []
    with zipfile.ZipFile(package) as archive, tempfile.TemporaryDirectory() as folder:
        names = sorted(archive.namelist())
        if names != EXPECTED_FILES:
            faults.append(f"holds {names}")
        archive.extractall(folder)
        for name in PROGRAMS:
            path = Path(folder, name)
            if path.exists():
                faults += [f"{name}: {fault}" for fault in program_faults(objdump, path, file_format, magic)]
        usage = Path(folder, "windows-usage.txt").read_bytes()
        if usage.count(b"\n") == 0 or usage.count(b"\n") != usage.count(b"\r\n"):
            faults.append("windows-usage.txt: not every line ends with CR LF")
        if f"({bits}-bit)".encode() not in usage or b"@" in usage:
            faults.append("windows-usage.txt: its title does not name the width")
    for fault in faults:
        print(f"{package.name}: {fault}")
    if faults:
        sys.exit(1)
    print(f"{package.name}: {len(PROGRAMS)} programs, {bits}-bit console, KERNEL32 and msvcrt only, stripped; "
          "usage text in CR LF")


if __name__ == "__main__":
    main()
