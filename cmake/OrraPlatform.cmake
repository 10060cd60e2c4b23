# Platform selection for the portable core and its adapters.
#   orra_adapter_sources(<out-var> <stem>...) appends <stem>_win32.cpp or <stem>_posix.cpp.
if(WIN32)
  set(ORRA_PLATFORM win32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
else()
  set(ORRA_PLATFORM posix)
endif()

if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
endif()

function(orra_adapter_sources out_var)
  set(result ${${out_var}})
  foreach(stem IN LISTS ARGN)
    list(APPEND result ${stem}_${ORRA_PLATFORM}.cpp)
  endforeach()
  set(${out_var} ${result} PARENT_SCOPE)
endfunction()

# zlib: Debian's zlib1g-dev natively, libz-mingw-w64-dev for Windows (static archive).
if(WIN32)
  find_library(ORRA_ZLIB NAMES libz.a z REQUIRED)
  add_library(orra_zlib INTERFACE)
  target_link_libraries(orra_zlib INTERFACE ${ORRA_ZLIB})
else()
  find_package(ZLIB REQUIRED)
  add_library(orra_zlib INTERFACE)
  target_link_libraries(orra_zlib INTERFACE ZLIB::ZLIB)
endif()

find_package(Threads REQUIRED)

# nlohmann/json (header-only, Debian's nlohmann-json3-dev) for the tools, in both builds. The
# cross build may not search /usr/include, so it sees the one folder through a link.
set(ORRA_JSON_INCLUDE ${CMAKE_BINARY_DIR}/third_party/include)
if(NOT EXISTS ${ORRA_JSON_INCLUDE}/nlohmann/json.hpp AND EXISTS /usr/include/nlohmann/json.hpp)
  file(MAKE_DIRECTORY ${ORRA_JSON_INCLUDE})
  file(CREATE_LINK /usr/include/nlohmann ${ORRA_JSON_INCLUDE}/nlohmann SYMBOLIC)
endif()
add_library(orra_json INTERFACE)
target_include_directories(orra_json SYSTEM INTERFACE ${ORRA_JSON_INCLUDE})

# Adds every subfolder of the current folder that has a CMakeLists.txt.
function(orra_add_subfolders)
  file(GLOB children RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
