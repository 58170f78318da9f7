"""The C64 in the kernel image: the BASIC screen after the boot log, typing
through the PC keyboard and the serial terminal, the editing keys, RUN/STOP,
the debugging monitor's Esc in and out, F10's fresh machine, and LOAD and
SAVE on the disk.

The C64 screen is read back through its serial mirror: every changed row is
sent as ESC [ row ; 1 H, the row's text, ESC [ K."""
import re
import time
import unittest

from quillon_qemu import BOOT_TIMEOUT, artifact, count_close, harness, row_showing

BLUE = (0x00, 0x00, 0xF8)
LIGHT_BLUE = (0x98, 0xCC, 0xF8)
# The text view's border: $D020, light blue from the start as on a C64.
TEXT_BORDER = LIGHT_BLUE
# The video chip's picture: light blue border, blue background (RGB565 $045F, $0015).
BORDER = (0x00, 0x88, 0xF8)
BACKGROUND = (0x00, 0x00, 0xA8)
# How long the C64 gets to answer a line, in software emulation.
ANSWER_TIMEOUT = 60


class C64Machine(unittest.TestCase):
    def setUp(self):
        self.started = time.time()
        self.machine = harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img"))
        self.machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)
        self.ready_after = time.time() - self.started

    def tearDown(self):
        self.machine.close()

    def mark(self):
        """Serial output from here on is what the next wait looks at."""
        return len(self.machine.serial_output())

    def wait_after(self, position, pattern, timeout=ANSWER_TIMEOUT):
        deadline = time.time() + timeout
        regex = re.compile(pattern)
        while time.time() < deadline:
            match = regex.search(self.machine.serial_output(), position)
            if match:
                return match
            time.sleep(0.1)
        self.fail("%r never appeared; the serial output ends with:\n%r"
                  % (pattern, self.machine.serial_output()[-2000:]))

    def type_line(self, text):
        self.machine.type_text(text)
        self.machine.send_chord(["ret"])

    def test_basic_screen_appears_blue_with_light_blue_text(self):
        print("\nboot to READY. in %.1f s" % self.ready_after)
        screen = self.machine.screendump()
        self.assertEqual(screen.width, 800)
        # The border is light blue and the space between the characters blue;
        # the text area holds light blue dots where the banner and READY.
        # stand, and the cursor's light blue block.
        self.assertEqual(count_close(screen, 0, 0, 24, 600, TEXT_BORDER), 24 * 600)
        self.assertGreater(count_close(screen, 24, 24, 504, 474, LIGHT_BLUE), 200)
        self.assertEqual(count_close(screen, 24, 24, 504, 474, BLUE) +
                         count_close(screen, 24, 24, 504, 474, LIGHT_BLUE), 480 * 450)

    def test_reverse_video_and_graphics_appear_in_the_text_view(self):
        here = self.mark()
        self.type_line('print chr$(18)"x"chr$(146)chr$(113)')
        ready = self.wait_after(here, r"\x1b\[(\d+);1HREADY\. *\x1b\[K")
        time.sleep(1)
        screen = self.machine.screendump()
        # The printed row stands above READY.; its cells are 12 x 18 pixels.
        top = 24 + 18 * (int(ready.group(1)) - 2)

        def light(column):
            return count_close(screen, 24 + 12 * column, top, 36 + 12 * column, top + 18, LIGHT_BLUE)

        # A reversed X: a light blue cell with the letter's dots left blue.
        self.assertGreater(light(0), 140)
        self.assertLess(light(0), 12 * 18)
        # The ball from the character ROM, over the whole cell, then nothing.
        self.assertGreater(light(1), 60)
        self.assertEqual(light(2), 0)

    def test_typed_arithmetic_is_answered(self):
        here = self.mark()
        self.type_line("print 3+4")
        self.wait_after(here, row_showing(" 7"))

    def test_backspace_and_cursor_left_edit_the_line(self):
        here = self.mark()
        # "print 19", Backspace: "print 1"; then 2, cursor left over it, 5.
        self.machine.type_text("print 19")
        self.machine.send_chord(["backspace"])
        self.machine.type_text("2")
        self.machine.send_chord(["left"])
        self.type_line("5")
        self.wait_after(here, row_showing(" 15"))

    def test_tab_is_run_stop(self):
        here = self.mark()
        self.type_line("10 goto 10")
        self.type_line("run")
        time.sleep(2)
        self.machine.send_chord(["tab"], hold_ms=300)
        self.wait_after(here, row_showing("BREAK IN 10"))

    def test_serial_bytes_are_typed_into_the_c64(self):
        here = self.mark()
        self.machine.write_serial("print 6*7\r")
        self.wait_after(here, row_showing(" 42"))

    def test_save_load_and_the_directory_reach_the_disk(self):
        # The disk is a throw-away overlay: what is saved here is gone afterwards.
        here = self.mark()
        self.machine.write_serial('10 print "from the disk"\rsave "qemu",8\r')
        self.wait_after(here, row_showing("SAVING QEMU") + r".*" + row_showing("READY."))
        here = self.mark()
        self.machine.write_serial('new\rload "qemu",8\r')
        self.wait_after(here, row_showing("LOADING") + r".*" + row_showing("READY."))
        here = self.mark()
        self.machine.write_serial("run\r")
        self.wait_after(here, row_showing("FROM THE DISK"))
        here = self.mark()
        self.machine.write_serial('load "$",8\rlist\r')
        self.wait_after(here, r'\x1b\[\d+;1H\d+ +"QEMU" +PRG *\x1b\[K')

    def test_esc_shows_the_monitor_and_esc_again_the_c64_screen_at_once(self):
        here = self.mark()
        self.machine.send_chord(["esc"])
        self.wait_after(here, r"Quillon v0\.10 - Debugging:")
        self.wait_after(here, r"Built in ML monitor activated via SYS 36864\r?\n\r?\n>")
        time.sleep(1)
        monitor = self.machine.screendump()
        self.assertLess(count_close(monitor, 0, 0, 24, 600, TEXT_BORDER), 24 * 600)
        # Commands answer on the console: the registers, and the screen
        # memory where READY. stands (R, E, A, D, Y, . as screen codes).
        here = self.mark()
        self.machine.type_text("R")
        self.machine.send_chord(["ret"])
        self.wait_after(here, r" PC  AC XR YR SP\r?\n[0-9A-F]{4}( [0-9A-F]{2}){4}")
        here = self.mark()
        self.machine.type_text("M 04C8")
        self.machine.send_chord(["ret"])
        self.wait_after(here, r"04C8: 12 05 01 04 19 2E ")
        back = self.mark()
        self.machine.send_chord(["esc"])
        # The terminal is repainted and so is the framebuffer, without any
        # change on the C64 screen.
        self.wait_after(back, r"\x1b\[2J.*" + row_showing("READY."), 20)
        time.sleep(1)
        screen = self.machine.screendump()
        self.assertEqual(count_close(screen, 0, 0, 24, 600, TEXT_BORDER), 24 * 600)
        # The machine resumed where it stopped: it still answers.
        here = self.mark()
        self.type_line("print 2+2")
        self.wait_after(here, row_showing(" 4"))

    def test_f10_builds_a_fresh_machine(self):
        self.type_line("a=5")
        here = self.mark()
        self.machine.send_chord(["f10"])
        self.wait_after(here, r"\x1b\[2J(?:(?!READY\.).)*" + row_showing("READY."))
        here = self.mark()
        self.type_line("print a")
        self.wait_after(here, row_showing(" 0"))

    def test_f11_shows_the_video_picture_across_a_rebuild_and_f11_the_text_again(self):
        self.machine.send_chord(["f11"])
        time.sleep(2)
        picture = self.machine.screendump()
        self.assertGreater(count_close(picture, 0, 0, 800, 40, BORDER), 800 * 40 * 9 // 10)
        self.assertGreater(count_close(picture, 100, 300, 700, 500, BACKGROUND), 600 * 200 * 9 // 10)
        here = self.mark()
        self.machine.send_chord(["f10"])
        self.wait_after(here, r"\x1b\[2J(?:(?!READY\.).)*" + row_showing("READY."))
        time.sleep(1)
        rebuilt = self.machine.screendump()
        self.assertGreater(count_close(rebuilt, 0, 0, 800, 40, BORDER), 800 * 40 * 9 // 10)
        self.machine.send_chord(["f11"])
        time.sleep(2)
        text = self.machine.screendump()
        self.assertEqual(count_close(text, 0, 0, 24, 600, TEXT_BORDER), 24 * 600)


if __name__ == "__main__":
    unittest.main()
