// The four coloured squares along the top edge that show how far boot got,
// drawn straight into the framebuffer so they appear even if the console fails.
#pragma once
#include <stdint.h>

namespace korvan {

enum class ProgressMark : uint8_t {
  DescriptorTable = 1,  // green: after the text stamp, before the heap
  Heap = 2,             // cyan: the heap exists
  Display = 3,          // yellow: the machine's display is initialised
  MachineReady = 4,     // white: drivers handed over, the machine starts
};

// Draws a 32 x 32 square at x = 40 * (mark - 1), or nothing when the
// framebuffer is unusable.
void draw_progress_mark(ProgressMark mark);

// Fills a square of the framebuffer with an RGB565 colour at any depth,
// clipped to the framebuffer (also used by the fatal-exception squares).
void fill_framebuffer_square(uint32_t left, uint32_t top, uint32_t side, uint16_t rgb565);

// The square in the top left corner that an unhandled exception leaves.
void paint_fatal_square(uint32_t side, uint16_t rgb565);

}  // namespace korvan
