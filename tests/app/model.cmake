# What the installer's windows decide and write without drawing: default folder, folder names,
# the records of an installation and the language table (archives made by the real 7zz and zip).
set(APP_LANGUAGE_FIXTURES ${PROJECT_BINARY_DIR}/testdata/app/language)
add_custom_command(
  OUTPUT ${APP_LANGUAGE_FIXTURES}/stamp
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/model/make_language_archives.sh ${APP_LANGUAGE_FIXTURES}
          ${TESSMARK_SKIN_ARCHIVE}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/model/make_language_archives.sh ${TESSMARK_SKIN_ARCHIVE}
  COMMENT "Making the language table fixtures with 7zz and zip"
  VERBATIM)
add_custom_target(app_language_fixtures DEPENDS ${APP_LANGUAGE_FIXTURES}/stamp)

tessmark_add_test(app_model_tests
  SOURCES model/folders_tests.cpp model/records_tests.cpp model/language_tests.cpp
    model/status_text_tests.cpp model/progress_tests.cpp
  LIBS tessmark_app_model engine_test_support test_support)
add_dependencies(app_model_tests app_language_fixtures)
tessmark_test_name(_app_model_tests_test app_model_tests)
if(TEST ${_app_model_tests_test})
  # The product's registry key is shared with every other test of the installer's records.
  set_property(TEST ${_app_model_tests_test} APPEND PROPERTY RESOURCE_LOCK tessmark_product_registry)
endif()
