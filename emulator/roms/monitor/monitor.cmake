# The machine-language monitor, assembled and linked into build/roms/
# monitor.prg, the image that POKE 313,255 copies to $9000. Included by
# cmake/roms.cmake.
set(MONITOR_SOURCE_DIR ${ROM_SOURCE_DIR}/monitor)
set(MONITOR_PRG ${ROM_OUTPUT_DIR}/monitor.prg)
file(GLOB monitor_sources CONFIGURE_DEPENDS ${MONITOR_SOURCE_DIR}/*.s)
set(MONITOR_OBJECTS)
foreach(src ${monitor_sources})
  quillon_assemble(${src} monitor obj)
  list(APPEND MONITOR_OBJECTS ${obj})
endforeach()
add_custom_command(
  OUTPUT ${MONITOR_PRG} ${ROM_OUTPUT_DIR}/monitor.labels
  COMMAND ${LD65} -C ${MONITOR_SOURCE_DIR}/monitor.cfg -m ${ROM_OUTPUT_DIR}/monitor.map
          -Ln ${ROM_OUTPUT_DIR}/monitor.labels -o ${MONITOR_PRG} ${MONITOR_OBJECTS}
  DEPENDS ${MONITOR_OBJECTS} ${MONITOR_SOURCE_DIR}/monitor.cfg
  COMMENT "ld65 monitor.prg"
  VERBATIM)
