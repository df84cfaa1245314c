# Win32 tests run under Wine on the test bench: one private prefix and Xvfb
# display for the whole ctest run, made by the bench.start fixture and torn
# down by bench.stop, also when tests fail or time out.
set(BENCH_SCRIPT ${PROJECT_SOURCE_DIR}/tests/bench/bench.sh)
set(BENCH_DIR ${CMAKE_BINARY_DIR}/bench)
# The tree's programs run on a bench of their own architecture.
set(BENCH_ARCH ${VELORA_ARCH})

# GoogleTest cross-built from the sources Debian's libgtest-dev installs.
set(GOOGLETEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest's sources, built for Windows with the tests")
add_subdirectory(${GOOGLETEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

add_test(NAME bench.start COMMAND ${BENCH_SCRIPT} start ${BENCH_DIR} 640x480 ${BENCH_ARCH})
set_tests_properties(bench.start PROPERTIES FIXTURES_SETUP wine TIMEOUT 180)
add_test(NAME bench.stop COMMAND ${BENCH_SCRIPT} stop ${BENCH_DIR})
set_tests_properties(bench.stop PROPERTIES FIXTURES_CLEANUP wine TIMEOUT 60)

# Another bench, of a size and monitor layout of its own (see bench.sh), as
# the fixture `name` for the tests that ask for it.
function(add_wine_bench name dir size layout)
  add_test(NAME bench.start.${layout} COMMAND ${BENCH_SCRIPT} start ${dir} ${size} ${layout} ${BENCH_ARCH})
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

# On a machine whose kernel runs no 32-bit code no x86 program starts under
# Wine: there the x86 tree's tests that need Wine (every test on a bench, and
# the benches themselves) are disabled, so that CTest reports them as not run
# rather than failed or passed. Its other tests (imports, the package) run.
execute_process(COMMAND bash -c ". '${PROJECT_SOURCE_DIR}/scripts/machine.sh' && runs_32bit"
  RESULT_VARIABLE not_32bit)
if(BENCH_ARCH STREQUAL x86 AND NOT not_32bit EQUAL 0)
  set(WINE_TESTS_CANNOT_RUN "this machine runs no 32-bit code, so no x86 program runs under Wine")
endif()

# Called at the end of each folder that adds tests on a bench, for its own tests.
function(skip_wine_tests_where_they_cannot_run)
  if(NOT WINE_TESTS_CANNOT_RUN)
    return()
  endif()
  set(skipped 0)
  get_property(tests DIRECTORY PROPERTY TESTS)
  foreach(test ${tests})
    set(fixtures "")
    foreach(property FIXTURES_REQUIRED FIXTURES_SETUP FIXTURES_CLEANUP)
      get_test_property(${test} ${property} names)
      if(names)
        list(APPEND fixtures ${names})
      endif()
    endforeach()
    if(fixtures MATCHES "wine")
      set_tests_properties(${test} PROPERTIES DISABLED TRUE)
      math(EXPR skipped "${skipped} + 1")
    endif()
  endforeach()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  message(STATUS "${folder}: ${skipped} tests disabled, ${WINE_TESTS_CANNOT_RUN}")
endfunction()
