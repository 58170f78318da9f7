// Collects everything the console prints, for tests of the kernel's text output.
#pragma once
#include <stdint.h>

namespace korvan::hosted {

class ConsoleCapture {
 public:
  // Starts capturing (on a console of the full 100 x 37 grid with no
  // framebuffer, if none was initialised) and forgets earlier output.
  ConsoleCapture();
  ~ConsoleCapture();
  // Everything printed since construction or the last reset, zero-terminated.
  const char* text() const;
  void reset();
};

}  // namespace korvan::hosted
