#!/usr/bin/env python3
"""The monitor's S and L through the KERNAL on a FAT32 disk: a block saved
with its load address, loaded back to it and to another address, a missing
file reported, the drive's status read with @; the file on the volume holds
exactly the block, and the volume stays sound.

usage: load_save.py C64HOST MAKE_DISK WORKDIR"""
import os
import subprocess
import sys

c64host, make_disk, work = sys.argv[1:4]
os.makedirs(work, exist_ok=True)
disk = os.path.join(work, "monitor.img")
subprocess.run([make_disk, disk], check=True)

keys = ("POKE313,255\rSYS36864\r"
        "F C000 C00F 41\r:C00F 42\r"
        'S "BLOCK",08,C000,C00F\r'
        "F C000 C1FF 00\r"
        'L "BLOCK",08\r'
        'L "BLOCK",08,C100\r'
        'L "NOPE",08\r@\r'
        "M C000 C017\rM C100 C10F\r")
result = subprocess.run([c64host, "--disk", disk, "--passes", "20000", "--type", keys,
                         "--until", ":C108 41 41 41 41 41 41 41 42 AAAAAAAB", "--screen"], capture_output=True, text=True)
screen = result.stdout
failures = []
if result.returncode != 0:
    failures.append("the listings never appeared")
for line in (":C000 41 41 41 41 41 41 41 41 AAAAAAAA",
             ":C008 41 41 41 41 41 41 41 42 AAAAAAAB",
             ":C010 00 00 00 00 00 00 00 00 ........",
             ":C100 41 41 41 41 41 41 41 41 AAAAAAAA",
             ":C108 41 41 41 41 41 41 41 42 AAAAAAAB",
             "I/O ERROR #4",
             "62,FILE NOT FOUND,00,00"):
    if line not in screen:
        failures.append(f"no {line!r} on the screen")

env = dict(os.environ, MTOOLS_SKIP_CHECK="1", PATH=os.environ["PATH"] + ":/sbin:/usr/sbin")
copy = subprocess.run(["mcopy", "-i", disk + "@@1M", "::BLOCK.PRG", "-"], capture_output=True, env=env)
if copy.stdout != bytes([0x00, 0xC0] + [0x41] * 15 + [0x42]):
    failures.append(f"BLOCK.PRG holds {copy.stdout.hex()}")
subprocess.run(["dd", f"if={disk}", f"of={disk}.volume", "bs=512", "skip=2048", "status=none"],
               check=True)
fsck = subprocess.run(["fsck.fat", "-n", disk + ".volume"], capture_output=True, text=True, env=env)
if fsck.returncode != 0:
    failures.append("fsck.fat found damage:\n" + fsck.stdout)

for failure in failures:
    print("FAIL:", failure)
if failures:
    print(screen)
sys.exit(1 if failures else 0)
