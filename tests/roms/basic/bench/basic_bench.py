#!/usr/bin/env python3
"""A benchmark, not a test: 6502 cycles per iteration of four BASIC loops.

Each loop runs twice in a fresh C64 under c64host, with 10,000 and 20,000
iterations; the same text is typed both times, so the difference of the two
cycle counts is the cost of 10,000 iterations alone (the jiffy interrupt
included, as on a C64). c64host looks for the end marker once per pass of
12,000 instructions, which bounds the error at about 4 cycles an iteration.
usage: basic_bench.py C64HOST [ROM_DIR]
"""
import subprocess
import sys

LOOPS = {
    "empty FOR...NEXT": "",
    "float arithmetic": ":X=I*1.5+I/3",
    "string building": ":S$=S$+\"X\":IF LEN(S$)>200 THEN S$=\"\"",
    "GOSUB and RETURN": ":GOSUB 90",
}
SHORT, LONG = 10000, 20000


def cycles(host, roms, body, count):
    program = (f"10 FOR I=1 TO {count}{body}\r15 NEXT\r20 PRINT \"FINI\"\"SHED\"\r"
               "30 END\r90 RETURN\rRUN\r")
    run = subprocess.run([host, *roms, "--passes", "200000", "--type", program,
                          "--until", "FINISHED", "--cycles"], capture_output=True, text=True,
                         timeout=600)
    if run.returncode != 0:
        sys.exit(f"c64host: the loop{body} never ended")
    return int(run.stdout.split()[-1])


def main():
    host = sys.argv[1]
    roms = ["--roms", sys.argv[2]] if len(sys.argv) > 2 else []
    print("6502 cycles per iteration")
    for name, body in LOOPS.items():
        per = (cycles(host, roms, body, LONG) - cycles(host, roms, body, SHORT)) / (LONG - SHORT)
        print(f"{name:18} {per:8.0f}")


main()
