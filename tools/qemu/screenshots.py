#!/usr/bin/env python3
"""Makes the README's screenshots from QEMU screendumps of the real image.

Usage: screenshots.py BUILD_DIR OUTPUT_DIR
Writes boot-log.png (the kernel image's boot log, caught through QEMU's gdb
stub at the moment the kernel hands over to the C64, before the C64 draws),
c64-basic.png (BASIC with a short program typed in and run) and
c64-petscii.png (colours, reverse video and graphics in the text view).
"""
import os
import re
import socket
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import harness  # noqa: E402

BOOT_TIMEOUT = 180
# A row of the C64 screen as its serial mirror sends it, its colours aside.
ROW = r"\x1b\[\d+;1H(?:\x1b\[[0-9;]*m)?%s"
# Typed in lower case: on the C64 shifted letters are graphics.
PROGRAM = ('10 print "hello from quillon"\n'
           "20 for i=1 to 5: print i*i;: next\n"
           "list\nrun\n")
PETSCII = ("10 poke 53280,11:poke 53281,0:print chr$(147)\n"
           '20 for c=1 to 15:poke 646,c:print chr$(18)"  ";:next:print\n'
           '30 poke 646,7:print:print chr$(18)" reverse "chr$(146)" and plain"\n'
           "40 print:for i=0 to 31:poke 646,1+(i and 7):print chr$(160+i);:next:print\n"
           "50 poke 646,13:for i=0 to 31:print chr$(192+i);:next:print:print\n"
           "60 poke 646,3:for i=0 to 39:print chr$(205.5+rnd(1));:next\n"
           "70 poke 646,14\n"
           "run\n")
# Where the kernel has printed its boot log and builds the first machine.
HANDOVER = "run_outer_loop"


def symbol_address(elf, name):
    for line in subprocess.run(["nm", "-C", elf], capture_output=True, text=True, check=True).stdout.splitlines():
        parts = line.split(maxsplit=2)
        if len(parts) == 3 and parts[2].startswith("korvan::" + name + "("):
            return int(parts[0], 16)
    raise RuntimeError("no symbol %s in %s" % (name, elf))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class GdbStub:
    """Just enough of the gdb remote protocol to run to a breakpoint."""

    def __init__(self, port, limit=20.0):
        deadline = time.time() + limit
        while True:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=BOOT_TIMEOUT)
                break
            except OSError:
                if time.time() > deadline:
                    raise
                time.sleep(0.1)
        self.buffer = b""

    def request(self, body):
        checksum = sum(body.encode()) % 256
        self.sock.sendall(("$%s#%02x" % (body, checksum)).encode())
        return self.reply()

    def reply(self):
        while True:
            match = re.search(rb"\$([^#]*)#[0-9a-fA-F]{2}", self.buffer)
            if match:
                self.buffer = self.buffer[match.end():]
                self.sock.sendall(b"+")
                return match.group(1).decode()
            data = self.sock.recv(4096)
            if not data:
                raise RuntimeError("gdb stub closed")
            self.buffer += data

    def run_to(self, address):
        if self.request("Z0,%x,1" % address) != "OK":
            raise RuntimeError("breakpoint refused")
        stop = self.request("c")
        if not stop.startswith(("T", "S")):
            raise RuntimeError("unexpected stop %r" % stop)

    def close(self):
        self.sock.close()


def save(machine, path):
    with open(path, "wb") as f:
        f.write(machine.screendump().to_png())


def boot_log(build, iso, disk, out):
    port = free_port()
    address = symbol_address(os.path.join(build, "quillon.elf"), HANDOVER)
    # The sound card `make run` gives the machine, silent here.
    sound = ["-audiodev", "none,id=sound", "-device", "intel-hda", "-device", "hda-output,audiodev=sound"]
    with harness.Machine(iso, disk, extra=["-S", "-gdb", "tcp:127.0.0.1:%d" % port] + sound) as machine:
        stub = GdbStub(port)
        try:
            stub.run_to(address)
            save(machine, os.path.join(out, "boot-log.png"))
        finally:
            stub.close()


def wait_for_quiet_serial(machine, deadline, quiet=0.7):
    """Until the serial mirror has sent nothing for `quiet` seconds."""
    seen, since = len(machine.serial_output()), time.time()
    while time.time() - since < quiet:
        if time.time() > deadline:
            raise harness.Timeout("the typed line's echo never settled")
        time.sleep(0.1)
        now = len(machine.serial_output())
        if now != seen:
            seen, since = now, time.time()


def typed_screen(iso, disk, program, last_row, path):
    with harness.Machine(iso, disk) as machine:
        machine.wait_for_serial(ROW % re.escape("READY."), BOOT_TIMEOUT)
        here = len(machine.serial_output())
        deadline = time.time() + BOOT_TIMEOUT
        # QEMU queues the keys and delivers them at its own pace; a backlog
        # can reach the keyboard controller in a burst that overflows it and
        # loses a release (a Shift left held). So each line is typed once the
        # last one's echo has settled on the serial mirror, and the picture
        # waits for the program's last line.
        for line in program.splitlines(keepends=True):
            machine.type_text(line)
            wait_for_quiet_serial(machine, deadline)
        pattern = re.compile(last_row + r".*" + ROW % re.escape("READY."), re.S)
        while not pattern.search(machine.serial_output(), here):
            if time.time() > deadline:
                raise harness.Timeout("the program's output never came")
            time.sleep(0.2)
        time.sleep(0.5)
        save(machine, path)


def main():
    build, out = sys.argv[1], sys.argv[2]
    os.makedirs(out, exist_ok=True)
    iso = os.path.join(build, "quillon.iso")
    disk = os.path.join(build, "disk.img")
    boot_log(build, iso, disk, out)
    typed_screen(iso, disk, PROGRAM, ROW % re.escape(" 1  4  9  16  25"), os.path.join(out, "c64-basic.png"))
    typed_screen(iso, disk, PETSCII, ROW % re.escape(" REVERSE "), os.path.join(out, "c64-petscii.png"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
