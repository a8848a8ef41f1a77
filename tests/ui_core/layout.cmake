# The layouts, the tab layout and the skin builder: child rectangles, separator drags, tab
# selection, and skins built from a folder, from a zip and a 7z archive made at build time with
# the real tools, and from resources of the test program.
set(_layout_data ${PROJECT_BINARY_DIR}/testdata/layout)
file(GLOB_RECURSE _layout_skin CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/layout/skin/*)
add_custom_command(
  OUTPUT ${_layout_data}/skin.zip ${_layout_data}/skin.7z
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/layout/make_skin_archives.sh
          ${CMAKE_CURRENT_LIST_DIR}/layout/skin ${_layout_data}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/layout/make_skin_archives.sh ${_layout_skin}
  COMMENT "Packing the layout test skin")
add_custom_target(layout_fixtures DEPENDS ${_layout_data}/skin.zip ${_layout_data}/skin.7z)

tessmark_add_test(ui_layout_tests
  SOURCES
    layout/layout_test_util.cpp
    layout/layout_geometry_tests.cpp
    layout/separator_tests.cpp
    layout/tab_layout_tests.cpp
    layout/skin_builder_tests.cpp
    layout/skin_builder_limits_tests.cpp
    layout/resources/skin_resources.rc
    ${PROJECT_SOURCE_DIR}/tests/support/log_capture.cpp
  LIBS skinui_core ui_test_support
  # A dozen real windows: under a loaded display each takes seconds to come and go.
  TIMEOUT 600)
# windres finds the documents that the resource script names here.
target_include_directories(ui_layout_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/layout/resources)
add_dependencies(ui_layout_tests layout_fixtures)
