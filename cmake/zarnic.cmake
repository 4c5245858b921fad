# The helpers every CMakeLists.txt of the tree builds its targets with.
#
# Every target includes from the repository root (#include "audio/bass.h"):
# the helpers add that folder, PUBLIC for a library and PRIVATE for a program,
# so no CMakeLists.txt names an include folder of its own.
#
#   zarnic_library(<name> [PROBE_POINTS] [SOURCES ...] [PUBLIC ...] [PRIVATE ...]
#                  [DEFINITIONS ...] [PRIVATE_DEFINITIONS ...] [INCLUDES ...])
#     A static library; PUBLIC and PRIVATE list what it links, DEFINITIONS
#     are compile definitions its users see too, PRIVATE_DEFINITIONS and
#     INCLUDES (include folders) only its own sources. With no SOURCES it is
#     an interface library that only passes on what it links. PROBE_POINTS:
#     its sources call probe::at (probe/probe_points.h).
#   zarnic_executable(<name> [WIN32] [PROBED] SOURCES ... [LIBRARIES ...] [GL OFFSCREEN|WINDOW]
#                     [DEFINITIONS ...] [LINK_OPTIONS ...])
#     A program; GL picks its GL provider (see zarnic_use_offscreen_gl and
#     zarnic_use_window_gl), WIN32 makes it a GUI program on Windows. PROBED:
#     a program with a probe of its own (it defines probe::at), linked with
#     the probe copies of its libraries.
#   zarnic_test(<name> [PROBED] SOURCES ... [LIBRARIES ...] [GL OFFSCREEN|WINDOW] [DEFINITIONS ...]
#               [LINK_OPTIONS ...] [TEST_PREFIX <prefix>] [EMULATOR ...] [PROPERTIES ...])
#     A GoogleTest program linked with gtest_main whose cases CTest lists
#     when the tests run; PROPERTIES are set on every case (one value each),
#     EMULATOR runs the program, for listing and for each case (wine, or env
#     with the variables a test needs).

get_filename_component(ZARNIC_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

# The libraries reference GL and GLU but do not pick a GL provider: the
# executable does. The demo draws through the window system's libGL; tests,
# tools and benchmarks draw offscreen through Mesa's OSMesa, which must come
# first on the link line so that every gl* call resolves to it.
# On Windows the only GL provider is the system's opengl32 (wine's on this
# machine), for the demo and the tests alike.
if(WIN32)
  function(zarnic_use_window_gl target)
    target_link_libraries(${target} PRIVATE zarnic_windows_system)
  endfunction()
  function(zarnic_use_offscreen_gl target)
    target_link_libraries(${target} PRIVATE zarnic_windows_system)
  endfunction()
elseif(EMSCRIPTEN)
  # The browser build's only GL is WebGL through emscripten's legacy-GL
  # emulation, with the gaps it leaves filled in platform/web; a program
  # takes it with the browser build's link options.
  function(zarnic_use_window_gl target)
    target_link_options(${target} PRIVATE ${ZARNIC_WEB_LINK_OPTIONS})
  endfunction()
else()
  function(zarnic_use_window_gl target)
    target_link_libraries(${target} PRIVATE OpenGL::GL OpenGL::GLU)
  endfunction()
  function(zarnic_use_offscreen_gl target)
    target_link_libraries(${target} PRIVATE PkgConfig::OSMESA OpenGL::GLU)
  endfunction()
endif()

# A library whose sources hold probe points, or that links one, gets a probe
# copy when tests or benchmarks are built: <name>_probed, the same sources
# compiled with ZARNIC_PROBES, linking the probe copies of its libraries. The
# copies are built only for the programs that link them.
function(zarnic_probe_copies out)
  set(names "")
  foreach(library IN LISTS ARGN)
    if(TARGET ${library}_probed)
      list(APPEND names ${library}_probed)
    else()
      list(APPEND names ${library})
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(zarnic_static_library name exclude)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "" "SOURCES;PUBLIC;PRIVATE;DEFINITIONS;PRIVATE_DEFINITIONS;INCLUDES")
  add_library(${name} STATIC ${exclude} ${arg_SOURCES})
  target_include_directories(${name} PUBLIC ${ZARNIC_ROOT} PRIVATE ${arg_INCLUDES})
  target_link_libraries(${name} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE})
  target_compile_definitions(${name} PUBLIC ${arg_DEFINITIONS} PRIVATE ${arg_PRIVATE_DEFINITIONS})
endfunction()

function(zarnic_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PROBE_POINTS" ""
                        "SOURCES;PUBLIC;PRIVATE;DEFINITIONS;PRIVATE_DEFINITIONS;INCLUDES")
  if(NOT arg_SOURCES)
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${ZARNIC_ROOT})
    target_link_libraries(${name} INTERFACE ${arg_PUBLIC})
    target_compile_definitions(${name} INTERFACE ${arg_DEFINITIONS})
    return()
  endif()
  set(own SOURCES ${arg_SOURCES} DEFINITIONS ${arg_DEFINITIONS} INCLUDES ${arg_INCLUDES})
  zarnic_static_library(${name} "" ${own} PUBLIC ${arg_PUBLIC} PRIVATE ${arg_PRIVATE}
                        PRIVATE_DEFINITIONS ${arg_PRIVATE_DEFINITIONS})
  if(ZARNIC_TESTS OR ZARNIC_BENCH)
    zarnic_probe_copies(probed_public ${arg_PUBLIC})
    zarnic_probe_copies(probed_private ${arg_PRIVATE})
    if(arg_PROBE_POINTS OR NOT "${probed_public};${probed_private}" STREQUAL "${arg_PUBLIC};${arg_PRIVATE}")
      zarnic_static_library(${name}_probed EXCLUDE_FROM_ALL ${own} PUBLIC ${probed_public} PRIVATE ${probed_private}
                            PRIVATE_DEFINITIONS ${arg_PRIVATE_DEFINITIONS} ZARNIC_PROBES)
    endif()
  endif()
endfunction()

# GL names the provider: OFFSCREEN or WINDOW.
function(zarnic_pick_gl target gl)
  if(gl STREQUAL "OFFSCREEN")
    zarnic_use_offscreen_gl(${target})
  elseif(gl STREQUAL "WINDOW")
    zarnic_use_window_gl(${target})
  elseif(gl)
    message(FATAL_ERROR "${target}: GL is OFFSCREEN or WINDOW, not '${gl}'")
  endif()
endfunction()

function(zarnic_executable name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "WIN32;PROBED" "GL" "SOURCES;LIBRARIES;DEFINITIONS;LINK_OPTIONS")
  if(arg_PROBED)
    zarnic_probe_copies(arg_LIBRARIES ${arg_LIBRARIES})
    list(APPEND arg_DEFINITIONS ZARNIC_PROBES)
  endif()
  if(arg_WIN32)
    add_executable(${name} WIN32 ${arg_SOURCES})
  else()
    add_executable(${name} ${arg_SOURCES})
  endif()
  target_include_directories(${name} PRIVATE ${ZARNIC_ROOT})
  target_link_libraries(${name} PRIVATE ${arg_LIBRARIES})
  target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  target_link_options(${name} PRIVATE ${arg_LINK_OPTIONS})
  zarnic_pick_gl(${name} "${arg_GL}")
endfunction()

# gtest_discover_tests passes each property of the listed cases one word at a
# time: a list value ("A;B") would keep only its first item and turn the rest
# into property names, silently. Such a value is refused here; a test that
# needs several environment variables runs under EMULATOR env ... instead.
function(zarnic_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "PROBED" "GL;TEST_PREFIX"
                        "SOURCES;LIBRARIES;DEFINITIONS;LINK_OPTIONS;EMULATOR;PROPERTIES")
  set(probed "")
  if(arg_PROBED)
    set(probed PROBED)
  endif()
  foreach(word IN LISTS arg_PROPERTIES)
    if(word MATCHES ";")
      message(FATAL_ERROR "${name}: the test property value '${word}' is a list, which the listed cases cannot take")
    endif()
  endforeach()
  zarnic_executable(${name} ${probed} SOURCES ${arg_SOURCES} LIBRARIES ${arg_LIBRARIES} GTest::gtest_main GL "${arg_GL}"
                    DEFINITIONS ${arg_DEFINITIONS} LINK_OPTIONS ${arg_LINK_OPTIONS})
  set(discover DISCOVERY_MODE PRE_TEST)
  if(arg_EMULATOR)
    set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "${arg_EMULATOR}")
  endif()
  if(CMAKE_CROSSCOMPILING)
    # Listing the cases starts wine, which takes longer than the default 5 s.
    list(APPEND discover DISCOVERY_TIMEOUT 60)
  endif()
  if(arg_TEST_PREFIX)
    list(APPEND discover TEST_PREFIX ${arg_TEST_PREFIX})
  endif()
  if(arg_PROPERTIES)
    list(APPEND discover PROPERTIES ${arg_PROPERTIES})
  endif()
  gtest_discover_tests(${name} ${discover})
endfunction()

# tests/, tools/ and bench/ hold one folder per area; each folder with its own
# CMakeLists.txt is added, so a new area needs no edit there. Folders named
# after EXCEPT are added elsewhere or not at all.
function(zarnic_add_area_folders)
  cmake_parse_arguments(PARSE_ARGV 0 area "" "" "EXCEPT")
  file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
  list(SORT children)
  foreach(child IN LISTS children)
    if(child IN_LIST area_EXCEPT)
      continue()
    endif()
    if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()
