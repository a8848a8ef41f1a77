# The installer's windows, built from the skin that the test programs carry like the installer
# does: the layouts, the message boxes, the main window's start-up and the sequence controls.
add_executable(app_idle_product WIN32 windows/idle_product.cpp)
tessmark_target_options(app_idle_product)
tessmark_unicode_entry(app_idle_product)
set_target_properties(app_idle_product PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})

tessmark_add_test(app_window_tests
  SOURCES windows/app_ui_support.cpp windows/skin_layout_tests.cpp windows/message_box_tests.cpp
          windows/main_window_tests.cpp windows/main_window_flow_tests.cpp windows/sequence_tests.cpp
          windows/language_ui_tests.cpp
  LIBS tessmark_app ui_test_support engine_test_support test_support)
target_include_directories(app_window_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows)
tessmark_add_installer_resources(app_window_tests ${TESSMARK_SKIN_ARCHIVE})
add_dependencies(app_window_tests app_idle_product)
tessmark_test_name(_app_window_tests_test app_window_tests)
if(TEST ${_app_window_tests_test})
  set_property(TEST ${_app_window_tests_test} APPEND PROPERTY RESOURCE_LOCK tessmark_product_registry)
endif()

# The program itself: a build whose skin lacks the main window, for the failure at start-up.
add_executable(tessmark_installer_broken_skin WIN32 ${PROJECT_SOURCE_DIR}/src/app/win_main.cpp)
tessmark_target_options(tessmark_installer_broken_skin)
tessmark_unicode_entry(tessmark_installer_broken_skin)
target_link_libraries(tessmark_installer_broken_skin PRIVATE tessmark_app tessmark_terminate_handler)
tessmark_add_installer_resources(tessmark_installer_broken_skin ${TESSMARK_SKIN_ARCHIVE_WITHOUT_MAIN})

# Runs the real programs and reads the screen, so it runs alone.
tessmark_add_test(app_program_tests
  SOURCES windows/app_ui_support.cpp windows/program_tests.cpp
  LIBS tessmark_app ui_test_support engine_test_support test_support deps::stb)
target_include_directories(app_program_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/windows)
tessmark_add_installer_resources(app_program_tests ${TESSMARK_SKIN_ARCHIVE})
target_compile_definitions(app_program_tests PRIVATE
  TESSMARK_INSTALLER_EXE="$<TARGET_FILE:tessmark_installer>"
  TESSMARK_BROKEN_SKIN_EXE="$<TARGET_FILE:tessmark_installer_broken_skin>")
add_dependencies(app_program_tests tessmark_installer tessmark_installer_broken_skin)
tessmark_test_name(_app_program_tests_test app_program_tests)
if(TEST ${_app_program_tests_test})
  set_tests_properties(${_app_program_tests_test} PROPERTIES RUN_SERIAL TRUE)
  set_property(TEST ${_app_program_tests_test} APPEND PROPERTY RESOURCE_LOCK tessmark_product_registry)
endif()
