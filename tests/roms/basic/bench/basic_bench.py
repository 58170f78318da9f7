#!/usr/bin/env python3
"""A benchmark, not a test: 6502 cycles per iteration of BASIC loops.

Each loop runs twice in a fresh C64 under c64host, with a short and a long
iteration count; the same text is typed both times, so the difference of
the two cycle counts is the cost of the extra iterations alone (the jiffy
interrupt included, as on a C64). c64host looks for the end marker once per
pass of 12,000 instructions, which bounds the error at a few cycles an
iteration.

The second table has the eight bench64 loops, one statement to a line as
bench64 writes them, beside the C64's own budget: the cycles its processor
has per iteration when each loop takes its 60 seconds on an NTSC C64
(1,022,727 Hz, about 94% of the cycles left to the processor with the
screen on).
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

# name: (C64 budget, short count, set-up lines, loop lines); the loop runs
# FOR I=1 TO K(B) with K(B) the iteration count.
Q36 = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"
BENCH64 = {
    "FOR": (1428, 4000, [], ["NEXT I"]),
    "GOTO": (2178, 3000, [], ["GOTO 120", "NEXT I"]),
    "GOSUB": (2745, 2000, [], ["GOSUB 900", "NEXT I"]),
    "IF": (3966, 1500, [], ["IF I>0 THEN NEXT I"]),
    "FN": (15863, 400, ["DEF FNM(X)=2+X-INT(X/10)*10"], ["LET X=FNM(I)", "NEXT I"]),
    "MATHS": (150846, 40, ["LET Y=1"], ["LET Y=(TAN(ATN(SQR(Y*Y)))+1)/Y", "NEXT I"]),
    "STRING": (11712, 500, [f"LET Q$=\"{Q36}\""], ["LET Q$=RIGHT$(Q$,35)+LEFT$(Q$,1)", "NEXT I"]),
    "ARRAY": (34492, 200, ["DEF FNM(X)=2+X-INT(X/10)*10", "DIM S(12)"],
              ["LET X=FNM(I)", "LET S(X)=(S(X-1)+S(X)+S(X+1))/3", "NEXT I"]),
}


def run(host, roms, program):
    run = subprocess.run([host, *roms, "--passes", "400000", "--type", program + "RUN\r",
                          "--until", "FINISHED", "--cycles"], capture_output=True, text=True,
                         timeout=900)
    if run.returncode != 0:
        sys.exit(f"c64host: the program never ended:\n{program}")
    return int(run.stdout.split()[-1])


def simple_loop(body, count):
    return (f"10 FOR I=1 TO {count}{body}\r15 NEXT\r20 PRINT \"FINI\"\"SHED\"\r"
            "30 END\r90 RETURN\r")


def bench64_loop(setup, body, count):
    lines = ["DIM K(1)", "LET B=1", f"LET K(B)={count}", *setup]
    text = "".join(f"{10 + 10 * n} {line}\r" for n, line in enumerate(lines))
    text += "100 FOR I=1 TO K(B)\r"
    text += "".join(f"{110 + 10 * n} {line}\r" for n, line in enumerate(body))
    return text + "800 PRINT \"FINI\"\"SHED\"\r810 END\r900 RETURN\r"


def main():
    host = sys.argv[1]
    roms = ["--roms", sys.argv[2]] if len(sys.argv) > 2 else []
    print("6502 cycles per iteration")
    for name, body in LOOPS.items():
        per = (run(host, roms, simple_loop(body, LONG)) -
               run(host, roms, simple_loop(body, SHORT))) / (LONG - SHORT)
        print(f"{name:18} {per:8.0f}")
    print()
    print("bench64          C64 budget     ours   ours/budget")
    for name, (budget, short, setup, body) in BENCH64.items():
        per = (run(host, roms, bench64_loop(setup, body, 2 * short)) -
               run(host, roms, bench64_loop(setup, body, short))) / short
        print(f"{name:16} {budget:10,} {per:8,.0f} {per / budget:12.0%}")


main()
