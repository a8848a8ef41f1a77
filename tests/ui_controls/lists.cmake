# The text control with links, the list family (list, header, elements), the combo box with its
# drop-down window, and the tree view, driven through real windows under Xvfb; the text
# attributes that the label, the header columns and the list items share.
tessmark_add_test(ui_list_controls_tests
  SOURCES
    installer/controls_fixture.cpp
    lists/list_fixture.cpp
    lists/text_tests.cpp
    lists/list_tests.cpp
    lists/list_header_tests.cpp
    lists/list_element_tests.cpp
    lists/combo_tests.cpp
    lists/box_hover_tests.cpp
    lists/list_skin_tests.cpp
    lists/text_attribute_tests.cpp
  LIBS skinui_controls ui_test_support test_support)
target_include_directories(ui_list_controls_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/installer)

tessmark_add_test(ui_tree_tests
  SOURCES
    installer/controls_fixture.cpp
    lists/list_fixture.cpp
    lists/tree_tests.cpp
  LIBS skinui_controls ui_test_support test_support)
target_include_directories(ui_tree_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/installer)
