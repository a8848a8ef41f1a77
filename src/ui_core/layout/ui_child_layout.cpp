// A layout whose content comes from another skin file, built when the layout joins a window.
#include "base/log.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_skin_build_guard.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

CChildLayoutUI::CChildLayoutUI() = default;

const wchar_t* CChildLayoutUI::GetClass() const { return L"ChildLayout"; }

void* CChildLayoutUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"ChildLayout")) return this;
  return CControlUI::GetInterface(name);
}

void CChildLayoutUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;  // an attribute without a name sets nothing
  if (NameIs(name, L"xmlfile")) {
    SetChildLayoutXML(value);
  } else {
    CContainerUI::SetAttribute(name, value);
  }
}

void CChildLayoutUI::Init() {
  if (xmlFile_.IsEmpty()) return;
  // The file stays on the stack of files being built until its root is added: adding it gives
  // the new tree the manager, which builds the child layouts inside it, and one of them may name
  // this file again.
  CSkinBuildScopeUI scope(CSkinBuildScopeUI::Kind::File, xmlFile_.GetData());
  if (!scope.IsAllowed()) {
    RemoveAll();
    return;
  }
  CSkinBuilderUI builder;
  CControlUI* root = nullptr;
  if (builder.GetMarkup()->LoadFromFile(xmlFile_.GetData(), kXmlEncodingUtf8)) {
    root = builder.Create(nullptr, manager_, nullptr);
  } else {
    UTILS_LOG(L"child layout %ls not loaded: %ls\r\n", xmlFile_.GetData(),
              builder.GetLastErrorMessage());
  }
  if (root == nullptr) {
    RemoveAll();
    return;
  }
  if (!Add(root)) root->Delete();
}

}  // namespace SkinUI
