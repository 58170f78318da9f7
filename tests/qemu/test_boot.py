"""The kernel boots from both loaders: boot log on the serial port, progress
marks and text on the screen. The screen checks boot the probe image, the
kernel with an outer loop that leaves the boot log standing."""
import os
import shutil
import subprocess
import tempfile
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, count_close, harness

HEAP_LINE = r"\n(\d+) Byte Heap @ 0x00A00000"
# Red, green, blue of the four marks: green, cyan, yellow, white.
MARK_COLOURS = [(0x00, 0xFC, 0x00), (0x00, 0xFC, 0xF8), (0xF8, 0xFC, 0x00), (0xF8, 0xFC, 0xF8)]


class GrubImage:
    """A CD image booting an ELF through GRUB with a chosen framebuffer."""

    def __init__(self, elf, gfxpayload):
        self.work = tempfile.mkdtemp(prefix="quillon-iso-")
        root = os.path.join(self.work, "root")
        os.makedirs(os.path.join(root, "boot", "grub"))
        shutil.copy(elf, os.path.join(root, "boot", "kernel.elf"))
        # gfxpayload must follow the multiboot command, which sets it from the header.
        with open(os.path.join(root, "boot", "grub", "grub.cfg"), "w") as f:
            f.write("set timeout=0\ninsmod all_video\n"
                    "menuentry Quillon {\n  multiboot /boot/kernel.elf\n"
                    "  set gfxpayload=%s\n  boot\n}\n" % gfxpayload)
        self.path = os.path.join(self.work, "quillon.iso")
        subprocess.run(["grub-mkrescue", "-o", self.path, root], check=True, capture_output=True, timeout=120)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        shutil.rmtree(self.work, ignore_errors=True)


class BootLog:
    def check_heap_line(self, machine):
        machine.wait_for_serial(r"Quillon Operating System Starting\.\.\.", BOOT_TIMEOUT)
        match = machine.wait_for_serial(HEAP_LINE, BOOT_TIMEOUT)
        size = int(match.group(1))
        # 128 MiB guest: memory above 1 MiB less 10 MiB and 10 KiB, less what
        # the firmware keeps for itself at the top.
        expected = 127 * 1024 * 1024 - 0xA00000 - 0x2800
        self.assertGreater(size, expected - 1024 * 1024)
        self.assertLessEqual(size, expected)

    def check_screen(self, machine, marks):
        machine.wait_for_serial(r"probe: ready", BOOT_TIMEOUT)
        screen = machine.screendump()
        self.assertGreaterEqual(screen.width, 800)
        self.assertGreaterEqual(screen.height, 600)
        for index in marks:
            x = 40 * index
            inside = count_close(screen, x, 0, x + 32, 32, MARK_COLOURS[index])
            self.assertEqual(inside, 32 * 32, "progress mark %d" % (index + 1))
        # Boot text is drawn in light grey somewhere below the marks.
        grey = count_close(screen, 0, 32, 800, 200, (0x90, 0x94, 0x90), tolerance=8)
        self.assertGreater(grey, 200)
        return screen

    def video_mode(self, machine):
        mode = machine.wait_for_serial(r"Screen (\d+) X (\d+) X (\d+) - Pitch (\d+)", BOOT_TIMEOUT)
        return tuple(int(g) for g in mode.groups())


class BootWithoutLoaderFramebuffer(unittest.TestCase, BootLog):
    """QEMU's own multiboot loader gives no framebuffer: the kernel sets the
    display adapter's mode itself, and the log reports the record's zeros."""

    def test_boot_log_and_marks(self):
        with harness.Machine(artifact("quillon-probe.elf"), as_kernel=True) as machine:
            self.check_heap_line(machine)
            self.check_screen(machine, marks=[0, 1])
            self.assertEqual(self.video_mode(machine), (0, 0, 0, 0))


class BootFromGrub(unittest.TestCase, BootLog):
    """GRUB hands over a linear framebuffer of 16 or 32 bits."""

    def test_kernel_image_boot_log(self):
        with harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img")) as machine:
            self.check_heap_line(machine)
            self.assertEqual(self.video_mode(machine), (800, 600, 16, 1600))

    def test_sixteen_bits(self):
        with harness.Machine(artifact("quillon-probe.iso"), disk=artifact("disk.img")) as machine:
            self.check_heap_line(machine)
            screen = self.check_screen(machine, marks=[0, 1])
            self.assertEqual(self.video_mode(machine)[:3], (screen.width, screen.height, 16))

    def test_thirty_two_bits(self):
        with GrubImage(artifact("quillon-probe.elf"), "800x600x32") as iso, harness.Machine(iso.path) as machine:
            self.check_heap_line(machine)
            self.check_screen(machine, marks=[0, 1])
            self.assertEqual(self.video_mode(machine), (800, 600, 32, 3200))


if __name__ == "__main__":
    unittest.main()
