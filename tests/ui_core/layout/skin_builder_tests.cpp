// Skins built from a folder, a zip archive and a 7z archive (made at build time with the real
// tools) and from resources of the test program: the control tree, the window's fonts, images,
// default lists, texts and attributes, an Include, a custom and a plug-in element.
#include <gtest/gtest.h>

#include <string>

#include "layout_test_util.h"
#include "log_capture.h"
#include "test_support.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_tab_layout.h"
#include "ui_core/values/ui_string_or_id.h"
#include "ui_test_support.h"

using LayoutTest::ControlPtr;
using LayoutTest::Tree;
using SkinUI::CControlUI;
using SkinUI::CSkinBuilderUI;
using SkinUI::CStringOrIdUI;
using SkinUI::CWindowManagerUI;

namespace {

std::wstring FixtureDir() { return TestSupport::TestDataDir() + L"\\layout"; }

// Creates "Fancy" elements, as a window creates its own controls.
class FancyCallback : public SkinUI::IDialogBuilderCallback {
public:
  CControlUI* CreateControl(const wchar_t* name) override {
    ++asked;
    return wcscmp(name, L"Fancy") == 0 ? new LayoutTest::NamedControl(L"Fancy") : nullptr;
  }
  int asked = 0;
};

const wchar_t kMainTree[] =
    L"VerticalLayout:root(HorizontalLayout:header(Label:title,Button:okBtn,Button:plainBtn),"
    L"TabLayout:pages(VerticalLayout:page0(Control:row,Control:row,Control:row),"
    L"VerticalLayout:page1(Fancy:fancy,Plugged:plugged),ChildLayout:page2),"
    L"TileLayout:tiles(Control:tile0,Control:tile1))";
const wchar_t kMainTreeAttached[] =
    L"VerticalLayout:root(HorizontalLayout:header(Label:title,Button:okBtn,Button:plainBtn),"
    L"TabLayout:pages(VerticalLayout:page0(Control:row,Control:row,Control:row),"
    L"VerticalLayout:page1(Fancy:fancy,Plugged:plugged),"
    L"ChildLayout:page2(HorizontalLayout:childRoot(Control:childItem))),"
    L"TileLayout:tiles(Control:tile0,Control:tile1))";

class SkinSources : public ::testing::Test {
protected:
  void SetUp() override {
    LayoutTest::RegisterTestElements();
    LayoutTest::ResetSkinSource();
  }
  void TearDown() override { LayoutTest::ResetSkinSource(); }

  // Builds MainWnd.xml from the current skin source into a window and checks everything the
  // skin declares.
  void BuildAndCheckMainSkin() {
    LogCapture log;
    TestSupport::TestHostWindow host(500, 400);
    CWindowManagerUI& manager = host.manager();
    TestSupport::NotifyRecorder recorder;
    manager.AddNotifier(&recorder);
    FancyCallback callback;

    CSkinBuilderUI builder;
    CControlUI* root = builder.Create(CStringOrIdUI(L"MainWnd.xml"), nullptr, &callback, &manager);
    ASSERT_NE(nullptr, root) << builder.GetLastErrorMessage();
    EXPECT_EQ(kMainTree, Tree(root));
    // The builder leaves the tree without a manager until it is attached.
    EXPECT_EQ(nullptr, root->GetManager());

    // The Window element's attributes.
    EXPECT_EQ(420, manager.GetInitSize().cx);
    EXPECT_EQ(320, manager.GetInitSize().cy);
    EXPECT_EQ((RECT{0, 0, 0, 28}), manager.GetCaptionRect());
    EXPECT_EQ(200, manager.GetMinInfo().cx);
    EXPECT_EQ(150, manager.GetMinInfo().cy);
    EXPECT_STREQ(L"kept", manager.GetWindowCustomAttribute(L"custommark"));

    // Fonts: two registered, the first one the default; those without an id, with a negative id
    // or with an absurd size are not.
    SkinUI::TFontEntryUI* font = manager.GetFontInfo(1);
    ASSERT_NE(nullptr, font);
    EXPECT_EQ(L"Tahoma", std::wstring(font->face.GetData()));
    EXPECT_EQ(16, font->size);
    EXPECT_TRUE(font->bold);
    EXPECT_TRUE(font->underline);
    EXPECT_FALSE(font->italic);
    EXPECT_EQ(13, manager.GetFontInfo(0)->size);
    EXPECT_EQ(L"Tahoma", std::wstring(manager.GetDefaultFontInfo()->face.GetData()));
    EXPECT_EQ(13, manager.GetDefaultFontInfo()->size);
    EXPECT_EQ(nullptr, manager.FindFont(L"NoId", 20, false, false, false));
    EXPECT_EQ(nullptr, manager.FindFont(L"Negative", 20, false, false, false));
    EXPECT_EQ(nullptr, manager.FindFont(L"Huge", 2147483647, false, false, false));
    EXPECT_EQ(1u, log.LinesContaining(L"Font 4 of size 2147483647 ignored").size());

    // The image, registered with its mask (an image loaded on demand would have none).
    SkinUI::TImageEntryUI* image = manager.GetImageEx(L"res/dot.png");
    ASSERT_NE(nullptr, image);
    EXPECT_EQ(3, image->width);
    EXPECT_EQ(2, image->height);
    EXPECT_EQ(0xFF00FF00u, image->mask);

    EXPECT_STREQ(L"Installieren", CWindowManagerUI::GetLanguageText(7)->GetData());

    // "selectedid" selected its page while the tree was built, with a notification.
    ASSERT_EQ(1, recorder.Count(L"tabselect"));
    for (const TestSupport::RecordedNotify& note : recorder.list) {
      if (note.type != L"tabselect") continue;
      EXPECT_EQ(L"pages", note.senderName);
      EXPECT_EQ(1u, note.wParam);
      EXPECT_EQ(0, note.lParam);
    }

    // The unknown element is skipped with its subtree.
    EXPECT_EQ(1u, log.LinesContaining(L"unknown skin element Bogus skipped").size());
    EXPECT_GE(callback.asked, 2);  // "Fancy" and "Bogus"

    ASSERT_TRUE(host.Attach(root));
    EXPECT_EQ(kMainTreeAttached, Tree(root));
    EXPECT_EQ(nullptr, manager.FindControl(L"lost"));

    // The Default list comes first, the element's own attributes override it.
    CControlUI* ok = manager.FindControl(L"okBtn");
    CControlUI* plain = manager.FindControl(L"plainBtn");
    CControlUI* title = manager.FindControl(L"title");
    ASSERT_TRUE(ok != nullptr && plain != nullptr && title != nullptr);
    EXPECT_EQ(90, ok->GetFixedWidth());
    EXPECT_EQ(0xFF112233u, ok->GetBkColor());
    EXPECT_EQ(70, plain->GetFixedWidth());
    EXPECT_EQ(0xFF112233u, plain->GetBkColor());
    EXPECT_EQ(0u, title->GetBkColor());
    EXPECT_EQ(L"Welcome", std::wstring(title->GetText().GetData()));

    // Laid out in the 420 x 320 window the skin asked for, less the root's inset 1,2,3,4.
    host.Repaint();
    EXPECT_EQ((RECT{1, 2, 417, 32}), manager.FindControl(L"header")->GetPos());
    EXPECT_EQ((RECT{1, 2, 253, 32}), title->GetPos());
    EXPECT_EQ((RECT{255, 2, 345, 32}), ok->GetPos());
    EXPECT_EQ((RECT{347, 2, 417, 32}), plain->GetPos());
    manager.RemoveNotifier(&recorder);
  }
};

}  // namespace

TEST_F(SkinSources, FolderBuildsTheWholeWindow) {
  CWindowManagerUI::SetResourcePath((FixtureDir() + L"\\stage").c_str());
  BuildAndCheckMainSkin();
}

TEST_F(SkinSources, ZipArchiveBuildsTheWholeWindow) {
  CWindowManagerUI::SetResourcePath(FixtureDir().c_str());
  CWindowManagerUI::SetResourceArchive7z(false);
  CWindowManagerUI::SetResourceZip(L"skin.zip", false);
  BuildAndCheckMainSkin();
}

TEST_F(SkinSources, SevenZipArchiveBuildsTheWholeWindow) {
  CWindowManagerUI::SetResourcePath(FixtureDir().c_str());
  CWindowManagerUI::SetResourceArchive7z(true);
  CWindowManagerUI::SetResourceZip(L"skin.7z", true);
  BuildAndCheckMainSkin();
}

TEST_F(SkinSources, ResourcesOfTheProgramBuildWithIncludesById) {
  TestSupport::TestHostWindow host(300, 200);
  CSkinBuilderUI builder;
  ControlPtr root(builder.Create(CStringOrIdUI(101u), L"XML", nullptr, &host.manager()));
  ASSERT_TRUE(root);
  EXPECT_EQ(L"VerticalLayout:resRoot(Control:resRow,Control:resRow)", Tree(root.get()));
  EXPECT_EQ(333, host.manager().GetInitSize().cx);
  EXPECT_EQ(222, host.manager().GetInitSize().cy);

  CSkinBuilderUI missing;
  EXPECT_EQ(nullptr, missing.Create(CStringOrIdUI(999u), L"XML"));
}

TEST_F(SkinSources, MissingOrBrokenFilesBuildNothing) {
  LayoutTest::ScratchSkin skin;
  skin.Write(L"Broken.xml", L"<Window><VerticalLayout><Label");
  LogCapture log;
  CSkinBuilderUI builder;
  EXPECT_EQ(nullptr, builder.Create(CStringOrIdUI(L"Missing.xml")));
  EXPECT_STREQ(L"Error opening file", builder.GetLastErrorMessage());
  EXPECT_EQ(1u, log.LinesContaining(L"skin Missing.xml not loaded: Error opening file").size());
  CSkinBuilderUI broken;
  EXPECT_EQ(nullptr, broken.Create(CStringOrIdUI(L"Broken.xml")));
  EXPECT_EQ(nullptr, broken.Create(CStringOrIdUI(L"<Window><Label")));
  EXPECT_EQ(nullptr, broken.Create(CStringOrIdUI(static_cast<const wchar_t*>(nullptr))));
}

TEST(SkinBuilder, ElementNamesIgnoreCaseExceptExactOnes) {
  LogCapture log;
  ControlPtr root = LayoutTest::BuildText(
      L"<Window><VerticalLayout><label name='a'/><LABEL name='b'/><GifAnim name='g'/>"
      L"<gifanim name='h'/><Gifanim name='i'/><vbox name='v'/><hBox name='w'/>"
      L"<tablayout name='t'/><CONTAINER name='c'/><scrollbar name='s'/></VerticalLayout></Window>");
  ASSERT_TRUE(root);
  EXPECT_EQ(L"VerticalLayout(Label:a,Label:b,GifAnim:g,VerticalLayout:v,HorizontalLayout:w,"
            L"TabLayout:t,Container:c,ScrollBar:s)",
            Tree(root.get()));
  EXPECT_EQ(1u, log.LinesContaining(L"unknown skin element gifanim skipped").size());
  EXPECT_EQ(1u, log.LinesContaining(L"unknown skin element Gifanim skipped").size());
}

TEST(SkinBuilder, StandardElementsArePlainFrameworkClasses) {
  const struct {
    const wchar_t* element;
    const wchar_t* className;
  } cases[] = {
      {L"Control", L"Control"},       {L"Container", L"Container"},
      {L"VerticalLayout", L"VerticalLayout"}, {L"VBox", L"VerticalLayout"},
      {L"HorizontalLayout", L"HorizontalLayout"}, {L"HBox", L"HorizontalLayout"},
      {L"TileLayout", L"TileLayout"}, {L"ChildLayout", L"ChildLayout"},
      {L"TabLayout", L"TabLayout"},   {L"ScrollBar", L"ScrollBar"},
  };
  for (const auto& c : cases) {
    ControlPtr control(SkinUI::CreateStandardElement(c.element));
    ASSERT_TRUE(control) << c.element;
    EXPECT_STREQ(c.className, control->GetClass());
    EXPECT_EQ(control.get(), control->GetInterface(c.className)) << c.element;
  }
  EXPECT_EQ(nullptr, SkinUI::CreateStandardElement(L"NoSuchThing"));
  EXPECT_EQ(nullptr, SkinUI::CreateStandardElement(nullptr));
  // The child layout holds children but does not offer the container interface.
  ControlPtr child(SkinUI::CreateStandardElement(L"ChildLayout"));
  EXPECT_EQ(nullptr, child->GetInterface(L"IContainer"));
  EXPECT_EQ(nullptr, child->GetInterface(L"Container"));
}

TEST(SkinBuilder, PluginsComeBeforeTheCallbackAndTheCallbackLast) {
  FancyCallback callback;
  ControlPtr root = LayoutTest::BuildText(
      L"<Window><HorizontalLayout><Plugged name='p'/><Fancy name='f'/><Label name='l'/>"
      L"</HorizontalLayout></Window>",
      nullptr, &callback);
  ASSERT_TRUE(root);
  EXPECT_EQ(L"HorizontalLayout(Plugged:p,Fancy:f,Label:l)", Tree(root.get()));
  EXPECT_EQ(1, callback.asked);  // only for the name neither the table nor a plug-in knows
}

TEST(SkinBuilder, WindowAttributesNeedAWindowRoot) {
  LayoutTest::RegisterTestElements();
  LogCapture log;
  TestSupport::TestHostWindow host(300, 200);
  ControlPtr noWindow = LayoutTest::BuildText(
      L"<VerticalLayout size='123,45'><Control name='c'/></VerticalLayout>", &host.manager());
  ASSERT_TRUE(noWindow);
  EXPECT_EQ(0, host.manager().GetInitSize().cx);
  EXPECT_EQ(1u, log.LinesContaining(L"attributes of the root element VerticalLayout ignored").size());

  ControlPtr twice = LayoutTest::BuildText(
      L"<Window size='310,210'><Control name='c'/></Window><Window size='500,500'/>",
      &host.manager());
  ASSERT_TRUE(twice);
  EXPECT_EQ(310, host.manager().GetInitSize().cx);
  EXPECT_EQ(1u, log.LinesContaining(L"skin elements after the root element Window ignored").size());

  // Without a window the manager takes no window attributes, but the resources all the same.
  CWindowManagerUI windowless;
  ControlPtr resources = LayoutTest::BuildText(
      L"<Window size='77,66'><Default name='Control' value='width=&quot;12&quot;'/>"
      L"<Control name='c'/></Window>",
      &windowless);
  ASSERT_TRUE(resources);
  EXPECT_EQ(0, windowless.GetInitSize().cx);
  EXPECT_EQ(12, resources->GetFixedWidth());
}

TEST(SkinBuilder, UnknownAttributesOfResourceElementsAreLogged) {
  LogCapture log;
  CWindowManagerUI manager;
  ControlPtr root = LayoutTest::BuildText(
      L"<Window><Font id='3' name='Arial' colour='red'/><Default name='Label' value='' "
      L"flavour='x'/><MultiLanguage id='1' value='x' lang='de'/><Image name='' />"
      L"<MultiLanguage id='-1' value='x'/><Default value='x'/><Control /></Window>",
      &manager);
  ASSERT_TRUE(root);
  EXPECT_EQ(1u, log.LinesContaining(L"attribute colour of Font ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"attribute flavour of Default ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"attribute lang of MultiLanguage ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"Image without a name ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"MultiLanguage without an id or a value ignored").size());
  EXPECT_EQ(1u, log.LinesContaining(L"Default without a name ignored").size());
  EXPECT_NE(nullptr, manager.FindFont(L"Arial", 12, false, false, false));
}
