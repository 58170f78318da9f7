# Host unit tests: one GoogleTest executable per tests/host/*_test.cpp.

find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB HOST_TEST_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/host/*_test.cpp)
foreach(src ${HOST_TEST_SOURCES})
  get_filename_component(name ${src} NAME_WE)
  add_executable(${name} ${src})
  target_link_libraries(${name} PRIVATE quillon_hosted GTest::gtest_main)
  # The kernel classes are built without RTTI, so tests deriving from them must be too.
  target_compile_options(${name} PRIVATE -fno-rtti)
  target_compile_definitions(${name} PRIVATE
    QUILLON_SOURCE_DIR="${CMAKE_SOURCE_DIR}" QUILLON_BUILD_DIR="${CMAKE_BINARY_DIR}")
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endforeach()
