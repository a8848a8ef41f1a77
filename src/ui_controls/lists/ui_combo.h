#pragma once
// The combo box ("Combo", "ComboBox"): a box that shows the selected item of its items and, when
// activated, a borderless drop-down window under it (above it near the bottom of the work area)
// that lists the items in a scrolling body. The items are the combo box's own children (list
// elements); while the drop-down is open they live in its window.
#include <windows.h>

#include "ui_controls/lists/ui_list_shared.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/window/ui_window.h"

namespace SkinUI {

class CComboUI;

// The scrolling body of the drop-down: a vertical layout painted like a list body.
class CComboBodyUI : public CVerticalLayoutUI {
public:
  explicit CComboBodyUI(CComboUI* owner);
  ~CComboBodyUI() override;

  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

private:
  CComboUI* owner_;
};

// The drop-down window of an open combo box. It lives from Init to its final message and then
// deletes itself; the combo box forgets it at that moment, and its items go back to the combo
// box however the window ends.
class CComboWnd : public CWindowWnd {
public:
  CComboWnd() = default;

  // Creates and shows the window. False when no window could be made.
  bool Init(CComboUI* owner);
  // Scrolls the body so that the item is inside it (nothing while the combo has no selection).
  void EnsureVisible(int index);
  // The item leaves the open drop-down (the combo box is removing it).
  void ForgetItem(CControlUI* item);
  // The combo box is going away: its items go back to it at once and the window is destroyed.
  void Abandon();

protected:
  const wchar_t* GetWindowClassName() const override;
  UINT GetClassStyle() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

private:
  void OnCreate();
  bool IsScrollBarAt(LPARAM lParam);
  // Gives the items back to the combo box (once): the drop-down's manager forgets them first.
  void ReturnItems(bool relayout);
  void ForgetInManager(CControlUI* item);

  CWindowManagerUI manager_;
  CComboUI* owner_ = nullptr;
  CComboBodyUI* body_ = nullptr;  // the manager's root
  int oldSel_ = -1;
  bool scrollBarPressed_ = false;
  bool itemsTaken_ = false;
};

class CComboUI : public CContainerUI, public IListOwnerUI {
public:
  // Button state bits.
  static constexpr UINT kFocused = 0x01;
  static constexpr UINT kDisabled = 0x04;
  static constexpr UINT kHot = 0x08;
  static constexpr UINT kPushed = 0x10;
  static constexpr UINT kCaptured = 0x40;

  CComboUI();
  ~CComboUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  bool Activate() override;
  CStringUI GetText() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  // IContainerUI: the items, numbered and with the selection kept as a list keeps them.
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;
  bool SetItemIndex(CControlUI* control, int newIndex) override;
  bool SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) override;

  // IListOwnerUI
  TListInfoUI* GetListInfo() override { return &info_; }
  int GetCurSel() const override { return curSel_; }
  // An index past the last item selects the last one; a negative one clears the selection.
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  bool ExpandItem(int /*index*/, bool /*expand*/ = true) override { return false; }
  int GetExpandedItem() const override { return -1; }

  UINT GetButtonState() const { return buttonState_; }
  bool IsDroppedDown() const { return dropDown_ != nullptr; }
  // The open drop-down window, or null.
  HWND GetDropDownWindow() const { return dropDown_ != nullptr ? dropDown_->GetHWND() : nullptr; }
  SIZE GetDropBoxSize() const { return dropBoxSize_; }
  void SetDropBoxSize(SIZE size);
  const CStringUI& GetDropBoxAttributeList() const { return dropBoxAttributes_; }
  void SetDropBoxAttributeList(const wchar_t* list) { dropBoxAttributes_ = list; }
  RECT GetTextPadding() const { return textPadding_; }
  void SetTextPadding(RECT padding);
  bool IsShowText() const { return showText_; }
  void SetShowText(bool showText);

private:
  friend class CComboWnd;

  // The drop-down handed the items back: the combo box and its items are its window's again.
  void TakeBackItems(bool relayout);
  void DropDownClosed(CComboWnd* window);
  // A selection by key or wheel leaves an open drop-down open; no target keeps the selection.
  void SelectKeepingOpen(int index);

  CComboWnd* dropDown_ = nullptr;  // owned by its window
  int curSel_ = -1;
  bool showText_ = true;
  bool selectCloses_ = true;
  RECT textPadding_ = {0, 0, 0, 0};
  CStringUI dropBoxAttributes_;
  SIZE dropBoxSize_ = {0, 150};
  UINT buttonState_ = 0;
  TImageDescUI normalImage_;
  TImageDescUI hotImage_;
  TImageDescUI pushedImage_;
  TImageDescUI focusedImage_;
  TImageDescUI disabledImage_;
  TListInfoUI info_;
};

}  // namespace SkinUI
