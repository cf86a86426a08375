#!/usr/bin/env python3
"""The shipped DLLs' own objects are compiled by the POSIX-thread compiler
like the rest of the tree, and only linked by the win32-thread one
(cmake/with-win32-threads). That holds only while the two compilers make the
same objects of them: this compiles each again, with its own command line,
by the win32-thread compiler and compares the two without their debug
information and the compiler's name (.rdata$zzz), byte for byte.

usage: check_thread_model_objects.py NINJA BUILD_DIR WORK_DIR DLL..."""
import concurrent.futures
import os
import shlex
import subprocess
import sys

TOOL = "i686-w64-mingw32-"
SKIPPED_SECTIONS = [".rdata$zzz"]  # "GCC: (GNU) 12-posix" or "12-win32"


def compiles(ninja, build, dlls):
    """(argv, object) of every compile by a POSIX-thread driver that the DLLs need."""
    out = subprocess.run([ninja, "-C", build, "-t", "commands"] + dlls,
                         capture_output=True, text=True, check=True).stdout
    for line in out.splitlines():
        argv = shlex.split(line)
        if not argv[0].endswith("-posix") or "-c" not in argv:
            continue  # links, and the runtime pieces that the launcher already compiles
        yield argv, argv[argv.index("-o") + 1]


def twin(argv, obj, work):
    """The same compile by the win32-thread driver, into WORK_DIR."""
    out = os.path.join(work, obj.replace("/", "_"))
    args, skip = [], 0
    for i, a in enumerate(argv):
        if skip:
            skip -= 1
        elif a in ("-MT", "-MF"):
            skip = 1
        elif a == "-o":
            args += ["-o", out]
            skip = 1
        elif a != "-MD":
            args.append(a)
    args[0] = args[0][:-len("-posix")] + "-win32"
    return args, out


def stripped(path):
    out = path + ".bare"
    removed = [f"--remove-section={s}" for s in SKIPPED_SECTIONS]
    subprocess.run([TOOL + "objcopy", "--strip-debug"] + removed + [path, out], check=True)
    with open(out, "rb") as f:
        return f.read()


def check(build, work, argv, obj):
    args, out = twin(argv, obj, work)
    result = subprocess.run(args, cwd=build, capture_output=True, text=True)
    if result.returncode != 0:
        return f"{obj}: the win32-thread compiler failed:\n{result.stderr}"
    if stripped(os.path.join(build, obj)) != stripped(out):
        return f"{obj}: differs from what the win32-thread compiler makes of it"
    return None


def main(ninja, build, work, dlls):
    build, work = os.path.abspath(build), os.path.abspath(work)
    os.makedirs(work, exist_ok=True)
    jobs = list(compiles(ninja, build, dlls))
    if not jobs:
        print("no objects found for " + " ".join(dlls))
        return 1
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
        faults = [f for f in pool.map(lambda j: check(build, work, *j), jobs) if f]
    for f in faults:
        print(f)
    print(f"{len(jobs) - len(faults)} of {len(jobs)} objects alike")
    return 1 if faults else 0


if __name__ == "__main__":
    if len(sys.argv) < 5:
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]))
