// What a freestanding C++ program must still supply to the compiler: the
// memory routines it may call on its own, and the pure-virtual trap.
#include <stddef.h>
#include <stdint.h>

extern "C" {

void* memmove(void* dst, const void* src, size_t count) {
  uint8_t* d = static_cast<uint8_t*>(dst);
  const uint8_t* s = static_cast<const uint8_t*>(src);
  if (d < s) {
    for (size_t i = 0; i < count; i++) d[i] = s[i];
  } else {
    for (size_t i = count; i > 0; i--) d[i - 1] = s[i - 1];
  }
  return dst;
}

int memcmp(const void* a, const void* b, size_t count) {
  const uint8_t* x = static_cast<const uint8_t*>(a);
  const uint8_t* y = static_cast<const uint8_t*>(b);
  for (size_t i = 0; i < count; i++)
    if (x[i] != y[i]) return x[i] < y[i] ? -1 : 1;
  return 0;
}

// A call through an unfinished vtable: nothing sensible can follow.
void __cxa_pure_virtual() {
  for (;;) asm volatile("cli; hlt");
}

}
