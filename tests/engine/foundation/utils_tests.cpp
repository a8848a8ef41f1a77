// Text, path and file helpers, and the MD5 digest of a file.
#include <windows.h>

#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/system/file_utils.h"
#include "engine/download/digest_check.h"
#include "engine/download/md5.h"
#include "base/string_utils.h"
#include "test_support.h"

using TestSupport::ScratchDir;

namespace {

// The fixture bytes whose digests were taken with md5sum when the test was written.
std::string Pattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 31 + (i >> 8) * 7 + 11) & 0xff);
  return bytes;
}

std::string Md5Of(const std::string& bytes) {
  Utils::Md5Context context;
  Utils::Md5Init(&context);
  Utils::Md5Update(&context, bytes.data(), bytes.size());
  unsigned char digest[16];
  Utils::Md5Final(&context, digest);
  return Utils::Md5Hex(digest);
}

const wchar_t kChinese[] = L"\u4E2D\u6587\u76EE\u5F55";  // "Chinese folder"

}  // namespace

TEST(FileMd5, DigestsOfFilesAroundBlockAndBufferBoundaries) {
  struct Case {
    size_t size;
    const char* md5;
  };
  const Case cases[] = {
      {0, "d41d8cd98f00b204e9800998ecf8427e"},
      {55, "3f59cf692ca341c18a52628d247f122f"},
      {56, "2c91d6a13bc92b874679906c2658be7b"},
      {63, "5d181cbe8e16a2cd125849da7ef2eec7"},
      {64, "febf22ec40ae86478ee4ed145535892e"},
      {65, "03e9db4ac9ddc8cab447b6eb36577595"},
      {1023, "947a06a70dd0832d37e85854e388a75e"},
      {1024, "d3a4a6c8bb66f9ddd0cc2ca4240fd8bc"},
      {1025, "5239875dad6198b4fdd30ef89e625e57"},
      {3 * 1024 * 1024 + 7, "5b97025a623e672e87f420bbd5f32d91"},  // spans several reads
  };
  ScratchDir dir(L"md5");
  for (const Case& c : cases) {
    const std::wstring path = dir.File(L"f" + std::to_wstring(c.size) + L".bin");
    ASSERT_TRUE(TestSupport::WriteBytes(path, Pattern(c.size)));
    EXPECT_EQ(Utils::GetFileMd5(path), c.md5) << c.size;
    EXPECT_EQ(Utils::GetFileMd5(Utils::ToString(path, CP_ACP)), c.md5) << c.size;
  }
}

TEST(FileMd5, TextAbcAndFailures) {
  ScratchDir dir(L"md5");
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"abc.txt"), "abc"));
  EXPECT_EQ(Utils::GetFileMd5(dir.File(L"abc.txt")), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Utils::GetFileMd5(dir.File(L"missing.bin")), "");
  EXPECT_EQ(Utils::GetFileMd5(Utils::ToString(dir.File(L"missing.bin"), CP_ACP)), "");
  EXPECT_EQ(Utils::GetFileMd5(std::wstring()), "");
  EXPECT_EQ(Utils::GetFileMd5(std::string()), "");
  EXPECT_EQ(Utils::GetFileMd5(dir.Path()), "");  // a folder is no file
}

TEST(FileMd5, WidePathOutsideTheAnsiCodePage) {
  ScratchDir dir(L"md5");
  const std::wstring folder = dir.File(kChinese);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::wstring path = folder + L"\\\u5305.bin";
  ASSERT_TRUE(TestSupport::WriteBytes(path, "abc"));
  EXPECT_EQ(Utils::GetFileMd5(path), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5, UpdatesInChunksGiveTheOneShotDigest) {
  const std::string bytes = Pattern(5000);
  const std::string whole = Md5Of(bytes);
  for (size_t chunk : {1u, 7u, 63u, 64u, 65u, 1000u, 4999u}) {
    Utils::Md5Context context;
    Utils::Md5Init(&context);
    for (size_t at = 0; at < bytes.size(); at += chunk) {
      const size_t n = std::min(chunk, bytes.size() - at);
      Utils::Md5Update(&context, bytes.data() + at, n);
    }
    unsigned char digest[16];
    Utils::Md5Final(&context, digest);
    EXPECT_EQ(Utils::Md5Hex(digest), whole) << chunk;
  }
  // RFC 1321's own test suite.
  EXPECT_EQ(Md5Of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Md5Of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Md5Of("1234567890123456789012345678901234567890"
                  "1234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(UrlLastDir, SegmentBeforeTheFileName) {
  struct Case {
    const char* url;
    const char* expected;
  };
  const Case cases[] = {
      {"http://host/pkg/0123456789abcdef0123456789abcdef/setup.exe",
       "0123456789abcdef0123456789abcdef"},
      {"http://host/pkg/abc/", "abc"},
      {"http://host/a/b/c/d.exe", "c"},
      {"http://host/file.exe", "host"},
      {"file:///C:/pkg/dd/setup.exe", "dd"},
      {"/x", ""},
      {"a/b", ""},
      {"no-slash-at-all", ""},
      {"", ""},
      {"//", ""},
      {"a//b", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(Utils::GetUrlLastDir(c.url), c.expected) << c.url;
}

TEST(GuidString, ThirtyTwoHexDigitsThirdGroupLowerCase) {
  const std::wstring a = Utils::NewGuidString();
  const std::wstring b = Utils::NewGuidString();
  ASSERT_EQ(a.size(), 32u);
  EXPECT_NE(a, b);
  for (const std::wstring& guid : {a, b}) {
    for (size_t i = 0; i < guid.size(); ++i) {
      const wchar_t c = guid[i];
      const bool lowerGroup = i >= 12 && i < 16;
      const bool ok = (c >= L'0' && c <= L'9') ||
                      (lowerGroup ? (c >= L'a' && c <= L'f') : (c >= L'A' && c <= L'F'));
      EXPECT_TRUE(ok) << "position " << i << " of " << TestSupport::ToUtf8(guid);
    }
  }
}

TEST(CreateDirectoryRecursive, CreatesEveryMissingLevel) {
  ScratchDir dir(L"mkdir");
  const std::wstring deep = dir.Path() + L"\\a\\b\\" + kChinese + L"\\d";
  EXPECT_TRUE(Utils::CreateDirectoryRecursive(deep));
  EXPECT_TRUE(PathIsDirectoryW(deep.c_str()));
  // With a trailing backslash too.
  const std::wstring trailing = dir.Path() + L"\\x\\y\\";
  EXPECT_TRUE(Utils::CreateDirectoryRecursive(trailing));
  EXPECT_TRUE(PathIsDirectoryW(trailing.c_str()));
}

TEST(CreateDirectoryRecursive, ExistingPathIsTrueAndUntouched) {
  ScratchDir dir(L"mkdir");
  const std::wstring path = dir.Path() + L"\\keep";
  ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
  ASSERT_TRUE(TestSupport::WriteBytes(path + L"\\inside.txt", "x"));
  EXPECT_TRUE(Utils::CreateDirectoryRecursive(path));
  EXPECT_TRUE(Utils::CreateDirectoryRecursive(path + L"\\"));
  EXPECT_TRUE(TestSupport::FileExists(path + L"\\inside.txt"));
  EXPECT_TRUE(Utils::CreateDirectoryRecursive(L"C:\\"));
}

TEST(CreateDirectoryRecursive, FailuresCreateNothingFurther) {
  ScratchDir dir(L"mkdir");
  // 261 characters: refused before anything is made.
  std::wstring longPath = dir.Path() + L"\\long\\";
  longPath += std::wstring(261 - longPath.size(), L'n');
  ASSERT_EQ(longPath.size(), 261u);
  EXPECT_FALSE(Utils::CreateDirectoryRecursive(longPath));
  EXPECT_FALSE(TestSupport::FileExists(dir.Path() + L"\\long"));

  // A part of the path is a file.
  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"plain"), "x"));
  EXPECT_FALSE(Utils::CreateDirectoryRecursive(dir.File(L"plain") + L"\\sub"));
  EXPECT_FALSE(Utils::CreateDirectoryRecursive(dir.File(L"plain")));

  EXPECT_FALSE(Utils::CreateDirectoryRecursive(L""));

  // A drive that does not exist.
  for (wchar_t letter = L'Q'; letter <= L'Y'; ++letter) {
    const std::wstring root = std::wstring(1, letter) + L":\\";
    if (GetDriveTypeW(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
    EXPECT_FALSE(Utils::CreateDirectoryRecursive(root + L"a\\b"));
    break;
  }
}

TEST(TempFolder, IsTheInstallersFolderBelowTheSystemTemp) {
  wchar_t systemTemp[MAX_PATH] = {};
  ASSERT_GT(GetTempPathW(MAX_PATH, systemTemp), 0u);
  const std::wstring expected = std::wstring(systemTemp) + L"~ZorViTemp.92482B06FB471E17\\";
  wchar_t buffer[MAX_PATH] = {};
  ASSERT_EQ(Utils::GetTempFolderPath(buffer), 0);
  EXPECT_EQ(std::wstring(buffer), expected);
  EXPECT_TRUE(PathIsDirectoryW(buffer));
  EXPECT_EQ(Utils::GetTempFolder(), expected);
  EXPECT_NE(Utils::GetTempFolderPath(nullptr), 0);
}

TEST(CodePages, ChineseRoundTripsThroughUtf8And936) {
  const std::wstring text = L"\u4E2D\u6587 abc \u5B89\u88C5";
  const std::string utf8 = Utils::ToString(text, CP_UTF8);
  EXPECT_EQ(utf8, "\xE4\xB8\xAD\xE6\x96\x87 abc \xE5\xAE\x89\xE8\xA3\x85");
  EXPECT_EQ(Utils::ToWString(utf8, CP_UTF8), text);

  const std::string gbk = Utils::ToString(text, 936);
  EXPECT_EQ(gbk, "\xD6\xD0\xCE\xC4 abc \xB0\xB2\xD7\xB0");
  EXPECT_EQ(Utils::ToWString(gbk, 936), text);
  EXPECT_EQ(Utils::MultiByteToWide(gbk.c_str(), 936), text);
  EXPECT_EQ(Utils::WideToMultiByte(text.c_str(), 936), gbk);

  // Up to the first zero; empty and null give empty.
  EXPECT_EQ(Utils::ToWString(std::string("ab\0cd", 5), CP_UTF8), L"ab");
  EXPECT_EQ(Utils::ToString(std::wstring(L"ab\0cd", 5), CP_UTF8), "ab");
  EXPECT_EQ(Utils::ToWString("", CP_UTF8), L"");
  EXPECT_EQ(Utils::ToString(L"", CP_UTF8), "");
  EXPECT_EQ(Utils::MultiByteToWide(nullptr, CP_UTF8), L"");
  EXPECT_EQ(Utils::WideToMultiByte(nullptr, CP_UTF8), "");
  // A code page that does not exist is a failure: the empty string.
  EXPECT_EQ(Utils::ToString(text, 12345), "");
  EXPECT_EQ(Utils::ToWString("abc", 12345), L"");
}

TEST(TextHelpers, Trim) {
  struct Case {
    const wchar_t* text;
    const wchar_t* left;
    const wchar_t* right;
    const wchar_t* both;
  };
  const Case cases[] = {
      {L"", L"", L"", L""},
      {L"   ", L"", L"", L""},
      {L" \t\r\n\v\f", L"", L"", L""},
      {L"  a b  ", L"a b  ", L"  a b", L"a b"},
      {L"x", L"x", L"x", L"x"},
      {L"\tState=1\r\n", L"State=1\r\n", L"\tState=1", L"State=1"},
      {L"\u3000\u4E2D\u3000", L"\u3000\u4E2D\u3000", L"\u3000\u4E2D\u3000",
       L"\u3000\u4E2D\u3000"},  // only the C locale's white space is trimmed
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::TrimLeft(c.text), c.left);
    EXPECT_EQ(Utils::TrimRight(c.text), c.right);
    EXPECT_EQ(Utils::Trim(c.text), c.both);
  }
}

TEST(TextHelpers, StartsWith) {
  struct Case {
    const wchar_t* text;
    const wchar_t* prefix;
    bool expected;
  };
  const Case cases[] = {
      {L"State=3", L"State=", true},   {L" State=3", L"State=", false},
      {L"xState=3", L"State=", false}, {L"State", L"State=", false},
      {L"state=3", L"State=", false},  {L"abc", L"", true},
      {L"", L"", true},                {L"", L"a", false},
      {L"State=State=", L"State=", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::StartsWith(c.text, c.prefix), c.expected)
        << TestSupport::ToUtf8(c.text) << " / " << TestSupport::ToUtf8(c.prefix);
  }
}

TEST(TextHelpers, ReplaceAll) {
  struct Case {
    const wchar_t* text;
    const wchar_t* pattern;
    const wchar_t* replacement;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"http://h/${ROUTE}/x/${ROUTE}/a.exe", L"${ROUTE}", L"download_silent",
       L"http://h/download_silent/x/download_silent/a.exe"},
      {L"no pattern here", L"${ROUTE}", L"r", L"no pattern here"},
      {L"", L"a", L"b", L""},
      {L"aaa", L"a", L"", L""},
      {L"abab", L"ab", L"ba", L"baba"},
      {L"aaa", L"aa", L"a", L"aa"},
      // A replacement that holds the pattern is not replaced again (and does not loop).
      {L"x", L"x", L"xx", L"xx"},
      {L"${R}", L"${R}", L"[${R}]", L"[${R}]"},
      // An empty pattern changes nothing.
      {L"abc", L"", L"z", L"abc"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Utils::ReplaceAll(c.text, c.pattern, c.replacement), c.expected)
        << TestSupport::ToUtf8(c.text);
  }
}
