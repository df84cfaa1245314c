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
# Every build links release_runtime, which leaves the C++ library's
# exception reporting out.

add_library(release_runtime OBJECT ${PROJECT_SOURCE_DIR}/framework/release_runtime.cpp)

set(SHIPPED_RELEASE_CONFIGS "$<CONFIG:Release,MinSizeRel>")

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
  # Nothing asks a type at run time (no typeid, no dynamic_cast): without the
  # type information x86 velora.scr stays inside its size limit.
  set(options -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti)
  # x64 Windows walks every non-leaf function's unwind data whenever it
  # dispatches an exception (a fault in a callback, a debugger's stack): the
  # x64 programs keep theirs; x86 has none to drop but the DWARF tables.
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    list(APPEND options -fno-asynchronous-unwind-tables)
  endif()
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
