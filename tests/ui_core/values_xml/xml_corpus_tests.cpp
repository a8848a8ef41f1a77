// Every input of the XML fuzz corpus, inputs that once crashed included, goes through the fuzz
// target here, so that a regression shows in the ordinary test run.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

int FuzzXmlOne(const uint8_t* data, size_t size);

TEST(XmlCorpus, EveryCorpusInputParsesWithoutFault) {
  const char* source = std::getenv("TESSMARK_SOURCE_DIR");
  ASSERT_NE(nullptr, source);
  const std::wstring dir =
      TestSupport::UnixToWinePath(source) + L"\\tests\\ui_core\\fuzz\\corpus\\xml";
  WIN32_FIND_DATAW found = {};
  HANDLE search = FindFirstFileW((dir + L"\\*").c_str(), &found);
  ASSERT_NE(INVALID_HANDLE_VALUE, search) << "no corpus in " << TestSupport::ToUtf8(dir);
  int inputs = 0;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string bytes;
    ASSERT_TRUE(TestSupport::ReadBytes(dir + L"\\" + found.cFileName, &bytes));
    const int elements =
        FuzzXmlOne(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
    EXPECT_GE(elements, 0) << TestSupport::ToUtf8(found.cFileName);
    // Every prefix too: the cut-off documents are where parsers read past the end.
    for (size_t n = 0; n < bytes.size() && n < 256; ++n) {
      FuzzXmlOne(reinterpret_cast<const uint8_t*>(bytes.data()), n);
    }
    ++inputs;
  } while (FindNextFileW(search, &found));
  FindClose(search);
  EXPECT_GE(inputs, 12);
}
