#pragma once
// The base of every control of a skin's control tree: name, owning window manager, parent,
// placement rules, colours, border, background image, text, tooltip, flags; hit tests, default
// handling of input events, and painting in a fixed sequence of virtual steps that derived
// controls override one by one. Skin attributes arrive as text through SetAttribute; names that
// no setter knows are kept as custom attributes.
#include <windows.h>

#include <memory>

#include "ui_core/drawing/ui_image.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_delegate.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string.h"
#include "ui_core/values/ui_string_map.h"

namespace SkinUI {

class CWindowManagerUI;
class CControlUI;

// Control flags (GetControlFlags).
constexpr UINT kControlFlagTabStop = 0x01;
constexpr UINT kControlFlagSetCursor = 0x02;

// FindControl flags.
constexpr UINT kFindVisible = 0x00000001;
constexpr UINT kFindEnabled = 0x00000002;
constexpr UINT kFindHitTest = 0x00000004;     // data is a POINT in client coordinates
constexpr UINT kFindUpdateTest = 0x00000008;  // a control for which the callback answers is skipped
constexpr UINT kFindTopFirst = 0x00000010;    // containers search their children last to first
constexpr UINT kFindMeFirst = 0x80000000;     // test the control before its cover and children

using FindControlProc = CControlUI*(CALLBACK*)(CControlUI* control, LPVOID data);

// Share of the parent's width and height by which each edge of a float control follows it.
struct TPercentInfoUI {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

class CControlUI {
public:
  CControlUI();
  CControlUI(const CControlUI&) = delete;
  CControlUI& operator=(const CControlUI&) = delete;

  // The virtual operations keep the order that every control shares; derived classes append.
  virtual void Delete();
  virtual ~CControlUI();
  virtual CStringUI GetName() const;
  virtual void SetName(const wchar_t* name);
  virtual const wchar_t* GetClass() const;
  virtual void* GetInterface(const wchar_t* name);
  virtual UINT GetControlFlags() const;
  virtual HWND GetNativeWindow() const;
  virtual bool Activate();
  virtual CWindowManagerUI* GetManager() const;
  virtual void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true);
  virtual CControlUI* GetParent() const;
  virtual CControlUI* GetCover() const;
  virtual void SetCover(CControlUI* cover);
  virtual CStringUI GetText() const;
  virtual void SetText(const wchar_t* text);
  virtual const RECT& GetPos() const;
  virtual RECT GetRelativePos() const;
  virtual RECT GetClientPos() const;
  virtual void SetPos(RECT rc, bool needInvalidate = true);
  virtual void Move(SIZE offset, bool needInvalidate = true);
  virtual int GetWidth() const;
  virtual int GetHeight() const;
  virtual int GetX() const;
  virtual int GetY() const;
  virtual RECT GetPadding() const;
  virtual void SetPadding(RECT padding);
  virtual SIZE GetFixedXY() const;
  virtual void SetFixedXY(SIZE xy);
  virtual TPercentInfoUI GetFloatPercent() const;
  virtual void SetFloatPercent(TPercentInfoUI percent);
  virtual int GetFixedWidth() const;
  virtual void SetFixedWidth(int cx);
  virtual int GetFixedHeight() const;
  virtual void SetFixedHeight(int cy);
  virtual int GetMinWidth() const;
  virtual void SetMinWidth(int cx);
  virtual int GetMaxWidth() const;
  virtual void SetMaxWidth(int cx);
  virtual int GetMinHeight() const;
  virtual void SetMinHeight(int cy);
  virtual int GetMaxHeight() const;
  virtual void SetMaxHeight(int cy);
  virtual CStringUI GetToolTip() const;
  virtual void SetToolTip(const wchar_t* text);
  virtual void SetToolTipWidth(int width);
  virtual int GetToolTipWidth() const;
  virtual wchar_t GetShortcut() const;
  virtual void SetShortcut(wchar_t ch);
  virtual bool IsContextMenuEnabled() const;
  virtual void SetContextMenuEnabled(bool enabled);
  virtual const CStringUI& GetUserData() const;
  virtual void SetUserData(const wchar_t* text);
  virtual UINT_PTR GetTag() const;
  virtual void SetTag(UINT_PTR tag);
  virtual bool IsVisible() const;
  virtual void SetVisible(bool visible = true);
  virtual void SetInheritedVisible(bool visible = true);
  virtual bool IsEnabled() const;
  virtual void SetEnabled(bool enabled = true);
  virtual bool IsMouseEnabled() const;
  virtual void SetMouseEnabled(bool enabled = true);
  virtual bool IsKeyboardEnabled() const;
  virtual void SetKeyboardEnabled(bool enabled = true);
  virtual bool IsFocused() const;
  virtual void SetFocus();
  virtual bool IsFloat() const;
  virtual void SetFloat(bool isFloat = true);
  virtual CControlUI* FindControl(FindControlProc proc, LPVOID data, UINT flags);
  virtual void Init();
  virtual void DoInit();
  virtual void Event(TInputEventUI& event);
  virtual void DoEvent(TInputEventUI& event);
  virtual CStringUI GetAttribute(const wchar_t* name);
  virtual void SetAttribute(const wchar_t* name, const wchar_t* value);
  virtual CStringUI GetAttributeList(bool ignoreDefault = true);
  virtual void ApplyAttributeList(const wchar_t* list);
  virtual SIZE EstimateSize(SIZE available);
  virtual bool Paint(HDC hDC, const RECT& paint, CControlUI* stop = nullptr);
  virtual bool DoPaint(HDC hDC, const RECT& paint, CControlUI* stop);
  virtual void PaintBkColor(HDC hDC);
  virtual void PaintBkImage(HDC hDC);
  virtual void PaintStatusImage(HDC hDC);
  virtual void PaintText(HDC hDC);
  virtual void PaintBorder(HDC hDC);
  virtual void DoPostPaint(HDC hDC, const RECT& paint);

  // --- non-virtual ------------------------------------------------------------------------

  void Invalidate();
  bool IsUpdateNeeded() const { return updateNeeded_; }
  void NeedUpdate();
  void NeedParentUpdate();

  CStringUI GetVirtualWnd() const;
  void SetVirtualWnd(const wchar_t* name);

  // Controls alive in the process now: a window that is closed and gone must bring this back to
  // where it was before the window opened, or its tree leaked.
  static long GetLiveCount();

  // Ignores an empty name or value; the first value stored under a name stays.
  void AddCustomAttribute(const wchar_t* name, const wchar_t* value);
  const wchar_t* GetCustomAttribute(const wchar_t* name) const;  // null when absent
  bool RemoveCustomAttribute(const wchar_t* name);
  void RemoveAllCustomAttributes();

  // The colour through the window's hue/saturation/lightness when the control follows it.
  DWORD GetAdjustedColor(DWORD argb) const;
  // Draws an image description into the item rect clipped to the paint rect.
  bool DrawImage(HDC hDC, TImageDescUI& image);

  DWORD GetBkColor() const { return bkColor_; }
  void SetBkColor(DWORD argb);
  DWORD GetBkColor2() const { return bkColor2_; }
  void SetBkColor2(DWORD argb);
  DWORD GetBkColor3() const { return bkColor3_; }
  void SetBkColor3(DWORD argb);
  const CStringUI& GetBkImage() const { return bkImage_.description; }
  void SetBkImage(const wchar_t* description);
  DWORD GetBorderColor() const { return borderColor_; }
  void SetBorderColor(DWORD argb);
  DWORD GetFocusBorderColor() const { return focusBorderColor_; }
  void SetFocusBorderColor(DWORD argb);
  bool IsColorHSL() const { return colorHsl_; }
  void SetColorHSL(bool colorHsl);
  RECT GetBorderSize() const { return borderSize_; }
  void SetBorderSize(RECT size);
  void SetBorderSize(int size);
  SIZE GetBorderRound() const { return borderRound_; }
  void SetBorderRound(SIZE round);
  int GetBorderStyle() const { return borderStyle_; }
  void SetBorderStyle(int style);

  // Event sources, raised at Init, destruction, SetPos, Event, notification delivery (by the
  // manager), Paint and DoPostPaint. The parameter is the control (or the event, the message).
  CEventSourceUI OnInit;
  CEventSourceUI OnDestroy;
  CEventSourceUI OnSize;
  CEventSourceUI OnEvent;
  CEventSourceUI OnNotify;
  CEventSourceUI OnPaint;
  CEventSourceUI OnPostPaint;

protected:
  CWindowManagerUI* manager_ = nullptr;
  CControlUI* parent_ = nullptr;
  CControlUI* cover_ = nullptr;  // owned
  CStringUI virtualWnd_;
  CStringUI name_;
  bool updateNeeded_ = true;
  bool contextMenuEnabled_ = false;
  RECT itemRect_ = {0, 0, 0, 0};
  RECT padding_ = {0, 0, 0, 0};
  SIZE fixedXY_ = {0, 0};
  SIZE fixedSize_ = {0, 0};
  SIZE minSize_ = {0, 0};
  SIZE maxSize_ = {9999, 9999};
  bool visible_ = true;
  bool inheritedVisible_ = true;
  bool enabled_ = true;
  bool mouseEnabled_ = true;
  bool keyboardEnabled_ = true;
  bool focused_ = false;
  bool float_ = false;
  TPercentInfoUI floatPercent_;
  bool inSetPos_ = false;
  CStringUI text_;
  CStringUI toolTip_;
  wchar_t shortcut_ = 0;
  CStringUI userData_;
  UINT_PTR tag_ = 0;
  DWORD bkColor_ = 0;
  DWORD bkColor2_ = 0;
  DWORD bkColor3_ = 0;
  TImageDescUI bkImage_;
  TImageDescUI foreImage_;
  DWORD borderColor_ = 0;
  DWORD focusBorderColor_ = 0;
  bool colorHsl_ = false;
  int borderStyle_ = PS_SOLID;
  int toolTipWidth_ = 300;
  SIZE borderRound_ = {0, 0};
  RECT paintRect_ = {0, 0, 0, 0};
  RECT borderSize_ = {0, 0, 0, 0};
  CStringMapUI customAttributes_{83};  // name -> CStringUI*, owned

  // Intersects rc with the item rect of every ancestor; false when an ancestor is hidden or the
  // result becomes empty (nothing of rc can be seen then).
  bool ClipToAncestors(RECT& rc) const;
  // Invalidates rc through the manager after clipping it to the ancestors.
  void InvalidateClipped(RECT rc);

private:
  // Stores a min or max size that is not negative and differs, then asks for a relayout.
  void SetSizeRule(LONG& field, int value);
  // Places a visible cover over this control after its own SetPos.
  void PlaceCover();
  // The manager that gave up this control while it still exists, else null.
  CWindowManagerUI* FormerManager() const;
  // The control gets a manager again: a former one that differs forgets it.
  void LeaveFormerManager(CWindowManagerUI* manager);

  bool renaming_ = false;  // SetName is running the manager's rename of this control
  // The manager that configured this control and gave it up (the skin builder hands its trees
  // out without one): it may still keep timers and queued notifications of the control, which
  // it must forget when the control goes. The lifetime tells whether that manager still exists.
  CWindowManagerUI* formerManager_ = nullptr;
  std::weak_ptr<void> formerManagerLifetime_;
};

}  // namespace SkinUI
