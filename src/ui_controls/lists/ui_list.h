#pragma once
// The list ("List"): a column header above a scrolling body of items. The list owns the
// appearance record of its items, the selection, the expanded item, keyboard and wheel
// navigation, and keeps the header's columns in step with the body's horizontal scrolling.
// Children added to the list go to the header (a header or header items) or to the body (items).
#include <windows.h>

#include "ui_controls/lists/ui_list_shared.h"
#include "ui_core/layout/ui_layouts.h"

namespace SkinUI {

class CListUI;
class CListHeaderUI;

// The scrolling part of a list that holds the items.
class CListBodyUI : public CVerticalLayoutUI {
public:
  explicit CListBodyUI(CListUI* owner);
  ~CListBodyUI() override;

  void SetPos(RECT rc, bool needInvalidate = true) override;
  void DoEvent(TInputEventUI& event) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;
  void SetScrollPos(SIZE pos) override;

  CListUI* GetOwner() const { return owner_; }

private:
  CListUI* owner_;
};

class CListUI : public CVerticalLayoutUI, public IListUI {
public:
  CListUI();
  ~CListUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  // IContainerUI: items go to the body, headers and header items to the header.
  CControlUI* GetItemAt(int index) const override;
  int GetItemIndex(CControlUI* control) const override;
  bool SetItemIndex(CControlUI* control, int newIndex) override;
  bool SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) override;
  int GetCount() const override;
  bool Add(CControlUI* control) override;
  bool AddAt(CControlUI* control, int index) override;
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  // Spacing, selection search and scrolling are the body's.
  int GetChildPadding() const override;
  void SetChildPadding(int padding) override;
  int FindSelectable(int index, bool forward = true) const override;
  SIZE GetScrollPos() const override;
  SIZE GetScrollRange() const override;
  void SetScrollPos(SIZE pos) override;
  void LineUp() override;
  void LineDown() override;
  void PageUp() override;
  void PageDown() override;
  void HomeUp() override;
  void EndDown() override;
  void LineLeft() override;
  void LineRight() override;
  void PageLeft() override;
  void PageRight() override;
  void HomeLeft() override;
  void EndRight() override;
  void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false) override;
  CScrollBarUI* GetVerticalScrollBar() const override;
  CScrollBarUI* GetHorizontalScrollBar() const override;

  // IListOwnerUI
  TListInfoUI* GetListInfo() override { return &info_; }
  int GetCurSel() const override { return curSel_; }
  // -1 clears the selection (false, no notification); an index outside -1..count-1 is refused
  // and changes nothing.
  bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) override;
  bool ExpandItem(int index, bool expand = true) override;
  int GetExpandedItem() const override { return expandedItem_; }

  // IListUI
  CListHeaderUI* GetHeader() const override { return header_; }
  CListBodyUI* GetList() const override { return body_; }
  IListCallbackUI* GetTextCallback() const override { return textCallback_; }
  void SetTextCallback(IListCallbackUI* callback) override { textCallback_ = callback; }

  // Scrolls the body so that the item is inside it (nothing while nothing is selected).
  void EnsureVisible(int index);
  bool IsScrollSelect() const { return scrollSelect_; }
  void SetScrollSelect(bool scrollSelect) { scrollSelect_ = scrollSelect; }
  bool IsMultiExpanding() const { return info_.multiExpanding; }
  void SetMultiExpanding(bool multiExpanding) { info_.multiExpanding = multiExpanding; }

  // Lays the header out at its place (a hidden one only for the moment, at no height) and reads
  // the columns from its items, shifted by the body's horizontal scroll position.
  void UpdateColumns();

protected:
  // The kinds of children the container operations tell apart.
  bool IsHeaderControl(CControlUI* control) const;
  bool IsHeaderItem(CControlUI* control) const;
  // Moves the selection by a navigation key or the wheel; nothing when no item can take it.
  void MoveSelection(int from, bool forward, bool takeFocus);

  bool scrollSelect_ = false;
  int curSel_ = -1;
  int expandedItem_ = -1;
  IListCallbackUI* textCallback_ = nullptr;
  CListBodyUI* body_ = nullptr;      // a child
  CListHeaderUI* header_ = nullptr;  // a child
  TListInfoUI info_;
  RECT headerRect_ = {0, 0, 0, 0};  // where the last layout put the header
};

}  // namespace SkinUI
