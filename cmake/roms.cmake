# The C64 ROM images, assembled from our own 6502 sources with ca65 and linked
# with ld65. BASIC and KERNAL are linked together (BASIC spills into $E000) and
# the link writes both images; the symbol file lets tests find routines.

find_program(CA65 ca65 REQUIRED)
find_program(LD65 ld65 REQUIRED)

set(ROM_OUTPUT_DIR ${CMAKE_BINARY_DIR}/roms)
set(ROM_SOURCE_DIR ${CMAKE_SOURCE_DIR}/emulator/roms)
file(MAKE_DIRECTORY ${ROM_OUTPUT_DIR}/obj)

file(GLOB ROM_INCLUDES CONFIGURE_DEPENDS ${ROM_SOURCE_DIR}/include/*.inc)

# Assemble one 6502 source into an object under build/roms/obj; the object's
# name is returned in out_var.
# A source also finds the includes beside it, and depends on them.
function(quillon_assemble src prefix out_var)
  get_filename_component(stem ${src} NAME_WE)
  get_filename_component(src_dir ${src} DIRECTORY)
  file(GLOB local_includes CONFIGURE_DEPENDS ${src_dir}/*.inc)
  set(obj ${ROM_OUTPUT_DIR}/obj/${prefix}_${stem}.o)
  add_custom_command(
    OUTPUT ${obj}
    COMMAND ${CA65} --cpu 6502 -I ${ROM_SOURCE_DIR}/include -I ${src_dir} -o ${obj} ${src}
    DEPENDS ${src} ${ROM_INCLUDES} ${local_includes}
    COMMENT "ca65 ${prefix}/${stem}.s"
    VERBATIM)
  set(${out_var} ${obj} PARENT_SCOPE)
endfunction()

set(SYSTEM_ROM_OBJECTS)
foreach(rom basic kernal)
  file(GLOB rom_sources CONFIGURE_DEPENDS ${ROM_SOURCE_DIR}/${rom}/*.s)
  foreach(src ${rom_sources})
    quillon_assemble(${src} ${rom} obj)
    list(APPEND SYSTEM_ROM_OBJECTS ${obj})
  endforeach()
endforeach()

set(ROM_BASIC_IMAGE ${ROM_OUTPUT_DIR}/basic.bin)
set(ROM_KERNAL_IMAGE ${ROM_OUTPUT_DIR}/kernal.bin)
set(ROM_CHARGEN_IMAGE ${ROM_OUTPUT_DIR}/chargen.bin)

add_custom_command(
  OUTPUT ${ROM_BASIC_IMAGE} ${ROM_KERNAL_IMAGE} ${ROM_OUTPUT_DIR}/c64.labels
  COMMAND ${LD65} -C ${ROM_SOURCE_DIR}/c64.cfg -m ${ROM_OUTPUT_DIR}/c64.map
          -Ln ${ROM_OUTPUT_DIR}/c64.labels -o ${ROM_OUTPUT_DIR}/c64.unused
          ${SYSTEM_ROM_OBJECTS}
  WORKING_DIRECTORY ${ROM_OUTPUT_DIR}
  DEPENDS ${SYSTEM_ROM_OBJECTS} ${ROM_SOURCE_DIR}/c64.cfg
  COMMENT "ld65 basic.bin kernal.bin"
  VERBATIM)

set(ROM_IMAGES ${ROM_BASIC_IMAGE} ${ROM_KERNAL_IMAGE})
if(EXISTS ${ROM_SOURCE_DIR}/chargen/chargen.cmake)
  include(${ROM_SOURCE_DIR}/chargen/chargen.cmake)
  list(APPEND ROM_IMAGES ${ROM_CHARGEN_IMAGE})
endif()
include(${ROM_SOURCE_DIR}/monitor/monitor.cmake)
include(${ROM_SOURCE_DIR}/startup/startup.cmake)
include(${ROM_SOURCE_DIR}/demos/demos.cmake)
list(APPEND ROM_IMAGES ${MONITOR_PRG} ${STARTUP_PRG})
add_custom_target(roms ALL DEPENDS ${ROM_IMAGES})

# The C64 locations the C++ side names, generated from the same includes and
# label file the ROMs are built from, so the host can never name another byte
# than the ROM uses: #include "emulator/roms/c64_locations.h".
set(GENERATED_INCLUDE_DIR ${CMAKE_BINARY_DIR}/generated)
set(C64_LOCATIONS_HEADER ${GENERATED_INCLUDE_DIR}/emulator/roms/c64_locations.h)
file(MAKE_DIRECTORY ${GENERATED_INCLUDE_DIR}/emulator/roms)
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_custom_command(
  OUTPUT ${C64_LOCATIONS_HEADER}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/c64_locations.py
          ${C64_LOCATIONS_HEADER} ${ROM_OUTPUT_DIR}/c64.labels ${ROM_INCLUDES}
  DEPENDS ${CMAKE_SOURCE_DIR}/tools/c64_locations.py ${ROM_OUTPUT_DIR}/c64.labels ${ROM_INCLUDES}
  COMMENT "c64_locations.h"
  VERBATIM)
add_custom_target(c64_locations DEPENDS ${C64_LOCATIONS_HEADER})

# The images are linked into both kernel images and the host library by
# rom_images.S with .incbin; it is reassembled whenever an image changes.
set(ROM_IMAGE_SOURCES)
if(EXISTS ${ROM_SOURCE_DIR}/rom_images.S)
  set(ROM_IMAGE_SOURCES ${ROM_SOURCE_DIR}/rom_images.S)
  set_source_files_properties(${ROM_IMAGE_SOURCES} PROPERTIES
    OBJECT_DEPENDS "${ROM_IMAGES}"
    INCLUDE_DIRECTORIES ${ROM_OUTPUT_DIR})
endif()
