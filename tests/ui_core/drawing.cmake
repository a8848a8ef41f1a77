# Images, drawing primitives and the mark-up text, painted into 32-bit DIBs under Wine. The skin
# archives of the image tests are packed at build time by the real zip and 7zz.
set(_drawing_data ${PROJECT_BINARY_DIR}/testdata/drawing)
add_custom_command(
  OUTPUT ${_drawing_data}/skin.zip ${_drawing_data}/skin.7z
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/drawing/make_drawing_skin.sh ${_drawing_data}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/drawing/make_drawing_skin.sh
  COMMENT "Packing the drawing test skin")
add_custom_target(drawing_fixtures DEPENDS ${_drawing_data}/skin.zip ${_drawing_data}/skin.7z)

tessmark_add_test(ui_drawing_tests
  SOURCES
    drawing/drawing_fixture.cpp
    drawing/image_desc_tests.cpp
    drawing/image_load_tests.cpp
    drawing/image_draw_tests.cpp
    drawing/render_tests.cpp
    drawing/html_text_tests.cpp
    drawing/colour_shift_tests.cpp
  LIBS skinui_core ui_test_support test_support deps::stb)
target_include_directories(ui_drawing_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/drawing)
add_dependencies(ui_drawing_tests drawing_fixtures)
