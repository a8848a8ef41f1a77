# The base control, the plain container and the scroll bar: attributes, placement, painting
# into DIBs, scrolling, lookup and input, partly inside real windows under Xvfb.
tessmark_add_test(ui_control_tests
  SOURCES
    control/attribute_tests.cpp
    control/placement_tests.cpp
    control/paint_tests.cpp
    control/container_tests.cpp
    control/container_scroll_tests.cpp
    control/scrollbar_tests.cpp
    control/find_tests.cpp
    control/event_tests.cpp
    control/robustness_tests.cpp
  LIBS skinui_core ui_test_support test_support)
