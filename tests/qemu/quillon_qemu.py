"""Shared set-up for the QEMU boot tests."""
import os
import re
import time
import sys
import threading

SOURCE_DIR = os.environ.get("QUILLON_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD_DIR = os.environ.get("QUILLON_BUILD_DIR", os.path.join(SOURCE_DIR, "build"))
sys.path.insert(0, os.path.join(SOURCE_DIR, "tools", "qemu"))

import harness  # noqa: E402

# Software emulation on a loaded two-core machine: generous, but bounded.
BOOT_TIMEOUT = 180


def artifact(name):
    return os.path.join(BUILD_DIR, name)


def count_close(image, x0, y0, x1, y1, rgb, tolerance=12):
    """Pixels in the box [x0, x1) x [y0, y1) within tolerance of rgb."""
    n = 0
    for y in range(y0, y1):
        for x in range(x0, x1):
            p = image.pixel(x, y)
            if all(abs(p[i] - rgb[i]) <= tolerance for i in range(3)):
                n += 1
    return n


# The mirror switches colours and reverse video with SGR sequences wherever
# they change along a row.
SGR = r"(?:\x1b\[[0-9;]*m)*"


def row_text(text):
    """text as a row of the serial mirror carries it, colour changes between
    its characters allowed."""
    return SGR + SGR.join(re.escape(c) for c in text) + SGR


def row_starting(text):
    """A row of the C64 screen's serial mirror whose text starts with text."""
    return r"\x1b\[\d+;1H" + row_text(text)


def row_showing(text):
    """A row of the C64 screen's serial mirror that shows text and nothing
    more: every changed row is sent as ESC [ row ; 1 H, the row's text, ESC [ K."""
    return row_starting(text) + r"(?: |\x1b\[[0-9;]*m)*\x1b\[K"


class HostShare:
    """What the host gave a QEMU process's virtual processor over an interval:
    the host processor time it used, and the stretches in which it, or this
    test's own threads that take its serial output, were ready to run but
    waited for a processor (the scheduler's run-queue delay), sampled every
    SAMPLE seconds. The guest's pacer makes up for short waits; a stretch
    longer than its slack is time the guest cannot keep, and a late reader
    sees the guest's output late."""

    SAMPLE = 0.02
    # A sample in which a thread waited more than this share of it is a
    # starved one; the pacer lets go of a debt beyond 60 ms.
    STARVED_SHARE = 0.5
    SLACK = 0.06

    def __init__(self, pid):
        self.processor = self._processor_thread(pid)
        own = "/proc/%d/task" % os.getpid()
        self.watched = [self.processor] + [os.path.join(own, t, "schedstat") for t in os.listdir(own)]
        self.started = time.time()
        self.used0, self.waited0 = self._sample(self.processor)
        self.lost = 0.0
        self.run = 0.0
        self.stop = threading.Event()
        self.sampler = threading.Thread(target=self._watch, daemon=True)
        self.sampler.start()

    @staticmethod
    def _processor_thread(pid):
        task_dir = "/proc/%d/task" % pid
        for task in os.listdir(task_dir):
            with open(os.path.join(task_dir, task, "comm")) as f:
                if "CPU" in f.read():
                    return os.path.join(task_dir, task, "schedstat")
        return "/proc/%d/schedstat" % pid

    @staticmethod
    def _sample(path):
        try:
            with open(path) as f:
                fields = f.read().split()
        except OSError:
            return 0.0, 0.0  # the thread ended
        return int(fields[0]) / 1e9, int(fields[1]) / 1e9

    def _waits(self):
        return [self._sample(path)[1] for path in self.watched]

    def _watch(self):
        at, waits = time.time(), self._waits()
        while not self.stop.wait(self.SAMPLE):
            now, now_waits = time.time(), self._waits()
            longest = max(b - a for a, b in zip(waits, now_waits))
            if longest > self.STARVED_SHARE * (now - at):
                self.run += now - at
            else:
                self.lost += max(0.0, self.run - self.SLACK)
                self.run = 0.0
            at, waits = now, now_waits

    def read(self):
        """(wall seconds, processor seconds used, seconds waited, seconds the
        guest or its reader could not make up) so far."""
        self.stop.set()
        self.sampler.join()
        used, waited = self._sample(self.processor)
        lost = self.lost + max(0.0, self.run - self.SLACK)
        return time.time() - self.started, used - self.used0, waited - self.waited0, lost
