#!/usr/bin/env python3
"""Makes the README's screenshots from QEMU screendumps of the real images.

Usage: screenshots.py BUILD_DIR OUTPUT_DIR
Writes boot-log.png (the boot log as the kernel's console draws it, from the
probe image, which leaves it standing) and c64-basic.png (the kernel image's
BASIC screen with a short program typed in and run).
"""
import os
import re
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

BOOT_TIMEOUT = 180
# A row of the C64 screen as its serial mirror sends it.
ROW = r"\x1b\[\d+;1H%s *\x1b\[K"
PROGRAM = ('10 PRINT "HELLO FROM QUILLON"\n'
           "20 FOR I=1 TO 5: PRINT I*I;: NEXT\n"
           "LIST\nRUN\n")


def main():
    build, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    iso = os.path.join(build, "quillon.iso")
    disk = os.path.join(build, "disk.img")
    with harness.Machine(os.path.join(build, "quillon-probe.iso"), disk) as machine:
        machine.wait_for_serial(r"probe: ready", BOOT_TIMEOUT)
        time.sleep(0.5)
        with open(os.path.join(out, "boot-log.png"), "wb") as f:
            f.write(machine.screendump().to_png())
    with harness.Machine(iso, disk) as machine:
        machine.wait_for_serial(ROW % re.escape("READY."), BOOT_TIMEOUT)
        # QEMU queues the keys and delivers them at its own pace, so the
        # picture waits for the program's last line on the serial mirror.
        machine.type_text(PROGRAM)
        machine.wait_for_serial(ROW % re.escape(" 1  4  9  16  25") + r".*" + ROW % re.escape("READY."),
                                BOOT_TIMEOUT)
        time.sleep(0.5)
        with open(os.path.join(out, "c64-basic.png"), "wb") as f:
            f.write(machine.screendump().to_png())
    return 0


if __name__ == "__main__":
    sys.exit(main())
