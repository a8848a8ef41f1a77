// When and from what the ActiveX host makes its object: the "clsid", "modulename" and
// "delaycreate" attributes, in code and in a skin, malformed values, objects that are invisible
// at run time or refuse to start, and the "showactivex" notification.
#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "activex_fixture.h"
#include "ui_controls/activex/ui_activex.h"
#include "ui_core/manager/ui_manager.h"

namespace {

using ActiveXTest::ClsidText;
using ActiveXTest::HostWindow;
using ActiveXTest::TestControlModule;
using Utils::ComPtr;

const std::wstring kWindowless = ClsidText(ActiveXTestControl::kWindowlessClsid);

class CreationTest : public ::testing::Test {
protected:
  void SetUp() override { ASSERT_TRUE(module_.Loaded()); }

  SkinUI::CActiveXUI* AddTestControl(const std::wstring& clsid, bool delay = true) {
    auto* control = window_.Add(new SkinUI::CActiveXUI(), 100, L"activex");
    control->SetAttribute(L"modulename", TestControlModule::Path().c_str());
    if (!delay) control->SetAttribute(L"delaycreate", L"false");
    control->SetAttribute(L"clsid", clsid.c_str());
    return control;
  }

  static bool HasObject(SkinUI::CActiveXUI* control) {
    ComPtr<IUnknown> object;
    return SUCCEEDED(control->GetControl(IID_IUnknown, object.put_void())) && object;
  }

  ActiveXTest::ComScope com_;
  TestControlModule module_;
  HostWindow window_;
};

TEST_F(CreationTest, DelayedObjectIsMadeAtTheFirstLayoutPass) {
  SkinUI::CActiveXUI* control = AddTestControl(kWindowless);
  EXPECT_TRUE(control->IsDelayCreate());
  EXPECT_FALSE(control->IsCreated());
  EXPECT_EQ(module_.LiveObjects(), 0);
  ComPtr<IUnknown> object;
  EXPECT_EQ(control->GetControl(IID_IUnknown, object.put_void()), E_PENDING);
  EXPECT_EQ(control->GetControl(IID_IUnknown, nullptr), E_POINTER);

  window_.Attach();
  EXPECT_TRUE(control->IsCreated());
  EXPECT_TRUE(HasObject(control));
  EXPECT_EQ(module_.Lines(L"CreateInstance"), std::vector<std::wstring>{L"CreateInstance hr=00000000"});
  // Later layout passes keep the object.
  control->SetFixedHeight(80);
  window_.host().Repaint();
  EXPECT_EQ(module_.Lines(L"CreateInstance").size(), 1u);
  EXPECT_EQ(module_.LiveObjects(), 1);
}

TEST_F(CreationTest, ObjectMadeBeforeTheWindowIsActivatedAtTheFirstLayoutPass) {
  SkinUI::CActiveXUI* control = AddTestControl(kWindowless, false);
  EXPECT_TRUE(control->IsCreated());
  EXPECT_TRUE(HasObject(control));
  EXPECT_TRUE(module_.Lines(L"DoVerb").empty()) << "no window to activate in yet";

  window_.Attach();
  EXPECT_EQ(module_.Lines(L"DoVerb"),
            std::vector<std::wstring>{L"DoVerb -5 parent=TessmarkTestHost rect=0,0,400,100"});
  EXPECT_TRUE(module_.Has(L"OnInPlaceActivateEx windowless hr=00000000"));
  EXPECT_EQ(control->GetNativeWindow(), window_.hwnd());
}

TEST_F(CreationTest, SwitchingTheDelayOffMakesThePendingObject) {
  SkinUI::CActiveXUI* control = AddTestControl(kWindowless);
  EXPECT_FALSE(control->IsCreated());
  control->SetDelayCreate(true);  // no change
  EXPECT_FALSE(control->IsCreated());
  control->SetDelayCreate(false);
  EXPECT_TRUE(control->IsCreated());
  EXPECT_TRUE(HasObject(control));
  EXPECT_FALSE(control->IsDelayCreate());
  // A new CLSID without the delay makes its object at once, in place of the old one.
  EXPECT_TRUE(control->CreateControl(ActiveXTestControl::kWindowedClsid));
  EXPECT_EQ(module_.Lines(L"CreateInstance").size(), 2u);
  EXPECT_EQ(module_.LiveObjects(), 1);
}

TEST_F(CreationTest, ValuesThatNameNoClassAreRefused) {
  auto* control = window_.Add(new SkinUI::CActiveXUI(), 100);
  const std::wstring longName(150, L'x');
  const std::wstring longProgId = std::wstring(L"WMPlayer.OCX") + std::wstring(100, L'!');
  const wchar_t* values[] = {L"",
                             longProgId.c_str(),
                             L"{00000000-0000-0000-0000-000000000000}",
                             L"{not a clsid}",
                             L"{5E0B7A01-3C2D-4F11",
                             L"No.Such.ProgId",
                             longName.c_str()};
  for (const wchar_t* value : values) {
    EXPECT_FALSE(control->CreateControl(value)) << static_cast<int>(wcslen(value));
    control->SetAttribute(L"clsid", value);
    EXPECT_TRUE(::IsEqualCLSID(control->GetClsid(), CLSID_NULL));
  }
  EXPECT_FALSE(control->CreateControl(CLSID_NULL));
  EXPECT_FALSE(control->CreateControl(static_cast<const wchar_t*>(nullptr)));
  window_.Attach();
  EXPECT_FALSE(HasObject(control));
}

TEST_F(CreationTest, AModuleThatDoesNotServeTheClassFallsBackToTheSystem) {
  // The module does not serve Windows Media Player; the system does.
  auto* served = window_.Add(new SkinUI::CActiveXUI(), 100);
  served->SetAttribute(L"modulename", TestControlModule::Path().c_str());
  served->SetAttribute(L"clsid", L"WMPlayer.OCX");
  // A module that is not there; the class is the tests' own, which the system does not know.
  auto* missing = window_.Add(new SkinUI::CActiveXUI(), 100);
  missing->SetAttribute(L"modulename", L"C:\\no\\such\\module.dll");
  missing->SetAttribute(L"clsid", kWindowless.c_str());
  window_.Attach();
  EXPECT_TRUE(HasObject(served));
  EXPECT_TRUE(missing->IsCreated());
  EXPECT_FALSE(HasObject(missing));
  EXPECT_EQ(module_.LiveObjects(), 0);
}

TEST_F(CreationTest, InvisibleObjectIsSetUpButNotActivated) {
  SkinUI::CActiveXUI* control = AddTestControl(ClsidText(ActiveXTestControl::kInvisibleClsid));
  window_.Attach();
  EXPECT_TRUE(HasObject(control));
  EXPECT_TRUE(module_.Has(L"SetClientSite set"));
  EXPECT_TRUE(module_.Has(L"SetSite set"));
  EXPECT_TRUE(module_.Lines(L"DoVerb").empty());
  EXPECT_EQ(control->GetNativeWindow(), nullptr);
  EXPECT_EQ(window_.recorder().Count(L"showactivex", L"activex"), 1);
}

TEST_F(CreationTest, ObjectThatRefusesToStartLeavesTheControlEmpty) {
  SkinUI::CActiveXUI* control = AddTestControl(ClsidText(ActiveXTestControl::kFailingInitClsid));
  window_.Attach();
  EXPECT_TRUE(control->IsCreated());
  EXPECT_FALSE(HasObject(control));
  EXPECT_EQ(module_.LiveObjects(), 0);
  EXPECT_TRUE(module_.Lines(L"DoVerb").empty());
  // Not tried again at every layout pass.
  window_.root()->NeedUpdate();
  window_.host().Repaint();
  EXPECT_EQ(module_.Lines(L"CreateInstance").size(), 1u);
}

TEST_F(CreationTest, ClientSiteIsSetAfterInitialisationUnlessAskedFirst) {
  // What each object was told about its site, in order (later layout passes of other objects
  // add their own lines to the journal).
  auto siteSteps = [this] {
    std::vector<std::wstring> steps;
    for (const std::wstring& line : module_.Journal()) {
      if (line.rfind(L"CreateInstance", 0) == 0 || line.rfind(L"InitNew", 0) == 0 ||
          line.rfind(L"SetClientSite", 0) == 0) {
        steps.push_back(line);
      }
    }
    return steps;
  };
  AddTestControl(kWindowless);
  window_.Attach();
  EXPECT_EQ(siteSteps(), (std::vector<std::wstring>{L"CreateInstance hr=00000000",
                                                    L"InitNew client site no",
                                                    L"SetClientSite set"}));

  // The invisible control asks for its site first, and gets it once.
  module_.ClearJournal();
  AddTestControl(ClsidText(ActiveXTestControl::kInvisibleClsid));
  window_.root()->NeedUpdate();
  window_.host().Repaint();
  EXPECT_EQ(siteSteps(), (std::vector<std::wstring>{L"CreateInstance hr=00000000",
                                                    L"SetClientSite set",
                                                    L"InitNew client site yes"}));
}

TEST_F(CreationTest, ShowActiveXIsSentBeforeActivation) {
  SkinUI::CActiveXUI* control = AddTestControl(kWindowless);
  struct OrderProbe : SkinUI::INotifyUI {
    const TestControlModule* module = nullptr;
    size_t verbsAtNotify = 99;
    void Notify(SkinUI::TNotifyMsgUI& msg) override {
      if (msg.type == L"showactivex") verbsAtNotify = module->Lines(L"DoVerb").size();
    }
  } probe;
  probe.module = &module_;
  window_.manager().AddNotifier(&probe);
  window_.Attach();
  window_.manager().RemoveNotifier(&probe);
  EXPECT_EQ(probe.verbsAtNotify, 0u) << "delivered at once, before the object is activated";
  ASSERT_EQ(window_.recorder().Count(L"showactivex"), 1);
  for (const auto& notify : window_.recorder().list) {
    if (notify.type == L"showactivex") {
      EXPECT_EQ(notify.sender, control);
    }
  }
}

TEST_F(CreationTest, SkinBuildsTheControlWithItsAttributes) {
  const std::wstring xml =
      L"<Window size=\"400,300\"><VerticalLayout>"
      L"<ActiveX name=\"ax\" height=\"100\" modulename=\"" + TestControlModule::Path() +
      L"\" clsid=\"" + kWindowless + L"\"/>"
      L"<ActiveX name=\"junk\" height=\"50\" clsid=\"{\" delaycreate=\"maybe\" modulename=\"\"/>"
      L"</VerticalLayout></Window>";
  ASSERT_NE(window_.AttachSkin(xml.c_str()), nullptr);
  auto* control = static_cast<SkinUI::CActiveXUI*>(
      window_.manager().FindControl(L"ax")->GetInterface(L"ActiveX"));
  ASSERT_NE(control, nullptr);
  EXPECT_STREQ(control->GetClass(), L"ActiveX");
  EXPECT_EQ(control->GetControlFlags(), SkinUI::kControlFlagTabStop);
  EXPECT_EQ(std::wstring(control->GetModuleName().GetData()), TestControlModule::Path());
  EXPECT_TRUE(control->IsCreated());
  EXPECT_TRUE(HasObject(control));
  EXPECT_EQ(control->GetNativeWindow(), window_.hwnd());
  EXPECT_EQ(control->GetInterface(L"Label"), nullptr);

  auto* junk = window_.manager().FindControl(L"junk");
  ASSERT_NE(junk, nullptr);
  auto* empty = static_cast<SkinUI::CActiveXUI*>(junk->GetInterface(L"ActiveX"));
  ASSERT_NE(empty, nullptr);
  EXPECT_FALSE(empty->IsDelayCreate()) << "only \"true\" delays";
  EXPECT_FALSE(HasObject(empty));
}

// COM entered by a control is left by it, and only then: a control made on a thread of the other
// apartment kind (where its own entry fails) must not take the thread's COM away.
TEST(ActiveXComTest, ControlLeavesComOnlyWhenItEnteredIt) {
  struct Outcome {
    HRESULT entered = E_FAIL;
    HRESULT afterControl = E_FAIL;
    APTTYPE kind = APTTYPE_CURRENT;
    HRESULT afterOwnControl = S_OK;
  } outcome;
  std::thread([&outcome] {
    // A thread in the multithreaded apartment: the control's own entry fails there.
    outcome.entered = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    delete new SkinUI::CActiveXUI();
    APTTYPEQUALIFIER qualifier = APTTYPEQUALIFIER_NONE;
    outcome.afterControl = ::CoGetApartmentType(&outcome.kind, &qualifier);
    if (SUCCEEDED(outcome.entered)) ::CoUninitialize();
    // A thread without COM: the control enters and leaves it again.
    delete new SkinUI::CActiveXUI();
    APTTYPE kind = APTTYPE_CURRENT;
    outcome.afterOwnControl = ::CoGetApartmentType(&kind, &qualifier);
  }).join();
  EXPECT_EQ(outcome.entered, S_OK);
  EXPECT_EQ(outcome.afterControl, S_OK) << "the thread is still in its apartment";
  EXPECT_EQ(outcome.kind, APTTYPE_MTA);
  EXPECT_EQ(outcome.afterOwnControl, CO_E_NOTINITIALIZED) << "the control left what it entered";
}

}  // namespace
