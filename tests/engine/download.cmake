# The package server, the single resumable downloader, what both libcurl downloaders share, and
# the digest taken of the part file while writing it, against a real server on 127.0.0.1 and real
# files.
# The retry pauses of the downloader are real (500 ms), so the budget cases take a few seconds.
tessmark_add_test(engine_download_tests
  SOURCES download/download_fixture.cpp download/package_server_test.cpp
          download/curl_downloader_test.cpp download/file_digest_follower_test.cpp
          download/stored_digest_test.cpp download/libcurl_downloaders_test.cpp
  LIBS tessmark_engine engine_test_support package_server test_support
  TIMEOUT 300)
target_include_directories(engine_download_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/download)
