# The fuzz harness of the skin readers: a deterministic mutation loop over the committed seed
# corpus (fuzz/corpus/<target>/), a bounded number of inputs per run (SKINUI_FUZZ_RUNS for more),
# and every crashing input written to fuzz/regressions/<target>/, which every run replays.
set(_fuzz_sources fuzz/fuzz_driver.cpp fuzz/zip_fuzz_target.cpp fuzz/sevenzip_fuzz_target.cpp
  fuzz/drawing_fuzz_targets.cpp)
# The XML target is written with the XML parser; build without it until it is there.
file(GLOB _xml_fuzz_target CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fuzz/xml_fuzz_target.cpp)
if(_xml_fuzz_target)
  list(APPEND _fuzz_sources fuzz/xml_fuzz_target.cpp)
endif()
# The skin builder target builds whole skins (a structure-aware XML mutator over real skins).
list(APPEND _fuzz_sources fuzz/skin_builder_fuzz_target.cpp)
tessmark_add_test(ui_core_fuzz_tests SOURCES ${_fuzz_sources} LIBS skinui_core test_support TIMEOUT 300)
target_compile_definitions(ui_core_fuzz_tests PRIVATE SKINUI_FUZZ_HAVE_SKIN=1)
if(_xml_fuzz_target)
  target_compile_definitions(ui_core_fuzz_tests PRIVATE SKINUI_FUZZ_HAVE_XML=1)
endif()
