# The start-up program, tokenised by bas2prg into build/roms/startup.prg,
# the image that POKE 313,255 copies to $0801. Included by cmake/roms.cmake.
set(STARTUP_PRG ${ROM_OUTPUT_DIR}/startup.prg)
add_custom_command(
  OUTPUT ${STARTUP_PRG}
  COMMAND $<TARGET_FILE:bas2prg> ${ROM_SOURCE_DIR}/startup/startup.bas ${STARTUP_PRG}
  DEPENDS bas2prg ${ROM_SOURCE_DIR}/startup/startup.bas
  COMMENT "bas2prg startup.prg"
  VERBATIM)
