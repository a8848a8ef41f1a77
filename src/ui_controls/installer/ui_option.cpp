#include "ui_controls/installer/ui_option.h"

#include "ui_controls/installer/ui_control_images.h"
#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_arrays.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

COptionUI::COptionUI() = default;

COptionUI::~COptionUI() { LeaveGroup(); }

const wchar_t* COptionUI::GetClass() const { return L"Option"; }

void* COptionUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Option")) return this;
  return CButtonUI::GetInterface(name);
}

void COptionUI::JoinGroup() {
  if (manager_ != nullptr && !group_.IsEmpty()) manager_->AddOptionGroup(group_.GetData(), this);
}

void COptionUI::LeaveGroup() {
  if (manager_ != nullptr && !group_.IsEmpty()) {
    manager_->RemoveOptionGroup(group_.GetData(), this);
  }
}

void COptionUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
  // The old window's group list must not keep a pointer to an option that left it.
  if (manager != manager_) LeaveGroup();
  CButtonUI::SetManager(manager, parent, init);
  JoinGroup();
}

void COptionUI::SetGroup(const wchar_t* name) {
  if (name == nullptr || name[0] == L'\0') {
    if (group_.IsEmpty()) return;
  } else if (group_ == name) {
    return;
  }
  LeaveGroup();
  group_ = name;
  JoinGroup();
}

void COptionUI::Selected(bool selected, bool notify) {
  if (selected_ == selected) return;
  selected_ = selected;
  if (selected_) {
    state_ |= kStateSelected;
  } else {
    state_ &= ~kStateSelected;
  }
  if (manager_ != nullptr) {
    if (!group_.IsEmpty()) {
      if (!selected_) {
        Invalidate();
        return;
      }
      CPtrArrayUI* options = manager_->GetOptionGroup(group_.GetData());
      for (int i = 0; options != nullptr && i < options->GetSize(); ++i) {
        auto* control = static_cast<CControlUI*>(options->GetAt(i));
        if (control == nullptr || control == this) continue;
        auto* other = static_cast<COptionUI*>(control->GetInterface(L"Option"));
        if (other != nullptr) other->Selected(false, notify);
      }
    }
    if (notify) manager_->SendNotify(this, L"selectchanged");
  }
  Invalidate();
}

bool COptionUI::Activate() {
  if (!CButtonUI::Activate()) return false;
  // A grouped option clicked again stays selected; a lone one toggles.
  Selected(group_.IsEmpty() ? !selected_ : true, true);
  return true;
}

void COptionUI::SetEnabled(bool enabled) {
  CButtonUI::SetEnabled(enabled);
  if (!IsEnabled()) state_ = selected_ ? kStateSelected : 0;
}

void COptionUI::SetSelectedImage(const wchar_t* description) {
  SetControlImage(*this, selectedImage_, description);
}

void COptionUI::SetSelectedHotImage(const wchar_t* description) {
  SetControlImage(*this, selectedHotImage_, description);
}

void COptionUI::SetForeImage(const wchar_t* description) {
  SetControlImage(*this, optionForeImage_, description);
}

void COptionUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"group")) {
    SetGroup(value);
  } else if (NameIs(name, L"selected")) {
    Selected(ParseAttributeBool(value), true);
  } else if (NameIs(name, L"selectedimage")) {
    SetSelectedImage(value);
  } else if (NameIs(name, L"selectedhotimage")) {
    SetSelectedHotImage(value);
  } else if (NameIs(name, L"foreimage")) {
    SetForeImage(value);
  } else if (NameIs(name, L"selectedbkcolor")) {
    SetSelectedBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"selectedtextcolor")) {
    SetSelectedTextColor(ParseAttributeColor(value));
  } else {
    CButtonUI::SetAttribute(name, value);
  }
}

void COptionUI::PaintStatusImage(HDC hDC) {
  RefreshFocusAndDisabledBits();
  bool drew = false;
  if (selected_) {
    drew = (state_ & kStateHot) != 0 && DrawImage(hDC, selectedHotImage_);
    if (!drew) drew = DrawImage(hDC, selectedImage_);
    if (!drew && selectedBkColor_ != 0) {
      CRenderUI::DrawColor(hDC, paintRect_, GetAdjustedColor(selectedBkColor_));
      drew = true;
    }
  }
  if (!drew) {
    // An option shows no pushed look: a press only selects it.
    const UINT pushed = state_ & kStatePushed;
    state_ &= ~kStatePushed;
    CButtonUI::PaintStatusImage(hDC);
    state_ |= pushed;
  }
  DrawImage(hDC, optionForeImage_);
}

void COptionUI::PaintText(HDC hDC) {
  if (!selected_) {
    const UINT pushed = state_ & kStatePushed;
    state_ &= ~kStatePushed;
    CButtonUI::PaintText(hDC);
    state_ |= pushed;
    return;
  }
  RefreshFocusAndDisabledBits();
  ResolveDefaultTextColors();
  if (text_.IsEmpty()) return;
  const DWORD enabledColor = selectedTextColor_ != 0 ? selectedTextColor_ : textColor_;
  const DWORD color = IsEnabled() ? enabledColor : disabledTextColor_;
  DrawTextIn(hDC, GetTextRect(), GetAdjustedColor(color), textStyle_);
}

const wchar_t* CCheckBoxUI::GetClass() const { return L"CheckBox"; }

void* CCheckBoxUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"CheckBox")) return this;
  return COptionUI::GetInterface(name);
}

}  // namespace SkinUI
