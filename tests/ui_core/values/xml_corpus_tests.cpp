// Every input of the XML fuzz corpus, inputs that once crashed included, goes through the fuzz
// target here, so that a regression shows in the ordinary test run.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "base/unique_resource.h"
#include "test_support.h"

int FuzzXmlOne(const uint8_t* data, size_t size);

TEST(XmlCorpus, EveryCorpusInputParsesWithoutFaultAndTheSoundOnesYieldTheirElements) {
  const char* source = std::getenv("TESSMARK_SOURCE_DIR");
  ASSERT_NE(nullptr, source);
  const std::wstring dir =
      TestSupport::UnixToWinePath(source) + L"\\tests\\ui_core\\fuzz\\corpus\\xml";
  // The inputs whose every reading fails, so that nothing is walked: an unterminated comment,
  // nesting deeper than the parser accepts, "<Label/>" read as a start tag whose end tag does not
  // match, and UTF-16 text with an odd number of bytes.
  const std::map<std::wstring, bool> yieldsElements = {
      {L"unterminated.xml", false},
      {L"deep.xml", false},
      {L"self_closing_without_space.xml", false},
      {L"utf16_odd.bin", false},
  };
  WIN32_FIND_DATAW found = {};
  Utils::UniqueFindHandle search(FindFirstFileW((dir + L"\\*").c_str(), &found));
  ASSERT_TRUE(search) << "no corpus in " << TestSupport::ToUtf8(dir);
  int inputs = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::wstring name = found.cFileName;
    SCOPED_TRACE(TestSupport::ToUtf8(name));
    std::string bytes;
    ASSERT_TRUE(TestSupport::ReadBytes(dir + L"\\" + name, &bytes));
    const int elements = FuzzXmlOne(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    const auto expected = yieldsElements.find(name);
    EXPECT_EQ(elements > 0, expected == yieldsElements.end() || expected->second) << elements;
    // Every prefix too: the cut-off documents are where parsers read past the end.
    for (size_t n = 0; n < bytes.size() && n < 256; ++n) {
      FuzzXmlOne(reinterpret_cast<const uint8_t*>(bytes.data()), n);
    }
    ++inputs;
  } while (FindNextFileW(search.get(), &found));
  EXPECT_GE(inputs, 12);
}
