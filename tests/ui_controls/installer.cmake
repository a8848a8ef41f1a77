# The controls the installer's skins use (label, button, option and check box, progress bar and
# slider, edit), driven through real windows under Xvfb and painted into 32-bit DIBs, and every
# control the factory names handed attributes without a name or a value.
tessmark_add_test(ui_installer_controls_tests
  SOURCES
    installer/controls_fixture.cpp
    installer/label_tests.cpp
    installer/button_tests.cpp
    installer/option_tests.cpp
    installer/progress_tests.cpp
    installer/edit_tests.cpp
    installer/skin_builder_tests.cpp
    null_attribute_tests.cpp
  LIBS skinui_controls ui_test_support test_support)
