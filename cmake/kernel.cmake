# The two bootable multiboot images, compiled from the same sources as the host
# library with the freestanding 32-bit flags.

# -fcheck-new: the kernel's new yields null when the heap is exhausted, so
# callers' null checks must not be optimised away.
set(KERNEL_COMPILE_FLAGS
  -m32 -march=i686 -mno-sse -mno-sse2 -mno-mmx -mno-3dnow
  -ffreestanding -fno-exceptions -fno-rtti -nostdlib -fno-builtin -fcheck-new
  -fno-pic -fno-pie -fno-stack-protector -fno-threadsafe-statics -fno-use-cxa-atexit
  -fno-asynchronous-unwind-tables -fno-tree-loop-distribute-patterns -fno-omit-frame-pointer
  -O2 -Wall -Wextra)

add_library(quillon_kernel_common OBJECT ${PORTABLE_SOURCES} ${KERNEL_ONLY_SOURCES} ${ROM_IMAGE_SOURCES})
target_include_directories(quillon_kernel_common PRIVATE ${CMAKE_SOURCE_DIR} ${GENERATED_INCLUDE_DIR})
add_dependencies(quillon_kernel_common c64_locations)
target_compile_options(quillon_kernel_common PRIVATE ${KERNEL_COMPILE_FLAGS})
if(ROM_IMAGE_SOURCES)
  add_dependencies(quillon_kernel_common roms)
endif()

set(KERNEL_LINKER_SCRIPT ${CMAKE_SOURCE_DIR}/boot/linker.ld)

# name: image file name; image_sources: the sources only this image has.
function(quillon_kernel_image target name definition image_sources)
  add_executable(${target} $<TARGET_OBJECTS:quillon_kernel_common> ${image_sources})
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${name}
    SUFFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
    LINK_DEPENDS ${KERNEL_LINKER_SCRIPT})
  target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR} ${GENERATED_INCLUDE_DIR})
  add_dependencies(${target} c64_locations)
  target_compile_options(${target} PRIVATE ${KERNEL_COMPILE_FLAGS})
  target_compile_definitions(${target} PRIVATE ${definition})
  target_link_options(${target} PRIVATE
    -m32 -nostdlib -static -no-pie -Wl,-T,${KERNEL_LINKER_SCRIPT}
    -Wl,--build-id=none -Wl,-z,noexecstack -Wl,--no-warn-rwx-segments)
  target_link_libraries(${target} PRIVATE gcc)
endfunction()

quillon_kernel_image(quillon_kernel quillon.elf QUILLON_IMAGE_KERNEL
  "${OUTER_LOOP_SOURCES}")
quillon_kernel_image(quillon_selftest quillon-selftest.elf QUILLON_IMAGE_SELFTEST
  "${OUTER_LOOP_SOURCES}")
# A test build for the boot tests: the kernel with an outer loop that reports
# what the interrupt paths deliver.
quillon_kernel_image(quillon_probe quillon-probe.elf QUILLON_IMAGE_PROBE
  "${PROBE_IMAGE_SOURCES}")

# Bootable CD images: GRUB straight into the kernel, no menu.
find_program(GRUB_MKRESCUE grub-mkrescue REQUIRED)
set(iso_target_quillon quillon_kernel)
set(iso_target_quillon-selftest quillon_selftest)
set(iso_target_quillon-probe quillon_probe)
foreach(image quillon quillon-selftest quillon-probe)
  set(target ${iso_target_${image}})
  set(iso_root ${CMAKE_BINARY_DIR}/iso/${image})
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/${image}.iso
    COMMAND ${CMAKE_COMMAND} -E make_directory ${iso_root}/boot/grub
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${iso_root}/boot/kernel.elf
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/boot/grub.cfg ${iso_root}/boot/grub/grub.cfg
    COMMAND ${GRUB_MKRESCUE} -o ${CMAKE_BINARY_DIR}/${image}.iso ${iso_root} 2> ${CMAKE_BINARY_DIR}/iso/${image}.log
    DEPENDS ${target} ${CMAKE_SOURCE_DIR}/boot/grub.cfg
    COMMENT "grub-mkrescue ${image}.iso"
    VERBATIM)
  add_custom_target(${image}_iso ALL DEPENDS ${CMAKE_BINARY_DIR}/${image}.iso)
endforeach()

# The default disk: 64 MiB, MBR, one FAT32 partition at sector 2048, with
# the demo programs.
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/disk.img
  COMMAND ${CMAKE_SOURCE_DIR}/tools/make_disk.sh ${CMAKE_BINARY_DIR}/disk.img ${DEMO_PRGS}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/make_disk.sh ${DEMO_PRGS}
  COMMENT "disk.img"
  VERBATIM)
add_custom_target(disk_image ALL DEPENDS ${CMAKE_BINARY_DIR}/disk.img)

# What booting needs and nothing more (make run): both images and the disk.
add_custom_target(boot_images DEPENDS quillon_iso quillon-selftest_iso disk_image)
