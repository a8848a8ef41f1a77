#include "ui_core/manager/ui_control.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <new>
#include <optional>

#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_clamp.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Stores a value that differs from the field's; false when there was nothing to change.
template <typename T>
bool StoreChanged(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// Controls are made and deleted on UI threads; tests of several windows may run more than one.
std::atomic<long> liveControls{0};

}  // namespace

CControlUI::CControlUI() { ++liveControls; }

long CControlUI::GetLiveCount() { return liveControls.load(); }

void CControlUI::Delete() { delete this; }

CControlUI::~CControlUI() {
  --liveControls;
  if (cover_ != nullptr) {
    CControlUI* cover = cover_;
    cover_ = nullptr;
    cover->Delete();
  }
  RemoveAllCustomAttributes();
  OnDestroy(this);
  // A control without a manager (a built tree never attached, a child taken out of its tree)
  // is forgotten by the manager that configured it, as long as that one exists.
  CWindowManagerUI* manager = manager_ != nullptr ? manager_ : FormerManager();
  if (manager != nullptr) manager->ReapObjects(this);
}

// --- identity ---------------------------------------------------------------------------------

CStringUI CControlUI::GetName() const { return name_; }

void CControlUI::SetName(const wchar_t* name) {
  if (name_ == name) return;
  if (manager_ != nullptr && !renaming_) {
    // The manager keeps its name index in step and calls back here to store the name.
    renaming_ = true;
    manager_->RenameControl(this, name);
    renaming_ = false;
  }
  if (name_ != name) name_ = name;
}

const wchar_t* CControlUI::GetClass() const { return L"Control"; }

void* CControlUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Control")) return this;
  return nullptr;
}

UINT CControlUI::GetControlFlags() const { return 0; }

HWND CControlUI::GetNativeWindow() const { return nullptr; }

bool CControlUI::Activate() { return IsVisible() && IsEnabled(); }

CWindowManagerUI* CControlUI::GetManager() const { return manager_; }

void CControlUI::SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init) {
  if (cover_ != nullptr) cover_->SetManager(manager, this, init);
  if (manager == nullptr) {
    // The builder hands its tree out without a manager after configuring each control. What the
    // manager took from the configuration (timers, a queued notification's sender) stays for the
    // tree attached to it; it is forgotten when the control goes.
    if (manager_ != nullptr) {
      formerManager_ = manager_;
      formerManagerLifetime_ = manager_->GetLifetime();
    }
  } else {
    LeaveFormerManager(manager);
  }
  manager_ = manager;
  parent_ = parent;
  if (init && parent_ != nullptr) Init();
}

CWindowManagerUI* CControlUI::FormerManager() const {
  return formerManagerLifetime_.expired() ? nullptr : formerManager_;
}

void CControlUI::LeaveFormerManager(CWindowManagerUI* manager) {
  CWindowManagerUI* former = FormerManager();
  formerManager_ = nullptr;
  formerManagerLifetime_.reset();
  // Records of another window would outlive the control there: that manager forgets it now.
  if (former != nullptr && former != manager) former->ReapObjects(this);
}

CControlUI* CControlUI::GetParent() const { return parent_; }

CControlUI* CControlUI::GetCover() const { return cover_; }

void CControlUI::SetCover(CControlUI* cover) {
  if (cover == cover_) return;
  if (cover_ != nullptr) {
    CControlUI* old = cover_;
    cover_ = nullptr;
    old->Delete();
  }
  cover_ = cover;
  if (cover_ == nullptr) return;
  if (manager_ != nullptr) {
    manager_->InitControls(cover_, this);
  } else {
    // Without a window the cover still needs its parent: its placement is relative to it.
    cover_->SetManager(nullptr, this, false);
  }
  if (!IsVisible()) {
    cover_->SetInheritedVisible(false);
  } else {
    NeedUpdate();
  }
}

CStringUI CControlUI::GetText() const { return text_; }

void CControlUI::SetText(const wchar_t* text) {
  if (text_ == text) return;
  text_ = text;
  Invalidate();
}

// --- placement --------------------------------------------------------------------------------

const RECT& CControlUI::GetPos() const { return itemRect_; }

RECT CControlUI::GetRelativePos() const {
  if (parent_ == nullptr) return RECT{0, 0, 0, 0};
  const RECT& parent = parent_->GetPos();
  RECT rc = itemRect_;
  ::OffsetRect(&rc, -parent.left, -parent.top);
  return rc;
}

RECT CControlUI::GetClientPos() const { return itemRect_; }

bool CControlUI::ClipToAncestors(RECT& rc) const {
  for (const CControlUI* parent = parent_; parent != nullptr; parent = parent->GetParent()) {
    if (!parent->IsVisible()) return false;
    const RECT& parentRect = parent->GetPos();
    if (!::IntersectRect(&rc, &rc, &parentRect)) return false;
  }
  return !::IsRectEmpty(&rc);
}

void CControlUI::InvalidateClipped(RECT rc) {
  if (manager_ == nullptr) return;
  if (ClipToAncestors(rc)) manager_->Invalidate(rc);
}

void CControlUI::SetPos(RECT rc, bool needInvalidate) {
  if (rc.right < rc.left) rc.right = rc.left;
  if (rc.bottom < rc.top) rc.bottom = rc.top;

  CRectUI invalidateRect = itemRect_;
  const bool oldEmpty = ::IsRectEmpty(&itemRect_) != FALSE;

  if (float_) {
    if (parent_ != nullptr) {
      // The given rect is relative to the parent. The placement rules are recomputed from that
      // relative rect, so laying out again reproduces the same rect wherever the parent sits.
      const RECT& parent = parent_->GetPos();
      const int width = SubClamped(parent.right, parent.left);
      const int height = SubClamped(parent.bottom, parent.top);
      itemRect_ = RECT{AddClamped(rc.left, parent.left), AddClamped(rc.top, parent.top),
                       AddClamped(rc.right, parent.left), AddClamped(rc.bottom, parent.top)};
      fixedXY_.cx = SubClamped(rc.left, ScaleByShare(width, floatPercent_.left));
      fixedXY_.cy = SubClamped(rc.top, ScaleByShare(height, floatPercent_.top));
      fixedSize_.cx = ClampToInt(static_cast<long long>(rc.right) - fixedXY_.cx -
                                 ScaleByShare(width, floatPercent_.right));
      fixedSize_.cy = ClampToInt(static_cast<long long>(rc.bottom) - fixedXY_.cy -
                                 ScaleByShare(height, floatPercent_.bottom));
    }
  } else {
    itemRect_ = rc;
  }
  if (oldEmpty) invalidateRect = itemRect_;

  if (manager_ == nullptr) return;
  if (!inSetPos_) {
    inSetPos_ = true;
    OnSize(this);
    inSetPos_ = false;
  }
  updateNeeded_ = false;

  if (needInvalidate && IsVisible()) {
    invalidateRect.Join(itemRect_);
    InvalidateClipped(invalidateRect);
  }

  if (cover_ != nullptr && cover_->IsVisible()) PlaceCover();
}

void CControlUI::PlaceCover() {
  // The item rect rather than the rect passed to SetPos: for a float control that one is
  // relative to the parent.
  const RECT& given = itemRect_;
  RECT rc;
  if (cover_->IsFloat()) {
    const int width = GetWidth();
    const int height = GetHeight();
    const SIZE xy = cover_->GetFixedXY();
    const TPercentInfoUI percent = cover_->GetFloatPercent();
    rc.left = AddClamped(ScaleByShare(width, percent.left), xy.cx);
    rc.top = AddClamped(ScaleByShare(height, percent.top), xy.cy);
    rc.right = ClampToInt(static_cast<long long>(ScaleByShare(width, percent.right)) + xy.cx +
                          cover_->GetFixedWidth());
    rc.bottom = ClampToInt(static_cast<long long>(ScaleByShare(height, percent.bottom)) +
                           xy.cy + cover_->GetFixedHeight());
  } else {
    int width = SubClamped(given.right, given.left);
    int height = SubClamped(given.bottom, given.top);
    width = std::min(std::max(width, cover_->GetMinWidth()), cover_->GetMaxWidth());
    height = std::min(std::max(height, cover_->GetMinHeight()), cover_->GetMaxHeight());
    rc = RECT{given.left, given.top, AddClamped(given.left, width), AddClamped(given.top, height)};
  }
  cover_->SetPos(rc, false);
}

void CControlUI::Move(SIZE offset, bool needInvalidate) {
  CRectUI invalidateRect = itemRect_;
  itemRect_.left = AddClamped(itemRect_.left, offset.cx);
  itemRect_.right = AddClamped(itemRect_.right, offset.cx);
  itemRect_.top = AddClamped(itemRect_.top, offset.cy);
  itemRect_.bottom = AddClamped(itemRect_.bottom, offset.cy);
  if (needInvalidate && manager_ != nullptr && IsVisible()) {
    invalidateRect.Join(itemRect_);
    InvalidateClipped(invalidateRect);
  }
  if (cover_ != nullptr && cover_->IsVisible()) cover_->Move(offset, false);
}

int CControlUI::GetWidth() const { return itemRect_.right - itemRect_.left; }
int CControlUI::GetHeight() const { return itemRect_.bottom - itemRect_.top; }
int CControlUI::GetX() const { return itemRect_.left; }
int CControlUI::GetY() const { return itemRect_.top; }

RECT CControlUI::GetPadding() const { return padding_; }

void CControlUI::SetPadding(RECT padding) {
  padding_ = padding;
  NeedParentUpdate();
}

SIZE CControlUI::GetFixedXY() const { return fixedXY_; }

void CControlUI::SetFixedXY(SIZE xy) {
  fixedXY_ = xy;
  NeedParentUpdate();
}

TPercentInfoUI CControlUI::GetFloatPercent() const { return floatPercent_; }

void CControlUI::SetFloatPercent(TPercentInfoUI percent) {
  floatPercent_ = percent;
  NeedParentUpdate();
}

int CControlUI::GetFixedWidth() const { return fixedSize_.cx; }

void CControlUI::SetFixedWidth(int cx) {
  if (cx < 0) return;
  fixedSize_.cx = cx;
  NeedParentUpdate();
}

int CControlUI::GetFixedHeight() const { return fixedSize_.cy; }

void CControlUI::SetFixedHeight(int cy) {
  if (cy < 0) return;
  fixedSize_.cy = cy;
  NeedParentUpdate();
}

void CControlUI::SetSizeRule(LONG& field, int value) {
  if (value < 0 || field == value) return;
  field = value;
  NeedParentUpdate();
}

int CControlUI::GetMinWidth() const { return minSize_.cx; }

void CControlUI::SetMinWidth(int cx) { SetSizeRule(minSize_.cx, cx); }

int CControlUI::GetMaxWidth() const { return std::max(maxSize_.cx, minSize_.cx); }

void CControlUI::SetMaxWidth(int cx) { SetSizeRule(maxSize_.cx, cx); }

int CControlUI::GetMinHeight() const { return minSize_.cy; }

void CControlUI::SetMinHeight(int cy) { SetSizeRule(minSize_.cy, cy); }

int CControlUI::GetMaxHeight() const { return std::max(maxSize_.cy, minSize_.cy); }

void CControlUI::SetMaxHeight(int cy) { SetSizeRule(maxSize_.cy, cy); }

// --- plain properties -------------------------------------------------------------------------

CStringUI CControlUI::GetToolTip() const { return toolTip_; }

void CControlUI::SetToolTip(const wchar_t* text) {
  CStringUI tip(text);
  tip.Replace(L"<n>", L"\r\n");
  toolTip_ = tip;
}

void CControlUI::SetToolTipWidth(int width) { toolTipWidth_ = width; }
int CControlUI::GetToolTipWidth() const { return toolTipWidth_; }

wchar_t CControlUI::GetShortcut() const { return shortcut_; }
void CControlUI::SetShortcut(wchar_t ch) { shortcut_ = ch; }

bool CControlUI::IsContextMenuEnabled() const { return contextMenuEnabled_; }
void CControlUI::SetContextMenuEnabled(bool enabled) { contextMenuEnabled_ = enabled; }

const CStringUI& CControlUI::GetUserData() const { return userData_; }
void CControlUI::SetUserData(const wchar_t* text) { userData_ = text; }

UINT_PTR CControlUI::GetTag() const { return tag_; }
void CControlUI::SetTag(UINT_PTR tag) { tag_ = tag; }

// --- state ------------------------------------------------------------------------------------

bool CControlUI::IsVisible() const { return visible_ && inheritedVisible_; }

void CControlUI::SetVisible(bool visible) {
  if (visible_ == visible) return;
  const bool wasVisible = IsVisible();
  visible_ = visible;
  focused_ = false;
  if (!visible && manager_ != nullptr && manager_->GetFocus() == this) {
    manager_->SetFocus(nullptr);
  }
  if (IsVisible() != wasVisible) NeedParentUpdate();
  if (cover_ != nullptr) cover_->SetInheritedVisible(IsVisible());
}

void CControlUI::SetInheritedVisible(bool visible) {
  inheritedVisible_ = visible;
  if (!visible && manager_ != nullptr && manager_->GetFocus() == this) {
    manager_->SetFocus(nullptr);
  }
  if (cover_ != nullptr) cover_->SetInheritedVisible(IsVisible());
}

bool CControlUI::IsEnabled() const { return enabled_; }

void CControlUI::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  Invalidate();
}

bool CControlUI::IsMouseEnabled() const { return mouseEnabled_; }
void CControlUI::SetMouseEnabled(bool enabled) { mouseEnabled_ = enabled; }

bool CControlUI::IsKeyboardEnabled() const { return keyboardEnabled_; }
void CControlUI::SetKeyboardEnabled(bool enabled) { keyboardEnabled_ = enabled; }

bool CControlUI::IsFocused() const { return focused_; }

void CControlUI::SetFocus() {
  if (manager_ != nullptr) manager_->SetFocus(this, false);
}

bool CControlUI::IsFloat() const { return float_; }

void CControlUI::SetFloat(bool isFloat) {
  if (float_ == isFloat) return;
  float_ = isFloat;
  NeedParentUpdate();
}

// --- lookup -----------------------------------------------------------------------------------

CControlUI* CControlUI::FindControl(FindControlProc proc, LPVOID data, UINT flags) {
  const bool hitTest = (flags & kFindHitTest) != 0;
  if ((flags & kFindVisible) != 0 && !IsVisible()) return nullptr;
  if ((flags & kFindEnabled) != 0 && !IsEnabled()) return nullptr;
  if (hitTest && (data == nullptr || !::PtInRect(&itemRect_, *static_cast<POINT*>(data)))) {
    return nullptr;
  }
  if ((flags & kFindUpdateTest) != 0 && proc(this, data) != nullptr) return nullptr;

  const bool mayAnswer = !hitTest || mouseEnabled_;
  if ((flags & kFindMeFirst) != 0 && mayAnswer) {
    if (CControlUI* found = proc(this, data)) return found;
  }
  if (cover_ != nullptr) {
    if (CControlUI* found = cover_->FindControl(proc, data, flags)) return found;
  }
  if ((flags & kFindMeFirst) == 0 && mayAnswer) return proc(this, data);
  return nullptr;
}

// --- life cycle and events --------------------------------------------------------------------

void CControlUI::Init() {
  DoInit();
  OnInit(this);
}

void CControlUI::DoInit() {}

void CControlUI::Event(TInputEventUI& event) {
  if (OnEvent(&event)) DoEvent(event);
}

void CControlUI::DoEvent(TInputEventUI& event) {
  switch (event.type) {
    case kEventContextMenu:
      if (contextMenuEnabled_) {
        if (manager_ != nullptr) manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
        return;
      }
      break;
    case kEventKillFocus:
      focused_ = false;
      Invalidate();
      return;
    case kEventSetFocus:
      focused_ = true;
      Invalidate();
      return;
    case kEventSetCursor:
      ::SetCursor(::LoadCursorW(nullptr, IDC_ARROW));
      return;
    case kEventTimer:
      if (manager_ != nullptr) manager_->SendNotify(this, L"timer", event.wParam, event.lParam);
      return;
    default:
      break;
  }
  if (parent_ != nullptr) parent_->DoEvent(event);
}

// --- attributes -------------------------------------------------------------------------------

CStringUI CControlUI::GetAttribute(const wchar_t* /*name*/) { return CStringUI(); }

void CControlUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"pos")) {
    const RECT rc = ParseAttributeRect(value);
    SetFixedXY(SIZE{rc.left, rc.top});
    SetFixedWidth(SubClamped(rc.right, rc.left));
    SetFixedHeight(SubClamped(rc.bottom, rc.top));
  } else if (NameIs(name, L"padding")) {
    SetPadding(ParseAttributeRect(value));
  } else if (NameIs(name, L"bkcolor") || NameIs(name, L"bkcolor1")) {
    SetBkColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"bkcolor2")) {
    SetBkColor2(ParseAttributeColor(value));
  } else if (NameIs(name, L"bkcolor3")) {
    SetBkColor3(ParseAttributeColor(value));
  } else if (NameIs(name, L"bordercolor")) {
    SetBorderColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"focusbordercolor")) {
    SetFocusBorderColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"colorhsl")) {
    SetColorHSL(ParseAttributeBool(value));
  } else if (NameIs(name, L"bordersize")) {
    if (std::wcschr(value, L',') != nullptr) {
      SetBorderSize(ParseAttributeRect(value));
    } else {
      SetBorderSize(ParseAttributeInt(value));
    }
  } else if (NameIs(name, L"borderstyle")) {
    SetBorderStyle(ParseAttributeInt(value));
  } else if (NameIs(name, L"borderround")) {
    SetBorderRound(ParseAttributeSize(value));
  } else if (NameIs(name, L"bkimage")) {
    SetBkImage(value);
  } else if (NameIs(name, L"width")) {
    SetFixedWidth(ParseAttributeInt(value));
  } else if (NameIs(name, L"height")) {
    SetFixedHeight(ParseAttributeInt(value));
  } else if (NameIs(name, L"minwidth")) {
    SetMinWidth(ParseAttributeInt(value));
  } else if (NameIs(name, L"minheight")) {
    SetMinHeight(ParseAttributeInt(value));
  } else if (NameIs(name, L"maxwidth")) {
    SetMaxWidth(ParseAttributeInt(value));
  } else if (NameIs(name, L"maxheight")) {
    SetMaxHeight(ParseAttributeInt(value));
  } else if (NameIs(name, L"name")) {
    SetName(value);
  } else if (NameIs(name, L"text")) {
    SetText(value);
  } else if (NameIs(name, L"tooltip")) {
    SetToolTip(value);
  } else if (NameIs(name, L"userdata")) {
    SetUserData(value);
  } else if (NameIs(name, L"tag")) {
    SetTag(static_cast<UINT_PTR>(static_cast<INT_PTR>(ParseAttributeInt(value))));
  } else if (NameIs(name, L"enabled")) {
    SetEnabled(ParseAttributeBool(value));
  } else if (NameIs(name, L"mouse")) {
    SetMouseEnabled(ParseAttributeBool(value));
  } else if (NameIs(name, L"keyboard")) {
    SetKeyboardEnabled(ParseAttributeBool(value));
  } else if (NameIs(name, L"visible")) {
    SetVisible(ParseAttributeBool(value));
  } else if (NameIs(name, L"float")) {
    if (std::wcschr(value, L',') == nullptr) {
      SetFloat(ParseAttributeBool(value));
    } else {
      double share[4];
      ParseAttributeDoubles(value, share, 4);
      SetFloatPercent(TPercentInfoUI{share[0], share[1], share[2], share[3]});
      SetFloat(true);
    }
  } else if (NameIs(name, L"shortcut")) {
    SetShortcut(value[0]);
  } else if (NameIs(name, L"menu")) {
    SetContextMenuEnabled(ParseAttributeBool(value));
  } else if (NameIs(name, L"virtualwnd")) {
    SetVirtualWnd(value);
  } else {
    AddCustomAttribute(name, value);
  }
}

CStringUI CControlUI::GetAttributeList(bool /*ignoreDefault*/) { return CStringUI(); }

void CControlUI::ApplyAttributeList(const wchar_t* list) {
  const wchar_t* cursor = list;
  CStringUI name;
  CStringUI value;
  while (NextAttributeInList(cursor, name, value)) SetAttribute(name.GetData(), value.GetData());
}

void CControlUI::AddCustomAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr || *name == L'\0' || value == nullptr || *value == L'\0') return;
  if (customAttributes_.Find(name) != nullptr) return;
  auto* copy = new (std::nothrow) CStringUI(value);
  if (copy == nullptr) return;
  if (!customAttributes_.Insert(name, copy)) delete copy;
}

const wchar_t* CControlUI::GetCustomAttribute(const wchar_t* name) const {
  if (name == nullptr) return nullptr;
  const auto* value = static_cast<const CStringUI*>(customAttributes_.Find(name));
  return value != nullptr ? value->GetData() : nullptr;
}

bool CControlUI::RemoveCustomAttribute(const wchar_t* name) {
  if (name == nullptr) return false;
  auto* value = static_cast<CStringUI*>(customAttributes_.Find(name));
  if (value == nullptr) return false;
  customAttributes_.Remove(name);
  delete value;
  return true;
}

void CControlUI::RemoveAllCustomAttributes() {
  for (int i = 0; i < customAttributes_.GetSize(); ++i) {
    const wchar_t* key = customAttributes_.GetAt(i);
    if (key != nullptr) delete static_cast<CStringUI*>(customAttributes_.Find(key, false));
  }
  customAttributes_.Resize(83);
}

// --- virtual windows --------------------------------------------------------------------------

CStringUI CControlUI::GetVirtualWnd() const {
  for (const CControlUI* control = this; control != nullptr; control = control->GetParent()) {
    if (!control->virtualWnd_.IsEmpty()) return control->virtualWnd_;
  }
  return CStringUI();
}

void CControlUI::SetVirtualWnd(const wchar_t* name) {
  virtualWnd_ = name;
  if (manager_ != nullptr) manager_->SetUsedVirtualWnd(true);
}

// --- updates ----------------------------------------------------------------------------------

void CControlUI::Invalidate() {
  if (!IsVisible()) return;
  InvalidateClipped(itemRect_);
}

void CControlUI::NeedUpdate() {
  if (!IsVisible()) return;
  updateNeeded_ = true;
  Invalidate();
  if (manager_ != nullptr) manager_->NeedUpdate();
}

void CControlUI::NeedParentUpdate() {
  if (parent_ != nullptr) {
    parent_->NeedUpdate();
    parent_->Invalidate();
  } else {
    NeedUpdate();
  }
  if (manager_ != nullptr) manager_->NeedUpdate();
}

SIZE CControlUI::EstimateSize(SIZE /*available*/) { return fixedSize_; }

// --- colours, border and background image -----------------------------------------------------

DWORD CControlUI::GetAdjustedColor(DWORD argb) const {
  if (!colorHsl_) return argb;
  short hue = 180;
  short saturation = 100;
  short lightness = 100;
  CWindowManagerUI::GetHSL(&hue, &saturation, &lightness);
  return CRenderUI::AdjustColor(argb, hue, saturation, lightness);
}

void CControlUI::SetBkColor(DWORD argb) {
  if (StoreChanged(bkColor_, argb)) Invalidate();
}

void CControlUI::SetBkColor2(DWORD argb) {
  if (StoreChanged(bkColor2_, argb)) Invalidate();
}

void CControlUI::SetBkColor3(DWORD argb) {
  if (StoreChanged(bkColor3_, argb)) Invalidate();
}

void CControlUI::SetBorderColor(DWORD argb) {
  if (StoreChanged(borderColor_, argb)) Invalidate();
}

void CControlUI::SetFocusBorderColor(DWORD argb) {
  if (StoreChanged(focusBorderColor_, argb)) Invalidate();
}

void CControlUI::SetColorHSL(bool colorHsl) {
  if (StoreChanged(colorHsl_, colorHsl)) Invalidate();
}

void CControlUI::SetBorderSize(RECT size) {
  borderSize_ = size;
  Invalidate();
}

void CControlUI::SetBorderSize(int size) { SetBorderSize(RECT{size, size, size, size}); }

void CControlUI::SetBorderRound(SIZE round) {
  borderRound_ = round;
  Invalidate();
}

void CControlUI::SetBorderStyle(int style) {
  borderStyle_ = style;
  Invalidate();
}

void CControlUI::SetBkImage(const wchar_t* description) {
  if (bkImage_.IsLoaded(description)) return;
  bkImage_.SetDescription(description);
  if (manager_ != nullptr) {
    // Parse and load now (no DC: nothing is drawn) so that the image's size is known. Without a
    // window the first paint loads it.
    CRenderUI::DrawImageString(nullptr, manager_, itemRect_, paintRect_, bkImage_);
    if (float_ && fixedSize_.cx == 0 && fixedSize_.cy == 0 && bkImage_.image != nullptr) {
      SetFixedWidth(bkImage_.image->width);
      SetFixedHeight(bkImage_.image->height);
    }
  }
  Invalidate();
}

bool CControlUI::DrawImage(HDC hDC, TImageDescUI& image) {
  return CRenderUI::DrawImageString(hDC, manager_, itemRect_, paintRect_, image);
}

// --- painting ---------------------------------------------------------------------------------

bool CControlUI::Paint(HDC hDC, const RECT& paint, CControlUI* stop) {
  if (stop == this) return false;
  if (!::IntersectRect(&paintRect_, &paint, &itemRect_)) return true;
  if (OnPaint && !OnPaint(this)) return true;
  const RECT area = paintRect_;
  if (!DoPaint(hDC, area, stop)) return false;
  if (cover_ != nullptr) return cover_->Paint(hDC, area, nullptr);
  return true;
}

bool CControlUI::DoPaint(HDC hDC, const RECT& paint, CControlUI* /*stop*/) {
  std::optional<CRenderClipUI> roundClip;
  if (borderRound_.cx > 0 || borderRound_.cy > 0) {
    roundClip.emplace();
    CRenderUI::GenerateRoundClip(hDC, paint, itemRect_, borderRound_.cx, borderRound_.cy,
                                 *roundClip);
  }
  PaintBkColor(hDC);
  PaintBkImage(hDC);
  PaintStatusImage(hDC);
  PaintText(hDC);
  PaintBorder(hDC);
  return true;
}

void CControlUI::PaintBkColor(HDC hDC) {
  if (bkColor_ == 0) return;
  const DWORD color1 = GetAdjustedColor(bkColor_);
  if (bkColor2_ == 0) {
    // An opaque fill outside the paint rect would only be cut away; a translucent one must
    // cover the whole item so that its blend does not depend on the paint rect.
    if (bkColor_ >= 0xFF000000) {
      CRenderUI::DrawColor(hDC, paintRect_, color1);
    } else {
      CRenderUI::DrawColor(hDC, itemRect_, color1);
    }
    return;
  }
  const DWORD color2 = GetAdjustedColor(bkColor2_);
  if (bkColor3_ == 0) {
    CRenderUI::DrawGradient(hDC, itemRect_, color1, color2, true, 16);
    return;
  }
  const DWORD color3 = GetAdjustedColor(bkColor3_);
  const int middle = ClampToInt((static_cast<long long>(itemRect_.top) + itemRect_.bottom) / 2);
  RECT upper = itemRect_;
  upper.bottom = middle;
  RECT lower = itemRect_;
  lower.top = middle;
  CRenderUI::DrawGradient(hDC, upper, color1, color2, true, 8);
  CRenderUI::DrawGradient(hDC, lower, color2, color3, true, 8);
}

void CControlUI::PaintBkImage(HDC hDC) {
  if (bkImage_.description.IsEmpty()) return;
  DrawImage(hDC, bkImage_);
}

void CControlUI::PaintStatusImage(HDC /*hDC*/) {}

void CControlUI::PaintText(HDC /*hDC*/) {}

void CControlUI::PaintBorder(HDC hDC) {
  if (borderSize_.left <= 0 && borderSize_.top <= 0 && borderSize_.right <= 0 &&
      borderSize_.bottom <= 0) {
    return;
  }
  // A border can be no wider than the control; a skin's huge width must not reach the pen.
  const int limit = std::max(GetWidth(), GetHeight());
  const RECT size = {std::min<int>(borderSize_.left, limit), std::min<int>(borderSize_.top, limit),
                     std::min<int>(borderSize_.right, limit), std::min<int>(borderSize_.bottom, limit)};
  if (borderColor_ == 0 && focusBorderColor_ == 0) return;
  const DWORD chosen = focused_ && focusBorderColor_ != 0 ? focusBorderColor_ : borderColor_;
  // A skin that sets only the focus colour wants no border while unfocused, not a black one.
  if (chosen == 0) return;
  const DWORD color = GetAdjustedColor(chosen);
  const RECT& rc = itemRect_;
  if (borderRound_.cx > 0 || borderRound_.cy > 0) {
    CRenderUI::DrawRoundRect(hDC, rc, size.left, borderRound_.cx, borderRound_.cy, color,
                             borderStyle_);
    return;
  }
  if (size.left == size.top && size.left == size.right && size.left == size.bottom) {
    CRenderUI::DrawRect(hDC, rc, size.left, color, borderStyle_);
    return;
  }
  if (size.left > 0) {
    CRenderUI::DrawLine(hDC, RECT{rc.left, rc.top, rc.left, rc.bottom}, size.left, color,
                        borderStyle_);
  }
  if (size.top > 0) {
    CRenderUI::DrawLine(hDC, RECT{rc.left, rc.top, rc.right, rc.top}, size.top, color,
                        borderStyle_);
  }
  if (size.right > 0) {
    const int x = SubClamped(rc.right, size.right);
    CRenderUI::DrawLine(hDC, RECT{x, rc.top, x, rc.bottom}, size.right, color, borderStyle_);
  }
  if (size.bottom > 0) {
    const int y = SubClamped(rc.bottom, size.bottom);
    CRenderUI::DrawLine(hDC, RECT{rc.left, y, rc.right, y}, size.bottom, color, borderStyle_);
  }
}

void CControlUI::DoPostPaint(HDC /*hDC*/, const RECT& /*paint*/) { OnPostPaint(this); }

}  // namespace SkinUI
