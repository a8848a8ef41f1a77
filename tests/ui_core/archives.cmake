# Skin archive readers against archives made by the real 7zz and zip tools at build time.
set(ARCHIVE_FIXTURES ${PROJECT_BINARY_DIR}/testdata/archives)
add_custom_command(
  OUTPUT ${ARCHIVE_FIXTURES}/stamp
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/archives/make_archives.sh ${ARCHIVE_FIXTURES}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/archives/make_archives.sh
  COMMENT "Making the skin archive fixtures with 7zz and zip"
  VERBATIM)
add_custom_target(ui_core_archive_fixtures DEPENDS ${ARCHIVE_FIXTURES}/stamp)

tessmark_add_test(ui_core_archive_tests
  SOURCES archives/archive_fixture.cpp archives/sevenzip_tests.cpp archives/zip_tests.cpp
  LIBS skinui_core test_support)
target_include_directories(ui_core_archive_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/archives)
add_dependencies(ui_core_archive_tests ui_core_archive_fixtures)
