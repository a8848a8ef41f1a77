// The progress text's template and the status records posted to the main window.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/progress_text.h"
#include "app/status_message.h"

namespace {

TEST(ProgressText, OnlyTheNumberAndThePercentSignAreFilledIn) {
  const struct {
    std::wstring templateText;
    int percent;
    std::wstring expected;
  } cases[] = {
      {L"正在安装中:%d%%，请稍候...", 35, L"正在安装中:35%，请稍候..."},
      {L"正在安装中:%d%%，请耐心等待...", 100, L"正在安装中:100%，请耐心等待..."},
      {L"%d", 0, L"0"},
      {L"%s %n %x %ls %08d", 7, L"%s %n %x %ls %08d"},  // no free format from a skin
      {L"%d/%d", 5, L"5/5"},
      {L"ends with %", 1, L"ends with %"},
      {L"no number", 9, L"no number"},
      {L"", 9, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(App::FormatProgressText(c.templateText, c.percent), c.expected);
  }
}

TEST(ProgressText, ALongTemplateIsCutToTheBuffer) {
  const std::wstring longText(1000, L'x');
  EXPECT_EQ(App::FormatProgressText(longText, 1).size(), App::kProgressTextMaxLength);
  std::wstring manyNumbers;
  for (int i = 0; i < 500; ++i) manyNumbers += L"%d";
  EXPECT_LE(App::FormatProgressText(manyNumbers, 100).size(), App::kProgressTextMaxLength);
}

// A plain window to post to.
class StatusTarget : public ::testing::Test {
protected:
  void SetUp() override {
    window_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(window_, nullptr);
  }
  void TearDown() override {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  HWND window_ = nullptr;
};

TEST_F(StatusTarget, APostedReportArrivesAsOneRecordOwnedByTheReceiver) {
  ASSERT_TRUE(App::PostStatusMessage(window_, 2002, 0.25, L"text"));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, window_, App::kMsgStatus, App::kMsgStatus, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 0u);
  std::unique_ptr<App::StatusMessage> record = App::TakeStatusMessage(msg.lParam);
  ASSERT_TRUE(record);
  EXPECT_EQ(record->code, 2002);
  EXPECT_DOUBLE_EQ(record->progress, 0.25);
  EXPECT_EQ(record->text, L"text");
  EXPECT_FALSE(PeekMessageW(&msg, window_, App::kMsgStatus, App::kMsgStatus, PM_REMOVE));
}

TEST_F(StatusTarget, ANullTextBecomesEmpty) {
  ASSERT_TRUE(App::PostStatusMessage(window_, 1001, 0, nullptr));
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, window_, App::kMsgStatus, App::kMsgStatus, PM_REMOVE));
  EXPECT_EQ(App::TakeStatusMessage(msg.lParam)->text, L"");
}

TEST_F(StatusTarget, AReportForAWindowThatIsGoneIsRefused) {
  DestroyWindow(window_);
  const HWND gone = window_;
  window_ = nullptr;
  EXPECT_FALSE(App::PostStatusMessage(gone, 2003, 1, L"late"));
  EXPECT_FALSE(App::PostStatusMessage(nullptr, 2003, 1, L"no window"));
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, nullptr, App::kMsgStatus, App::kMsgStatus, PM_REMOVE));
}

TEST_F(StatusTarget, QueuedReportsAreDiscardedWhenTheWindowGoes) {
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(App::PostStatusMessage(window_, 1002, i / 10.0, L"x"));
  App::DiscardQueuedStatusMessages(window_);
  MSG msg;
  EXPECT_FALSE(PeekMessageW(&msg, window_, App::kMsgStatus, App::kMsgStatus, PM_REMOVE));
}

}  // namespace
