"""The kernel boots from both loaders: boot log on the serial port, progress
marks and text on the screen."""
import os
import re
import shutil
import subprocess
import tempfile
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, count_close, harness

HEAP_LINE = r"\n(\d+) Byte Heap @ 0x00A00000"
# Red, green, blue of the four marks: green, cyan, yellow, white.
MARK_COLOURS = [(0x00, 0xFC, 0x00), (0x00, 0xFC, 0xF8), (0xF8, 0xFC, 0x00), (0xF8, 0xFC, 0xF8)]


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
        machine.wait_for_serial(r"Obtaining video mode", BOOT_TIMEOUT)
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


class BootWithoutLoaderFramebuffer(unittest.TestCase, BootLog):
    """QEMU's own multiboot loader gives no framebuffer: the kernel sets the
    display adapter's mode itself."""

    def test_boot_log_and_marks(self):
        with harness.Machine(artifact("quillon.elf"), as_kernel=True) as machine:
            self.check_heap_line(machine)
            self.check_screen(machine, marks=[0, 1])
            self.assertIn("Screen 0 X 0 X 0 - Pitch 0", machine.serial_output())


class BootFromGrub(unittest.TestCase, BootLog):
    """GRUB hands over a linear framebuffer."""

    def test_boot_log_and_marks(self):
        with harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img")) as machine:
            self.check_heap_line(machine)
            screen = self.check_screen(machine, marks=[0, 1])
            log = machine.serial_output()
            mode = re.search(r"Screen (\d+) X (\d+) X (\d+) - Pitch (\d+)", log)
            self.assertIsNotNone(mode)
            self.assertEqual((int(mode.group(1)), int(mode.group(2))), (screen.width, screen.height))
            shots = os.environ.get("QUILLON_SCREENSHOT_DIR")
            if shots:
                with open(os.path.join(shots, "boot-log.png"), "wb") as f:
                    f.write(screen.to_png())


class BootFromGrubAt32Bits(unittest.TestCase, BootLog):
    """A PC whose loader hands over a 32-bit framebuffer shows the same boot."""

    def test_boot_log_and_marks(self):
        work = tempfile.mkdtemp(prefix="quillon-iso32-")
        try:
            os.makedirs(os.path.join(work, "root", "boot", "grub"))
            shutil.copy(artifact("quillon.elf"), os.path.join(work, "root", "boot", "kernel.elf"))
            with open(os.path.join(work, "root", "boot", "grub", "grub.cfg"), "w") as f:
                f.write("set timeout=0\ninsmod all_video\n"
                        "menuentry Quillon {\n  multiboot /boot/kernel.elf\n"
                        "  set gfxpayload=800x600x32\n  boot\n}\n")
            iso = os.path.join(work, "quillon32.iso")
            subprocess.run(["grub-mkrescue", "-o", iso, os.path.join(work, "root")],
                           check=True, capture_output=True, timeout=120)
            with harness.Machine(iso) as machine:
                self.check_heap_line(machine)
                self.check_screen(machine, marks=[0, 1])
                self.assertIn("X 32 - Pitch 3200", machine.serial_output())
        finally:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    unittest.main()
