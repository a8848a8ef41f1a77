# The child-process runners against real child programs: the fake installer and uninstaller
# built from tools/fake_child land next to this executable.
tessmark_add_test(engine_children_tests
  SOURCES
    children/child_process_tests.cpp
    children/installer_tests.cpp
    children/uninstaller_tests.cpp
  LIBS tessmark_engine engine_test_support test_support
  LABELS starts_processes)
add_dependencies(engine_children_tests fake_installer fake_uninstaller)
