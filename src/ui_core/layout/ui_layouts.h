#pragma once
// Containers that place their children: a vertical stack, a horizontal row, a grid of equal
// cells, and a layout filled from another skin file. The vertical and horizontal layouts can act
// as a resizable pane with a separator band that the user drags.
#include <windows.h>

#include "ui_core/manager/ui_container.h"

namespace SkinUI {

// The drag state of a separator band, shared by the vertical and horizontal layouts.
constexpr UINT kSeparatorCaptured = 0x40;

// What the vertical and the horizontal layout share: one stacking of the children and one
// separator band with its drag, along the axis that `Vertical` names (true: top to bottom, the
// band at the bottom edge or, for a negative size, the top edge; false: left to right, the band
// at the right or left edge).
template <bool Vertical>
class CLinearLayoutUI : public CContainerUI {
public:
  UINT GetControlFlags() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void DoEvent(TInputEventUI& event) override;
  // "sepheight" (vertical) or "sepwidth" (horizontal), and "sepimm".
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  void DoPostPaint(HDC hDC, const RECT& paint) override;

  bool IsSepImmMode() const { return immediateMode_; }
  void SetSepImmMode(bool immediate);
  // The separator band: of the drag's new position when a drag runs and useNew is set, else of
  // the item rect. Empty when there is no separator.
  RECT GetSeparatorRect(bool useNew) const;

protected:
  CLinearLayoutUI() = default;

  // The placement and the separator drag, written once for both axes.
  friend struct LinearLayoutOps;

  int separatorSize_ = 0;
  UINT buttonState_ = 0;
  POINT lastMouse_ = {0, 0};
  RECT newPos_ = {0, 0, 0, 0};
  bool immediateMode_ = false;
};

extern template class CLinearLayoutUI<true>;
extern template class CLinearLayoutUI<false>;

class CVerticalLayoutUI : public CLinearLayoutUI<true> {
public:
  CVerticalLayoutUI();

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;

  int GetSepHeight() const { return separatorSize_; }
  void SetSepHeight(int height) { separatorSize_ = height; }
};

class CHorizontalLayoutUI : public CLinearLayoutUI<false> {
public:
  CHorizontalLayoutUI();

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;

  int GetSepWidth() const { return separatorSize_; }
  void SetSepWidth(int width) { separatorSize_ = width; }
};

class CTileLayoutUI : public CContainerUI {
public:
  CTileLayoutUI();

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  SIZE GetItemSize() const { return itemSize_; }
  // A width of 0 or less (every cell would be empty and the column count undefined) or a
  // negative height is refused.
  void SetItemSize(SIZE size);
  int GetColumns() const { return columns_; }  // in use after the last SetPos
  int GetRows() const { return rows_; }
  int GetFixedColumns() const { return fixedColumns_; }
  void SetFixedColumns(int columns);
  int GetChildVPadding() const { return childVPadding_; }
  void SetChildVPadding(int padding);

protected:
  SIZE itemSize_ = {80, 80};
  int columns_ = 1;
  int rows_ = 0;
  int fixedColumns_ = 0;
  int childVPadding_ = 0;
};

class CChildLayoutUI : public CContainerUI {
public:
  CChildLayoutUI();

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void Init() override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  // Built (and added as the only child) when the layout is first given a window manager.
  void SetChildLayoutXML(const wchar_t* fileName) { xmlFile_ = fileName; }
  const CStringUI& GetChildLayoutXML() const { return xmlFile_; }

protected:
  CStringUI xmlFile_;
};

}  // namespace SkinUI
