#!/usr/bin/env python3
"""A program built by bas2prg against the same program typed into the C64.

The bytes the C64's own editor stores for the typed text must equal the
tool's PRG, and the tool's PRG, loaded, must LIST as the canonical text.
usage: check_program_image.py BAS2PRG C64HOST ROM_DIR TYPED.bas LISTED.txt WORKDIR
"""
import subprocess
import sys
from pathlib import Path

COLUMNS = 40


def c64host(binary, roms, *args):
    run = subprocess.run([binary, "--roms", roms, "--passes", "3000", *args],
                         capture_output=True, text=True, timeout=120)
    if run.returncode != 0:
        sys.exit(f"c64host {' '.join(args)} failed: {run.stderr}")
    return run.stdout


def screen_rows(lines):
    """Program lines as the screen shows them: 40 columns, wrapped."""
    rows = []
    for line in lines:
        rows += [line[i:i + COLUMNS].rstrip() for i in range(0, len(line), COLUMNS)]
    return rows


def main():
    bas2prg, host, roms, typed, listed, work = sys.argv[1:]
    work = Path(work)
    work.mkdir(parents=True, exist_ok=True)
    built, entered = work / "built.prg", work / "typed.prg"
    subprocess.run([bas2prg, typed, str(built)], check=True, timeout=60)

    c64host(host, roms, "--type", Path(typed).read_text(), "--save-prg", str(entered))
    if built.read_bytes() != entered.read_bytes():
        a, b = built.read_bytes(), entered.read_bytes()
        first = next((i for i in range(min(len(a), len(b))) if a[i] != b[i]), min(len(a), len(b)))
        sys.exit(f"tool and C64 disagree from byte {first}: tool {a[first:first + 8].hex()} "
                 f"C64 {b[first:first + 8].hex()} (sizes {len(a)}, {len(b)})")

    screen = c64host(host, roms, "--load-prg", str(built), "--type", "PRINT CHR$(147);:LIST\r",
                     "--screen").splitlines()
    expected = screen_rows(Path(listed).read_text().splitlines()) + ["READY."]
    if screen[:len(expected)] != expected:
        sys.exit("listing differs:\n" + "\n".join(screen) + "\nexpected:\n" + "\n".join(expected))
    print(f"{len(built.read_bytes())} bytes, typed and built agree, listing matches")


main()
