# The window manager: input, timers, focus, notifications, painting and resources of real windows
# under Xvfb. Its images are real PNG files packed into a zip and a 7z archive by the real tools.
set(_manager_data ${PROJECT_BINARY_DIR}/testdata/manager)
add_custom_command(
  OUTPUT ${_manager_data}/skin/blue.png ${_manager_data}/skin.zip ${_manager_data}/skin.7z
  COMMAND ${CMAKE_COMMAND} -E make_directory ${_manager_data}
  COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/manager/make_manager_fixtures.py ${_manager_data}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/manager/make_manager_fixtures.py
  COMMENT "Making the window manager's test images")
add_custom_target(manager_fixtures
  DEPENDS ${_manager_data}/skin/blue.png ${_manager_data}/skin.zip ${_manager_data}/skin.7z)

tessmark_add_test(ui_manager_tests
  SOURCES
    manager/manager_test_controls.cpp
    manager/input_tests.cpp
    manager/timer_tests.cpp
    manager/focus_tests.cpp
    manager/notify_tests.cpp
    manager/paint_tests.cpp
    manager/resource_tests.cpp
    manager/window_attribute_tests.cpp
    manager/lookup_tests.cpp
    manager/forgotten_controls_tests.cpp
    manager/kept_controls_tests.cpp
    manager/language_tests.cpp
  LIBS skinui_core ui_test_support test_support psapi)
add_dependencies(ui_manager_tests manager_fixtures)

# The base control, the plain container and the scroll bar: attributes, placement, painting
# into DIBs, scrolling, lookup and input, partly inside real windows under Xvfb.
tessmark_add_test(ui_control_tests
  SOURCES
    manager/attribute_tests.cpp
    manager/placement_tests.cpp
    manager/control_paint_tests.cpp
    manager/container_tests.cpp
    manager/container_scroll_tests.cpp
    manager/scrollbar_tests.cpp
    manager/find_tests.cpp
    manager/event_tests.cpp
    manager/robustness_tests.cpp
  LIBS skinui_core ui_test_support test_support)
