"""The built-in programs in the kernel image: POKE 313,255 brings the
start-up program, whose RUN shows the menu, and the machine-language
monitor, which SYS 36864 starts and X leaves."""
import re
import time
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, harness, row_showing, row_starting

# How long the C64 gets to answer a line, in software emulation.
ANSWER_TIMEOUT = 120  # the menu is a BASIC program printing a screenful


class BuiltInPrograms(unittest.TestCase):
    def setUp(self):
        self.machine = harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img"))
        self.machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)

    def tearDown(self):
        self.machine.close()

    def wait_after(self, position, text, whole_row=True, timeout=ANSWER_TIMEOUT):
        deadline = time.time() + timeout
        regex = re.compile(row_showing(text) if whole_row else row_starting(text))
        while time.time() < deadline:
            if regex.search(self.machine.serial_output(), position):
                return
            time.sleep(0.1)
        self.fail("%r never appeared; the serial output ends with:\n%r"
                  % (text, self.machine.serial_output()[-2000:]))

    def type_line(self, text):
        here = len(self.machine.serial_output())
        self.machine.type_text(text)
        self.machine.send_chord(["ret"])
        return here

    def test_menu_then_the_monitor(self):
        self.type_line("poke 313,255")
        here = self.type_line("run")
        for row in ("  1  DISK DIRECTORY", "  3  MACHINE-LANGUAGE MONITOR", "  6  LEAVE TO BASIC",
                    "  YOUR CHOICE (1-6)?"):
            self.wait_after(here, row)
        here = len(self.machine.serial_output())
        self.machine.type_text("6")
        self.wait_after(here, "READY.")
        here = self.type_line("sys 36864")
        self.wait_after(here, "QUILLON ML MONITOR AT $9000 (SYS 36864)")
        self.wait_after(here, "  PC  SR AC XR YR SP NV-BDIZC")
        here = self.type_line("m 9000 9007")
        self.wait_after(here, ":9000 08 8D ", whole_row=False)
        here = self.type_line("x")
        self.wait_after(here, "READY.")


if __name__ == "__main__":
    unittest.main()
