#include "ui_controls/ui_controls.h"

#include <mutex>

#include "ui_controls/ui_activex.h"
#include "ui_controls/ui_button.h"
#include "ui_controls/ui_edit.h"
#include "ui_controls/ui_label.h"
#include "ui_controls/ui_option.h"
#include "ui_controls/ui_progress.h"
#include "ui_controls/ui_web_browser.h"
#include "ui_core/ui_skin_builder.h"

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
