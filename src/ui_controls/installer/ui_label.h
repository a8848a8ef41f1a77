#pragma once
// The text control: the skin element "Label" and the base of buttons, progress bars and edits.
// It draws its text with GDI, plain or in mark-up, or, with its text effects on, with GDI+ (a
// vertical gradient brush, a glow, a one-pixel stroke and a drop shadow), and it measures itself
// for layouts.
#include <windows.h>

#include "ui_core/manager/ui_control.h"

namespace SkinUI {

class CLabelUI : public CControlUI {
public:
  CLabelUI();
  ~CLabelUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetText(const wchar_t* text) override;
  void SetFixedWidth(int cx) override;
  void SetFixedHeight(int cy) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  void PaintText(HDC hDC) override;

  UINT GetTextStyle() const { return textStyle_; }
  void SetTextStyle(UINT style);
  int GetFont() const { return font_; }
  void SetFont(int id);
  DWORD GetTextColor() const { return textColor_; }
  void SetTextColor(DWORD argb);
  DWORD GetDisabledTextColor() const { return disabledTextColor_; }
  void SetDisabledTextColor(DWORD argb);
  RECT GetTextPadding() const { return textPadding_; }
  // Negative widths count as 0: the text never spills over the control.
  void SetTextPadding(RECT padding);
  bool IsShowHtml() const { return showHtml_; }
  void SetShowHtml(bool showHtml = true);
  bool IsMultiLine() const { return (textStyle_ & DT_SINGLELINE) == 0; }
  void SetMultiLine(bool multiLine = true);

  // The GDI+ text effects.
  bool IsEnabledEffect() const { return effectEnabled_; }
  void SetEnabledEffect(bool enabled);
  void SetEnabledLuminous(bool enabled);
  float GetLuminousFuzzy() const { return luminousFuzzy_; }
  void SetLuminousFuzzy(float fuzzy);  // below 0.0001 (or not finite): ignored
  void SetGradientAngle(int angle);
  void SetGradientLength(int length);
  void SetEnabledStroke(bool enabled);
  void SetEnabledShadow(bool enabled);
  void SetTextColor1(DWORD argb);
  void SetTextShadowColorA(DWORD argb);
  void SetTextShadowColorB(DWORD argb);
  void SetStrokeColor(DWORD argb);
  // The shadow (and the glow's stretched image) lies `distance` pixels from the text in the
  // direction `angle`, in degrees clockwise on the screen from the positive x axis (0 = right,
  // 90 = down, -90 = up). Angles outside -180..180 leave the offset unchanged.
  void SetShadowOffset(int distance, int angle);
  float GetShadowOffsetX() const { return shadowOffsetX_; }
  float GetShadowOffsetY() const { return shadowOffsetY_; }

  // The rectangle the text needs when laid out in (padding left, 0, max(fixed width,
  // availableWidth) - padding right, 9999), measured on the window's DC.
  RECT CalcTextRect(int availableWidth);

protected:
  // A text colour of 0 becomes (and stays) the window's default, likewise the disabled colour.
  void ResolveDefaultTextColors();
  // The item rect inset by the text padding.
  RECT GetTextRect() const;
  // Measures the text in rc with DT_CALCRECT added to style; mark-up text without the
  // horizontal alignment bits. An empty text needs an empty rectangle at rc's top-left.
  RECT MeasureText(RECT rc, UINT style) const;
  // Draws the text in rc with the GDI text functions, in the label's font and style.
  void DrawTextIn(HDC hDC, RECT rc, DWORD argb, UINT style) const;
  void PaintEffectText(HDC hDC, const RECT& rc);

  DWORD textColor_ = 0;          // 0: the window's default at the next paint
  DWORD disabledTextColor_ = 0;  // 0: the window's default at the next paint
  int font_ = -1;                // -1: the window's default font
  UINT textStyle_ = DT_VCENTER | DT_SINGLELINE;
  RECT textPadding_ = {0, 0, 0, 0};
  bool showHtml_ = false;
  bool sizeDirty_ = true;
  SIZE lastAvailable_ = {0, 0};
  SIZE estimate_ = {0, 0};

  float luminousFuzzy_ = 3.0f;
  int gradientLength_ = 0;  // 0: the text rect's height
  int gradientAngle_ = 0;
  bool effectEnabled_ = false;
  bool luminousEnabled_ = false;
  bool strokeEnabled_ = false;
  bool shadowEnabled_ = false;
  DWORD textColor1_ = 0xFFFFFFFF;      // 0xFFFFFFFF: the text colour again
  DWORD textShadowColorA_ = 0xFF000000;
  DWORD textShadowColorB_ = 0xFFFFFFFF;  // 0xFFFFFFFF: colour A again
  DWORD strokeColor_ = 0;
  float shadowOffsetX_ = 0;
  float shadowOffsetY_ = 0;
};

}  // namespace SkinUI
