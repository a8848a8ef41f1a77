// Loading XML from bytes: UTF-8 with and without a mark, UTF-16 in both byte orders, ANSI, and
// byte blocks that cannot be text of their encoding.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "ui_core/values/xml_doc.h"
#include "xml_test_util.h"

using SkinUI::CXmlDocUI;
using XmlTest::Outcome;

namespace {

const wchar_t kText[] = L"<Window title=\"Gr\x00F6\x00DF" L"e \x5B89\x88C5\"><Label /></Window>";
const wchar_t kTree[] = L"Window{title=Gr\x00F6\x00DF" L"e \x5B89\x88C5}[Label]";

std::string Utf16(const std::wstring& text, bool bigEndian, bool mark = true) {
  std::string out;
  if (mark) out += bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (wchar_t c : text) {
    const char hi = static_cast<char>((c >> 8) & 0xFF);
    const char lo = static_cast<char>(c & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

std::string Utf8(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &out[0], n, nullptr, nullptr);
  out.resize(static_cast<size_t>(n - 1));
  return out;
}

std::wstring LoadBytes(const std::string& bytes, int encoding) {
  CXmlDocUI doc;
  const bool loaded =
      doc.LoadFromMem(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), encoding);
  return Outcome(doc, loaded);
}

}  // namespace

TEST(XmlEncoding, EachEncodingGivesTheSameTree) {
  const struct {
    const char* name;
    std::string bytes;
    int encoding;
    std::wstring outcome;
  } cases[] = {
      {"utf-8", Utf8(kText), SkinUI::kXmlEncodingUtf8, kTree},
      {"utf-8 with mark", "\xEF\xBB\xBF" + Utf8(kText), SkinUI::kXmlEncodingUtf8, kTree},
      {"utf-16 le", Utf16(kText, false), SkinUI::kXmlEncodingUtf16, kTree},
      {"utf-16 be", Utf16(kText, true), SkinUI::kXmlEncodingUtf16, kTree},
      {"utf-16 for any other value", Utf16(kText, true), 7, kTree},
      {"utf-16 without mark", Utf16(kText, false, false), SkinUI::kXmlEncodingUtf16,
       L"error: Missing byte-order mark"},
      {"utf-16 of odd length", Utf16(kText, false) + "<", SkinUI::kXmlEncodingUtf16,
       L"error: Invalid UTF-16 text"},
      {"utf-16 of one byte", "\xFF", SkinUI::kXmlEncodingUtf16, L"error: Invalid UTF-16 text"},
      {"utf-16 of no bytes", "", SkinUI::kXmlEncodingUtf16, L"error: Invalid UTF-16 text"},
      {"utf-16 mark only", "\xFF\xFE", SkinUI::kXmlEncodingUtf16, L""},
      {"utf-8 mark only", "\xEF\xBB\xBF", SkinUI::kXmlEncodingUtf8, L""},
      {"utf-8 of no bytes", "", SkinUI::kXmlEncodingUtf8, L""},
      // Two bytes are no mark; they stay in the text and are not a start tag.
      {"utf-8 half a mark", "\xEF\xBB", SkinUI::kXmlEncodingUtf8, L"error: Expected start tag"},
      {"utf-8 text read as utf-16", "<A />!", SkinUI::kXmlEncodingUtf16,
       L"error: Missing byte-order mark"},
      {"utf-8 with nul inside", std::string("<A />\0<B", 8), SkinUI::kXmlEncodingUtf8, L"A"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.outcome, LoadBytes(c.bytes, c.encoding)) << c.name;
  }
}

TEST(XmlEncoding, AnsiTextUsesTheAnsiCodePage) {
  const std::string bytes = "<A v=\"caf\xE9 \xA3\" />";
  wchar_t expected[16] = {};
  ASSERT_GT(MultiByteToWideChar(CP_ACP, 0, "caf\xE9 \xA3", -1, expected, 16), 0);
  EXPECT_EQ(std::wstring(L"A{v=") + expected + L"}", LoadBytes(bytes, SkinUI::kXmlEncodingAnsi));
}

TEST(XmlEncoding, MalformedUtf8IsReplacedNotOverrun) {
  // A lead byte at the very end and stray continuation bytes inside a value.
  EXPECT_EQ(L"A{v=x\xFFFD\xFFFDy}", LoadBytes("<A v=\"x\x80\xBFy\" />", SkinUI::kXmlEncodingUtf8));
  EXPECT_EQ(L"error: Expected start tag", LoadBytes("<A />\xE5", SkinUI::kXmlEncodingUtf8));
}

TEST(XmlEncoding, NullBlockWithALengthFails) {
  CXmlDocUI doc;
  EXPECT_FALSE(doc.LoadFromMem(nullptr, 10, SkinUI::kXmlEncodingUtf8));
  EXPECT_TRUE(doc.LoadFromMem(nullptr, 0, SkinUI::kXmlEncodingUtf8));
  EXPECT_FALSE(doc.GetRoot().IsValid());
}
