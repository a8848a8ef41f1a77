#pragma once
// The base of every control that holds children: an ordered list of children, an inset, child
// padding and alignment, and up to two scroll bars. The plain container places every child over
// its whole client area; the layouts replace that placement.
#include <windows.h>

#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_arrays.h"
#include "ui_core/values/ui_geometry.h"

namespace SkinUI {

class CScrollBarUI;

// What the skin builder and application code use to add and remove children.
class IContainerUI {
public:
  virtual CControlUI* GetItemAt(int index) const = 0;
  virtual int GetItemIndex(CControlUI* control) const = 0;
  virtual bool SetItemIndex(CControlUI* control, int newIndex) = 0;
  virtual bool SetItemRangeIndex(CControlUI* startControl, int count, int newStartIndex) = 0;
  virtual int GetCount() const = 0;
  virtual bool Add(CControlUI* control) = 0;
  virtual bool AddAt(CControlUI* control, int index) = 0;
  virtual bool Remove(CControlUI* control, bool doNotDestroy = false) = 0;
  virtual bool RemoveAt(int index, bool doNotDestroy = false) = 0;
  virtual void RemoveAll() = 0;

protected:
  ~IContainerUI() = default;
};

class CContainerUI : public CControlUI, public IContainerUI {
public:
  CContainerUI();
  ~CContainerUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;

  // IContainerUI
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

  void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
  RECT GetClientPos() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void SetVisible(bool visible = true) override;
  void SetInheritedVisible(bool visible = true) override;
  void SetMouseEnabled(bool enabled = true) override;
  CControlUI* FindControl(FindControlProc proc, LPVOID data, UINT flags) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

  // Appended virtual operations, in the order every container keeps.
  virtual RECT GetInset() const;
  virtual void SetInset(RECT inset);
  virtual int GetChildPadding() const;
  virtual void SetChildPadding(int padding);
  virtual UINT GetChildAlign() const;   // DT_LEFT, DT_CENTER, DT_RIGHT
  virtual void SetChildAlign(UINT align);
  virtual UINT GetChildVAlign() const;  // DT_TOP, DT_VCENTER, DT_BOTTOM
  virtual void SetChildVAlign(UINT align);
  virtual bool IsAutoDestroy() const;
  virtual void SetAutoDestroy(bool autoDestroy);
  virtual bool IsDelayedDestroy() const;
  virtual void SetDelayedDestroy(bool delayed);
  virtual bool IsMouseChildEnabled() const;
  virtual void SetMouseChildEnabled(bool enabled = true);
  virtual int FindSelectable(int index, bool forward = true) const;
  virtual SIZE GetScrollPos() const;
  virtual SIZE GetScrollRange() const;
  virtual void SetScrollPos(SIZE pos);
  virtual void LineUp();
  virtual void LineDown();
  virtual void PageUp();
  virtual void PageDown();
  virtual void HomeUp();
  virtual void EndDown();
  virtual void LineLeft();
  virtual void LineRight();
  virtual void PageLeft();
  virtual void PageRight();
  virtual void HomeLeft();
  virtual void EndRight();
  virtual void EnableScrollBar(bool enableVertical = true, bool enableHorizontal = false);
  virtual CScrollBarUI* GetVerticalScrollBar() const;
  virtual CScrollBarUI* GetHorizontalScrollBar() const;
  virtual void SetFloatPos(int index);
  virtual void ProcessScrollBar(RECT rc, int cxRequired, int cyRequired);

protected:
  // Deletes the child now, or hands it to the manager's delayed cleanup.
  void DisposeChild(CControlUI* control);
  // Takes a child that stays alive out of the window's tree.
  void ReleaseChild(CControlUI* control);
  // The item rect less the inset and the visible scroll bars.
  RECT GetChildArea() const;

  CPtrArrayUI items_;
  RECT inset_ = {0, 0, 0, 0};
  int childPadding_ = 0;
  UINT childAlign_ = DT_LEFT;
  UINT childVAlign_ = DT_TOP;
  bool autoDestroy_ = true;
  bool delayedDestroy_ = true;
  bool mouseChildEnabled_ = true;
  bool scrollProcessing_ = false;
  CScrollBarUI* verticalScrollBar_ = nullptr;    // owned
  CScrollBarUI* horizontalScrollBar_ = nullptr;  // owned

private:
  bool IsBarShown(const CScrollBarUI* bar) const;
  bool IsBarActive(const CScrollBarUI* bar) const;  // shown and enabled
  // Whether the control is this container or one of its ancestors (adding it would make a loop).
  bool IsSelfOrAncestor(const CControlUI* control) const;
  int VerticalLineSize() const;
  int HorizontalLineSize() const;
  // What a page step moves: the client width and height (inset and visible bars taken off).
  SIZE PageSize() const;
  void ScrollBy(int dx, int dy);
  // Creates (with the window's default style) or deletes one bar.
  void UpdateBar(CScrollBarUI*& bar, bool enable, bool horizontal);
  // One bar alone: horizontal with the content's width, else vertical with its height.
  void ProcessSingleBar(bool horizontal, RECT rc, int required);
  void ProcessBothBars(RECT rc, int cxRequired, int cyRequired);
  void PlaceHorizontalBar(const RECT& rc);
  void PlaceVerticalBar(const RECT& rc);
  // SetPos over the current rect again; withFlag keeps scroll processing marked meanwhile.
  void Relayout(bool needInvalidate, bool withFlag = false);

  int relayoutDepth_ = 0;  // nested relayouts started by ProcessScrollBar
};

}  // namespace SkinUI
