#pragma once
// The push button: the skin element "Button" and the base of options and check boxes. A label
// with a state (hot, pushed, focused, disabled), one image and optionally one background and
// text colour per state, a fore image over the state image, an optional cross-fade between the
// normal and the hot image, and the notifications "click", "mouseenter", "mouseleave" and "menu".
#include <windows.h>

#include "ui_controls/installer/ui_label.h"

namespace SkinUI {

// The manager timer of the fade between the normal and the hot image.
constexpr UINT kFadeTimerId = 11;
constexpr UINT kFadeTimerElapse = 30;  // ms per step

class CButtonUI : public CLabelUI {
public:
  CButtonUI();
  ~CButtonUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  UINT GetControlFlags() const override;
  bool Activate() override;
  void SetEnabled(bool enabled = true) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  SIZE EstimateSize(SIZE available) override;
  void PaintStatusImage(HDC hDC) override;
  void PaintText(HDC hDC) override;

  UINT GetButtonState() const { return state_; }

  const CStringUI& GetNormalImage() const { return normalImage_.description; }
  void SetNormalImage(const wchar_t* description);
  const CStringUI& GetHotImage() const { return hotImage_.description; }
  void SetHotImage(const wchar_t* description);
  const CStringUI& GetHotForeImage() const { return hotForeImage_.description; }
  void SetHotForeImage(const wchar_t* description);
  const CStringUI& GetPushedImage() const { return pushedImage_.description; }
  void SetPushedImage(const wchar_t* description);
  const CStringUI& GetPushedForeImage() const { return pushedForeImage_.description; }
  void SetPushedForeImage(const wchar_t* description);
  const CStringUI& GetFocusedImage() const { return focusedImage_.description; }
  void SetFocusedImage(const wchar_t* description);
  const CStringUI& GetDisabledImage() const { return disabledImage_.description; }
  void SetDisabledImage(const wchar_t* description);
  const CStringUI& GetForeImage() const { return foreImage_.description; }
  void SetForeImage(const wchar_t* description);
  // One image of five equal frames side by side: normal, pushed, hot, focused, disabled.
  void SetFiveStatusImage(const wchar_t* description);

  DWORD GetHotBkColor() const { return hotBkColor_; }
  void SetHotBkColor(DWORD argb) { hotBkColor_ = argb; }
  DWORD GetPushedBkColor() const { return pushedBkColor_; }
  void SetPushedBkColor(DWORD argb) { pushedBkColor_ = argb; }
  DWORD GetDisabledBkColor() const { return disabledBkColor_; }
  void SetDisabledBkColor(DWORD argb) { disabledBkColor_ = argb; }
  DWORD GetHotTextColor() const { return hotTextColor_; }
  void SetHotTextColor(DWORD argb) { hotTextColor_ = argb; }
  DWORD GetPushedTextColor() const { return pushedTextColor_; }
  void SetPushedTextColor(DWORD argb) { pushedTextColor_ = argb; }
  DWORD GetFocusedTextColor() const { return focusedTextColor_; }
  void SetFocusedTextColor(DWORD argb) { focusedTextColor_ = argb; }

  // 0: no fade. Otherwise the fade alpha moves by this much per timer step.
  BYTE GetFadeAlphaDelta() const { return fadeDelta_; }
  void SetFadeAlphaDelta(BYTE delta) { fadeDelta_ = delta; }
  // 255: the normal image fully shown; 0: the hot image fully shown.
  BYTE GetFadeAlpha() const { return fadeAlpha_; }

protected:
  // The focused bit follows IsFocused, the disabled bit IsEnabled.
  void RefreshFocusAndDisabledBits();
  // The normal image, cross-faded with the hot image while a fade is under way.
  void PaintNormalImage(HDC hDC);
  // The text in the colour of the current state.
  void PaintStateText(HDC hDC);
  // Runs the fade timer toward the current hot state (after every change of it).
  void StartFade();
  void StepFade();

  UINT state_ = 0;
  DWORD hotBkColor_ = 0;
  DWORD pushedBkColor_ = 0;
  DWORD disabledBkColor_ = 0;
  DWORD hotTextColor_ = 0;
  DWORD pushedTextColor_ = 0;
  DWORD focusedTextColor_ = 0;
  BYTE fadeAlpha_ = 255;
  BYTE fadeDelta_ = 0;
  TImageDescUI normalImage_;
  TImageDescUI hotImage_;
  TImageDescUI hotForeImage_;
  TImageDescUI pushedImage_;
  TImageDescUI pushedForeImage_;
  TImageDescUI focusedImage_;
  TImageDescUI disabledImage_;
};

}  // namespace SkinUI
