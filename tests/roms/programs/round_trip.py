#!/usr/bin/env python3
"""bas2prg then prg2bas gives every program's text back (the programs are
written as LIST shows them; a program typed with abbreviations gives its
bytes back instead), prg2bas then bas2prg gives the bytes back, and broken
PRG files are refused with a message.

usage: round_trip.py BAS2PRG PRG2BAS WORKDIR (PROGRAM.bas | DIRECTORY)...
                     [--bytes-only PROGRAM.bas...]"""
import os
import subprocess
import sys

bas2prg, prg2bas, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
programs = []  # (path, whether its text must come back as well)
text_too = True
for arg in sys.argv[4:]:
    if arg == "--bytes-only":
        text_too = False
    elif os.path.isdir(arg):
        programs += [(os.path.join(arg, f), text_too) for f in sorted(os.listdir(arg)) if f.endswith(".bas")]
    else:
        programs.append((arg, text_too))

failures = 0


def fail(message):
    global failures
    failures += 1
    print("FAIL:", message)


def run(*args):
    return subprocess.run(args, capture_output=True)


for program, text_too in programs:
    stem = os.path.join(work, os.path.basename(program)[:-4])
    if run(bas2prg, program, stem + ".prg").returncode != 0:
        fail(f"bas2prg {program}")
        continue
    if run(prg2bas, stem + ".prg", stem + ".listed.bas").returncode != 0:
        fail(f"prg2bas {stem}.prg")
        continue
    with open(program) as f:
        text = f.read()
    with open(stem + ".listed.bas") as f:
        listed = f.read()
    if text_too and listed != text:
        fail(f"{program}: the listing differs from the text")
    if run(bas2prg, stem + ".listed.bas", stem + ".again.prg").returncode != 0:
        fail(f"bas2prg {stem}.listed.bas")
        continue
    with open(stem + ".prg", "rb") as f, open(stem + ".again.prg", "rb") as g:
        if f.read() != g.read():
            fail(f"{program}: the listing does not tokenise back to the same bytes")
    print("round trip:", os.path.basename(program))

# Broken files: each refused with a message naming the fault, exit status 1.
broken = {
    "no load address": b"\x01",
    "points past the end": b"\x01\x08\x40\x09\x0a\x00\x99\x00\x00\x00",
    "no 0 ends it": b"\x01\x08\x07\x08\x0a\x00\x99\x22\x41",
}
for reason, data in broken.items():
    path = os.path.join(work, "broken.prg")
    with open(path, "wb") as f:
        f.write(data)
    result = run(prg2bas, path)
    if result.returncode != 1 or reason not in result.stderr.decode():
        fail(f"a file with {reason}: exit {result.returncode}, {result.stderr.decode().strip()!r}")
sys.exit(1 if failures else 0)
