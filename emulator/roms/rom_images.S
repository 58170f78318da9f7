// The C64 ROM images and built-in programs as read-only data. The images are
// found on the include path (the build's roms directory); one that the build
// does not produce yet is linked as an empty image, so the sizes stay honest.

#define ROM_IMAGE(name, file)            \
  .global name, name##_size;             \
  .balign 16;                            \
name:                                    \
  .incbin file;                          \
name##_end:                              \
  .balign 4;                             \
name##_size:                             \
  .long name##_end - name

#define EMPTY_IMAGE(name)                \
  .global name, name##_size;             \
  .balign 4;                             \
name:                                    \
name##_size:                             \
  .long 0

  .section .rodata

#if __has_include("basic.bin")
ROM_IMAGE(basicRomC64, "basic.bin")
#else
EMPTY_IMAGE(basicRomC64)
#endif

#if __has_include("chargen.bin")
ROM_IMAGE(charRomC64, "chargen.bin")
#else
EMPTY_IMAGE(charRomC64)
#endif

#if __has_include("kernal.bin")
ROM_IMAGE(kernalRomC64, "kernal.bin")
#else
EMPTY_IMAGE(kernalRomC64)
#endif

#if __has_include("monitor.prg")
ROM_IMAGE(monitorPrgC64, "monitor.prg")
#else
EMPTY_IMAGE(monitorPrgC64)
#endif

#if __has_include("startup.prg")
ROM_IMAGE(startupPrgC64, "startup.prg")
#else
EMPTY_IMAGE(startupPrgC64)
#endif

  .section .note.GNU-stack,"",@progbits
