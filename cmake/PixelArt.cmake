# Icons, bitmaps and cursors are drawn as text and turned into pictures at
# build time by tools/pixelart.
#
#   draw_art(<list> <output file> <drawing> [--variant NAME])
#
# makes <output file> in the current build folder's art/ from <drawing> (a
# path below the current source folder) and appends its path to <list>.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(PIXELART_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/../tools/pixelart/pixelart.py)

function(draw_art list output drawing)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/art")
  set(src "${CMAKE_CURRENT_SOURCE_DIR}/${drawing}")
  add_custom_command(
    OUTPUT "${dir}/${output}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${dir}"
    COMMAND "${Python3_EXECUTABLE}" "${PIXELART_SCRIPT}" "${src}" "${dir}/${output}" ${ARGN}
    DEPENDS "${src}" "${PIXELART_SCRIPT}"
    COMMENT "Drawing ${output}"
    VERBATIM)
  set(${list} ${${list}} "${dir}/${output}" PARENT_SCOPE)
endfunction()
