# A whole run of the orchestrator: the real package server on 127.0.0.1, the real fake installer
# as the downloaded package, the real fake uninstaller as the older version's uninstaller.
tessmark_add_test(engine_orchestrator_tests
  SOURCES orchestrator/download_installer_tests.cpp
  LIBS tessmark_engine engine_test_support package_server test_support
  TIMEOUT 300
  LABELS starts_processes)
add_dependencies(engine_orchestrator_tests fake_installer fake_uninstaller)
# It reads and writes the product's registry key, as the installer's own tests do: one at a time.
tessmark_test_name(_orchestrator_test engine_orchestrator_tests)
set_property(TEST ${_orchestrator_test} APPEND PROPERTY RESOURCE_LOCK tessmark_product_registry)
