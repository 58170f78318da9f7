# The portable code compiled for the host, with the hosted port backend and
# simulated devices in place of the kernel's port instructions.

file(GLOB HOSTED_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/hosted/*.cpp)

set(HOST_SANITIZE_FLAGS)
if(QUILLON_SANITIZE)
  # vptr checking needs RTTI, which the kernel classes are built without.
  set(HOST_SANITIZE_FLAGS -fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer
      -fno-sanitize-recover=undefined)
endif()

add_library(quillon_hosted STATIC ${PORTABLE_SOURCES} ${HOSTED_SOURCES}
  ${ROM_IMAGE_SOURCES})
target_include_directories(quillon_hosted PUBLIC ${CMAKE_SOURCE_DIR} ${GENERATED_INCLUDE_DIR})
add_dependencies(quillon_hosted c64_locations)
target_compile_definitions(quillon_hosted PUBLIC QUILLON_HOSTED=1)
target_compile_options(quillon_hosted PRIVATE
  $<$<COMPILE_LANGUAGE:CXX>:-include ${CMAKE_SOURCE_DIR}/hosted/runtime_import.h>
  $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -fno-exceptions -fno-rtti>
  ${HOST_SANITIZE_FLAGS})
target_compile_options(quillon_hosted PUBLIC -g ${HOST_SANITIZE_FLAGS})
target_link_options(quillon_hosted PUBLIC ${HOST_SANITIZE_FLAGS})
if(ROM_IMAGE_SOURCES)
  add_dependencies(quillon_hosted roms)
endif()
