#!/usr/bin/env python3
"""The start-up program and the demos on a disk like the default one: the
menu, its directory (numbered), loading and running by number and by name,
the monitor item, the demo item, and each demo loaded with LOAD"NAME",8.

usage: run_programs.py C64HOST MAKE_DISK WORKDIR DEMO.prg..."""
import os
import re
import subprocess
import sys

c64host, make_disk, work = sys.argv[1:4]
demos = sys.argv[4:]
os.makedirs(work, exist_ok=True)
disk = os.path.join(work, "programs.img")
subprocess.run([make_disk, disk] + demos, check=True)

failures = 0
START = "POKE313,255\rRUN\r"


def screen(keys, until, passes=40000):
    """The screen once until shows up, or None."""
    result = subprocess.run([c64host, "--disk", disk, "--passes", str(passes), "--type", keys,
                             "--until", until, "--screen"], capture_output=True, text=True)
    return result.stdout if result.returncode == 0 else None


def expect(name, keys, until, *lines):
    global failures
    text = screen(keys, until)
    if text is None:
        failures += 1
        print(f"FAIL {name}: never showed {until!r}")
        return ""
    missing = [line for line in lines if line not in text]
    for line in missing:
        print(f"FAIL {name}: no {line!r} on\n{text}")
    failures += len(missing)
    if not missing:
        print("ok", name)
    return text


expect("listing", "POKE313,255\rLIST 10-20\r", "20 POKE 53280,6", "10 REM QUILLON START-UP PROGRAM")
expect("menu", START, "YOUR CHOICE (1-6)?", "1  DISK DIRECTORY", "2  LOAD AND RUN A PROGRAM",
       "3  MACHINE-LANGUAGE MONITOR", "4  RUN A DEMO", "5  THE KEYS ON THE PC KEYBOARD")
listing = expect("directory", START + "1", "PRESS A KEY", "BLOCKS FREE.")
numbers = {}
for match in re.finditer(r'^ +(\d+) +\d+ +"(\w+) *"', listing, re.M):
    numbers[match.group(2)] = match.group(1)
names = [os.path.basename(d)[:-4].upper() for d in demos]
if sorted(numbers) != sorted(names):
    failures += 1
    print(f"FAIL directory: numbered {numbers}, the disk has {names}")
if "PRIMES" in numbers:
    expect("load by number", START + "1 2" + numbers["PRIMES"] + "\r", "JIFFIES)",
           "303 PRIMES, THE LAST 1999", "SIEVED IN")
expect("load by name", START + "2TUNE\r", "THE END", "ODE TO JOY ON THE SID:")
expect("monitor", START + "3", "NV-BDIZC", "QUILLON ML MONITOR AT $9000 (SYS 36864)")
expect("keys", START + "5", "PRESS A KEY", "ESC      DEBUGGING MONITOR", "TAB      RUN/STOP",
       "F9       RESTORE", "F10      A FRESH MACHINE")
expect("demo snake", START + "41\r" + "W" * 30, "ANOTHER GAME (Y/N)?", "GAME OVER, SCORE 0")
expect("demo art", START + "42\r", "PRESS A KEY", "QUILLON 64 IN PETSCII")
expect("demo primes", 'LOAD"PRIMES",8\rRUN\r', "JIFFIES)", "303 PRIMES, THE LAST 1999")
expect("demo tune", 'LOAD"TUNE",8\rRUN\r', "THE END", "ODE TO JOY ON THE SID:")
expect("demo datafile", 'LOAD"DATAFILE",8\rRUN\r', "DONE", " 1 SQUARED IS 1", " 10 SQUARED IS 100")
expect("demo datafile again", 'LOAD"DATAFILE",8\rRUN\r', "DONE", " 9 SQUARED IS 81")
sys.exit(1 if failures else 0)
