# GoogleTest from Debian's sources, built with whichever compiler this configuration uses.
enable_testing()
set(VELMORA_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${VELMORA_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(VELMORA_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# velmora_add_test(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [LABELS l1 l2] [TIMEOUT s])
# One executable per group of related tests; under the Windows build CMake runs it through
# the wine emulator of the toolchain file.
function(velmora_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${VELMORA_TEST_DIR})
  if(VELMORA_WINDOWS)
    set_target_properties(${name} PROPERTIES WIN32_EXECUTABLE OFF)
  endif()
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${VELMORA_TEST_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(VELMORA_WINDOWS)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
                         "WINEPREFIX=${CMAKE_BINARY_DIR}/wineprefix;WINEDEBUG=-all")
  endif()
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()
