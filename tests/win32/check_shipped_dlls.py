#!/usr/bin/env python3
"""Checks the shipped 32-bit DLLs (the stripped copies that `qv dist` packs)
against what Windows 95 and 98 load: every import listed as present there
and every listed entry imported (the list is exactly what the DLLs import),
no TLS directory, system versions 4.0, no debug information, exactly the
exports the driver binds, and no instruction the Pentium lacks (the
Pentium Pro's conditional moves and flag-setting floating compares). MMX
instructions only in the MMX mapping kernel, which runs where the processor
identifies MMX, and no x87 instruction there: its functions (Mmx in their
names) are found in the unstripped copies of the same DLLs, and the shipped
copies hold as many MMX instructions.

    check_shipped_dlls.py EXPORT_LIST DIST_FOLDER UNSTRIPPED_FOLDER
"""
import re
import subprocess
import sys

EXPORTS = {
    "QV3810ui.dll": ["ColorPropPage", "MainPropPage", "MakeRdt", "OptPropPage", "VerPropPage"],
    "QV3810T2.dll": ["QV3810T2_ThunkData32"],
}
PENTIUM_PRO_ONLY = re.compile(r"\t(f?cmov\w+|fu?comip?)\s")
MMX = re.compile(r"\t(emms\s*$|\w+\s.*%mm[0-7])", re.M)
FUNCTION = re.compile(r"^[0-9a-f]+ <(.*)>:$")
MMX_KERNEL = re.compile(r"::\w*Mmx\w*[<(]")  # MapRowMmx<...>(...), MapCellsMmx(...), PrepareMmx(...)
HEADER = {"MajorOSystemVersion": "4", "MinorOSystemVersion": "0",
          "MajorSubsystemVersion": "4", "MinorSubsystemVersion": "0"}


def allowed_imports(path):
    allowed = set()
    for line in open(path, encoding="utf-8"):
        line = line.split("#", 1)[0].split()
        if line:
            dll, function, _source = line
            allowed.add((dll.lower(), function))
    return allowed


def mmx_faults(shipped_code, unstripped_path):
    """MMX instructions outside the MMX kernel, x87 ones inside it (they share the registers, and the
    compiler does not know), or shipped code that differs from its unstripped copy."""
    code = subprocess.run(["i686-w64-mingw32-objdump", "-d", "-C", unstripped_path],
                          capture_output=True, text=True, check=True).stdout
    outside, x87, function, count = set(), set(), None, 0
    for line in code.splitlines():
        m = FUNCTION.match(line)
        if m:
            function = m.group(1)
            continue
        kernel = bool(function and MMX_KERNEL.search(function))
        if MMX.search(line):
            count += 1
            if not kernel:
                outside.add(function or "?")
        fields = line.split("\t")
        if kernel and len(fields) > 2 and fields[2].startswith("f"):
            x87.add(function)
    faults = [f"has MMX instructions outside the MMX kernel, in {name}" for name in sorted(outside)]
    faults += [f"has x87 instructions in the MMX kernel, in {name}" for name in sorted(x87)]
    shipped = len(MMX.findall(shipped_code))
    if shipped != count:
        faults.append(f"has {shipped} MMX instructions, its unstripped copy {count}")
    return faults


def check(dll_path, allowed, imported, unstripped_path):
    faults = []
    headers = subprocess.run(["i686-w64-mingw32-objdump", "-p", "-h", dll_path],
                             capture_output=True, text=True, check=True).stdout
    dll = None
    exports = []
    in_exports = False
    for line in headers.splitlines():
        m = re.match(r"\s*DLL Name: (\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\S+)$", line)
        if dll and m:
            imported.add((dll, m.group(1)))
        if dll and m and (dll, m.group(1)) not in allowed:
            faults.append(f"imports {dll}!{m.group(1)}, which is not listed for Windows 95 and 98")
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_exports, dll = True, None
            continue
        m = re.match(r"\s+\[\s*\d+\]\s+(\S+)$", line)
        if in_exports and m:
            exports.append(m.group(1))
        m = re.match(r"(\w+Version)\s+(\d+)$", line)
        if m and m.group(1) in HEADER and HEADER[m.group(1)] != m.group(2):
            faults.append(f"{m.group(1)} is {m.group(2)}, not {HEADER[m.group(1)]}")
        m = re.match(r"Entry 9 ([0-9a-f]+) ([0-9a-f]+) Thread Storage Directory", line)
        if m and int(m.group(1), 16):
            faults.append("has a TLS directory (Windows 95 refuses to load it dynamically)")
        if re.search(r"\s\.debug_\w+\s", line):
            faults.append(f"carries debug information ({line.split()[1]})")
    code = subprocess.run(["i686-w64-mingw32-objdump", "-d", dll_path],
                          capture_output=True, text=True, check=True).stdout
    newer = PENTIUM_PRO_ONLY.findall(code)
    if newer:
        faults.append(f"has {len(newer)} instructions the Pentium lacks ({', '.join(sorted(set(newer)))})")
    faults += mmx_faults(code, unstripped_path)
    name = dll_path.replace("\\", "/").rsplit("/", 1)[-1]
    if sorted(exports) != EXPORTS[name]:
        faults.append(f"exports {sorted(exports)}, not {EXPORTS[name]}")
    return faults


def main():
    allowed = allowed_imports(sys.argv[1])
    imported = set()
    failed = 0
    for name in EXPORTS:
        faults = check(f"{sys.argv[2]}/{name}", allowed, imported, f"{sys.argv[3]}/{name}")
        for fault in faults:
            print(f"{name}: {fault}")
        failed += bool(faults)
    unused = sorted(allowed - imported)
    for dll, function in unused:
        print(f"{sys.argv[1]}: lists {dll}!{function}, which neither DLL imports")
    print(f"{len(EXPORTS) - failed} passed, {failed} failed, {len(unused)} entries unused")
    return 1 if failed or unused else 0


if __name__ == "__main__":
    sys.exit(main())
