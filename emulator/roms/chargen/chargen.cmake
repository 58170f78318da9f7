# The character ROM from its text-art sources: each set is assembled by ca65,
# whose row macro turns the art into bytes and writes the reverse-video half,
# and ld65 places the four halves. Included by cmake/roms.cmake.
set(CHARGEN_SOURCE_DIR ${ROM_SOURCE_DIR}/chargen)
file(GLOB CHARGEN_ART CONFIGURE_DEPENDS ${CHARGEN_SOURCE_DIR}/*.inc)
set(CHARGEN_OBJECTS)
foreach(set_name set1 set2)
  set(obj ${ROM_OUTPUT_DIR}/obj/chargen_${set_name}.o)
  add_custom_command(
    OUTPUT ${obj}
    COMMAND ${CA65} -I ${CHARGEN_SOURCE_DIR} -o ${obj} ${CHARGEN_SOURCE_DIR}/${set_name}.s
    DEPENDS ${CHARGEN_SOURCE_DIR}/${set_name}.s ${CHARGEN_ART}
    COMMENT "ca65 chargen/${set_name}.s"
    VERBATIM)
  list(APPEND CHARGEN_OBJECTS ${obj})
endforeach()
add_custom_command(
  OUTPUT ${ROM_CHARGEN_IMAGE}
  COMMAND ${LD65} -C ${CHARGEN_SOURCE_DIR}/chargen.cfg -o ${ROM_CHARGEN_IMAGE} ${CHARGEN_OBJECTS}
  DEPENDS ${CHARGEN_OBJECTS} ${CHARGEN_SOURCE_DIR}/chargen.cfg
  COMMENT "ld65 chargen.bin"
  VERBATIM)
