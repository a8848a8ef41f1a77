// The language table: locale codes, the Windows UI languages that choose them, and
// "language.json" read from archives made by the real 7zz and zip tools.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/language_codes.h"
#include "app/language_table.h"
#include "log_capture.h"
#include "test_support.h"
#include "ui_core/archives/skin_archive.h"

namespace {

using Texts = std::map<int, std::wstring>;

std::wstring Fixture(const std::wstring& name) {
  return TestSupport::TestDataDir() + L"\\app\\language\\" + name;
}

SkinUI::UniqueSkinArchive Open(const std::wstring& name) {
  const std::wstring path = Fixture(name);
  if (name.size() > 4 && name.compare(name.size() - 4, 4, L".zip") == 0) {
    return SkinUI::UniqueSkinArchive(
        SkinUI::SkinZipOpen(path.c_str(), 0, SkinUI::kSkinZipFileName));
  }
  return SkinUI::UniqueSkinArchive(SkinUI::Skin7zOpenFromFile(path.c_str()));
}

App::LanguageTextSink Into(Texts* texts) {
  return [texts](int id, const std::wstring& text) { (*texts)[id] = text; };
}

TEST(LanguageCodes, EveryIndexHasItsCodeAndNothingElseHasOne) {
  const wchar_t* expected[] = {L"en-US", L"zh-CN", L"zh-TW", L"id-ID", L"tr-TR",
                               L"de-DE", L"fr-FR", L"es-ES", L"pt-PT", L"ja-JP",
                               L"ko-KR", L"pl-PL", L"nl-NL", L"it-IT", L"ru-RU"};
  for (int i = 0; i < App::kLanguageCount; ++i) {
    ASSERT_NE(App::LocaleCode(i), nullptr) << i;
    EXPECT_STREQ(App::LocaleCode(i), expected[i]);
    EXPECT_EQ(App::LanguageIndexOfCode(TestSupport::ToUtf8(expected[i])), i);
    EXPECT_EQ(TestSupport::FromUtf8(App::LocaleCodeNarrow(i)), expected[i]);
  }
  EXPECT_EQ(App::LocaleCode(-1), nullptr);
  EXPECT_EQ(App::LocaleCode(15), nullptr);
  EXPECT_EQ(App::LanguageIndexOfCode("ko-kr"), -1);  // codes match exactly
  EXPECT_EQ(App::LanguageIndexOfCode(""), -1);
}

TEST(LanguageCodes, WindowsUiLanguagesChooseTheirIndex) {
  const struct {
    LANGID langId;
    int index;
  } cases[] = {
      {1033, 0},  {2052, 0},  {1028, 2},  {1057, 3},  {1055, 4},  {1031, 5},  {1036, 6},
      {1034, 7},  {2058, 7},  {3082, 7},  {11274, 7}, {20490, 7}, {21514, 0}, {2059, 0},
      {1046, 8},  {1041, 9},  {1042, 10}, {1045, 11}, {1043, 12}, {2067, 12}, {1040, 13},
      {1049, 14}, {0, 0},     {2057, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(App::LanguageIndexOfLangId(c.langId), c.index) << "LANGID " << c.langId;
  }
}

TEST(LanguageCodes, StoredCodeWinsOverTheRequestedIndex) {
  EXPECT_EQ(App::ResolveLanguageIndex(0, L"ko-KR"), 10);
  EXPECT_EQ(App::ResolveLanguageIndex(3, L"xx-XX"), 3);   // unknown code keeps the index
  EXPECT_EQ(App::ResolveLanguageIndex(0, L"xx-XX"), 0);
  EXPECT_EQ(App::ResolveLanguageIndex(5, L""), 5);
  EXPECT_EQ(App::ResolveLanguageIndex(15, L""), 0);       // outside the table without a code
  EXPECT_EQ(App::ResolveLanguageIndex(-1, L""), 0);
}

TEST(LanguageTable, TextsOfTheChosenLanguageAreStoredUnderTheirIds) {
  auto archive = Open(L"good.7z");
  ASSERT_TRUE(archive);
  Texts texts;
  EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 10, L"", Into(&texts)), 10);
  EXPECT_EQ(texts, (Texts{{1, L"지금 설치"}, {2, L""}, {1000, L""}}));  // no ko-KR text: empty

  texts.clear();
  EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 0, L"zh-CN", Into(&texts)), 1);
  EXPECT_EQ(texts, (Texts{{1, L"立即安装"}, {2, L"浏览"}, {1000, L""}}));

  texts.clear();
  EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 99, L"", Into(&texts)), 0);
  EXPECT_EQ(texts.at(1000), L"Folder %{1}");
}

TEST(LanguageTable, AnObjectOfEntriesAndAZipArchiveAreReadToo) {
  Texts texts;
  auto object = Open(L"object.7z");
  ASSERT_TRUE(object);
  EXPECT_EQ(App::LoadLanguageTexts(object.get(), 5, L"", Into(&texts)), 5);
  EXPECT_EQ(texts, (Texts{{7, L"Durchsuchen"}, {8, L"Weiter"}}));

  texts.clear();
  auto zip = Open(L"good.zip");
  ASSERT_TRUE(zip);
  EXPECT_EQ(App::LoadLanguageTexts(zip.get(), 0, L"ja-JP", Into(&texts)), 9);
  EXPECT_EQ(texts, (Texts{{5, L"参照"}}));
}

TEST(LanguageTable, MissingEmptyOrOversizedFilesGiveIndexZeroAndNoTexts) {
  for (const wchar_t* name : {L"missing.7z", L"empty.7z", L"oversized.7z"}) {
    auto archive = Open(name);
    ASSERT_TRUE(archive) << TestSupport::ToUtf8(name);
    Texts texts;
    EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 6, L"", Into(&texts)), 0)
        << TestSupport::ToUtf8(name);
    EXPECT_TRUE(texts.empty()) << TestSupport::ToUtf8(name);
  }
  Texts texts;
  EXPECT_EQ(App::LoadLanguageTexts(nullptr, 6, L"", Into(&texts)), 0);
  EXPECT_TRUE(texts.empty());
}

TEST(LanguageTable, AFileAtTheSizeLimitIsRead) {
  auto archive = Open(L"at_limit.7z");
  ASSERT_TRUE(archive);
  Texts texts;
  EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 0, L"", Into(&texts)), 0);
  EXPECT_EQ(texts, (Texts{{3, L"big"}}));
}

TEST(LanguageTable, MalformedFilesAreRefusedWholeWithALogLine) {
  for (const wchar_t* name :
       {L"not_json.7z", L"entry_not_object.7z", L"id_is_text.7z", L"id_is_fraction.7z",
        L"id_missing.7z", L"text_not_string.7z", L"root_is_text.7z", L"deep_nesting.7z"}) {
    auto archive = Open(name);
    ASSERT_TRUE(archive) << TestSupport::ToUtf8(name);
    LogCapture log;
    Texts texts;
    // The requested index stands; nothing reaches the table, not even the entries before the
    // malformed one.
    EXPECT_EQ(App::LoadLanguageTexts(archive.get(), 4, L"", Into(&texts)), 4)
        << TestSupport::ToUtf8(name);
    EXPECT_TRUE(texts.empty()) << TestSupport::ToUtf8(name);
    EXPECT_FALSE(log.LinesContaining(L"language.json").empty()) << TestSupport::ToUtf8(name);
  }
}

TEST(LanguageTable, TheShippedTableHasEveryLanguageForEveryEntry) {
  auto archive = Open(L"shipped_skin.7z");
  ASSERT_TRUE(archive);
  for (int index = 0; index < App::kLanguageCount; ++index) {
    Texts texts;
    ASSERT_EQ(App::LoadLanguageTexts(archive.get(), index, L"", Into(&texts)), index);
    ASSERT_FALSE(texts.empty());
    for (const auto& entry : texts) {
      EXPECT_FALSE(entry.second.empty()) << App::LocaleCodeNarrow(index) << " id " << entry.first;
    }
  }
}

TEST(InstalledLanguage, ConfigIniOfTheEarlierFolderGivesItsCode) {
  TestSupport::ScratchDir dir(L"lang");
  bool found = true;
  EXPECT_EQ(App::ReadInstalledLanguageCode(dir.Path(), &found), L"");
  EXPECT_FALSE(found);

  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"config.ini"), "[Install]\r\nOther=1\r\n"));
  EXPECT_EQ(App::ReadInstalledLanguageCode(dir.Path(), &found), L"en-US");
  EXPECT_TRUE(found);

  ASSERT_TRUE(TestSupport::WriteBytes(dir.File(L"config.ini"), "[Install]\r\nLanguage=ko-KR\r\n"));
  EXPECT_EQ(App::ReadInstalledLanguageCode(dir.Path() + L"\\", &found), L"ko-KR");
  EXPECT_EQ(App::ResolveLanguageIndex(0, L"ko-KR"), 10);
}

}  // namespace
