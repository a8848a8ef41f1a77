#pragma once
// The column header of a list: "ListHeader", a row of "ListHeaderItem" columns. Each column is a
// button-like control with a text, four state images and a separator band at one edge that the
// user drags to change the column's width. The list reads the columns' places after every
// layout; text and horizontal-box elements line up with them.
#include <windows.h>

#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_control.h"

namespace SkinUI {

class CListHeaderUI : public CHorizontalLayoutUI {
public:
  CListHeaderUI();
  ~CListHeaderUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  // Width: every column's estimate added up; height: the fixed height, else the tallest column
  // (at least one line of the default font and 8 pixels).
  SIZE EstimateSize(SIZE available) override;
};

class CListHeaderItemUI : public CControlUI {
public:
  // Button state bits.
  static constexpr UINT kFocused = 0x01;
  static constexpr UINT kHot = 0x08;
  static constexpr UINT kPushed = 0x10;
  static constexpr UINT kDragging = 0x40;

  CListHeaderItemUI();
  ~CListHeaderItemUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  UINT GetButtonState() const { return buttonState_; }
  bool IsDragable() const { return dragable_; }
  // Anything but true also ends a drag under way.
  void SetDragable(bool dragable);
  int GetSepWidth() const { return sepWidth_; }
  void SetSepWidth(int width) { sepWidth_ = width; }
  // The band the user drags: at the right edge for a positive width, at the left edge for a
  // negative one; empty for 0.
  RECT GetThumbRect() const;

protected:
  POINT lastMouse_ = {0, 0};
  int dragWidth_ = 0;  // the column's width after the last step taken
  bool dragable_ = true;
  UINT buttonState_ = 0;
  int sepWidth_ = 4;
  DWORD textColor_ = 0;
  DWORD sepColor_ = 0;
  int font_ = -1;
  UINT textStyle_ = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  bool showHtml_ = false;
  RECT textPadding_ = {2, 0, 2, 0};
  TImageDescUI normalImage_;
  TImageDescUI hotImage_;
  TImageDescUI pushedImage_;
  TImageDescUI focusedImage_;
  TImageDescUI sepImage_;
};

}  // namespace SkinUI
