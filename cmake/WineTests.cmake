# Test executables are Windows programs; CTest runs each one under Wine through scripts/wine-run.sh
# (add_test prefixes the emulator automatically). One CTest test per executable: a Wine process
# start costs about a second, so each executable groups many cases.
set(CMAKE_CROSSCOMPILING_EMULATOR "${PROJECT_SOURCE_DIR}/scripts/wine-run.sh")

# tessmark_add_test(<name> SOURCES <files...> LIBS <targets...> [TIMEOUT <seconds>] [LABELS <labels>])
function(tessmark_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  tessmark_target_options(${name})
  target_link_libraries(${name} PRIVATE ${T_LIBS} deps::gtest_main)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "TESSMARK_TEST_DATA=${PROJECT_BINARY_DIR}/testdata;TESSMARK_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
    if(T_LABELS)
      set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
    endif()
  endif()
endfunction()
