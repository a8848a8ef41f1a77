# The fuzz harness of the skin readers: a deterministic mutation loop over the committed seed
# corpus (fuzz/corpus/<target>/), a bounded number of inputs per run (SKINUI_FUZZ_RUNS for more),
# and every crashing input written to fuzz/regressions/<target>/, which every run replays.
# SKINUI_FUZZ_LAST_INPUT=<file> writes each input there before it runs, for deaths below the
# harness's handlers (Wine aborting on its own heap).
# The skin builder target builds whole skins (a structure-aware XML mutator over real skins).
tessmark_add_test(ui_core_fuzz_tests
  SOURCES fuzz/fuzz_driver.cpp fuzz/zip_fuzz_target.cpp fuzz/sevenzip_fuzz_target.cpp
          fuzz/xml_fuzz_target.cpp fuzz/drawing_fuzz_targets.cpp fuzz/skin_builder_fuzz_target.cpp
  LIBS skinui_core test_support
  TIMEOUT 300)
