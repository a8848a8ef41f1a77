# The framework's value types, delegates and the XML reader; the corpus of the XML fuzz target
# runs here too as a regression test.
set(_values_xml_data ${PROJECT_BINARY_DIR}/testdata/values_xml)
file(GLOB_RECURSE _values_xml_skin CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/values/skin/*)
add_custom_command(
  OUTPUT ${_values_xml_data}/skin.zip ${_values_xml_data}/skin.7z ${_values_xml_data}/corrupt.zip
  COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/values/make_skin_archives.sh
          ${CMAKE_CURRENT_LIST_DIR}/values/skin ${_values_xml_data}
  DEPENDS ${CMAKE_CURRENT_LIST_DIR}/values/make_skin_archives.sh ${_values_xml_skin}
  COMMENT "Packing the XML test skin")
add_custom_target(values_xml_fixtures
  DEPENDS ${_values_xml_data}/skin.zip ${_values_xml_data}/skin.7z ${_values_xml_data}/corrupt.zip)

tessmark_add_test(ui_values_xml_tests
  SOURCES
    values/string_tests.cpp
    values/containers_tests.cpp
    values/delegate_tests.cpp
    values/xml_parse_tests.cpp
    values/xml_encoding_tests.cpp
    values/xml_file_tests.cpp
    values/xml_corpus_tests.cpp
    fuzz/xml_fuzz_target.cpp
  LIBS skinui_core test_support)
add_dependencies(ui_values_xml_tests values_xml_fixtures)
