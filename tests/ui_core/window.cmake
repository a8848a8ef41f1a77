# Native and skinned windows, the notification maps and the drop shadow, on real windows under
# Xvfb. The skins come from a folder and from a 7z archive made by the real 7zz and embedded as
# the "ZIPRES" resource 147; programs that must end on their own run as child processes.
set(WINDOW_TEST_DATA ${PROJECT_BINARY_DIR}/testdata/window)
file(GLOB _window_skin CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/window/skin/*)
add_custom_command(
  OUTPUT ${WINDOW_TEST_DATA}/skin.7z ${WINDOW_TEST_DATA}/other.7z ${WINDOW_TEST_DATA}/icon.ico
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/window/make_window_skin.sh
          ${CMAKE_CURRENT_LIST_DIR}/window/skin ${WINDOW_TEST_DATA}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/window/make_window_skin.sh ${_window_skin}
  COMMENT "Packing the window test skin with 7zz"
  VERBATIM)
add_custom_target(window_test_fixtures
  DEPENDS ${WINDOW_TEST_DATA}/skin.7z ${WINDOW_TEST_DATA}/other.7z ${WINDOW_TEST_DATA}/icon.ico)

# The resource script names the generated files; windres must run again when they change.
set(_window_rc ${CMAKE_CURRENT_BINARY_DIR}/window_tests.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/window/window_tests.rc.in ${_window_rc} @ONLY)
set_source_files_properties(${_window_rc} PROPERTIES
  OBJECT_DEPENDS "${WINDOW_TEST_DATA}/skin.7z;${WINDOW_TEST_DATA}/other.7z;${WINDOW_TEST_DATA}/icon.ico")
add_library(window_test_resources OBJECT ${_window_rc})
add_dependencies(window_test_resources window_test_fixtures)

add_library(window_test_fixture STATIC window/window_fixture.cpp)
tessmark_target_options(window_test_fixture)
target_include_directories(window_test_fixture PUBLIC ${CMAKE_CURRENT_LIST_DIR}/window)
target_link_libraries(window_test_fixture PUBLIC ui_test_support)

# Builds a skinned window and runs it; the failure tests watch it end.
add_executable(skin_fail_child window/skin_fail_child.cpp $<TARGET_OBJECTS:window_test_resources>)
tessmark_target_options(skin_fail_child)
tessmark_unicode_entry(skin_fail_child)
target_link_libraries(skin_fail_child PRIVATE window_test_fixture)

tessmark_add_test(ui_window_tests
  SOURCES
    window/notify_pump_tests.cpp
    window/native_window_tests.cpp
    window/skinned_window_tests.cpp
    window/shadow_tests.cpp
    window/skin_failure_tests.cpp
    $<TARGET_OBJECTS:window_test_resources>
  LIBS skinui_core window_test_fixture)
add_dependencies(ui_window_tests skin_fail_child)

# The screenshot: a frame with its shadow over a magenta window, checked by regions. It runs
# alone, so that no other test's window lies over it.
add_executable(window_shot window/window_shot.cpp $<TARGET_OBJECTS:window_test_resources>)
tessmark_target_options(window_shot)
tessmark_unicode_entry(window_shot)
target_link_libraries(window_shot PRIVATE window_test_fixture)
# The picture does not depend on the target: the x86_64 build takes it.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  tessmark_test_name(_screenshot_test ui_window_screenshot)
  add_test(NAME ${_screenshot_test}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/window/screenshot_test.sh
            $<TARGET_FILE:window_shot> ${PROJECT_BINARY_DIR}/testdata/window_shot)
  set_tests_properties(${_screenshot_test} PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE
    LABELS "${CMAKE_SYSTEM_PROCESSOR}"
    ENVIRONMENT "TESSMARK_TEST_DATA=${PROJECT_BINARY_DIR}/testdata")
endif()
