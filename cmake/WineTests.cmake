# Win32 tests run under Wine on the test bench: one private prefix and Xvfb
# display for the whole ctest run, made by the bench.start fixture and torn
# down by bench.stop, also when tests fail or time out.
set(BENCH_SCRIPT ${PROJECT_SOURCE_DIR}/tests/bench/bench.sh)
set(BENCH_DIR ${CMAKE_BINARY_DIR}/bench)

add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_test(NAME bench.start COMMAND ${BENCH_SCRIPT} start ${BENCH_DIR} 640x480)
set_tests_properties(bench.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
add_test(NAME bench.stop COMMAND ${BENCH_SCRIPT} stop ${BENCH_DIR})
set_tests_properties(bench.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# Another bench, of a size and monitor layout of its own (see bench.sh), as
# the fixture `name` for the tests that ask for it.
function(add_wine_bench name dir size layout)
  add_test(NAME bench.start.${layout} COMMAND ${BENCH_SCRIPT} start ${dir} ${size} ${layout})
  set_tests_properties(bench.start.${layout} PROPERTIES FIXTURES_SETUP ${name} TIMEOUT 180)
  add_test(NAME bench.stop.${layout} COMMAND ${BENCH_SCRIPT} stop ${dir})
  set_tests_properties(bench.stop.${layout} PROPERTIES FIXTURES_CLEANUP ${name} TIMEOUT 60)
endfunction()

include(GoogleTest)

# One ctest entry per test case, each run as its own Wine process on the bench.
# Extra arguments are VAR=value settings for the tests' environment.
function(add_wine_gtest target label)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  gtest_add_tests(TARGET ${target} SOURCES ${sources} TEST_LIST cases)
  set_tests_properties(${cases} PROPERTIES
    FIXTURES_REQUIRED wine RUN_SERIAL TRUE TIMEOUT 120 LABELS ${label})
  if(ARGN)
    set_tests_properties(${cases} PROPERTIES ENVIRONMENT "${ARGN}")
  endif()
endfunction()

set(CMAKE_CROSSCOMPILING_EMULATOR ${BENCH_SCRIPT} run ${BENCH_DIR} wine)
