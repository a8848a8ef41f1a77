#pragma once
// A skinned scroll bar of five parts: an arrow button at each end, the track, the thumb and a
// grip image drawn over the thumb (the rail). It scrolls its owner container, or without an
// owner only moves its own position. Held buttons and a dragged thumb repeat on timer 10.
#include <windows.h>

#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_geometry.h"

namespace SkinUI {

class CContainerUI;

// Part states.
constexpr UINT kScrollStateDisabled = 0x04;
constexpr UINT kScrollStateHot = 0x08;
constexpr UINT kScrollStatePushed = 0x10;
constexpr UINT kScrollStateCaptured = 0x40;

// The repeat timer of a held button or dragged thumb.
constexpr UINT kScrollBarTimerId = 10;
constexpr UINT kScrollBarTimerElapse = 50;

class CScrollBarUI : public CControlUI {
public:
  CScrollBarUI();
  ~CScrollBarUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void SetVisible(bool visible = true) override;
  void SetEnabled(bool enabled = true) override;
  void SetFocus() override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop) override;

  CContainerUI* GetOwner() const { return owner_; }
  void SetOwner(CContainerUI* owner) { owner_ = owner; }
  bool IsHorizontal() const { return horizontal_; }
  void SetHorizontal(bool horizontal = true);
  int GetScrollRange() const { return range_; }
  void SetScrollRange(int range);
  int GetScrollPos() const { return position_; }
  // Clamped to 0..range and snapped to the scroll unit; with notify and a manager, "scroll" is
  // queued with wParam = new position and lParam = old position.
  void SetScrollPos(int pos, bool notify = true);
  int GetLineSize() const;  // the scroll unit when above 1, else the line size
  void SetLineSize(int size);
  int GetScrollUnit() const { return scrollUnit_; }
  void SetScrollUnit(int unit);
  bool GetShowButton1() const { return showButton1_; }
  void SetShowButton1(bool show);
  bool GetShowButton2() const { return showButton2_; }
  void SetShowButton2(bool show);

  // Part rectangles as the last SetPos placed them (window client coordinates).
  const RECT& GetButton1Rect() const { return button1Rect_; }
  const RECT& GetButton2Rect() const { return button2Rect_; }
  const RECT& GetThumbRect() const { return thumbRect_; }
  UINT GetButton1State() const { return button1State_; }
  UINT GetButton2State() const { return button2State_; }
  UINT GetThumbState() const { return thumbState_; }

protected:
  bool horizontal_ = false;
  int range_ = 100;
  int position_ = 0;
  int lineSize_ = 8;
  int scrollUnit_ = 1;
  CContainerUI* owner_ = nullptr;
  POINT lastMouse_ = {0, 0};
  int lastPosition_ = 0;
  int lastOffset_ = 0;
  int repeatCount_ = 0;
  TImageDescUI bkNormal_;
  TImageDescUI bkHot_;
  TImageDescUI bkPushed_;
  TImageDescUI bkDisabled_;
  bool showButton1_ = true;
  RECT button1Rect_ = {0, 0, 0, 0};
  UINT button1State_ = 0;
  DWORD button1Color_ = 0;
  TImageDescUI button1Normal_;
  TImageDescUI button1Hot_;
  TImageDescUI button1Pushed_;
  TImageDescUI button1Disabled_;
  bool showButton2_ = true;
  RECT button2Rect_ = {0, 0, 0, 0};
  UINT button2State_ = 0;
  DWORD button2Color_ = 0;
  TImageDescUI button2Normal_;
  TImageDescUI button2Hot_;
  TImageDescUI button2Pushed_;
  TImageDescUI button2Disabled_;
  RECT thumbRect_ = {0, 0, 0, 0};
  UINT thumbState_ = 0;
  DWORD thumbColor_ = 0;
  TImageDescUI thumbNormal_;
  TImageDescUI thumbHot_;
  TImageDescUI thumbPushed_;
  TImageDescUI thumbDisabled_;
  TImageDescUI railNormal_;
  TImageDescUI railHot_;
  TImageDescUI railPushed_;
  TImageDescUI railDisabled_;

private:
  // A rectangle from coordinates along the bar and across it.
  RECT PartRect(int alongFrom, int alongTo, int acrossFrom, int acrossTo) const;
  int Along(POINT pt) const { return horizontal_ ? pt.x : pt.y; }
  int Thickness() const { return horizontal_ ? fixedSize_.cy : fixedSize_.cx; }
  int Length() const { return horizontal_ ? GetWidth() : GetHeight(); }
  // A line or page step back or forward: the owner's scrolling, else the own position.
  void Step(bool page, bool forward);
  // A page step toward the point when it lies before or after the thumb.
  void PageStepToward(POINT pt);
  void OnTimerTick();
  // Draws an image into a part of the bar; false when it draws nothing.
  bool DrawPartImage(HDC hDC, const RECT& part, TImageDescUI& image);
  // The image of the first state bit set (disabled, pushed, hot), else or failing that normal.
  void DrawStateImage(HDC hDC, const RECT& part, UINT state, TImageDescUI& normal,
                      TImageDescUI& hot, TImageDescUI& pushed, TImageDescUI& disabled);
  void PaintPart(HDC hDC, const RECT& part, UINT& state, DWORD color, TImageDescUI& normal,
                 TImageDescUI& hot, TImageDescUI& pushed, TImageDescUI& disabled);
  void SetImage(TImageDescUI& image, const wchar_t* description);
  void SetPartColor(DWORD& field, const wchar_t* value);
};

}  // namespace SkinUI
