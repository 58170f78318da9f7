"""The self-test image types its test line by itself and shows BASIC's answer."""
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, count_close, harness, row_showing

# The text view's border: $D020, light blue from the start as on a C64.
TEXT_BORDER = (0x98, 0xCC, 0xF8)


class SelfTestImage(unittest.TestCase):
    def test_types_print_3_plus_4_and_shows_7(self):
        with harness.Machine(artifact("quillon-selftest.iso"), disk=artifact("disk.img")) as machine:
            machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)
            # Nobody types: the line comes from the image itself, after its
            # first four million instructions, and BASIC answers it.
            machine.wait_for_serial(row_showing("PRINT 3+4") + ".*?" + row_showing(" 7") + ".*?" +
                                    row_showing("READY."), BOOT_TIMEOUT)
            screen = machine.screendump()
            self.assertEqual(count_close(screen, 0, 0, 24, screen.height, TEXT_BORDER), 24 * screen.height)


if __name__ == "__main__":
    unittest.main()
