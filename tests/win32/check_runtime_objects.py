#!/usr/bin/env python3
"""The runtime pieces built from the GCC sources (runtime/) for the compiler's
default processor must be the archive members of Debian's runtime libraries,
instruction for instruction: then the settings they are built with are the
library build's, and the Pentium build differs only in its instructions."""
import os
import re
import subprocess
import sys

TOOL = "i686-w64-mingw32-"
ARCHIVE_OF = {".c": "libgcc_eh.a", ".cc": "libstdc++.a"}


def instructions(path):
    """Mnemonics and operands without addresses, jump targets or symbols."""
    out = subprocess.run([TOOL + "objdump", "-d", "--no-show-raw-insn", path],
                         capture_output=True, text=True, check=True).stdout
    lines = []
    for line in out.splitlines():
        m = re.match(r"^\s*[0-9a-f]+:\s+(.*)$", line)
        if m:
            lines.append(re.sub(r"[0-9a-f]+ <[^>]*>", "T", m.group(1)).split())
    return lines


def member(obj, workdir):
    source = os.path.basename(obj)[:-len(".obj")]  # name.cc.obj
    stem, ext = os.path.splitext(source)
    archive = subprocess.run([TOOL + "gcc-win32", "-print-file-name=" + ARCHIVE_OF[ext]],
                             capture_output=True, text=True, check=True).stdout.strip()
    subprocess.run(["ar", "x", archive, stem + ".o"], cwd=workdir, check=True)
    return archive, os.path.join(workdir, stem + ".o")


def main(objects):
    workdir = os.path.join(os.path.dirname(os.path.abspath(objects[0])), "archive-members")
    os.makedirs(workdir, exist_ok=True)
    failed = 0
    for obj in sorted(objects):
        archive, theirs = member(obj, workdir)
        ours, debian = instructions(obj), instructions(theirs)
        differing = sum(a != b for a, b in zip(ours, debian)) + abs(len(ours) - len(debian))
        name = f"{os.path.basename(theirs)} of {os.path.basename(archive)}"
        if differing or not ours:
            failed += 1
            print(f"FAIL {name}: {len(ours)} instructions against {len(debian)}, {differing} differ")
        else:
            print(f"ok   {name}: {len(ours)} instructions alike")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
