# The periphery controls (rich edit with its text host, date-time field, animated GIF) in real
# windows under Xvfb: the system's own text services and date picker, GIFs made at build time by
# ImageMagick with frames of known colours and delays, paints into 32-bit DIBs.
find_program(TESSMARK_IMAGEMAGICK_CONVERT NAMES convert-im6.q16 convert-im6 convert REQUIRED)
set(_periphery_data ${PROJECT_BINARY_DIR}/testdata/periphery)
add_custom_command(
  OUTPUT ${_periphery_data}/animated.gif ${_periphery_data}/single.gif ${_periphery_data}/pages.tif
         ${_periphery_data}/gifskin.zip ${_periphery_data}/gifskin.7z
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/periphery/make_gifs.sh ${TESSMARK_IMAGEMAGICK_CONVERT}
          ${_periphery_data}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/periphery/make_gifs.sh
  COMMENT "Making the animated GIF fixtures")
add_custom_target(periphery_fixtures DEPENDS ${_periphery_data}/animated.gif
                  ${_periphery_data}/single.gif ${_periphery_data}/pages.tif
                  ${_periphery_data}/gifskin.zip ${_periphery_data}/gifskin.7z)

tessmark_add_test(ui_periphery_controls_tests
  SOURCES
    installer/controls_fixture.cpp
    periphery/periphery_fixture.cpp
    periphery/rich_edit_tests.cpp
    periphery/date_time_tests.cpp
    periphery/gif_anim_tests.cpp
  LIBS skinui_controls ui_test_support test_support)
target_include_directories(ui_periphery_controls_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/installer)
add_dependencies(ui_periphery_controls_tests periphery_fixtures)
# The rich edit, the picker and the layered caret need this process to hold the keyboard focus:
# it takes the desktop lock that every window test takes (ui_test_support), and no lock of its
# own that would let it run beside the others.
