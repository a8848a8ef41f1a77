// Each message box of the installer, shown modally from the embedded skin: its texts, and what
// each button, Escape, Alt+F4 and the close button make of it.
#include <gtest/gtest.h>

#include <string>

#include "app/message_box_wnd.h"
#include "app/skin_files.h"
#include "app_ui_support.h"
#include "test_support.h"

namespace {

enum class Act { ClickOk, ClickCancel, ClickClose, AltF4, EscapeThenClose };

struct Seen {
  std::wstring caption;
  std::wstring text;
  bool openAfterEscape = false;
};

// Shows the box and, from inside its modal loop, reads its texts and then acts on it.
int ShowAndAct(const wchar_t* skin, const wchar_t* text, const wchar_t* caption, Act act,
               Seen* seen) {
  const std::wstring cls(std::wstring(skin).substr(0, std::wstring(skin).find(L'.')));
  int stage = 0;
  DWORD escapeTick = 0;
  AppTest::LoopAction action([&]() {
    HWND box = AppTest::FindOwnWindow(cls.c_str());
    if (box == nullptr) return false;
    if (stage == 0) {
      if (auto* c = AppTest::FindControlIn(box, L"captionLbl")) seen->caption = c->GetText().GetData();
      if (auto* t = AppTest::FindControlIn(box, L"textLbl")) seen->text = t->GetText().GetData();
      stage = 1;
      switch (act) {
        case Act::ClickOk:
          AppTest::ClickControl(box, AppTest::FindControlIn(box, L"okBtn"));
          return true;
        case Act::ClickCancel:
          AppTest::ClickControl(box, AppTest::FindControlIn(box, L"cancelBtn"));
          return true;
        case Act::ClickClose:
          AppTest::ClickControl(box, AppTest::FindControlIn(box, L"closebtn"));
          return true;
        case Act::AltF4:
          PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
          return true;
        case Act::EscapeThenClose:
          PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
          PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0xC0010001);
          escapeTick = GetTickCount();
          return false;
      }
    }
    // After Escape: still open a moment later, then closed by its close button.
    if (GetTickCount() - escapeTick < 300) return false;
    seen->openAfterEscape = IsWindow(box) && IsWindowVisible(box);
    AppTest::ClickControl(box, AppTest::FindControlIn(box, L"closebtn"));
    return true;
  });
  return App::CMessageBoxWnd::Show(nullptr, App::SkinInfoFor(skin), text, caption);
}

TEST(MessageBoxes, TextsAndResultsForEveryBoxAndWayOut) {
  ASSERT_TRUE(AppTest::UseEmbeddedSkin());
  const struct {
    const wchar_t* skin;
    const wchar_t* text;
    const wchar_t* caption;
    Act act;
    int result;
    const wchar_t* shownCaption;
    const wchar_t* shownText;
  } cases[] = {
      {App::kMessageBox1Skin, L"安装程序检测到Brisolan\r\n正在运行，请退出程序后再安装", L"温馨提示",
       Act::ClickClose, App::kBoxOther, L"温馨提示",
       L"安装程序检测到Brisolan\r\n正在运行，请退出程序后再安装"},
      {App::kMessageBox1Skin, L"消息正文", L"消息", Act::AltF4, App::kBoxCancel, L"消息",
       L"消息正文"},
      {App::kMessageBox1Skin, nullptr, nullptr, Act::ClickClose, App::kBoxOther, L"CAPTION",
       L"TEXT"},
      {App::kMessageBox2Skin, L"无效路径", L"温馨提示", Act::ClickClose, App::kBoxOther,
       L"温馨提示", L"无效路径"},
      {App::kMessageBox2Skin, L"安装失败", nullptr, Act::AltF4, App::kBoxCancel, L"CAPTION",
       L"安装失败"},
      {App::kMessageBox2Skin, L"无效路径", L"温馨提示", Act::EscapeThenClose, App::kBoxOther,
       L"温馨提示", L"无效路径"},
      {App::kNetworkTipSkin, nullptr, nullptr, Act::ClickOk, App::kBoxOk, L"温馨提示",
       L"当前网络环境较差，请在网络通畅时进行重试"},
      {App::kNetworkTipSkin, nullptr, nullptr, Act::ClickCancel, App::kBoxCancel, L"温馨提示",
       L"当前网络环境较差，请在网络通畅时进行重试"},
      {App::kNetworkTipSkin, nullptr, nullptr, Act::ClickClose, App::kBoxOther, L"温馨提示",
       L"当前网络环境较差，请在网络通畅时进行重试"},
      {App::kExitTipSkin, nullptr, nullptr, Act::ClickOk, App::kBoxOk, L"温馨提示",
       L"您确定要退出安装吗？"},
      {App::kExitTipSkin, nullptr, nullptr, Act::ClickCancel, App::kBoxCancel, L"温馨提示",
       L"您确定要退出安装吗？"},
      {App::kExitTipSkin, nullptr, nullptr, Act::ClickClose, App::kBoxOther, L"温馨提示",
       L"您确定要退出安装吗？"},
      {App::kExitTipSkin, nullptr, nullptr, Act::EscapeThenClose, App::kBoxOther, L"温馨提示",
       L"您确定要退出安装吗？"},
      {App::kInstalledPathTipSkin, nullptr, nullptr, Act::ClickOk, App::kBoxOk, L"温馨提示",
       L"检测到计算机中已存在此软件，是否为您更新为最新版本？"},
      {App::kInstalledPathTipSkin, nullptr, nullptr, Act::ClickCancel, App::kBoxCancel,
       L"温馨提示", L"检测到计算机中已存在此软件，是否为您更新为最新版本？"},
      {App::kInstalledPathTipSkin, nullptr, nullptr, Act::AltF4, App::kBoxCancel, L"温馨提示",
       L"检测到计算机中已存在此软件，是否为您更新为最新版本？"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(TestSupport::ToUtf8(c.skin) + " act " + std::to_string(static_cast<int>(c.act)));
    Seen seen;
    EXPECT_EQ(ShowAndAct(c.skin, c.text, c.caption, c.act, &seen), c.result);
    EXPECT_EQ(seen.caption, c.shownCaption);
    EXPECT_EQ(seen.text, c.shownText);
    if (c.act == Act::EscapeThenClose) {
      EXPECT_TRUE(seen.openAfterEscape);
    }
  }
}

TEST(MessageBoxes, TheBoxDisablesItsOwnerWhileItIsOpen) {
  ASSERT_TRUE(AppTest::UseEmbeddedSkin());
  TestSupport::TestHostWindow owner(300, 200);
  bool ownerDisabled = false;
  AppTest::LoopAction action([&]() {
    HWND box = AppTest::FindOwnWindow(L"MessageBox1Wnd");
    if (box == nullptr) return false;
    ownerDisabled = !IsWindowEnabled(owner.hwnd());
    EXPECT_EQ(GetWindow(box, GW_OWNER), owner.hwnd());
    // The frame style: no caption bar, no maximise box, never topmost.
    const LONG style = GetWindowLongW(box, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, 0);
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0);
    EXPECT_EQ(GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    AppTest::ClickControl(box, AppTest::FindControlIn(box, L"closebtn"));
    return true;
  });
  EXPECT_EQ(App::CMessageBoxWnd::Show(owner.hwnd(), App::SkinInfoFor(App::kMessageBox1Skin),
                                      L"x", L"y"),
            App::kBoxOther);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(IsWindowEnabled(owner.hwnd()));
}

}  // namespace
