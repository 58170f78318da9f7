# The demo programs for the default disk, tokenised by bas2prg into
# build/demos/NAME.prg. Included by cmake/roms.cmake; DEMO_PRGS lists them.
set(DEMO_OUTPUT_DIR ${CMAKE_BINARY_DIR}/demos)
file(MAKE_DIRECTORY ${DEMO_OUTPUT_DIR})
file(GLOB demo_sources CONFIGURE_DEPENDS ${ROM_SOURCE_DIR}/demos/*.bas)
set(DEMO_PRGS)
foreach(src ${demo_sources})
  get_filename_component(stem ${src} NAME_WE)
  set(prg ${DEMO_OUTPUT_DIR}/${stem}.prg)
  add_custom_command(
    OUTPUT ${prg}
    COMMAND $<TARGET_FILE:bas2prg> ${src} ${prg}
    DEPENDS bas2prg ${src}
    COMMENT "bas2prg demos/${stem}.prg"
    VERBATIM)
  list(APPEND DEMO_PRGS ${prg})
endforeach()
add_custom_target(demos ALL DEPENDS ${DEMO_PRGS})
