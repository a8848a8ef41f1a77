# The delay-import libraries of the installer's recipe (cmake/DelayImports.cmake): winmm, one of
# the installer's own, and two that promise functions no library has.
tessmark_add_test(app_delay_import_tests SOURCES delay_imports/delay_import_tests.cpp LIBS winmm)
tessmark_delay_load(app_delay_import_tests winmm)
set(_absent_stdcall "")
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(_absent_stdcall "@0")
endif()
set(_absent_dir "${CMAKE_CURRENT_BINARY_DIR}/delay_imports")
file(MAKE_DIRECTORY "${_absent_dir}")
tessmark_delay_import_library("${_absent_dir}" kernel32_absent_function kernel32
  TessmarkAbsentFromKernel32${_absent_stdcall})
tessmark_delay_import_library("${_absent_dir}" tessmark_absent_library tessmark_absent_library
  TessmarkInAbsentLibrary${_absent_stdcall})
target_link_directories(app_delay_import_tests PRIVATE "${_absent_dir}")
target_link_libraries(app_delay_import_tests PRIVATE kernel32_absent_function tessmark_absent_library)
