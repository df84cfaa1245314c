# Release builds of the programs we ship: small, static, stripped.
#
#   ship_program(<target> [OPTIMIZE_FOR_SIZE])
#
# compiles the program and every static library of ours it links with
# functions and data in sections of their own, without exception tables
# (nothing of ours throws or catches; x64 keeps its unwind data), and links it with unused sections
# dropped, without symbols, and with a map file beside it
# (<program>.map; tools/sizes/map_sizes.py tells where the bytes go).
# OPTIMIZE_FOR_SIZE trades speed for size where speed does not matter.
# Every build links release_runtime: the C++ library's exception reporting,
# operator new, guard of static objects and strings, made so that none of
# them throws. The library's own bring its exception machinery and its POSIX
# threads layer (over 130 KB of x86 velora.scr).

add_library(release_runtime OBJECT
  ${PROJECT_SOURCE_DIR}/framework/release_runtime.cpp
  ${PROJECT_SOURCE_DIR}/framework/release_strings.cpp
  ${PROJECT_SOURCE_DIR}/framework/release_allocation.cpp
  ${PROJECT_SOURCE_DIR}/framework/release_statics.cpp)

set(SHIPPED_RELEASE_CONFIGS "$<CONFIG:Release,MinSizeRel>")

# Nothing asks a type at run time (no typeid, no dynamic_cast): without the
# type information x86 velora.scr stays inside its size limit.
set(SHIPPED_COMPILE_OPTIONS -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti)
# x64 Windows walks every non-leaf function's unwind data whenever it
# dispatches an exception (a fault in a callback, a debugger's stack): the
# x64 programs keep theirs; x86 has none to drop but the DWARF tables.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  list(APPEND SHIPPED_COMPILE_OPTIONS -fno-asynchronous-unwind-tables)
endif()
# The release runtime is built as the programs are. Its strings are built
# for size: no program spends its time in them, and x64 keeps every member,
# called or not, as each one's unwind data names it.
target_compile_options(release_runtime PRIVATE
  "$<$<AND:${SHIPPED_RELEASE_CONFIGS},$<COMPILE_LANGUAGE:C,CXX>>:${SHIPPED_COMPILE_OPTIONS}>")
set_source_files_properties(${PROJECT_SOURCE_DIR}/framework/release_strings.cpp PROPERTIES
  COMPILE_OPTIONS "$<${SHIPPED_RELEASE_CONFIGS}:-Os>")

# The static and object libraries of this project that <target> links, directly or not.
function(_shipped_libraries target out)
  set(seen ${${out}})
  foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
    get_target_property(libraries ${target} ${property})
    if(NOT libraries)
      continue()
    endif()
    foreach(library ${libraries})
      if(NOT TARGET ${library} OR library IN_LIST seen)
        continue()
      endif()
      get_target_property(type ${library} TYPE)
      get_target_property(imported ${library} IMPORTED)
      if(imported OR NOT type MATCHES "^(STATIC|OBJECT)_LIBRARY$")
        continue()
      endif()
      list(APPEND seen ${library})
      _shipped_libraries(${library} seen)
    endforeach()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(ship_program target)
  cmake_parse_arguments(ship "OPTIMIZE_FOR_SIZE" "" "" ${ARGN})
  set(options ${SHIPPED_COMPILE_OPTIONS})
  if(ship_OPTIMIZE_FOR_SIZE)
    list(APPEND options -Os)
  endif()
  set(libraries "")
  _shipped_libraries(${target} libraries)
  foreach(compiled ${target} ${libraries})
    target_compile_options(${compiled} PRIVATE
      "$<$<AND:${SHIPPED_RELEASE_CONFIGS},$<COMPILE_LANGUAGE:C,CXX>>:${options}>")
  endforeach()
  target_link_libraries(${target} PRIVATE release_runtime)
  target_link_options(${target} PRIVATE
    "$<${SHIPPED_RELEASE_CONFIGS}:LINKER:--gc-sections;-s>"
    "LINKER:-Map=$<TARGET_FILE:${target}>.map")
endfunction()
