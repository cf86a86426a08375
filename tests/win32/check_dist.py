#!/usr/bin/env python3
"""Checks what `qv dist` packs: the files as they go onto a floppy disk (8.3
names, no folders), the DLLs byte for byte the copies that the shipped-DLL
test checked, and the install text as Notepad on a Japanese Windows 95 reads
it: code page 932, CR LF line ends, lines that fit the window, the Japanese
text first and the English after it, both naming the files.

    check_dist.py CHECKED_DLL_FOLDER DIST_FOLDER
"""
import pathlib
import re
import sys

NAMES = {"QV3810T2.DLL", "QV3810UI.DLL", "QV3810A1.BMP", "QV3810A2.BMP", "QV3810A3.BMP",
         "QV3810A4.BMP", "INSTALL.TXT"}
SHORT_NAME = re.compile(r"[A-Z0-9_-]{1,8}(\.[A-Z0-9_-]{1,3})?$")
MENTIONED = ["QV3810T2.DLL", "QV3810UI.DLL", "QV3810A1.BMP", "QV3810A4.BMP", "QV3810UI.INI", "MSVCRT.DLL"]
NOTEPAD_COLUMNS = 78


def check_text(data):
    faults = []
    try:
        text = data.decode("cp932")
    except UnicodeDecodeError as e:
        return [f"INSTALL.TXT is not code page 932 at byte {e.start}"]
    if re.search(rb"\r(?!\n)|(?<!\r)\n", data) or not data.endswith(b"\r\n"):
        faults.append("INSTALL.TXT has a line end other than CR LF")
    lines = data.split(b"\r\n")
    faults += [f"INSTALL.TXT line {n} is {len(l)} bytes wide" for n, l in enumerate(lines, 1)
               if len(l) > NOTEPAD_COLUMNS]
    parts = re.split(r"\r\n-{20,}\r\n", text)
    if len(parts) != 2:
        return faults + ["INSTALL.TXT is not a Japanese and an English part"]
    japanese, english = parts
    if not re.search(r"[\u3040-\u30ff\u4e00-\u9fff]", japanese.splitlines()[0]):
        faults.append("INSTALL.TXT does not begin in Japanese")
    if not english.isascii():
        faults.append("the English part of INSTALL.TXT is not plain ASCII")
    for part, label in ((japanese, "Japanese"), (english, "English")):
        faults += [f"the {label} part does not name {name}" for name in MENTIONED if name not in part]
    return faults


def main():
    checked, dist = (pathlib.Path(a) for a in sys.argv[1:3])
    faults = []
    entries = {p.name: p for p in dist.iterdir()}
    faults += [f"{n} is not a plain file" for n, p in entries.items() if not p.is_file()]
    faults += [f"{n} is not an 8.3 name" for n in entries if not SHORT_NAME.match(n)]
    if set(entries) != NAMES:
        faults.append(f"holds {sorted(entries)}, not {sorted(NAMES)}")
    for packed, source in (("QV3810T2.DLL", "QV3810T2.dll"), ("QV3810UI.DLL", "QV3810ui.dll")):
        if packed in entries and entries[packed].read_bytes() != (checked / source).read_bytes():
            faults.append(f"{packed} is not the checked {checked / source}")
    if "INSTALL.TXT" in entries:
        faults += check_text(entries["INSTALL.TXT"].read_bytes())
    for fault in faults:
        print(fault)
    print(f"{len(entries)} files, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
