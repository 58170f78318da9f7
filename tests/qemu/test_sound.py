"""The SID through QEMU's HD audio device, recorded with the wav audio
driver: a BASIC line plays a triangle note, and the recording's pitch is the
one the SID's frequency registers ask for.

Software emulation runs the C64 in bursts, ahead of real time and behind it;
the driver drops what comes too early and plays silence where nothing came,
so the recording is read as the runs of sound between those gaps, each
judged on its own."""
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
ANSWER_TIMEOUT = 120
GAP = 8  # this many zero samples in a row are the driver's filler


def runs_of_sound(samples):
    """The stretches between the driver's silent filler."""
    runs, start, zeros = [], None, 0
    for i, s in enumerate(samples):
        if s == 0:
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
        with wave.open(recording) as w:
            rate = w.getframerate()
            frames = array("h", w.readframes(w.getnframes()))
            channels = w.getnchannels()
        left = frames[::channels]
        runs = runs_of_sound(left)
        self.assertTrue(runs, "the recording is silent")

        # A run with a drop inside is off; most runs are whole.
        pitches = sorted(p for p in (pitch(run, rate) for run in runs) if p > 0)
        self.assertGreaterEqual(len(pitches), 3, "too little sound to tell")
        expected_hz = FREQUENCY_NUMBER * CLOCK / 2 ** 24
        measured_hz = pitches[len(pitches) // 2]
        print("\npitch %.2f Hz, expected %.2f Hz, over %d runs" % (measured_hz, expected_hz, len(pitches)))
        self.assertAlmostEqual(measured_hz, expected_hz, delta=expected_hz * 0.005)


if __name__ == "__main__":
    unittest.main()
