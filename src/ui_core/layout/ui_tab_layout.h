#pragma once
// A container that shows exactly one of its children, the selected page, over its client area.
#include <windows.h>

#include "ui_core/manager/ui_container.h"

namespace SkinUI {

class CTabLayoutUI : public CContainerUI {
public:
  CTabLayoutUI();

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  void RemoveAll() override;

  int GetSelectedIndex() const { return selectedIndex_; }
  // With notify, "tabselect" is sent with wParam = new index and lParam = old index.
  bool SelectItem(int index, bool notify = true);
  bool SelectItem(CControlUI* control, bool notify = true);

protected:
  int selectedIndex_ = -1;
};

}  // namespace SkinUI
