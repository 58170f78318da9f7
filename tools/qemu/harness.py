#!/usr/bin/env python3
"""Drives a Quillon image in QEMU, headless, for tests and for screenshots.

Boots an image (CD image or multiboot kernel) with an optional disk as the
primary master, collects the serial port, waits for text with a time limit,
types keys and takes screendumps through QMP, and turns screendumps into PNG
files a person can look at. Everything it waits on has a deadline, and QEMU
runs under software emulation only.
"""
import argparse
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import zlib


class Timeout(Exception):
    pass


class Image:
    """An RGB picture: width, height and rows of (r, g, b) bytes."""

    def __init__(self, width, height, pixels):
        self.width = width
        self.height = height
        self.pixels = pixels  # bytes, 3 per pixel, row-major

    @staticmethod
    def from_ppm(data):
        # P6 header: magic, width, height, maxval, each separated by white space.
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        if fields[0] != b"P6" or int(fields[3]) != 255:
            raise ValueError("not an 8-bit P6 PPM")
        width, height = int(fields[1]), int(fields[2])
        pos += 1
        return Image(width, height, data[pos:pos + width * height * 3])

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.pixels[i:i + 3])

    def to_png(self):
        rows = b"".join(b"\x00" + self.pixels[y * self.width * 3:(y + 1) * self.width * 3]
                        for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


# QMP key names for the characters tests type.
QCODES = {" ": "spc", "\n": "ret", "\r": "ret", ".": "dot", ",": "comma", "/": "slash",
          ";": "semicolon", "'": "apostrophe", "-": "minus", "=": "equal", "[": "bracket_left",
          "]": "bracket_right", "\\": "backslash", "`": "grave_accent", "\t": "tab"}
SHIFTED = {"+": "equal", '"': "apostrophe", ":": "semicolon", "*": "8", "(": "9", ")": "0",
           "$": "4", "!": "1", "<": "comma", ">": "dot", "?": "slash", "_": "minus", "&": "7",
           "%": "5", "#": "3", "@": "2", "^": "6"}


def keys_for_text(text):
    """One QMP key chord per character of text."""
    chords = []
    for ch in text:
        if ch in SHIFTED:
            chords.append(["shift", SHIFTED[ch]])
        elif ch.isalpha() and ch.isupper():
            chords.append(["shift", ch.lower()])
        elif ch.isalnum():
            chords.append([ch.lower()])
        elif ch in QCODES:
            chords.append([QCODES[ch]])
        else:
            raise ValueError("no key for %r" % ch)
    return chords


class Machine:
    """One QEMU process with its serial port and QMP socket."""

    def __init__(self, image, disk=None, as_kernel=False, memory_mb=128, extra=None, keep_disk_writes=False):
        self.dir = tempfile.mkdtemp(prefix="quillon-qemu-")
        self.serial_path = os.path.join(self.dir, "serial.sock")
        self.qmp_path = os.path.join(self.dir, "qmp.sock")
        args = ["qemu-system-i386", "-m", str(memory_mb), "-display", "none", "-no-reboot",
                "-accel", "tcg",
                "-chardev", "socket,id=serial0,path=%s,server=on,wait=off" % self.serial_path,
                "-serial", "chardev:serial0",
                "-qmp", "unix:%s,server=on,wait=off" % self.qmp_path]
        if as_kernel:
            args += ["-kernel", image]
        else:
            args += ["-cdrom", image, "-boot", "d"]
        if disk:
            # Unless asked to keep them, the guest's writes go to a throw-away
            # overlay: the image stays as built and several machines can share it.
            snapshot = "" if keep_disk_writes else ",snapshot=on"
            args += ["-drive", "file=%s,format=raw,if=ide,index=0,media=disk%s" % (disk, snapshot)]
        args += extra or []
        self.process = subprocess.Popen(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.serial_text = b""
        self.lock = threading.Lock()
        self.serial = self._connect(self.serial_path)
        self.reader = threading.Thread(target=self._read_serial, daemon=True)
        self.reader.start()
        self.qmp = self._connect(self.qmp_path)
        self.qmp_file = self.qmp.makefile("rwb")
        self._qmp_read()  # greeting
        self.command("qmp_capabilities")

    def _connect(self, path, limit=20.0):
        deadline = time.time() + limit
        while True:
            if self.process.poll() is not None:
                raise RuntimeError("qemu exited: %s" % self.process.stdout.read().decode(errors="replace"))
            try:
                s = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
                s.connect(path)
                return s
            except OSError:
                if time.time() > deadline:
                    raise Timeout("no socket %s" % path)
                time.sleep(0.05)

    def _read_serial(self):
        while True:
            try:
                data = self.serial.recv(4096)
            except OSError:
                return
            if not data:
                return
            with self.lock:
                self.serial_text += data

    def _qmp_read(self):
        while True:
            line = self.qmp_file.readline()
            if not line:
                raise RuntimeError("QMP closed")
            message = json.loads(line)
            if "event" not in message:
                return message

    def command(self, name, **arguments):
        request = {"execute": name}
        if arguments:
            request["arguments"] = arguments
        self.qmp_file.write(json.dumps(request).encode() + b"\n")
        self.qmp_file.flush()
        reply = self._qmp_read()
        if "error" in reply:
            raise RuntimeError("QMP %s: %s" % (name, reply["error"]))
        return reply.get("return")

    def serial_output(self):
        with self.lock:
            return self.serial_text.decode("latin-1")

    def wait_for_serial(self, pattern, timeout):
        """Waits until the serial output matches the regular expression."""
        deadline = time.time() + timeout
        regex = re.compile(pattern)
        while time.time() < deadline:
            match = regex.search(self.serial_output())
            if match:
                return match
            if self.process.poll() is not None:
                break
            time.sleep(0.1)
        raise Timeout("serial never showed %r within %ss; it shows:\n%s"
                      % (pattern, timeout, self.serial_output()[-3000:]))

    def write_serial(self, data):
        self.serial.sendall(data if isinstance(data, bytes) else data.encode("latin-1"))

    def send_chord(self, keys, hold_ms=60):
        self.command("send-key", keys=[{"type": "qcode", "data": k} for k in keys], **{"hold-time": hold_ms})

    def type_text(self, text, pause=0.08):
        for chord in keys_for_text(text):
            self.send_chord(chord)
            time.sleep(pause)

    def screendump(self):
        path = os.path.join(self.dir, "screen.ppm")
        self.command("screendump", filename=path)
        with open(path, "rb") as f:
            return Image.from_ppm(f.read())

    def close(self):
        try:
            self.command("quit")
        except Exception:
            pass
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()
        for s in (self.serial, self.qmp):
            try:
                s.close()
            except OSError:
                pass
        shutil.rmtree(self.dir, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("image", help="a .iso, or a multiboot .elf with --kernel")
    parser.add_argument("--disk", help="raw disk image for the primary master")
    parser.add_argument("--kernel", action="store_true", help="boot the image with -kernel")
    parser.add_argument("--wait", action="append", default=[], help="serial pattern to wait for (repeatable)")
    parser.add_argument("--type", action="append", default=[], help="text to type after the waits")
    parser.add_argument("--timeout", type=float, default=120.0, help="seconds allowed for each wait")
    parser.add_argument("--settle", type=float, default=1.0, help="seconds to wait before the screenshot")
    parser.add_argument("--screenshot", help="write the screen as PNG here")
    parser.add_argument("--serial-log", help="write the serial output here")
    args = parser.parse_args()

    with Machine(args.image, args.disk, as_kernel=args.kernel) as machine:
        try:
            for pattern in args.wait:
                machine.wait_for_serial(pattern, args.timeout)
            for text in args.type:
                machine.type_text(text.encode().decode("unicode_escape"))
            time.sleep(args.settle)
            if args.screenshot:
                with open(args.screenshot, "wb") as f:
                    f.write(machine.screendump().to_png())
        finally:
            if args.serial_log:
                with open(args.serial_log, "w") as f:
                    f.write(machine.serial_output())
    return 0


if __name__ == "__main__":
    sys.exit(main())
