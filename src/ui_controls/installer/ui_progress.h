#pragma once
// The progress bar ("Progress") shows an integer value between a minimum and a maximum by
// drawing its fore image over the part of the control that the value covers, from the left or
// from the bottom. The slider ("Slider") adds a thumb that the user drags, clicks or moves with
// the mouse wheel, and reports changes with "valuechanged".
#include <windows.h>

#include "ui_controls/installer/ui_label.h"

namespace SkinUI {

class CProgressUI : public CLabelUI {
public:
  CProgressUI();
  ~CProgressUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintStatusImage(HDC hDC) override;

  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal = true);
  int GetMinValue() const { return min_; }
  void SetMinValue(int min);  // the value is not re-clamped
  int GetMaxValue() const { return max_; }
  void SetMaxValue(int max);  // the value is not re-clamped
  int GetValue() const { return value_; }
  // Limited to at most the maximum, then to at least the minimum (the minimum wins when it lies
  // above the maximum); repaints even when unchanged.
  void SetValue(int value);
  const CStringUI& GetForeImage() const { return foreImage_.description; }
  void SetForeImage(const wchar_t* description);

  // The part of the control that the value covers, relative to the control's top-left corner.
  // A maximum not above the minimum counts as minimum + 1; the value counts clamped.
  RECT GetFillRect() const;

protected:
  // A maximum not above the minimum becomes minimum + 1 and the value is clamped, both stored.
  void NormalizeRange();

  bool horizontal_ = true;
  int max_ = 100;
  int min_ = 0;
  int value_ = 0;
};

class CSliderUI : public CProgressUI {
public:
  CSliderUI();
  ~CSliderUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  void PaintStatusImage(HDC hDC) override;

  int GetChangeStep() const { return step_; }
  void SetChangeStep(int step) { step_ = step; }
  bool IsImmMode() const { return immediate_; }
  void SetImmMode(bool immediate) { immediate_ = immediate; }
  SIZE GetThumbSize() const { return thumbSize_; }
  void SetThumbSize(SIZE size);  // negative extents count as 0
  const CStringUI& GetThumbImage() const { return thumbImage_.description; }
  void SetThumbImage(const wchar_t* description);
  const CStringUI& GetThumbHotImage() const { return thumbHotImage_.description; }
  void SetThumbHotImage(const wchar_t* description);
  const CStringUI& GetThumbPushedImage() const { return thumbPushedImage_.description; }
  void SetThumbPushedImage(const wchar_t* description);
  UINT GetButtonState() const { return state_; }

  // The thumb in window client coordinates.
  RECT GetThumbRect() const;
  // The value that the pointer at pt stands for, within [minimum, maximum].
  int ValueAtPoint(POINT pt) const;

protected:
  void NotifyValueChanged();

  UINT state_ = 0;
  int step_ = 1;
  bool immediate_ = false;
  TImageDescUI thumbImage_;
  TImageDescUI thumbHotImage_;
  TImageDescUI thumbPushedImage_;
  SIZE thumbSize_ = {10, 10};
};

}  // namespace SkinUI
