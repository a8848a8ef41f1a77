// The rich edit in a real window: the system's windowless text services behind the text host,
// fed with the window's own messages (characters, keys, the wheel, clicks) and painted into
// 32-bit DIBs.
#include <gtest/gtest.h>

#include <string>

#include "controls_fixture.h"
#include "periphery_fixture.h"
#include "test_support.h"
#include "ui_controls/ui_button.h"
#include "ui_controls/ui_rich_edit.h"
#include "ui_controls/ui_text_host.h"
#include "ui_core/ui_manager.h"
#include "ui_core/ui_scrollbar.h"

namespace {

using ControlsTest::ControlsWindow;
using SkinUI::CRichEditUI;
using PeripheryTest::AllRgb;
using PeripheryTest::CountRgbInColumn;
using TestSupport::DibCanvas;

// Holds (or releases) a key in this thread's key state, as GetKeyState reads it.
class HeldKey {
public:
  explicit HeldKey(int key) : key_(key) { Set(true); }
  ~HeldKey() { Set(false); }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

private:
  void Set(bool down) {
    BYTE state[256] = {};
    ::GetKeyboardState(state);
    state[key_] = down ? 0x80 : 0;
    ::SetKeyboardState(state);
  }
  int key_;
};

std::wstring Lines(int count) {
  std::wstring text;
  for (int i = 0; i < count; ++i) text += L"line " + std::to_wstring(i) + L"\r";
  return text;
}

// A 300 x 100 rich edit named "notes" at the top of the window and a button below it.
struct RichWindow {
  ControlsWindow window;
  CRichEditUI* edit;
  SkinUI::CButtonUI* button;

  explicit RichWindow(int width = 300, int height = 100)
      : edit(window.Add(new CRichEditUI(), width, height, L"notes")),
        button(window.Add(new SkinUI::CButtonUI(), 100, 30, L"okBtn")) {}

  void Attach() {
    window.Attach();
    edit->SetFocus();
  }
  // Characters as the window receives them after TranslateMessage.
  void Type(const std::wstring& text) {
    for (const wchar_t ch : text) ::SendMessageW(window.hwnd(), WM_CHAR, ch, 1);
  }
  // A key as the window receives it, with its character when it has one.
  void Press(WPARAM key, wchar_t ch = 0) {
    ::SendMessageW(window.hwnd(), WM_KEYDOWN, key, 1);
    if (ch != 0) ::SendMessageW(window.hwnd(), WM_CHAR, ch, 1);
    ::SendMessageW(window.hwnd(), WM_KEYUP, key, 0xC0000001);
  }
  int Count(const wchar_t* type) { return window.recorder().Count(type, L"notes"); }
  std::wstring Text() { return edit->GetText().GetData(); }
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    LRESULT result = 0;
    edit->TxSendMessage(message, wParam, lParam, &result);
    return result;
  }
  // With a vertical bar and `lines` lines of text, attached and laid out; the bar.
  SkinUI::CScrollBarUI* AttachWithLines(int lines) {
    edit->SetAttribute(L"vscrollbar", L"true");
    edit->SetAttribute(L"autovscroll", L"true");
    edit->SetText(Lines(lines).c_str());
    Attach();
    window.Repaint();
    return edit->GetVerticalScrollBar();
  }
  CHARFORMAT2W DefaultCharFormat() {
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    Send(EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    return format;
  }
};

TEST(RichEditTest, TypedCharactersBecomeTheTextAndAreReported) {
  RichWindow w;
  w.Attach();
  ASSERT_NE(w.edit->GetTxtWinHost(), nullptr) << "the text services of msftedit.dll";
  ASSERT_TRUE(w.edit->IsFocused());
  w.Type(L"abc");
  EXPECT_EQ(w.Text(), L"abc");
  EXPECT_EQ(w.Count(L"textchanged"), 3);
  w.Press(VK_BACK, L'\b');
  EXPECT_EQ(w.Text(), L"ab");
  EXPECT_EQ(w.Count(L"textchanged"), 4);
}

TEST(RichEditTest, KeysReachTheTextOnlyWhileItHasTheFocus) {
  RichWindow w;
  w.Attach();
  w.window.manager().SetFocus(w.button);
  ASSERT_FALSE(w.edit->IsFocused());
  w.Type(L"xy");
  EXPECT_EQ(w.Text(), L"");
  EXPECT_EQ(w.Count(L"textchanged"), 0);
}

TEST(RichEditTest, SetTextReplacesTheWholeTextAndGetTextReadsIt) {
  RichWindow w;
  w.edit->SetText(L"before the window");
  w.Attach();
  EXPECT_EQ(w.Text(), L"before the window") << "the initial text goes to the services";
  w.edit->SetText(L"first\rsecond");
  EXPECT_EQ(w.Text(), L"first\rsecond");
  w.edit->SetText(L"");
  EXPECT_EQ(w.Text(), L"");
}

TEST(RichEditTest, EnterFollowsTheWantReturnFlags) {
  const struct {
    const wchar_t* wantReturn;
    const wchar_t* wantCtrlReturn;
    bool ctrl;
    bool reported;  // "return" sent, the text unchanged
  } cases[] = {
      {L"true", L"true", false, false},
      {L"false", L"true", false, true},
      {L"true", L"false", false, false},
      {L"true", L"false", true, true},  // Ctrl+Enter refused even when Enter is wanted
      {L"false", L"false", true, true},
  };
  for (const auto& c : cases) {
    RichWindow w;
    w.edit->SetAttribute(L"wantreturn", c.wantReturn);
    w.edit->SetAttribute(L"wantctrlreturn", c.wantCtrlReturn);
    w.Attach();
    w.Type(L"ab");
    {
      std::unique_ptr<HeldKey> ctrl(c.ctrl ? new HeldKey(VK_CONTROL) : nullptr);
      w.Press(VK_RETURN, c.ctrl ? L'\n' : L'\r');
    }
    const std::wstring label = std::wstring(c.wantReturn) + L"/" + c.wantCtrlReturn +
                               (c.ctrl ? L"/ctrl" : L"");
    EXPECT_EQ(w.Count(L"return"), c.reported ? 1 : 0) << label.c_str();
    if (c.reported) {
      EXPECT_EQ(w.Text(), L"ab") << label.c_str();
    } else if (!c.ctrl) {
      EXPECT_EQ(w.Text(), L"ab\r") << label.c_str();
    }
  }
}

TEST(RichEditTest, TypingReplacesTheSelection) {
  RichWindow w;
  w.edit->SetText(L"hello world");
  w.Attach();
  w.edit->SetSel(0, 5);
  CHARRANGE range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 0);
  EXPECT_EQ(range.cpMax, 5);
  w.Type(L"J");
  EXPECT_EQ(w.Text(), L"J world");
  range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 1);
  EXPECT_EQ(range.cpMax, 1);

  // Shift+End selects to the end of the line; typing replaces it.
  {
    HeldKey shift(VK_SHIFT);
    w.Press(VK_END);
  }
  range = w.edit->GetSel();
  EXPECT_EQ(range.cpMin, 1);
  EXPECT_EQ(range.cpMax, 7);
  w.Type(L"!");
  EXPECT_EQ(w.Text(), L"J!");
}

TEST(RichEditTest, ReadOnlyTextRefusesTyping) {
  RichWindow w;
  w.edit->SetText(L"fixed");
  w.edit->SetAttribute(L"readonly", L"true");
  w.Attach();
  EXPECT_TRUE(w.edit->IsReadOnly());
  w.Type(L"xyz");
  w.Press(VK_BACK, L'\b');
  EXPECT_EQ(w.Text(), L"fixed");
  EXPECT_EQ(w.Count(L"textchanged"), 0);
}

TEST(RichEditTest, PasswordTextShowsStars) {
  RichWindow w;
  w.edit->SetAttribute(L"password", L"true");
  w.edit->SetText(L"abc");
  CRichEditUI* plain = w.window.Add(new CRichEditUI(), 300, 100, L"plain");
  plain->SetText(L"***");
  w.Attach();
  w.window.manager().SetFocus(w.button);  // no caret or selection in either paint
  EXPECT_EQ(w.edit->GetTxtWinHost()->GetPasswordChar(), L'*')
      << "a password field without a character of its own";
  EXPECT_EQ(w.Text(), L"abc") << "the text itself stays";
  EXPECT_TRUE(ControlsTest::PaintsAlike(w.edit, plain)) << "the stars and nothing else";
}

TEST(RichEditTest, FullTextTakesNoMoreCharacters) {
  RichWindow w;
  w.Attach();
  EXPECT_EQ(w.edit->GetLimitText(), 32767);
  EXPECT_EQ(w.Send(EM_GETLIMITTEXT), 32767);
  std::wstring full;
  while (full.size() < 32767) full += std::wstring(99, L'x') + L"\r";
  full.resize(32767);
  w.edit->SetText(full.c_str());
  ASSERT_EQ(w.Text().size(), 32767u);
  w.Type(L"yz");
  EXPECT_EQ(w.Text().size(), 32767u);
  w.Press(VK_BACK, L'\b');
  w.Type(L"yz");
  EXPECT_EQ(w.Text().size(), 32767u) << "room for one character only";
}

TEST(RichEditTest, LongLinesWrapUnlessTheTextScrollsSideways) {
  const std::wstring longLine(200, L'w');
  const struct {
    const wchar_t* attribute;
    bool wraps;
  } cases[] = {
      {nullptr, true},
      {L"autohscroll", false},
      {L"hscrollbar", false},
  };
  for (const auto& c : cases) {
    RichWindow w(120, 100);
    if (c.attribute != nullptr) w.edit->SetAttribute(c.attribute, L"true");
    w.edit->SetText((longLine + L" " + longLine).c_str());
    w.Attach();
    const int lines = w.edit->GetLineCount();
    if (c.wraps) {
      EXPECT_GT(lines, 2) << "no attribute";
    } else {
      EXPECT_EQ(lines, 1) << c.attribute;
    }
  }
}

TEST(RichEditTest, ScrollBarAttributesSetTheStyleAndMakeTheBars) {
  RichWindow w;
  w.edit->SetAttribute(L"vscrollbar", L"true");
  w.edit->SetAttribute(L"hscrollbar", L"true");
  w.edit->SetAttribute(L"autovscroll", L"true");
  const DWORD style = w.edit->GetEditStyle();
  EXPECT_TRUE(style & WS_VSCROLL);
  EXPECT_TRUE(style & WS_HSCROLL);
  EXPECT_TRUE(style & ES_DISABLENOSCROLL);
  EXPECT_TRUE(style & ES_AUTOVSCROLL);
  EXPECT_NE(w.edit->GetVerticalScrollBar(), nullptr);
  EXPECT_NE(w.edit->GetHorizontalScrollBar(), nullptr);

  RichWindow none;
  none.edit->SetAttribute(L"vscrollbar", L"false");
  EXPECT_FALSE(none.edit->GetEditStyle() & WS_VSCROLL);
  EXPECT_EQ(none.edit->GetVerticalScrollBar(), nullptr);
}

TEST(RichEditTest, VerticalBarAppearsWhenTheTextOutgrowsTheView) {
  RichWindow w;
  w.edit->SetAttribute(L"vscrollbar", L"true");
  w.edit->SetAttribute(L"autovscroll", L"true");
  w.edit->SetText(L"short");
  w.Attach();
  SkinUI::CScrollBarUI* bar = w.edit->GetVerticalScrollBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(bar->IsVisible()) << "the text fits";

  w.edit->SetText(Lines(40).c_str());
  w.window.Repaint();
  ASSERT_TRUE(bar->IsVisible());
  EXPECT_GT(bar->GetScrollRange(), 0);
  // The bar stands at the right edge of the control, and the text's view leaves room for it.
  const RECT item = w.edit->GetPos();
  const RECT placed = bar->GetPos();
  EXPECT_EQ(placed.right, item.right);
  EXPECT_EQ(placed.top, item.top);
  EXPECT_EQ(placed.bottom, item.bottom);
  EXPECT_EQ(w.edit->GetTxtWinHost()->GetClientRect().right, placed.left);

  w.edit->SetText(L"short again");
  w.window.Repaint();
  EXPECT_FALSE(bar->IsVisible());
}

TEST(RichEditTest, WheelWithoutCtrlScrollsThroughTheBarAndWithCtrlGoesToTheText) {
  RichWindow w;
  SkinUI::CScrollBarUI* bar = w.AttachWithLines(60);
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(bar->IsVisible());
  w.edit->HomeUp();
  ASSERT_EQ(bar->GetScrollPos(), 0);
  const LRESULT firstLine = w.Send(EM_GETFIRSTVISIBLELINE);

  const POINT centre = ControlsWindow::Centre(w.edit);
  w.window.Wheel(centre.x, centre.y, false);
  EXPECT_GT(bar->GetScrollPos(), 0);
  EXPECT_GT(w.Send(EM_GETFIRSTVISIBLELINE), firstLine);
  w.window.Wheel(centre.x, centre.y, true);
  EXPECT_EQ(bar->GetScrollPos(), 0);

  // With Ctrl the message goes to the text services themselves: they zoom, they do not scroll.
  POINT screen = centre;
  ::ClientToScreen(w.window.hwnd(), &screen);
  HeldKey ctrl(VK_CONTROL);
  ::SendMessageW(w.window.hwnd(), WM_MOUSEWHEEL,
                 MAKEWPARAM(MK_CONTROL, static_cast<WORD>(-WHEEL_DELTA)),
                 MAKELPARAM(screen.x, screen.y));
  EXPECT_EQ(bar->GetScrollPos(), 0);
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), firstLine);
}

TEST(RichEditTest, ScrollStepsMoveTheTextAndItsBar) {
  RichWindow w;
  SkinUI::CScrollBarUI* bar = w.AttachWithLines(60);
  ASSERT_TRUE(bar != nullptr && bar->IsVisible());
  w.edit->HomeUp();
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), 0);
  w.edit->EndDown();
  EXPECT_EQ(bar->GetScrollPos(), bar->GetScrollRange());
  EXPECT_GT(w.Send(EM_GETFIRSTVISIBLELINE), 40);
  w.edit->PageUp();
  EXPECT_LT(bar->GetScrollPos(), bar->GetScrollRange());
  w.edit->HomeUp();
  w.edit->LineDown();
  EXPECT_EQ(w.Send(EM_GETFIRSTVISIBLELINE), 1);
  // Dragging the thumb ends in SetScrollPos: the text follows the bar.
  w.edit->SetScrollPos(SIZE{0, bar->GetScrollRange() / 2});
  const LRESULT middle = w.Send(EM_GETFIRSTVISIBLELINE);
  EXPECT_GT(middle, 10);
  EXPECT_LT(middle, 50);
}

TEST(RichEditTest, TabIsTypedWhenWantedAndMovesTheFocusOtherwise) {
  for (const bool wantTab : {true, false}) {
    RichWindow w;
    if (!wantTab) w.edit->SetAttribute(L"wanttab", L"false");
    w.Attach();
    EXPECT_EQ(w.edit->IsWantTab(), wantTab);
    EXPECT_EQ(w.edit->GetInterface(L"WantTab") != nullptr, wantTab);
    // What the modal loop does with the key: the managers see it first, then it is dispatched.
    MSG msg = {w.window.hwnd(), WM_KEYDOWN, VK_TAB, 1, 0, {0, 0}};
    const bool consumed = SkinUI::CWindowManagerUI::TranslateMessage(&msg);
    if (!consumed) w.Press(VK_TAB, L'\t');
    EXPECT_EQ(consumed, !wantTab);
    EXPECT_EQ(w.Text(), wantTab ? L"\t" : L"");
    EXPECT_EQ(w.edit->IsFocused(), wantTab);
    EXPECT_EQ(w.button->IsFocused(), !wantTab);
  }
}

TEST(RichEditTest, ClickFocusesTheControlAndPlacesTheCaret) {
  RichWindow w;
  w.edit->SetText(L"abcdefgh");
  CRichEditUI* second = w.window.Add(new CRichEditUI(), 300, 60, L"second");
  second->SetText(L"0123456789");
  w.Attach();
  ASSERT_TRUE(w.edit->IsFocused());
  second->SetSel(-1, -1);
  const RECT& item = second->GetPos();
  w.window.ClickLeft(item.left + 1, item.top + 5);
  EXPECT_TRUE(second->IsFocused());
  EXPECT_FALSE(w.edit->IsFocused());
  EXPECT_EQ(second->GetSel().cpMin, 0) << "the caret before the first character";
  w.Type(L"-");
  EXPECT_EQ(std::wstring(second->GetText().GetData()), L"-0123456789");
  EXPECT_EQ(w.Text(), L"abcdefgh");
}

TEST(RichEditTest, FontAndTextColourMakeTheDefaultCharacterFormat) {
  RichWindow w;
  w.window.manager().AddFont(3, L"Tahoma", 20, true, false, true);
  w.edit->SetAttribute(L"font", L"3");
  w.edit->SetAttribute(L"textcolor", L"  #FF204060");
  w.Attach();
  CHARFORMAT2W format = w.DefaultCharFormat();
  EXPECT_EQ(format.crTextColor, RGB(0x20, 0x40, 0x60));
  EXPECT_TRUE(format.dwEffects & CFE_BOLD);
  EXPECT_TRUE(format.dwEffects & CFE_ITALIC);
  EXPECT_FALSE(format.dwEffects & CFE_UNDERLINE);
  LOGFONTW look = {};
  ASSERT_NE(::GetObjectW(w.window.manager().GetFont(3), sizeof(look), &look), 0);
  const int dpi = ::GetDeviceCaps(w.window.manager().GetPaintDC(), LOGPIXELSY);
  EXPECT_EQ(format.yHeight, look.lfHeight * -1440 / dpi);

  // A later colour goes into the host's default format at once (the services are told of it).
  w.edit->SetTextColor(0xFF0000FF);
  const CHARFORMATW* hostFormat = nullptr;
  ASSERT_EQ(w.edit->GetTxtWinHost()->TxGetCharFormat(&hostFormat), S_OK);
  EXPECT_EQ(hostFormat->crTextColor, RGB(0, 0, 0xFF));
}

TEST(RichEditTest, RichAndPlainTextModes) {
  for (const bool rich : {true, false}) {
    RichWindow w;
    w.edit->SetAttribute(L"rich", rich ? L"true" : L"false");
    w.Attach();
    EXPECT_EQ(w.edit->IsRich(), rich);
    EXPECT_TRUE(w.Send(EM_GETTEXTMODE) & (rich ? TM_RICHTEXT : TM_PLAINTEXT)) << rich;
  }
}

TEST(RichEditTest, AlignmentAttributeAlignsTheParagraphs) {
  const struct {
    const wchar_t* value;
    WORD alignment;
  } cases[] = {
      {L"left", PFA_LEFT},
      {L"center", PFA_CENTER},
      {L"right", PFA_RIGHT},
      {L"left,right", PFA_RIGHT},  // the last match wins
  };
  for (const auto& c : cases) {
    RichWindow w;
    w.edit->SetAttribute(L"align", c.value);
    w.edit->SetText(L"text");
    w.Attach();
    PARAFORMAT2 format = {};
    format.cbSize = sizeof(format);
    w.Send(EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format));
    EXPECT_EQ(format.wAlignment, c.alignment) << c.value;
  }
}

TEST(RichEditTest, TextIsPaintedInsideThePaddingOverTheBackground) {
  RichWindow w;
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.edit->SetAttribute(L"textpadding", L"20,30,4,4");
  w.edit->SetAttribute(L"textcolor", L"#FF000000");
  w.edit->SetText(L"WWWW MMMM");
  w.Attach();
  w.window.manager().SetFocus(w.button);
  const RECT client = w.edit->GetTxtWinHost()->GetClientRect();
  const RECT item = w.edit->GetPos();
  EXPECT_EQ(client.left, item.left + 20);
  EXPECT_EQ(client.top, item.top + 30);
  EXPECT_EQ(client.right, item.right - 4);
  EXPECT_EQ(client.bottom, item.bottom - 4);

  auto canvas = w.window.Paint(0xFF808080);
  EXPECT_TRUE(AllRgb(*canvas, RECT{item.left, item.top, item.right, client.top}, 0xFFFFFF))
      << "the padding shows only the background";
  EXPECT_TRUE(AllRgb(*canvas, RECT{item.left, item.top, client.left, item.bottom}, 0xFFFFFF));
  EXPECT_FALSE(AllRgb(*canvas, RECT{client.left, client.top, client.right, client.top + 20},
                      0xFFFFFF))
      << "the text is drawn";
}

TEST(RichEditTest, TransparentTextLeavesWhatLiesBehindIt) {
  for (const bool transparent : {true, false}) {
    RichWindow w;
    w.edit->SetAttribute(L"transparent", transparent ? L"true" : L"false");
    w.edit->SetText(L"x");
    w.Attach();
    w.window.manager().SetFocus(w.button);
    EXPECT_EQ(w.edit->IsTransparent(), transparent);
    auto canvas = w.window.Paint(0xFF808080);
    const RECT& item = w.edit->GetPos();
    // Below the one line of text.
    const RECT below = {item.left, item.top + 50, item.right, item.bottom};
    if (transparent) {
      EXPECT_TRUE(AllRgb(*canvas, below, 0x808080));
    } else {
      const COLORREF window = ::GetSysColor(COLOR_WINDOW);
      EXPECT_TRUE(AllRgb(*canvas, below,
                         (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window)))
          << "the services paint the window colour";
    }
  }
}

TEST(RichEditTest, TextServicesAreCreatedOnceAndReleasedWithTheControl) {
  const int before = SkinUI::CTxtWinHost::LiveCount();
  {
    RichWindow w;
    EXPECT_EQ(w.edit->GetTxtWinHost(), nullptr) << "made when the control joins a window";
    w.Attach();
    SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
    ASSERT_NE(host, nullptr);
    ITextServices* services = host->GetTextServices();
    ASSERT_NE(services, nullptr);
    EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before + 1);

    // Joining again (a second Init) makes nothing new.
    w.edit->SetManager(&w.window.manager(), w.window.root(), true);
    EXPECT_EQ(w.edit->GetTxtWinHost(), host);
    EXPECT_EQ(host->GetTextServices(), services);
    EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before + 1);

    // The control holds exactly one reference to the services.
    EXPECT_EQ(services->AddRef(), 2u);
    EXPECT_EQ(services->Release(), 1u);
  }
  EXPECT_EQ(SkinUI::CTxtWinHost::LiveCount(), before) << "the host went with the control";
}

TEST(RichEditTest, HostAnswersItsInterfaceIds) {
  RichWindow w;
  w.Attach();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  ASSERT_NE(host, nullptr);
  const IID documented = {0xC5BDD8D0, 0xD26E, 0x11CE, {0xA8, 0x9E, 0x00, 0xAA, 0x00, 0x6C, 0xAD, 0xC5}};
  const IID exported = {0x13E670F4, 0x1A5A, 0x11CF, {0xAB, 0xEB, 0x00, 0xAA, 0x00, 0xB6, 0x5E, 0xA1}};
  for (const IID& iid : {IID_IUnknown, documented, exported}) {
    void* object = nullptr;
    ASSERT_EQ(host->QueryInterface(iid, &object), S_OK);
    EXPECT_EQ(object, static_cast<ITextHost*>(host));
    host->Release();
  }
  void* object = reinterpret_cast<void*>(1);
  EXPECT_EQ(host->QueryInterface(IID_IDispatch, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST(RichEditTest, NonLayeredWindowDrawsNoCaretOfItsOwn) {
  RichWindow w;
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.Attach();
  ASSERT_TRUE(w.edit->IsFocused());
  ASSERT_TRUE(w.edit->GetTxtWinHost()->IsShowCaret());
  auto canvas = w.window.Paint();
  EXPECT_TRUE(AllRgb(*canvas, w.edit->GetPos(), 0xFFFFFF))
      << "the system shows the caret of a normal window";
}

TEST(RichEditTest, LayeredWindowDrawsTheCaretAndBlinksIt) {
  RichWindow w;
  w.window.manager().SetLayered(true);
  w.edit->SetAttribute(L"bkcolor", L"#FFFFFFFF");
  w.Attach();
  ::SetFocus(w.window.hwnd());
  w.edit->SetFocus();
  SkinUI::CTxtWinHost* host = w.edit->GetTxtWinHost();
  ASSERT_TRUE(w.edit->IsFocused());
  ASSERT_TRUE(host->IsShowCaret());
  const POINT caret = host->GetCaretPos();
  ASSERT_GT(host->GetCaretHeight(), 0);

  auto canvas = w.window.Paint();
  EXPECT_GE(CountRgbInColumn(*canvas, caret.x, caret.y, caret.y + host->GetCaretHeight(), 0),
            host->GetCaretHeight() - 1)
      << "a black line where the caret stands";

  // The blink timer turns it off.
  ASSERT_EQ(::GetFocus(), w.window.hwnd());
  SkinUI::TInputEventUI tick;
  tick.type = SkinUI::kEventTimer;
  tick.wParam = 20;
  w.edit->Event(tick);
  canvas = w.window.Paint();
  EXPECT_TRUE(AllRgb(*canvas, w.edit->GetPos(), 0xFFFFFF));
}

TEST(RichEditTest, SkinBuildsRichEditAndSurvivesMalformedAttributes) {
  TestSupport::TestHostWindow host;
  ASSERT_NE(PeripheryTest::BuildSkin(
          host,
          L"<Window size=\"400,300\"><VerticalLayout>"
          L"<RichEdit name=\"rich\" height=\"100\" vscrollbar=\"true\" wantreturn=\"false\" "
          L"textpadding=\"1,2\" textcolor=\"#zz\" font=\"99999999999\" align=\"\" "
          L"multiline=\"false\" readonly=\"yes\"/>"
          L"<RichEdit name=\"bad\" height=\"50\" textpadding=\"-5,x,,9999999999\" "
          L"textcolor=\"\" font=\"-7\" transparent=\"no\"/>"
          L"</VerticalLayout></Window>"),
      nullptr);
  auto* rich = static_cast<CRichEditUI*>(host.manager().FindControl(L"rich"));
  ASSERT_NE(rich, nullptr);
  EXPECT_EQ(std::wstring(rich->GetClass()), L"RichEdit");
  EXPECT_EQ(rich->GetInterface(L"RichEdit"), rich);
  EXPECT_NE(rich->GetVerticalScrollBar(), nullptr);
  EXPECT_FALSE(rich->IsWantReturn());
  EXPECT_FALSE(rich->IsReadOnly()) << "only \"true\" sets it";
  EXPECT_FALSE(rich->GetEditStyle() & ES_MULTILINE);
  EXPECT_EQ(rich->GetTextPadding().left, 1);
  EXPECT_EQ(rich->GetTextPadding().top, 2);
  EXPECT_NE(host.manager().FindControl(L"bad"), nullptr);
  host.Repaint();
}

}  // namespace
