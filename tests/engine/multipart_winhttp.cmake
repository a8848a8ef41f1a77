# The multi-part and the WinHTTP downloaders, against the package server on 127.0.0.1. The retry
# pauses of the multi-part downloader are real (400 ms), so the budget cases take several seconds.
tessmark_add_test(engine_multipart_winhttp_tests
  SOURCES download/download_fixture.cpp multipart_winhttp/mt_curl_downloader_test.cpp
          multipart_winhttp/winhttp_test.cpp
  LIBS tessmark_engine engine_test_support package_server test_support
  TIMEOUT 300)
target_include_directories(engine_multipart_winhttp_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/download)
tessmark_test_name(_multipart_test engine_multipart_winhttp_tests)
if(TEST ${_multipart_test})
  # Requests go to 127.0.0.1 only: no proxy of the caller's environment may come between.
  set_property(TEST ${_multipart_test} PROPERTY ENVIRONMENT_MODIFICATION
    "http_proxy=unset:" "HTTP_PROXY=unset:" "https_proxy=unset:" "HTTPS_PROXY=unset:"
    "all_proxy=unset:" "ALL_PROXY=unset:" "no_proxy=unset:" "NO_PROXY=unset:")
endif()
