"""Drive 8 in the kernel image on a disk of its own: a BASIC program keeps
its data in a sequential file, is saved, and after F10's fresh machine
LOAD "*",8 brings it back and it reads its data again; the volume stays
sound for other systems."""
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
        subprocess.run([os.path.join(SOURCE_DIR, "tools", "make_disk.sh"), self.disk], check=True)
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

    def test_a_program_and_its_data_file_survive_a_rebuild(self):
        here = self.mark()
        self.machine.write_serial(PROGRAM + "run\r")
        self.wait_after(here, row_showing("WRITTEN") + r".*" + row_showing("READY."))
        here = self.mark()
        self.machine.write_serial('save "keeper",8\r')
        self.wait_after(here, row_showing("SAVING KEEPER") + r".*" + row_showing("READY."))
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


if __name__ == "__main__":
    unittest.main()
