# Two build tricks lean on details of the MinGW toolchain that no interface
# promises:
#   - framework/release_runtime.cpp replaces libstdc++'s std::__throw_*
#     helpers (and its verbose terminate handler), so that the shipped programs
#     leave the library's exception reporting out;
#   - tools/delayimp/delay_object.py reads the members of dlltool-made import
#     libraries and joins the members of a dlltool delay-import library.
# Both were made for the versions below. Configure checks that today's
# toolchain still fits each trick, by a small link, and stops with a message
# saying what changed when it does not. A version other than these alone is
# only a warning: the link checks decide.
#
# GCC by its major version: Debian's 12.2.0 packages say "12" of themselves.
set(VELORA_TOOLCHAIN_GCC 12)          # {i686,x86_64}-w64-mingw32-g++-posix, their libstdc++
set(VELORA_TOOLCHAIN_BINUTILS 2.40)   # dlltool, nm, ar, ld
set(VELORA_TOOLCHAIN_MINGW_W64 10.0)  # the import libraries and the delay-load helper

set(_checks_dir ${PROJECT_BINARY_DIR}/toolchain_checks)
include(${CMAKE_CURRENT_LIST_DIR}/DelayImports.cmake)  # the script and Python

function(_check_toolchain_versions)
  string(REGEX MATCH "^[0-9]+" found_GCC "${CMAKE_CXX_COMPILER_VERSION}")
  execute_process(COMMAND ${CMAKE_DLLTOOL} --version OUTPUT_VARIABLE dlltoolVersion ERROR_QUIET)
  string(REGEX MATCH "[0-9]+\\.[0-9]+" found_BINUTILS "${dlltoolVersion}")
  find_file(MINGW_MAC_HEADER _mingw_mac.h)
  file(STRINGS "${MINGW_MAC_HEADER}" mingwLines REGEX "#define __MINGW64_VERSION_(MAJOR|MINOR) ")
  string(REGEX REPLACE ".*MAJOR ([0-9]+).*MINOR ([0-9]+).*" "\\1.\\2" found_MINGW_W64 "${mingwLines}")
  foreach(part GCC BINUTILS MINGW_W64)
    if(NOT found_${part} VERSION_EQUAL VELORA_TOOLCHAIN_${part})
      string(TOLOWER ${part} name)
      string(REPLACE "_" "-" name ${name})
      message(WARNING "The toolchain's ${name} is ${found_${part}}; the release runtime and the delayed "
        "imports were made for ${VELORA_TOOLCHAIN_${part}} (cmake/ToolchainChecks.cmake). "
        "The link checks that follow tell whether they still fit; name this version there once "
        "the programs and their tests pass with it.")
    endif()
  endforeach()
endfunction()

# The defined external functions an nm -A -P listing names, as "<member>|<symbol>" pairs.
function(_defined_functions listing out)
  string(REGEX MATCHALL "[^\n]+\n" lines "${listing}")
  set(pairs "")
  foreach(line ${lines})
    if(line MATCHES "\\[([A-Za-z0-9_.+-]+)\\]: ([^ ]+) T ")
      list(APPEND pairs "${CMAKE_MATCH_1}|${CMAKE_MATCH_2}")
    elseif(line MATCHES "^[^:]+: ([^ ]+) T ")
      list(APPEND pairs "-|${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out} ${pairs} PARENT_SCOPE)
endfunction()

# release_runtime.cpp defines its helpers with qualified names, so a helper
# whose declaration changed no longer compiles. Then the helpers it defines
# must be exactly the ones the libstdc++ members that hold them define: a
# helper left out would pull such a member into a program that calls it, next
# to ours (duplicate definitions); one the library no longer has would leave
# the library's own exception path in place, unnoticed. A program that takes
# every one of those helpers must link with ours alone.
function(_check_release_runtime)
  set(dir ${_checks_dir}/release_runtime)
  set(source ${PROJECT_SOURCE_DIR}/framework/release_runtime.cpp)
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  try_compile(compiled ${dir}/ours SOURCES ${source} CXX_STANDARD 17
    OUTPUT_VARIABLE log COPY_FILE ${dir}/ours.a)
  if(NOT compiled)
    message(FATAL_ERROR "framework/release_runtime.cpp no longer matches the C++ library's "
      "declarations of its error helpers (<bits/functexcept.h>): update its definitions to "
      "the library's, or drop the ones it no longer has.\n${log}")
  endif()
  execute_process(COMMAND ${CMAKE_NM} -A -P --defined-only ${dir}/ours.a OUTPUT_VARIABLE listing)
  _defined_functions("${listing}" pairs)
  set(ours "")
  foreach(pair ${pairs})
    string(REGEX REPLACE "^[^|]*\\|" "" symbol "${pair}")
    list(APPEND ours ${symbol})
  endforeach()

  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++.a
    OUTPUT_VARIABLE library OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${CMAKE_NM} -A -P --defined-only ${library}
    OUTPUT_VARIABLE listing ERROR_QUIET)
  _defined_functions("${listing}" pairs)
  set(members "")
  set(theirs "")
  foreach(pair ${pairs})
    string(REPLACE "|" ";" fields "${pair}")
    list(GET fields 0 member)
    list(GET fields 1 symbol)
    if(symbol IN_LIST ours)
      list(APPEND members ${member})
      list(APPEND theirs ${symbol})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES members)
  list(REMOVE_DUPLICATES theirs)
  set(gone ${ours})
  if(theirs)
    list(REMOVE_ITEM gone ${theirs})
  endif()
  if(gone)
    message(FATAL_ERROR "libstdc++ (${library}) no longer defines ${gone}, which "
      "framework/release_runtime.cpp replaces: the library's exception reporting may be back "
      "in the programs under another name. Replace what the library has now.")
  endif()
  set(helpers "")
  foreach(pair ${pairs})
    string(REPLACE "|" ";" fields "${pair}")
    list(GET fields 0 member)
    list(GET fields 1 symbol)
    if(member IN_LIST members AND symbol MATCHES "__throw_|__verbose_terminate_handler")
      list(APPEND helpers ${symbol})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES helpers)
  set(missing ${helpers})
  list(REMOVE_ITEM missing ${ours})
  if(missing)
    message(FATAL_ERROR "libstdc++'s ${members} now also define ${missing}, which "
      "framework/release_runtime.cpp does not replace: a program that calls one would get "
      "the library's helpers beside ours. Replace it there too.")
  endif()

  # The program: a reference to each helper, by its linker name.
  set(declarations "")
  set(references "")
  set(i 0)
  foreach(symbol ${helpers})
    string(APPEND declarations "void helper${i}() __asm__(\"${symbol}\");\n")
    string(APPEND references "helper${i}, ")
    math(EXPR i "${i} + 1")
  endforeach()
  file(WRITE ${dir}/takes_every_helper.cpp "${declarations}"
    "void (*volatile taken[])() = {${references}};\n"
    "int main() { return taken[0] == nullptr; }\n")
  set(CMAKE_TRY_COMPILE_TARGET_TYPE EXECUTABLE)
  try_compile(linked ${dir}/program SOURCES ${source} ${dir}/takes_every_helper.cpp
    CXX_STANDARD 17 LINK_OPTIONS -static -static-libgcc -static-libstdc++ -Wl,-Map=${dir}/program.map
    OUTPUT_VARIABLE log)
  set(pulled "")
  if(linked)
    file(READ ${dir}/program.map map)
    foreach(member ${members})
      if(map MATCHES "libstdc\\+\\+\\.a\\(${member}\\)")
        list(APPEND pulled ${member})
      endif()
    endforeach()
  endif()
  if(NOT linked)
    message(FATAL_ERROR "A static program that calls libstdc++'s error helpers no longer links "
      "with framework/release_runtime.cpp's: the library's helpers have moved or changed; see "
      "the link below.\n${log}")
  elseif(pulled)
    message(FATAL_ERROR "A static program that calls libstdc++'s error helpers takes the "
      "library's ${pulled} beside framework/release_runtime.cpp (${dir}/program.map): the "
      "library's exception reporting is back in the programs.")
  endif()
endfunction()

# delay_object.py finds a DLL's functions in its import library by the
# members' symbols, and joins the head, function and terminator members of the
# delay-import library dlltool makes. A program that calls the common controls
# and AVIFile (whose import library offers three DLLs) through such objects must
# link without their import libraries, and start without either DLL in its
# import table.
function(_check_delayed_imports)
  set(dir ${_checks_dir}/delayed_imports)
  file(WRITE ${dir}/calls_two_libraries.cpp
    "#include <windows.h>\n#include <commctrl.h>\n#include <vfw.h>\n"
    "int main() { InitCommonControls(); AVIFileInit(); return 0; }\n")
  set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
  try_compile(compiled ${dir}/caller SOURCES ${dir}/calls_two_libraries.cpp
    OUTPUT_VARIABLE log COPY_FILE ${dir}/caller.a)
  if(NOT compiled)
    message(FATAL_ERROR "The delayed-imports check cannot compile its caller.\n${log}")
  endif()
  set(objects "")
  foreach(dll_library COMCTL32.DLL|comctl32 AVIFIL32.DLL|vfw32)
    string(REPLACE "|" ";" dll_library ${dll_library})
    list(GET dll_library 0 dll)
    list(GET dll_library 1 library)
    find_library(import_${library} NAMES ${library} REQUIRED)
    execute_process(
      COMMAND ${Python3_EXECUTABLE} ${DELAY_OBJECT_SCRIPT} ${CMAKE_NM} ${CMAKE_DLLTOOL} ${CMAKE_AR}
              ${CMAKE_LINKER} ${import_${library}} ${dll} ${dir}/${dll}.o ${dir}/caller.a
      RESULT_VARIABLE failed ERROR_VARIABLE error)
    if(failed)
      message(FATAL_ERROR "tools/delayimp/delay_object.py no longer understands this toolchain's "
        "import libraries (${import_${library}}) or dlltool's delay-import libraries: ${error}")
    endif()
    list(APPEND objects ${dir}/${dll}.o)
  endforeach()
  set(CMAKE_TRY_COMPILE_TARGET_TYPE EXECUTABLE)
  try_compile(linked ${dir}/program SOURCES ${dir}/calls_two_libraries.cpp
    LINK_OPTIONS -static ${objects} OUTPUT_VARIABLE log COPY_FILE ${dir}/program.exe)
  if(NOT linked)
    message(FATAL_ERROR "A program no longer links through the delayed-imports objects "
      "tools/delayimp/delay_object.py made: the layout of dlltool's import members has "
      "changed.\n${log}")
  endif()
  execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${dir}/program.exe OUTPUT_VARIABLE imports)
  string(TOUPPER "${imports}" imports)
  file(STRINGS ${dir}/program.exe comctl32 REGEX "COMCTL32\\.DLL")
  file(STRINGS ${dir}/program.exe avifil32 REGEX "AVIFIL32\\.DLL")
  if(imports MATCHES "DLL NAME: (COMCTL32|AVIFIL32)" OR NOT comctl32 OR NOT avifil32)
    message(FATAL_ERROR "A program linked with the delayed-imports objects tools/delayimp/"
      "delay_object.py made still loads its libraries when it starts (or names them "
      "nowhere): the layout of dlltool's import members has changed.")
  endif()
endfunction()

# The link checks run again whenever anything they rely on has changed: the
# compiler, its libstdc++, the import libraries, binutils, or our side.
function(_toolchain_fingerprint out)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++.a
    OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
  find_library(import_comctl32 NAMES comctl32 REQUIRED)
  find_library(import_vfw32 NAMES vfw32 REQUIRED)
  set(fingerprint "${CMAKE_CXX_COMPILER_VERSION}")
  foreach(file ${libstdcxx} ${import_comctl32} ${import_vfw32} ${CMAKE_DLLTOOL} ${CMAKE_LINKER}
               ${CMAKE_NM} ${PROJECT_SOURCE_DIR}/framework/release_runtime.cpp ${DELAY_OBJECT_SCRIPT}
               ${CMAKE_CURRENT_FUNCTION_LIST_FILE})
    file(SHA256 ${file} hash)
    string(APPEND fingerprint " ${hash}")
  endforeach()
  set(${out} "${fingerprint}" PARENT_SCOPE)
endfunction()

_check_toolchain_versions()
_toolchain_fingerprint(fingerprint)
if(NOT fingerprint STREQUAL VELORA_TOOLCHAIN_CHECKED)
  _check_release_runtime()
  _check_delayed_imports()
  set(VELORA_TOOLCHAIN_CHECKED "${fingerprint}" CACHE INTERNAL "What the toolchain checks last passed with")
endif()
