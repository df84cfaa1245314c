# Delayed imports: a program linked with these objects loads the DLLs when it
# first calls into them rather than when it starts. They are made at build
# time from MinGW's own import libraries, for the functions that the given
# libraries of the program call; MinGW's delay-load helper does the loading,
# through the hooks of framework/delayed_libraries.cpp (system directory only,
# a clean end when a library or function is missing), which the program must
# link by calling fw::SetDelayedLibraryFailure.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(DELAY_OBJECT_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../tools/delayimp/delay_object.py)

# delay_imports(<variable> CALLERS <library target>... DLLS <DLL> <import library name>...)
# sets <variable> to the objects, one per DLL, to link instead of the import libraries.
function(delay_imports variable)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "CALLERS;DLLS")
  set(callers "")
  foreach(caller ${arg_CALLERS})
    list(APPEND callers $<TARGET_FILE:${caller}>)
  endforeach()
  set(objects "")
  set(args ${arg_DLLS})
  while(args)
    list(POP_FRONT args dll importName)
    find_library(import_${importName} NAMES ${importName} REQUIRED)
    set(object ${CMAKE_CURRENT_BINARY_DIR}/delayimp/${dll}.o)
    add_custom_command(
      OUTPUT ${object}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/delayimp
      COMMAND ${Python3_EXECUTABLE} ${DELAY_OBJECT_SCRIPT} ${CMAKE_NM} ${CMAKE_DLLTOOL} ${CMAKE_AR}
              ${CMAKE_LINKER} ${import_${importName}} ${dll} ${object} ${callers}
      DEPENDS ${DELAY_OBJECT_SCRIPT} ${import_${importName}} ${arg_CALLERS}
      COMMENT "Delayed imports of ${dll}"
      VERBATIM)
    list(APPEND objects ${object})
  endwhile()
  set(${variable} ${objects} PARENT_SCOPE)
endfunction()
