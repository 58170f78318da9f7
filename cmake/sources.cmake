# Which sources go where. Portable code is globbed; the few files that issue
# privileged instructions or exist only in one image are named here.

set(PORTABLE_DIRS lib core drivers filesystem emulator face boot)
set(PORTABLE_SOURCES)
foreach(dir ${PORTABLE_DIRS})
  file(GLOB dir_sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  list(APPEND PORTABLE_SOURCES ${dir_sources})
endforeach()

# Kernel-only: inline assembly, port and memory-mapped register accesses, the heap operators and the
# bring-up itself. Their hosted stand-ins live in hosted/.
set(KERNEL_ONLY_SOURCES
  ${CMAKE_SOURCE_DIR}/boot/loader.S
  ${CMAKE_SOURCE_DIR}/boot/kernel.cpp
  ${CMAKE_SOURCE_DIR}/core/port.cpp
  ${CMAKE_SOURCE_DIR}/core/mmio.cpp
  ${CMAKE_SOURCE_DIR}/core/x86.cpp
  ${CMAKE_SOURCE_DIR}/lib/new.cpp
  ${CMAKE_SOURCE_DIR}/lib/compiler_support.cpp
)
file(GLOB kernel_asm CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/core/*.S)
list(APPEND KERNEL_ONLY_SOURCES ${kernel_asm})

# The outer loop each bootable image runs after bring-up; the probe image, a
# test build, has its own.
set(OUTER_LOOP_SOURCES ${CMAKE_SOURCE_DIR}/boot/outer_loop.cpp)
set(PROBE_IMAGE_SOURCES ${CMAKE_SOURCE_DIR}/tests/kernel/probe_loop.cpp)

list(REMOVE_ITEM PORTABLE_SOURCES ${KERNEL_ONLY_SOURCES} ${OUTER_LOOP_SOURCES})
