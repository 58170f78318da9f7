"""A storm of Esc presses in the kernel image: whatever their timing, the
keys typed afterwards go only to the side that is shown. Twenty-one presses
back to back (each held a millisecond) leave the monitor shown; one more
gives the keyboard back to the C64, and `E GAME.PRG` typed at the BASIC
prompt is BASIC's alone: ?SYNTAX ERROR, no monitor command, and GAME.PRG
still on the disk afterwards.

The screen is read back through the serial port, which carries both the
monitor's console and the C64 screen's mirror (ESC [ 2 J when the C64
screen is repainted, then one ESC [ row ; 1 H ... ESC [ K per row)."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, harness, row_showing

ANSWER_TIMEOUT = 60
BANNER = "Built in ML monitor activated via SYS 36864"
REPAINT = "\x1b[2J"


def mtools(*args):
    env = dict(os.environ, MTOOLS_SKIP_CHECK="1")
    return subprocess.run(list(args), env=env, check=True, capture_output=True, text=True).stdout


class EscStorm(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="quillon-storm-")
        self.disk = os.path.join(self.dir, "disk.img")
        shutil.copyfile(artifact("disk.img"), self.disk)
        game = os.path.join(self.dir, "GAME.PRG")
        with open(game, "wb") as f:
            f.write(bytes([0x01, 0x08]) + bytes(range(256)) * 2)
        mtools("mcopy", "-i", self.disk + "@@1M", game, "::GAME.PRG")
        self.machine = harness.Machine(artifact("quillon.iso"), disk=self.disk, keep_disk_writes=True)
        self.machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)

    def tearDown(self):
        self.machine.close()
        shutil.rmtree(self.dir, ignore_errors=True)

    def mark(self):
        return len(self.machine.serial_output())

    def settle(self, quiet=3.0, limit=ANSWER_TIMEOUT):
        """Waits until the serial port has been quiet for `quiet` seconds."""
        deadline = time.time() + limit
        length, since = -1, time.time()
        while time.time() < deadline:
            now = len(self.machine.serial_output())
            if now != length:
                length, since = now, time.time()
            elif time.time() - since >= quiet:
                return
            time.sleep(0.1)
        self.fail("the serial port never went quiet")

    def shown_since(self, position):
        """'monitor' or 'c64': whichever was drawn last after position."""
        text = self.machine.serial_output()[position:]
        monitor, c64 = text.rfind(BANNER), text.rfind(REPAINT)
        self.assertNotEqual(max(monitor, c64), -1, "nothing was drawn:\n%r" % text[-2000:])
        return "monitor" if monitor > c64 else "c64"

    def wait_after(self, position, pattern, timeout=ANSWER_TIMEOUT):
        deadline = time.time() + timeout
        regex = re.compile(pattern, re.S)
        while time.time() < deadline:
            match = regex.search(self.machine.serial_output(), position)
            if match:
                return match
            time.sleep(0.1)
        self.fail("%r never appeared; the serial output ends with:\n%r"
                  % (pattern, self.machine.serial_output()[-2000:]))

    def test_after_21_esc_presses_e_game_prg_typed_at_basic_leaves_the_file(self):
        storm = self.mark()
        for _ in range(21):
            self.machine.send_chord(["esc"], hold_ms=1)
        self.settle()
        # An odd number of presses: the monitor has the keyboard, and shows it.
        self.assertEqual(self.shown_since(storm), "monitor")
        back = self.mark()
        self.machine.send_chord(["esc"])
        self.wait_after(back, re.escape(REPAINT) + ".*" + row_showing("READY."))
        self.settle(quiet=1.0)
        self.assertEqual(self.shown_since(storm), "c64")
        typed = self.mark()
        self.machine.type_text("e game.prg")
        self.machine.send_chord(["ret"])
        self.wait_after(typed, row_showing("?SYNTAX  ERROR"))
        self.settle(quiet=2.0)
        after = self.machine.serial_output()[typed:]
        self.assertNotIn("status=", after, "a monitor command ran")
        self.assertNotIn(BANNER, after)
        self.machine.close()
        listing = mtools("mdir", "-b", "-i", self.disk + "@@1M", "::")
        self.assertIn("GAME.PRG", listing.upper())


if __name__ == "__main__":
    unittest.main()
