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

# tessmark_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>] [LABELS <labels>])
function(tessmark_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tessmark_target_options(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} deps::gtest_main)
  tessmark_test_name(test ${name})
  add_test(NAME ${test} COMMAND ${name} --gtest_brief=1)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  # wine-run.sh answers 77 when this machine cannot run the program at all (a 32-bit program
  # where the system runs no 32-bit code): CTest shows the test as not run, with the reason.
  set_tests_properties(${test} PROPERTIES TIMEOUT ${T_TIMEOUT} SKIP_RETURN_CODE 77
    LABELS "${CMAKE_SYSTEM_PROCESSOR};${T_LABELS}"
    ENVIRONMENT "TESSMARK_TEST_DATA=${PROJECT_BINARY_DIR}/testdata;TESSMARK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
