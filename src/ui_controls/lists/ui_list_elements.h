#pragma once
// The items of a list or a combo box. The plain elements paint their own text: a label element
// ("ListLabelElement") and a text element ("ListTextElement", one text per column, with links).
// The container elements hold child controls: "ListContainerElement" and "ListHBoxElement",
// whose children line up with the header's columns. All of them take their colours, images,
// font, padding and text style from their owner's appearance record, report clicks, activation,
// selection and expansion, and tell their owner when they are selected or expanded.
#include <windows.h>

#include "ui_controls/lists/ui_list_shared.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"

namespace SkinUI {

// The item state and behaviour both families share, over a control base (CControlUI for the
// plain elements, CContainerUI for the container elements).
template <class Base>
class CListItemBaseUI : public Base, public IListItemUI {
public:
  UINT GetControlFlags() const override;
  bool Activate() override;
  void SetVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  // IListItemUI
  int GetIndex() const override { return index_; }
  void SetIndex(int index) override { index_ = index; }
  int GetDrawIndex() const override { return drawIndex_; }
  void SetDrawIndex(int index) override { drawIndex_ = index; }
  IListOwnerUI* GetOwner() override { return owner_; }
  void SetOwner(CControlUI* owner) override;
  bool IsSelected() const override { return selected_; }
  bool Select(bool select = true, bool takeFocus = true) override;

  bool IsHot() const { return (buttonState_ & kItemHot) != 0; }
  // Repaints the item where its parent shows it (inside the parent's inset and scroll bars).
  void InvalidateItem();

protected:
  static constexpr UINT kItemHot = 0x08;

  // The owner's appearance record, or null.
  TListInfoUI* Info() const { return owner_ != nullptr ? owner_->GetListInfo() : nullptr; }
  // The background colour and image of the state, from the owner's record.
  void DrawItemBk(HDC hDC);
  // The steps of a press, a pointer move, enter and leave that both families share. True when
  // the event ended here.
  bool HandlePointerEvent(TInputEventUI& event);
  // Double click and Return activate; true when the event ended here.
  bool HandleActivation(TInputEventUI& event);
  // Everything an item does not handle goes to its owner (keys, wheel, clicks of the list).
  void PassToOwner(TInputEventUI& event);

  int index_ = -1;
  int drawIndex_ = 0;
  bool selected_ = false;
  UINT buttonState_ = 0;
  IListOwnerUI* owner_ = nullptr;
};

class CListElementUI : public CListItemBaseUI<CControlUI> {
public:
  CListElementUI();
  ~CListElementUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void DoEvent(TInputEventUI& event) override;

  bool IsExpanded() const override { return false; }
  bool Expand(bool /*expand*/ = true) override { return false; }
};

class CListLabelElementUI : public CListElementUI {
public:
  CListLabelElementUI();
  ~CListLabelElementUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetOwner(CControlUI* owner) override;
  void SetText(const wchar_t* text) override;
  void SetFixedWidth(int cx) override;
  void SetFixedHeight(int cy) override;
  SIZE EstimateSize(SIZE available) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;
  void DrawItemText(HDC hDC, const RECT& rc) override;

protected:
  // The text colour of the item's state.
  DWORD StateTextColor(const TListInfoUI& info) const;
  // The size of the item for a width (0: measured) and the text to measure.
  SIZE EstimateFor(SIZE available, int width, const CStringUI& text);

  SIZE estimate_ = {0, 0};
  bool needsEstimate_ = true;
  SIZE lastAvailable_ = {0, 0};
  int lastItemHeight_ = 0;
  int lastFont_ = -1;
  UINT lastTextStyle_ = 0;
  RECT lastTextPadding_ = {0, 0, 0, 0};
};

class CListTextElementUI : public CListLabelElementUI {
public:
  static constexpr int kMaxLinks = 8;

  CListTextElementUI();
  ~CListTextElementUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  void SetOwner(CControlUI* owner) override;
  void DoEvent(TInputEventUI& event) override;
  SIZE EstimateSize(SIZE available) override;
  void DrawItemText(HDC hDC, const RECT& rc) override;

  // The text of one column (empty when it has none). Any column index is accepted; texts of
  // columns the header does not have are kept but not shown.
  CStringUI GetColumnText(int column) const;
  void SetColumnText(int column, const wchar_t* text);
  int GetLinkCount() const { return linkCount_; }
  RECT GetLinkRect(int index) const;  // empty outside 0..link count-1

protected:
  // The text shown in a column: the callback's, else the column text, else (without columns
  // and column texts) the element's own text.
  CStringUI ColumnTextToShow(int column, bool haveColumns) const;
  int LinkAt(POINT pt) const;

  int linkCount_ = 0;
  RECT links_[kMaxLinks] = {};
  CStringUI linkTexts_[kMaxLinks];
  int hoverLink_ = -1;
  IListUI* listOwner_ = nullptr;
  CStringUI* columnTexts_ = nullptr;  // owned, columnTextCount_ entries
  int columnTextCount_ = 0;
  CStringUI lastText_;
};

class CListContainerElementUI : public CListItemBaseUI<CContainerUI> {
public:
  CListContainerElementUI();
  ~CListContainerElementUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

  bool IsExpanded() const override { return expanded_; }
  bool Expand(bool expand = true) override;
  void DrawItemText(HDC /*hDC*/, const RECT& /*rc*/) override {}

  bool IsExpandable() const { return expandable_; }
  void SetExpandable(bool expandable) { expandable_ = expandable; }

protected:
  bool expandable_ = false;
  bool expanded_ = false;
};

class CListHBoxElementUI : public CListContainerElementUI {
public:
  CListHBoxElementUI();
  ~CListHBoxElementUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;
};

extern template class CListItemBaseUI<CControlUI>;
extern template class CListItemBaseUI<CContainerUI>;

}  // namespace SkinUI
