"""The SID through QEMU's HD audio device, recorded with the wav audio
driver: a BASIC line plays a triangle note, and the recording's pitch is the
one the SID's frequency registers ask for; a second note timed by TI lasts
as long as the program held it.

A host that cannot keep up runs the C64 behind real time, and the driver
plays silence where nothing came (or, far ahead, drops the oldest), so the
recording is read as the runs of sound between those gaps, each judged on
its own."""
import os
import re
import tempfile
import time
import unittest
import wave
from array import array

from quillon_qemu import BOOT_TIMEOUT, artifact, harness, row_showing

CLOCK = 985248
# Voice 3 (from $D40E, so the volume is S+10): triangle, Fn $3A00, held at
# sustain 15, which ENV3 ($D41C, 54300) then shows.
FREQUENCY_NUMBER = 0x3A00
NOTE = ("S=54286:POKE S+10,15:POKE S+5,0:POKE S+6,240:POKE S+1,%d:POKE S,%d:POKE S+4,17"
        % (FREQUENCY_NUMBER >> 8, FREQUENCY_NUMBER & 0xFF))
ENVELOPE = "PRINT PEEK(54300)"
RELEASE = "POKE S+4,16"
# The same note for 30 jiffies (30 x 16,422 cycles: half a second) by TI,
# then released; release 0 fades it in 6 ms.
TIMED = "T=TI:POKE S+4,17:FORI=0TO1:I=-(TI-T>29):NEXT:POKE S+4,16"
TIMED_SECONDS = 30 * 16422 / CLOCK
# Silence this long parts the held note from the timed one.
PAUSE = 0.3
ANSWER_TIMEOUT = 120
GAP = 8  # this many zero samples in a row are the driver's filler


def runs_of_sound(samples):
    """The stretches between the driver's silent filler and a released
    voice's steady level: samples that stop changing are silence."""
    runs, start, zeros = [], None, 0
    for i, s in enumerate(samples):
        if s == 0 or (i > 0 and s == samples[i - 1]):
            zeros += 1
            if zeros == GAP and start is not None:
                runs.append(samples[start:i - GAP + 1])
                start = None
        else:
            if start is None:
                start = i
            zeros = 0
    if start is not None:
        runs.append(samples[start:])
    return runs


def pitch(run, rate):
    """Rising zero crossings, interpolated; 0 for a run too short to tell."""
    run = run[4:-4]
    crossings = [i - 1 + (-run[i - 1]) / (run[i] - run[i - 1])
                 for i in range(1, len(run)) if run[i - 1] < 0 <= run[i]]
    if len(crossings) < 3:
        return 0.0
    return (len(crossings) - 1) * rate / (crossings[-1] - crossings[0])


class SidThroughHdAudio(unittest.TestCase):
    def test_a_basic_note_has_its_pitch(self):
        directory = tempfile.mkdtemp(prefix="quillon-sound-")
        recording = os.path.join(directory, "sound.wav")
        extra = ["-device", "intel-hda", "-device", "hda-output,audiodev=sound",
                 "-audiodev", "wav,id=sound,path=%s" % recording]
        with harness.Machine(artifact("quillon.iso"), disk=artifact("disk.img"), extra=extra) as machine:
            machine.wait_for_serial(r"Initializing sound\.+\[OK\] HD audio, codec [0-9A-F]{4}:[0-9A-F]{4}",
                                    BOOT_TIMEOUT)
            machine.wait_for_serial(row_showing("READY."), BOOT_TIMEOUT)
            # Unshifted letters are the C64's capitals; shifted ones its graphics.
            machine.type_text(NOTE.lower())
            machine.send_chord(["ret"])
            machine.wait_for_serial(r"POKE S\+4,17(.|\n)*" + row_showing("READY."), ANSWER_TIMEOUT)
            machine.type_text(ENVELOPE.lower())
            machine.send_chord(["ret"])
            machine.wait_for_serial(re.escape(ENVELOPE) + r"(.|\n)*" + row_showing(" 255"), ANSWER_TIMEOUT)
            time.sleep(3)
            # The timed line takes two screen rows; its second ends as the release does.
            for line, done in ((RELEASE, r"POKE S\+4,16"), (TIMED, r"NEXT:POKE S\+4,16")):
                machine.type_text(line.lower())
                machine.send_chord(["ret"])
                machine.wait_for_serial(done + r"(.|\n)*" + row_showing("READY."), ANSWER_TIMEOUT)
                time.sleep(1)
        with wave.open(recording) as w:
            rate = w.getframerate()
            frames = array("h", w.readframes(w.getnframes()))
            channels = w.getnchannels()
        left = frames[::channels]
        runs = runs_of_sound(left)
        self.assertTrue(runs, "the recording is silent")

        # A run with a drop inside is off; most runs are whole.
        pitches = sorted(p for p in (pitch(run, rate) for run in runs) if p > 0)
        self.assertGreaterEqual(len(pitches), 2, "the held note and the timed one")
        expected_hz = FREQUENCY_NUMBER * CLOCK / 2 ** 24
        measured_hz = pitches[len(pitches) // 2]
        print("\npitch %.2f Hz, expected %.2f Hz, over %d runs" % (measured_hz, expected_hz, len(pitches)))
        self.assertAlmostEqual(measured_hz, expected_hz, delta=expected_hz * 0.005)

        # The timed note: the sound after the last pause. Its samples are
        # the machine's own time, whatever gaps a slow host left between them.
        # A released voice leaves the output at a steady level, not always
        # at zero, so silence is where the samples stop changing.
        changing = [i for i in range(1, len(left)) if left[i] != left[i - 1]]
        self.assertTrue(changing, "silent")
        note_end = changing[-1] + 1
        pause = int(PAUSE * rate)
        note_start = note_end
        quiet = 0
        while note_start > 1 and quiet < pause:
            note_start -= 1
            quiet = quiet + 1 if left[note_start] == left[note_start - 1] else 0
        note = left[note_start + quiet:note_end]
        sounding = sum(len(run) for run in runs_of_sound(note)) / rate
        print("timed note: %.3f s of sound, expected %.3f s" % (sounding, TIMED_SECONDS))
        self.assertAlmostEqual(sounding, TIMED_SECONDS, delta=TIMED_SECONDS * 0.1)


if __name__ == "__main__":
    unittest.main()
