// The UI text table and the replacement of "%{n}" tokens in displayed texts.
#include <gtest/gtest.h>

#include "ui_core/manager/ui_manager.h"

namespace {

using SkinUI::CStringUI;
using SkinUI::CWindowManagerUI;

class LanguageTest : public ::testing::Test {
protected:
  void SetUp() override {
    CWindowManagerUI::SetLanguageText(7, L"Seven");
    CWindowManagerUI::SetLanguageText(12, L"twelve and %{7}");
    CWindowManagerUI::SetLanguageText(9, L"%{9}!");
  }
  void TearDown() override { CWindowManagerUI::RemoveAllLanguageTexts(); }

  static std::wstring Process(const wchar_t* text) {
    CStringUI s(text);
    CWindowManagerUI::ProcessMultiLanguageTokens(s);
    return s.GetData();
  }
};

TEST_F(LanguageTest, TokensWithAKnownIdAreReplacedOthersStay) {
  const struct {
    const wchar_t* in;
    const wchar_t* out;
  } cases[] = {
      {L"%{7}", L"Seven"},
      {L"%{007}", L"Seven"},
      {L"a %{7} b %{07} c", L"a Seven b Seven c"},
      {L"%{8}", L"%{8}"},
      {L"100%", L"100%"},
      {L"%", L"%"},
      {L"%%{7}", L"%Seven"},
      {L"%{}", L"%{}"},
      {L"%{7", L"%{7"},
      {L"%{7a}", L"%{7a}"},
      {L"%{-7}", L"%{-7}"},
      {L"%{ 7}", L"%{ 7}"},
      {L"%7", L"%7"},
      {L"%{99999999999999999999999}", L"%{99999999999999999999999}"},
      {L"%{00000000000000000000007}", L"Seven"},
      // A replacement is not read again: no endless growth from a text holding its own token.
      {L"%{12}", L"twelve and %{7}"},
      {L"%{9}%{9}", L"%{9}!%{9}!"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Process(c.in), c.out);
  }
}

TEST_F(LanguageTest, TheTableKeepsOneTextPerId) {
  CWindowManagerUI::SetLanguageText(7, L"Sieben");
  ASSERT_NE(CWindowManagerUI::GetLanguageText(7), nullptr);
  EXPECT_EQ(*CWindowManagerUI::GetLanguageText(7), L"Sieben");
  EXPECT_EQ(CWindowManagerUI::GetLanguageText(8), nullptr);
  CWindowManagerUI::SetLanguageText(8, nullptr);
  EXPECT_EQ(*CWindowManagerUI::GetLanguageText(8), L"");
  // A long text goes through whole.
  const std::wstring longText(5000, L'x');
  CWindowManagerUI::SetLanguageText(30, longText.c_str());
  EXPECT_EQ(Process(L"<%{30}>"), L"<" + longText + L">");
  CWindowManagerUI::RemoveAllLanguageTexts();
  EXPECT_EQ(Process(L"%{7}"), L"%{7}");
}

}  // namespace
