# The engine's foundation: log line, worker thread, waits, text/file utilities, system queries,
# registry, single-instance guard and installer settings.
tessmark_add_test(engine_foundation_tests
  SOURCES
    foundation/log_thread_tests.cpp
    foundation/utils_tests.cpp
    foundation/system_tests.cpp
    foundation/settings_tests.cpp
  LIBS tessmark_engine engine_test_support test_support
  # Its cases take seconds; under a machine's full load its end has been seen to take minutes.
  TIMEOUT 900)
target_include_directories(engine_foundation_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/foundation)
