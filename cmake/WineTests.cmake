# Test executables are Windows programs; CTest runs each one under Wine through scripts/wine-run.sh
# (add_test prefixes the emulator automatically). One CTest test per executable: a Wine process
# start costs about a second, so each executable groups many cases. Both targets register their
# tests, named "<executable>.<target>" (engine_download_tests.x86_64, engine_download_tests.i686),
# so that a run over both build folders says which target failed.
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/scripts/wine-run.sh")

# The CTest name of a test executable of this build.
function(tessmark_test_name out executable)
  set(${out} "${executable}.${CMAKE_SYSTEM_PROCESSOR}" PARENT_SCOPE)
endfunction()

# tessmark_test_executable(<name> SOURCES <files...> LIBS <targets...>)
# A GoogleTest program with what every test executable has: a crash ends it with a failing exit
# code, and its output is unbuffered, so that a process that ends hard still shows what it printed.
function(tessmark_test_executable name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES}
    ${PROJECT_SOURCE_DIR}/tests/support/crash_exit.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/unbuffered_output.cpp)
  tessmark_target_options(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} deps::gtest_main)
endfunction()

# tessmark_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>] [LABELS <labels>])
# The label "starts_processes" marks an executable that starts many programs of its own build
# (the fake children): under an emulator for 32-bit programs each start takes about a minute,
# and scripts/wine-run.sh leaves such an i686 executable out there.
function(tessmark_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  tessmark_test_executable(${name} SOURCES ${T_SOURCES} LIBS ${T_LIBS})
  tessmark_test_name(test ${name})
  # GoogleTest's full output: each test's name is printed as it starts, so that a process that
  # ends hard shows the test it was in (the brief output names only the failures, at their end).
  add_test(NAME ${test} COMMAND ${name})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    # Where the kernel runs no 32-bit code, the 32-bit tests run inside an emulated machine
    # (scripts/i686-machine), many times slower than natively: the limit grows with it.
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * 12")
  endif()
  # wine-run.sh answers 77 when this machine cannot run the program at all (a 32-bit program
  # where the system runs no 32-bit code): CTest shows the test as not run, with the reason.
  # TESSMARK_TEST_TIMEOUT: in the emulated machine the test is ended, with its output, before
  # CTest's time-out ends its waiter without either (scripts/i686-machine/run-in.sh).
  set(environment "TESSMARK_TEST_DATA=${PROJECT_BINARY_DIR}/testdata;TESSMARK_SOURCE_DIR=${PROJECT_SOURCE_DIR}"
                  "TESSMARK_TEST_TIMEOUT=${T_TIMEOUT}")
  if("starts_processes" IN_LIST T_LABELS)
    list(APPEND environment "TESSMARK_TEST_STARTS_PROCESSES=1")
  endif()
  set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
    LABELS "${CMAKE_SYSTEM_PROCESSOR};${T_LABELS}" ENVIRONMENT "${environment}")
  # Tests of windows share one display and one Wine desktop: two of them at once take the
  # keyboard focus from each other. They run one after another (beside the engine's tests).
  foreach(lib IN ITEMS ui_test_support window_test_fixture)
    if(lib IN_LIST T_LIBS)
      set_property(TEST ${test} APPEND PROPERTY RESOURCE_LOCK tessmark_desktop)
      break()
    endif()
  endforeach()
endfunction()
