// Every control the skin builder can name, handed an attribute without a name or without a
// value, as plug-in code and attribute lists cut short do: nothing set, no crash, and the
// control still takes real attributes afterwards, with a window's manager and without one.
#include <gtest/gtest.h>

#include <memory>

#include "test_support.h"
#include "ui_controls/ui_controls.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_control.h"
#include "ui_test_support.h"

namespace {

// The element names of the framework and of the controls library.
const wchar_t* const kElementNames[] = {
    L"Control",          L"Container",        L"VerticalLayout",      L"VBox",
    L"HorizontalLayout", L"HBox",             L"TileLayout",          L"ChildLayout",
    L"TabLayout",        L"ScrollBar",        L"Label",               L"Button",
    L"Option",           L"CheckBox",         L"Progress",            L"Slider",
    L"Edit",             L"Text",             L"List",                L"ListHeader",
    L"ListHeaderItem",   L"ListLabelElement", L"ListTextElement",     L"ListContainerElement",
    L"ListHBoxElement",  L"Combo",            L"ComboBox",            L"TreeView",
    L"Tree",             L"TreeNode",         L"RichEdit",            L"DateTime",
    L"GifAnim",          L"ActiveX",          L"WebBrowser",
};

// Every attribute name that some control or layout reads.
const wchar_t* const kAttributeNames[] = {
    L"align", L"autohscroll", L"autonavi", L"autoplay", L"autoselall", L"autosize",
    L"autovscroll", L"bkcolor", L"bkcolor1", L"bkcolor2", L"bkcolor3", L"bkdisabledimage",
    L"bkhotimage", L"bkimage", L"bknormalimage", L"bkpushedimage", L"bordercolor",
    L"borderround", L"bordersize", L"borderstyle", L"button1color", L"button1disabledimage",
    L"button1hotimage", L"button1normalimage", L"button1pushedimage", L"button2color",
    L"button2disabledimage", L"button2hotimage", L"button2normalimage", L"button2pushedimage",
    L"checkboxattr", L"childalign", L"childpadding", L"childvalign", L"childvpadding",
    L"clsid", L"colorhsl", L"columns", L"delaycreate", L"disabledbkcolor", L"disabledimage",
    L"disabledtextcolor", L"dotlineattr", L"dragable", L"dropbox", L"dropboxsize",
    L"enabled", L"enabledeffect", L"enabledluminous", L"enabledshadow", L"enabledstroke",
    L"endellipsis", L"expandable", L"fadedelta", L"fivestatusimage", L"float",
    L"focusbordercolor", L"focusedimage", L"focusedtextcolor", L"folderattr", L"font",
    L"foreimage", L"gradientangle", L"gradientlength", L"group", L"header", L"headerbkimage",
    L"height", L"homepage", L"hor", L"horizattr", L"hotbkcolor", L"hotforeimage",
    L"hotimage", L"hottextcolor", L"hscrollbar", L"hscrollbarstyle", L"imm", L"inset",
    L"itemalign", L"itemaltbk", L"itemattr", L"itembkcolor", L"itembkimage",
    L"itemdisabledbkcolor", L"itemdisabledimage", L"itemdisabledtextcolor",
    L"itemendellipsis", L"itemfont", L"itemheight", L"itemhlinecolor", L"itemhlinesize",
    L"itemhotbkcolor", L"itemhotimage", L"itemhottextcolor", L"itemminwidth",
    L"itemmultiline", L"itemselectedbkcolor", L"itemselectedimage", L"itemselectedtextcolor",
    L"itemshowhtml", L"itemsize", L"itemtextcolor", L"itemtextpadding", L"itemvalign",
    L"itemvlinecolor", L"itemvlinesize", L"keyboard", L"linesize", L"luminousfuzzy", L"max",
    L"maxchar", L"maxheight", L"maxwidth", L"menu", L"min", L"minheight", L"minwidth",
    L"modulename", L"mouse", L"mousechild", L"multiexpanding", L"multiline", L"name",
    L"nativebkcolor", L"nativetextcolor", L"normalimage", L"numberonly", L"padding",
    L"password", L"pos", L"pushedbkcolor", L"pushedimage", L"pushedtextcolor",
    L"raildisabledimage", L"railhotimage", L"railnormalimage", L"railpushedimage", L"range",
    L"readonly", L"rich", L"scrollselect", L"scrollunit", L"selected", L"selectedbkcolor",
    L"selectedhotimage", L"selectedid", L"selectedimage", L"selectedtextcolor",
    L"selitemhottextcolor", L"selitemtextcolor", L"sepcolor", L"sepheight", L"sepimage",
    L"sepimm", L"sepwidth", L"shadowoffset", L"shortcut", L"showbutton1", L"showbutton2",
    L"showhtml", L"showtext", L"step", L"strokecolor", L"tag", L"text", L"textcolor",
    L"textcolor1", L"textpadding", L"textshadowcolora", L"textshadowcolorb", L"thumbcolor",
    L"thumbdisabledimage", L"thumbhotimage", L"thumbimage", L"thumbnormalimage",
    L"thumbpushedimage", L"thumbsize", L"tipvalue", L"tipvaluecolor", L"tooltip",
    L"transparent", L"userdata", L"valign", L"value", L"virtualwnd", L"visible",
    L"visiblecheckbtn", L"visiblefolderbtn", L"vscrollbar", L"vscrollbarstyle",
    L"wantctrlreturn", L"wantreturn", L"wanttab", L"width", L"xmlfile",
};

struct ControlDeleter {
  void operator()(SkinUI::CControlUI* control) const { control->Delete(); }
};
using ControlPtr = std::unique_ptr<SkinUI::CControlUI, ControlDeleter>;

// Hands the control every null the attribute path can see, then one real attribute.
void SetNullAttributes(SkinUI::CControlUI& control) {
  control.SetAttribute(nullptr, L"1");
  control.SetAttribute(nullptr, L"");
  control.SetAttribute(nullptr, nullptr);
  for (const wchar_t* name : kAttributeNames) {
    SCOPED_TRACE(TestSupport::ToUtf8(name));
    control.SetAttribute(name, nullptr);
  }
  EXPECT_EQ(nullptr, control.GetInterface(nullptr));
  control.SetAttribute(L"width", L"17");
  EXPECT_EQ(17, control.GetFixedWidth());
}

TEST(NullAttributes, EveryElementTakesNullNamesAndValues) {
  SkinUI::RegisterStandardControls();
  TestSupport::TestHostWindow host;
  for (const wchar_t* element : kElementNames) {
    SCOPED_TRACE(TestSupport::ToUtf8(element));
    {
      ControlPtr control(SkinUI::CreateStandardElement(element));
      ASSERT_NE(nullptr, control) << "the factory knows this name";
      SetNullAttributes(*control);
    }
    {
      // As the skin builder configures a control: with the window's manager, not yet attached.
      ControlPtr control(SkinUI::CreateStandardElement(element));
      control->SetManager(&host.manager(), nullptr, false);
      SetNullAttributes(*control);
    }
  }
}

}  // namespace
