#pragma once
// A button with a selected state: the skin element "Option". Options that share a group name
// within one window act as radio buttons; an option without a group toggles like a check box.
// "CheckBox" is an option with its own class name. Both report changes of their selection with
// "selectchanged".
#include <windows.h>

#include "ui_controls/installer/ui_button.h"

namespace SkinUI {

class COptionUI : public CButtonUI {
public:
  COptionUI();
  ~COptionUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  bool Activate() override;
  void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
  void SetEnabled(bool enabled = true) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  // Selecting a grouped option deselects the others of its group in the same window (silently)
  // and sends one "selectchanged" from this option when notify is set; deselecting a grouped
  // option sends nothing.
  virtual void Selected(bool selected, bool notify = true);

  bool IsSelected() const { return selected_; }
  const CStringUI& GetGroup() const { return group_; }
  // Null or empty: no group (the option toggles).
  void SetGroup(const wchar_t* name);

  const CStringUI& GetSelectedImage() const { return selectedImage_.description; }
  void SetSelectedImage(const wchar_t* description);
  const CStringUI& GetSelectedHotImage() const { return selectedHotImage_.description; }
  void SetSelectedHotImage(const wchar_t* description);
  // The option's own fore image, drawn over every state (the button's fore image is not used).
  const CStringUI& GetForeImage() const { return optionForeImage_.description; }
  void SetForeImage(const wchar_t* description);
  DWORD GetSelectedBkColor() const { return selectedBkColor_; }
  void SetSelectedBkColor(DWORD argb) { selectedBkColor_ = argb; }
  DWORD GetSelectedTextColor() const { return selectedTextColor_; }
  void SetSelectedTextColor(DWORD argb) { selectedTextColor_ = argb; }

protected:
  // An option is in its window's list of its group exactly while it has a window and a group.
  void JoinGroup();
  void LeaveGroup();

  bool selected_ = false;
  CStringUI group_;
  DWORD selectedBkColor_ = 0;
  DWORD selectedTextColor_ = 0;
  TImageDescUI selectedImage_;
  TImageDescUI selectedHotImage_;
  TImageDescUI optionForeImage_;
};

class CCheckBoxUI : public COptionUI {
public:
  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;

  void SetCheck(bool checked, bool notify = true) { Selected(checked, notify); }
  bool GetCheck() const { return IsSelected(); }
};

}  // namespace SkinUI
