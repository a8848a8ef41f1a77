# The ActiveX host and the web browser control: Wine's own controls (Windows Media Player, the
# web browser) and the tests' own control, served from a module of their own, in real windows.
add_library(activex_test_control SHARED
  activex/test_control/test_control.cpp
  activex/test_control/test_control.def)
set_target_properties(activex_test_control PROPERTIES PREFIX "")
tessmark_target_options(activex_test_control)
target_include_directories(activex_test_control PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(activex_test_control PRIVATE ole32 oleaut32 uuid user32 gdi32)
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
  # The exports file names the COM entry points undecorated, as COM looks them up; the 32-bit
  # linker matches them to their stdcall names on purpose here.
  target_link_options(activex_test_control PRIVATE -Wl,--enable-stdcall-fixup)
endif()

tessmark_add_test(ui_activex_tests
  SOURCES
    activex/activex_fixture.cpp
    activex/windowless_tests.cpp
    activex/windowed_tests.cpp
    activex/creation_tests.cpp
    activex/web_browser_tests.cpp
  LIBS skinui_controls ui_test_support test_support package_server)
add_dependencies(ui_activex_tests activex_test_control)
target_include_directories(ui_activex_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/activex)
