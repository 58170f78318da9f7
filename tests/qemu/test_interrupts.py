"""The whole boot log, and the interrupt paths seen from the probe image: keys
reach the scancode ring, the timer ticks at about 1 kHz, and an unhandled
exception stops the machine with its colour square."""
import re
import time
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, count_close, harness

BOOT_LOG_ORDER = [
    r"Quillon Operating System Starting\.\.\.",
    r"\d+ Byte Heap @ 0x00A00000",
    r"VGA PCI BUS 00, DEVICE 02, FUNCTION 00 = VENDOR 1234, DEVICE 1111",
    r"Initializing interrupts\.\.\.\.\.\.\.\.\.\.\[OK\]",
    r"ATA pri master: ATA\s+Serial : QM0000\d",
    r"ATA pri slave : No device",
    r"ATA sec master: ",
    r"ATA sec slave : No device",
    r"Initializing filesystem driver\.\.\.\[OK\]",
    r"Obtaining video mode\.\.\.\.\.\.\.\.\.\.\.\.\.\[OK\] Screen \d+ X \d+ X \d+ - Pitch \d+",
    r"VGA Memory @ \$[0-9A-F]{8}",
    r"Initializing sound\.{15}\[OK\] ",
    r"Getting date: \d{1,2}/\d{1,2}/20\d\d",
    r"Getting time: \d{1,2}:\d{1,2}:\d{1,2}",
]


class BootLogInOrder(unittest.TestCase):
    def test_every_line_in_order(self):
        with harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img")) as machine:
            machine.wait_for_serial(r"Getting time: \d+:\d+:\d+", BOOT_TIMEOUT)
            log = machine.serial_output()
        position = 0
        for pattern in BOOT_LOG_ORDER:
            match = re.compile(pattern).search(log, position)
            self.assertIsNotNone(match, "%r after position %d in:\n%s" % (pattern, position, log))
            position = match.end()
        pci_lines = re.findall(r"PCI BUS [0-9A-F]{2}, DEVICE [0-9A-F]{2}, FUNCTION [0-9A-F]{2} = "
                               r"VENDOR [0-9A-F]{4}, DEVICE [0-9A-F]{4}", log)
        self.assertGreaterEqual(len(pci_lines), 5)


class ProbeImage(unittest.TestCase):
    def boot_probe(self):
        machine = harness.Machine(artifact("quillon-probe.elf"), as_kernel=True)
        machine.wait_for_serial(r"probe: ready", BOOT_TIMEOUT)
        return machine

    def test_keys_reach_the_scancode_ring(self):
        with self.boot_probe() as machine:
            machine.send_chord(["a"])
            machine.wait_for_serial(r"probe: scancode 1E\r\n.*probe: scancode 9E", 30)
            # An extended key: each of its two interrupts puts only its E0
            # prefix in the ring; the driver takes the key byte itself.
            machine.send_chord(["up"])
            machine.wait_for_serial(r"probe: scancode 9E\r\n(probe: scancode FA\r\n)*"
                                    r"probe: scancode E0\r\nprobe: scancode E0\r\n", 30)

    def test_timer_ticks_at_about_one_kilohertz(self):
        # The probe reports once a second; each report is timed when it
        # arrives, so the rate is not skewed by up to a second of reports
        # still to come.
        pattern = re.compile(r"probe: milli (\d+) tsc")
        with self.boot_probe() as machine:
            first = machine.wait_for_serial(pattern.pattern, 30)
            start_milli, start_time = int(first.group(1)), time.time()
            seen = len(pattern.findall(machine.serial_output()))
            deadline = start_time + 30
            reports = []
            while time.time() < deadline:
                reports = pattern.findall(machine.serial_output())
                if len(reports) >= seen + 4:
                    break
                time.sleep(0.02)
            elapsed_time = time.time() - start_time
            self.assertGreaterEqual(len(reports), seen + 4, "four more reports")
            elapsed_milli = int(reports[-1]) - start_milli
            rate = elapsed_milli / elapsed_time
            self.assertGreater(rate, 500, "ticks per second")
            self.assertLess(rate, 1500, "ticks per second")

    def test_divide_by_zero_shows_the_green_square_and_halts(self):
        with self.boot_probe() as machine:
            machine.send_chord(["z"])
            machine.wait_for_serial(r"probe: scancode 2C", 30)
            time.sleep(1)
            screen = machine.screendump()
            self.assertEqual(count_close(screen, 0, 0, 64, 64, (0x00, 0xFC, 0x00)), 64 * 64)
            self.assertEqual(count_close(screen, 64, 0, 70, 64, (0x00, 0xFC, 0x00)), 0)
            # Halted: nothing more comes out, not even the timer report.
            quiet = machine.serial_output()
            time.sleep(2.5)
            self.assertEqual(machine.serial_output(), quiet)


if __name__ == "__main__":
    unittest.main()
