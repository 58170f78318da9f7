"""Drive 8 in the kernel image on a disk of its own: a BASIC program keeps
its data in a sequential file, is saved, and after F10's fresh machine
LOAD "*",8 brings it back and it reads its data again; a D64 image made by
cc1541 is entered with CD, listed, loaded from and saved into, and left
again; the volume and the image stay sound for other systems."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from quillon_qemu import BOOT_TIMEOUT, SOURCE_DIR, artifact, harness, row_showing

ANSWER_TIMEOUT = 90
MTOOLS = dict(os.environ, MTOOLS_SKIP_CHECK="1")
SBIN = os.pathsep.join([os.environ.get("PATH", ""), "/sbin", "/usr/sbin"])

# First run: no NOTES yet (62 on channel 15), so it writes them; a run after
# that reads them back.
PROGRAM = (
    '10 open 15,8,15:open 2,8,2,"notes,s,r":input#2,a$:input#15,e:close 2\r'
    '20 if e=0 then print "read back ";a$:close 15:end\r'
    '30 open 2,8,2,"notes,s,w":print#2,"kept":close 2:close 15:print "written"\r'
)


class DriveAcrossARebuild(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.mkdtemp(prefix="quillon-drive-")
        self.disk = os.path.join(self.scratch, "disk.img")
        basic = os.path.join(self.scratch, "hello.bas")
        with open(basic, "w") as text:
            text.write('10 PRINT "HELLO FROM D64"\n')
        self.hello = os.path.join(self.scratch, "hello.prg")
        subprocess.run([artifact("bas2prg"), basic, self.hello], check=True)
        image = os.path.join(self.scratch, "GAMES.D64")
        subprocess.run(["cc1541", "-q", "-n", "quillon", "-f", "hello", "-w", self.hello, image], check=True,
                       capture_output=True)
        subprocess.run([os.path.join(SOURCE_DIR, "tools", "make_disk.sh"), self.disk, image], check=True)
        self.machine = harness.Machine(artifact("quillon.iso"), disk=self.disk, keep_disk_writes=True)
        self.machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)

    def tearDown(self):
        self.machine.close()
        shutil.rmtree(self.scratch, ignore_errors=True)

    def mark(self):
        return len(self.machine.serial_output())

    def wait_after(self, position, pattern, timeout=ANSWER_TIMEOUT):
        deadline = time.time() + timeout
        regex = re.compile(pattern, re.S)
        while time.time() < deadline:
            if regex.search(self.machine.serial_output(), position):
                return
            time.sleep(0.1)
        self.fail("%r never appeared; the serial output ends with:\n%r"
                  % (pattern, self.machine.serial_output()[-2000:]))

    def type_and_wait(self, text, pattern):
        here = self.mark()
        self.machine.write_serial(text)
        self.wait_after(here, pattern + r".*" + row_showing("READY."))

    def test_a_program_and_its_data_file_survive_a_rebuild_and_an_image_is_used_on_the_way(self):
        self.type_and_wait(PROGRAM + "run\r", row_showing("WRITTEN"))
        self.type_and_wait('save "keeper",8\r', row_showing("SAVING KEEPER"))
        self.type_and_wait('open 15,8,15,"cd:games.d64":close 15\r', row_showing('OPEN 15,8,15,"CD:GAMES.D64":CLOSE 15'))
        self.type_and_wait('load "$",8\r', row_showing("LOADING"))
        self.type_and_wait("list\r", row_showing('1    "HELLO"            PRG') + r".*" + row_showing("663 BLOCKS FREE."))
        self.type_and_wait('load "hello",8\r', row_showing("LOADING"))
        self.type_and_wait("run\r", row_showing("HELLO FROM D64"))
        self.type_and_wait('save "copy",8\r', row_showing("SAVING COPY"))
        self.type_and_wait('open 15,8,15,"cd:..":close 15\r', row_showing('OPEN 15,8,15,"CD:..":CLOSE 15'))
        self.type_and_wait('load "$",8\r', row_showing("LOADING"))
        self.type_and_wait("list\r", row_showing('1    "KEEPER"           PRG') + r".*" + row_showing('689  "GAMES"            D64'))
        here = self.mark()
        self.machine.send_chord(["f10"])
        self.wait_after(here, r"\x1b\[2J(?:(?!READY\.).)*" + row_showing("READY."))
        here = self.mark()
        self.machine.write_serial('load "*",8\r')
        self.wait_after(here, row_showing("LOADING") + r".*" + row_showing("READY."))
        here = self.mark()
        self.machine.write_serial("run\r")
        self.wait_after(here, row_showing("READ BACK KEPT"))
        self.machine.close()

        volume = os.path.join(self.scratch, "volume.img")
        subprocess.run(["dd", "if=" + self.disk, "of=" + volume, "bs=512", "skip=2048", "status=none"], check=True)
        fsck = subprocess.run(["fsck.fat", "-n", volume], capture_output=True, text=True,
                              env=dict(os.environ, PATH=SBIN))
        self.assertEqual(fsck.returncode, 0, fsck.stdout + fsck.stderr)
        notes = subprocess.run(["mtype", "-i", self.disk + "@@1M", "::NOTES.SEQ"], capture_output=True, env=MTOOLS)
        self.assertEqual(notes.stdout, b"KEPT\r")
        keeper = subprocess.run(["mtype", "-i", self.disk + "@@1M", "::KEEPER.PRG"], capture_output=True, env=MTOOLS)
        self.assertEqual(keeper.stdout[:2], b"\x01\x08", "a PRG file begins with its load address")
        # Dated by the PC's clock (QEMU's is the host's), not by a fixed stamp.
        listed = subprocess.run(["mdir", "-i", self.disk + "@@1M", "::KEEPER.PRG"], capture_output=True, text=True,
                                env=MTOOLS)
        days = {time.strftime("%Y-%m-%d", time.gmtime(time.time() - ago)) for ago in (0, 600)}
        self.assertTrue(any(day in listed.stdout for day in days), listed.stdout)

        image = os.path.join(self.scratch, "after.d64")
        subprocess.run(["mcopy", "-i", self.disk + "@@1M", "::GAMES.D64", image], check=True, env=MTOOLS)
        listing = subprocess.run(["cc1541", image], capture_output=True, text=True).stdout.lower()
        self.assertIn('"copy"', listing)
        self.assertIn("662 blocks free", listing)
        extracted = os.path.join(self.scratch, "extracted")
        os.mkdir(extracted)
        subprocess.run(["cbmconvert", "-N", "-d", image], cwd=extracted, capture_output=True)
        with open(self.hello, "rb") as original, open(os.path.join(extracted, "copy.prg"), "rb") as copy:
            self.assertEqual(copy.read(), original.read())
        verdict = subprocess.run([artifact("fat32tool"), self.disk, "d64", "GAMES.D64", "validate"],
                                 capture_output=True, text=True)
        self.assertEqual((verdict.returncode, verdict.stdout), (0, "unchanged\n"))


if __name__ == "__main__":
    unittest.main()
