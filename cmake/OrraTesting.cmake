# Unit tests: one GoogleTest executable per subsystem, built from the *_test.cpp files beside
# the code. Natively ctest runs them (one ctest case per test); the Windows build produces the
# same executables, which scripts/run-wine-tests runs under Wine.
enable_testing()
include(GoogleTest)

if(WIN32)
  # GoogleTest from Debian's source package, compiled with the cross compiler.
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(ORRA_GTEST_MAIN GTest::gmock_main)
  set(ORRA_GMOCK gmock)
  if(NOT TARGET GTest::gmock_main)
    add_library(GTest::gmock_main ALIAS gmock_main)
  endif()
else()
  find_package(GTest REQUIRED)
  set(ORRA_GTEST_MAIN GTest::gmock_main)
  set(ORRA_GMOCK GTest::gmock)
  if(NOT TARGET GTest::gmock_main)
    set(ORRA_GTEST_MAIN GTest::gtest_main gmock)
    set(ORRA_GMOCK gmock)
  endif()
endif()

# The one precompiled header of gmock and GoogleTest, made by a target of its own with the test
# executables' flags and usage requirements (each of them compiling its own took seconds per
# executable, in every build). Not when a compiler cache is in front: ccache runs every file
# that uses a precompiled header uncached, which costs a rebuild more than parsing.
if(NOT ORRA_NO_TESTS AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(source ${CMAKE_BINARY_DIR}/test_headers.cpp)
  # Written only when its content changes, so that a new configuration rebuilds nothing.
  file(CONFIGURE OUTPUT ${source} CONTENT "// Only for the test executables' precompiled header.\n")
  add_library(test_headers OBJECT ${source})
  target_link_libraries(test_headers PRIVATE ${ORRA_GTEST_MAIN} Threads::Threads)
  target_precompile_headers(test_headers PRIVATE <gmock/gmock.h> <gtest/gtest.h>)
  # Compiled as the executables are (-fPIE), not as a library (-fPIC): the header is used only
  # where it was made with the same settings.
  set_target_properties(test_headers PROPERTIES POSITION_INDEPENDENT_CODE OFF)
  if(CMAKE_POSITION_INDEPENDENT_CODE)
    target_compile_options(test_headers PRIVATE ${CMAKE_CXX_COMPILE_OPTIONS_PIE})
  endif()
endif()

# TIMEOUT: seconds each ctest case may take (120 unless given). ONE_THREAD: the code under test
# runs on one thread only, so the thread sanitizer's build (ORRA_THREAD_SANITIZER) leaves these
# tests out; the address sanitizer's build still runs them.
function(orra_add_tests name)
  cmake_parse_arguments(T "ONE_THREAD" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  if(ORRA_NO_TESTS OR (T_ONE_THREAD AND ORRA_THREAD_SANITIZER))
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${ORRA_GTEST_MAIN} Threads::Threads)
  # gmock's and GoogleTest's headers cost each test file seconds to parse.
  if(TARGET test_headers)
    target_precompile_headers(${name} REUSE_FROM test_headers)
  endif()
  if(NOT WIN32)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT ${T_TIMEOUT})
  endif()
  set_property(GLOBAL APPEND PROPERTY ORRA_TEST_TARGETS ${name})
endfunction()

# Writes build/<preset>/test-executables.txt, one path a line, for the Wine test runner.
function(orra_write_test_list)
  get_property(targets GLOBAL PROPERTY ORRA_TEST_TARGETS)
  set(paths "")
  foreach(target IN LISTS targets)
    string(APPEND paths "$<TARGET_FILE:${target}>\n")
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/test-executables.txt CONTENT "${paths}")
endfunction()
