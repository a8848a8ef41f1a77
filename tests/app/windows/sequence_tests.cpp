// The frame-sequence label and button: attributes, the order in which frames show, stopping and
// starting again, the pushed text inset and the copy of one colour channel.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/sequence_controls.h"
#include "app/sequence_frames.h"
#include "test_support.h"
#include "ui_controls/installer/ui_gdiplus.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_test_support.h"

namespace {

using SkinUI::CSequenceButtonUI;
using SkinUI::CSequenceLabelUI;

// The frame a control shows after each of `ticks` timer events: the number in its background
// image ("f_<n>.png"), -1 while it has none.
template <typename Control>
std::vector<int> Play(Control& control, int ticks) {
  std::vector<int> shown;
  for (int i = 0; i < ticks; ++i) {
    SkinUI::TInputEventUI timer;
    timer.type = SkinUI::kEventTimer;
    timer.wParam = App::kSequenceTimerId;
    control.DoEvent(timer);
    const std::wstring image = control.GetBkImage().GetData();
    const size_t mark = image.find_last_of(L'_');
    shown.push_back(mark == std::wstring::npos ? -1 : std::stoi(image.substr(mark + 1)));
  }
  return shown;
}

TEST(SequenceFrames, FrameNamesTakeOnlyTheirNumberFromTheTemplate) {
  const struct {
    const wchar_t* templateText;
    unsigned frame;
    const wchar_t* expected;
  } cases[] = {
      {L"res\\mainWnd\\installBtnAnimate\\%.3d.png", 7, L"res\\mainWnd\\installBtnAnimate\\007.png"},
      {L"f%d.png", 11, L"f11.png"},
      {L"f%03d.png", 5, L"f005.png"},
      {L"f%u.png", 5, L"f5.png"},
      {L"f%-3d|", 5, L"f5  |"},
      {L"same.png", 5, L"same.png"},
      {L"%s%n%ls%x.png", 5, L"%s%n%ls%x.png"},  // never a printf format
      {L"%d-%d", 4, L"4-%d"},                   // one number only
      {L"100%%_%d", 2, L"100%_2"},
      {L"%999999999d", 1, L"%999999999d"},      // no huge widths
      {L"", 1, L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(App::FormatFrameName(c.templateText, c.frame), c.expected)
        << TestSupport::ToUtf8(c.templateText);
  }
  EXPECT_EQ(App::FormatFrameName(std::wstring(1000, L'a').c_str(), 1).size(), 259u);
}

TEST(SequenceLabel, AttributesSetTheSeriesAndOthersGoToTheLabel) {
  CSequenceLabelUI label;
  EXPECT_STREQ(label.GetClass(), L"SequenceLabel");
  EXPECT_EQ(label.GetInterface(L"SequenceLabel"), &label);
  EXPECT_NE(label.GetInterface(L"Label"), nullptr);
  EXPECT_EQ(label.GetSequenceSpan(), 30);
  label.SetAttribute(L"sequencebkimage", L"f_%d.png");
  label.SetAttribute(L"SequenceCount", L"12");
  label.SetAttribute(L"SEQUENCESPAN", L"12");
  label.SetAttribute(L"SequenceBkImage", L"not the template");  // matched exactly only
  label.SetAttribute(L"text", L"label text");
  EXPECT_STREQ(label.GetSequenceImage(), L"f_%d.png");
  EXPECT_EQ(label.GetSequenceCount(), 12);
  EXPECT_EQ(label.GetSequenceSpan(), 12);
  EXPECT_EQ(label.GetText(), L"label text");
}

// Plug-in code and attribute lists cut short hand over a null name or value: a null name sets
// nothing, a null value reads as an empty one, and neither may reach a string compare.
TEST(SequenceControls, NullNamesAndValuesNeverCrash) {
  const wchar_t* const sequenceNames[] = {L"sequencebkimage", L"sequencecount", L"sequencespan",
                                          L"sequenceloop",    L"autostart",     L"sequenceround"};
  for (const wchar_t* element : {L"SequenceLabel", L"SequenceButton"}) {
    SCOPED_TRACE(TestSupport::ToUtf8(element));
    std::unique_ptr<SkinUI::CControlUI> control(App::CreateInstallerControl(element));
    ASSERT_NE(control, nullptr);
    control->SetAttribute(nullptr, L"1");
    control->SetAttribute(nullptr, nullptr);
    for (const wchar_t* name : sequenceNames) control->SetAttribute(name, nullptr);
    control->SetAttribute(L"text", nullptr);
    control->SetAttribute(L"width", L"17");
    EXPECT_EQ(control->GetFixedWidth(), 17);
    EXPECT_TRUE(control->GetText().IsEmpty());
  }
  App::SequenceFrames frames;
  frames.imageTemplate = L"f_%d.png";
  frames.count = 5;
  frames.spanMs = 5;
  frames.loop = false;
  frames.roundTrip = false;
  EXPECT_FALSE(frames.SetAttribute(nullptr, L"1"));
  for (const wchar_t* name : sequenceNames) EXPECT_TRUE(frames.SetAttribute(name, nullptr));
  EXPECT_TRUE(frames.imageTemplate.IsEmpty());
  EXPECT_EQ(frames.count, 0);
  EXPECT_EQ(frames.spanMs, 0);
  // An empty value is not "false".
  EXPECT_TRUE(frames.loop);
  EXPECT_TRUE(frames.autoStart);
  EXPECT_TRUE(frames.roundTrip);
}

TEST(SequenceLabel, FramesShowInOrderForEveryWayOfPlaying) {
  const struct {
    const char* what;
    int count;
    const wchar_t* loop;
    const wchar_t* round;
    int ticks;
    std::vector<int> expected;
  } cases[] = {
      {"forward loop", 3, L"true", L"false", 7, {0, 1, 2, 0, 1, 2, 0}},
      {"round trip", 4, L"true", L"true", 10, {0, 1, 2, 3, 2, 1, 0, 1, 2, 3}},
      {"single pass", 3, L"false", L"false", 4, {0, 1, 2, 2}},
      {"loop written False counts as true", 2, L"False", L"false", 5, {0, 1, 0, 1, 0}},
      {"no frames", 0, L"true", L"false", 3, {0, 0, 0}},
      {"round trip of one frame", 1, L"true", L"true", 4, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    CSequenceLabelUI label;
    label.SetAttribute(L"sequencebkimage", L"f_%d.png");
    label.SetAttribute(L"sequencecount", std::to_wstring(c.count).c_str());
    label.SetAttribute(L"sequenceloop", c.loop);
    label.SetAttribute(L"sequenceround", c.round);
    EXPECT_EQ(Play(label, c.ticks), c.expected);
  }
}

TEST(SequenceLabel, AnEmptyTemplateKeepsTheControlStill) {
  CSequenceLabelUI label;
  label.SetAttribute(L"sequencecount", L"5");
  label.SetBkImage(L"still.png");
  Play(label, 3);
  EXPECT_EQ(label.GetBkImage(), L"still.png");
  EXPECT_EQ(label.GetFrameIndex(), 0u);
}

TEST(SequenceLabel, ATemplateWithoutANumberShowsTheSameFileEveryTick) {
  CSequenceLabelUI label;
  label.SetAttribute(L"sequencebkimage", L"same.png");
  label.SetAttribute(L"sequencecount", L"4");
  Play(label, 6);
  EXPECT_EQ(label.GetBkImage(), L"same.png");
}

TEST(SequenceLabel, AutoStartRunsTheTimerAndStartingAgainBeginsAtFrameZero) {
  TestSupport::TestHostWindow host(200, 100);
  auto* root = new SkinUI::CVerticalLayoutUI();
  auto* label = new CSequenceLabelUI();
  label->SetAttribute(L"sequencebkimage", L"f_%d.png");
  label->SetAttribute(L"sequencecount", L"12");
  label->SetAttribute(L"sequencespan", L"12");
  label->SetAttribute(L"autostart", L"true");
  root->Add(label);
  ASSERT_TRUE(host.Attach(root));
  // The timer steps the frames on its own.
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return label->GetFrameIndex() >= 3; }));
  host.manager().KillTimer(label, App::kSequenceTimerId);
  label->Start();
  EXPECT_EQ(label->GetFrameIndex(), 0u);
  EXPECT_TRUE(TestSupport::PumpUntil([&] { return label->GetFrameIndex() >= 1; }));
}

TEST(SequenceButton, DefaultsAttributesAndExtras) {
  CSequenceButtonUI button;
  EXPECT_STREQ(button.GetClass(), L"SequenceButton");
  EXPECT_EQ(button.GetInterface(L"SequenceButton"), &button);
  EXPECT_NE(button.GetInterface(L"Button"), nullptr);
  EXPECT_EQ(button.GetSequenceSpan(), 60);
  button.SetAttribute(L"sequencebkimage", L"f_%d.png");
  button.SetAttribute(L"sequencecount", L"3");
  button.SetAttribute(L"normalimage", L"n.png");
  EXPECT_EQ(button.GetNormalImage(), L"n.png");
  // A button plays there and back by default.
  EXPECT_EQ(Play(button, 6), (std::vector<int>{0, 1, 2, 1, 0, 1}));
  button.SetExtraImage1(L"e1.png");
  button.SetExtraImage2(L"e2.png");
  button.SetExtraRect(RECT{1, 2, 3, 4});
  EXPECT_STREQ(button.GetExtraImage1(), L"e1.png");
  EXPECT_STREQ(button.GetExtraImage2(), L"e2.png");
  EXPECT_EQ(button.GetExtraRect().bottom, 4);
}

TEST(SequenceButton, CopyImageChannelMovesOneByteOfEveryPixel) {
  ASSERT_TRUE(SkinUI::EnsureGdiplus());
  Gdiplus::Bitmap source(3, 2, PixelFormat32bppARGB);
  Gdiplus::Bitmap destination(3, 2, PixelFormat32bppARGB);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      source.SetPixel(x, y, Gdiplus::Color(255, static_cast<BYTE>(10 * x + y), 2, 3));
      destination.SetPixel(x, y, Gdiplus::Color(255, 0, 0, 0));
    }
  }
  CSequenceButtonUI button;
  // Red (byte 2 of a BGRA pixel) of the source into the destination's blue (byte 0).
  ASSERT_TRUE(button.CopyImageChannel(&source, &destination, 2, 0));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      Gdiplus::Color c;
      destination.GetPixel(x, y, &c);
      EXPECT_EQ(c.GetB(), 10 * x + y);
      EXPECT_EQ(c.GetR(), 0);
    }
  }
  Gdiplus::Bitmap other(2, 2, PixelFormat32bppARGB);
  EXPECT_FALSE(button.CopyImageChannel(&source, &other, 0, 0));
  EXPECT_FALSE(button.CopyImageChannel(&source, &destination, 4, 0));
  EXPECT_FALSE(button.CopyImageChannel(nullptr, &destination, 0, 0));
}

}  // namespace
