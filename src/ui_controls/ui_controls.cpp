#include "ui_controls/activex/ui_activex.h"
#include "ui_controls/activex/ui_web_browser.h"
#include "ui_controls/installer/ui_button.h"
#include "ui_controls/installer/ui_edit.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_controls/installer/ui_progress.h"
#include "ui_controls/lists/ui_combo.h"
#include "ui_controls/lists/ui_list.h"
#include "ui_controls/lists/ui_list_elements.h"
#include "ui_controls/lists/ui_list_header.h"
#include "ui_controls/lists/ui_text.h"
#include "ui_controls/lists/ui_tree.h"
#include "ui_controls/periphery/ui_date_time.h"
#include "ui_controls/periphery/ui_gif_anim.h"
#include "ui_controls/periphery/ui_rich_edit.h"
#include "ui_controls/ui_controls.h"

#include <mutex>

#include "ui_core/layout/ui_skin_builder.h"

namespace SkinUI {
namespace {

template <class Control>
CControlUI* CreateElement() {
  return new Control();
}

void RegisterAll() {
  RegisterSkinElement(L"Label", &CreateElement<CLabelUI>);
  RegisterSkinElement(L"Button", &CreateElement<CButtonUI>);
  RegisterSkinElement(L"Option", &CreateElement<COptionUI>);
  RegisterSkinElement(L"CheckBox", &CreateElement<CCheckBoxUI>);
  RegisterSkinElement(L"Progress", &CreateElement<CProgressUI>);
  RegisterSkinElement(L"Slider", &CreateElement<CSliderUI>);
  RegisterSkinElement(L"Edit", &CreateElement<CEditUI>);
  RegisterSkinElement(L"Text", &CreateElement<CTextUI>);
  RegisterSkinElement(L"List", &CreateElement<CListUI>);
  RegisterSkinElement(L"ListHeader", &CreateElement<CListHeaderUI>);
  RegisterSkinElement(L"ListHeaderItem", &CreateElement<CListHeaderItemUI>);
  RegisterSkinElement(L"ListLabelElement", &CreateElement<CListLabelElementUI>);
  RegisterSkinElement(L"ListTextElement", &CreateElement<CListTextElementUI>);
  RegisterSkinElement(L"ListContainerElement", &CreateElement<CListContainerElementUI>);
  RegisterSkinElement(L"ListHBoxElement", &CreateElement<CListHBoxElementUI>);
  RegisterSkinElement(L"Combo", &CreateElement<CComboUI>);
  RegisterSkinElement(L"ComboBox", &CreateElement<CComboUI>);
  RegisterSkinElement(L"TreeView", &CreateElement<CTreeViewUI>);
  RegisterSkinElement(L"Tree", &CreateElement<CTreeViewUI>);
  RegisterSkinElement(L"TreeNode", &CreateElement<CTreeNodeUI>);
  RegisterSkinElement(L"RichEdit", &CreateElement<CRichEditUI>);
  RegisterSkinElement(L"DateTime", &CreateElement<CDateTimeUI>);
  RegisterSkinElement(L"GifAnim", &CreateElement<CGifAnimUI>, true);
  // the hosts of COM controls
  RegisterSkinElement(L"ActiveX", &CreateElement<CActiveXUI>);
  RegisterSkinElement(L"WebBrowser", &CreateElement<CWebBrowserUI>);
}

}  // namespace

void RegisterStandardControls() {
  static std::once_flag registered;
  std::call_once(registered, RegisterAll);
}

}  // namespace SkinUI
