"""Shared set-up for the QEMU boot tests."""
import os
import re
import sys

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
