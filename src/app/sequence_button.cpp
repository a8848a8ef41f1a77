#include "app/sequence_button.h"

#include <cwchar>

#include "ui_controls/ui_control_state.h"
#include "ui_core/ui_manager.h"

namespace SkinUI {

CSequenceButtonUI::CSequenceButtonUI() {
  frames_.roundTrip = true;
  frames_.spanMs = 60;
}

CSequenceButtonUI::~CSequenceButtonUI() = default;

const wchar_t* CSequenceButtonUI::GetClass() const { return L"SequenceButton"; }

void* CSequenceButtonUI::GetInterface(const wchar_t* name) {
  if (name != nullptr && std::wcscmp(name, L"SequenceButton") == 0) return this;
  return CButtonUI::GetInterface(name);
}

void CSequenceButtonUI::DoInit() {
  if (frames_.autoStart && manager_ != nullptr) {
    manager_->SetTimer(this, App::kSequenceTimerId, static_cast<UINT>(frames_.spanMs));
  }
}

void CSequenceButtonUI::DoEvent(TInputEventUI& event) {
  CButtonUI::DoEvent(event);
  if (event.type != kEventTimer) return;
  std::wstring file;
  switch (frames_.Next(&file)) {
    case App::SequenceFrames::Tick::Idle:
      return;
    case App::SequenceFrames::Tick::Stop:
      if (manager_ != nullptr) manager_->KillTimer(this, App::kSequenceTimerId);
      return;
    case App::SequenceFrames::Tick::Show:
      SetBkImage(file.c_str());
      Invalidate();
      return;
  }
}

void CSequenceButtonUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (!frames_.SetAttribute(name, value)) CButtonUI::SetAttribute(name, value);
}

void CSequenceButtonUI::PaintText(HDC hDC) {
  const bool insetWhilePushed = (state_ & kStatePushed) != 0 &&
                                (extraRect_.left != 0 || extraRect_.top != 0 ||
                                 extraRect_.right != 0 || extraRect_.bottom != 0);
  if (!insetWhilePushed) {
    CButtonUI::PaintText(hDC);
    return;
  }
  if (text_.IsEmpty()) return;
  ResolveDefaultTextColors();
  DWORD color = pushedTextColor_ != 0 ? pushedTextColor_ : textColor_;
  if (!IsEnabled()) color = disabledTextColor_;
  RECT rc = itemRect_;
  rc.left += extraRect_.left;
  rc.top += extraRect_.top;
  rc.right -= extraRect_.right;
  rc.bottom -= extraRect_.bottom;
  DrawTextIn(hDC, rc, color, textStyle_);
}

void CSequenceButtonUI::SetSequenceImage(const wchar_t* imageTemplate) {
  frames_.imageTemplate = imageTemplate;
}
const wchar_t* CSequenceButtonUI::GetSequenceImage() const {
  return frames_.imageTemplate.GetData();
}
void CSequenceButtonUI::SetSequenceCount(int count) { frames_.count = count; }
int CSequenceButtonUI::GetSequenceCount() const { return frames_.count; }
void CSequenceButtonUI::SetSequenceSpan(int spanMs) { frames_.spanMs = spanMs; }
int CSequenceButtonUI::GetSequenceSpan() const { return frames_.spanMs; }

void CSequenceButtonUI::SetExtraImage1(const wchar_t* description) {
  extraImage1_ = description;
  Invalidate();
}
const wchar_t* CSequenceButtonUI::GetExtraImage1() const { return extraImage1_.GetData(); }
const wchar_t* CSequenceButtonUI::GetExtraImage2() const { return extraImage2_.GetData(); }
void CSequenceButtonUI::SetExtraImage2(const wchar_t* description) {
  extraImage2_ = description;
  Invalidate();
}
RECT CSequenceButtonUI::GetExtraRect() const { return extraRect_; }
void CSequenceButtonUI::SetExtraRect(RECT insets) {
  extraRect_ = insets;
  Invalidate();
}

bool CSequenceButtonUI::CopyImageChannel(Gdiplus::Bitmap* source, Gdiplus::Bitmap* destination,
                                         int sourceOffset, int destinationOffset) {
  if (source == nullptr || destination == nullptr) return false;
  if (sourceOffset < 0 || sourceOffset > 3 || destinationOffset < 0 || destinationOffset > 3) {
    return false;
  }
  const UINT width = source->GetWidth(), height = source->GetHeight();
  if (width != destination->GetWidth() || height != destination->GetHeight()) return false;
  const Gdiplus::Rect all(0, 0, static_cast<INT>(width), static_cast<INT>(height));
  Gdiplus::BitmapData from = {};
  Gdiplus::BitmapData to = {};
  if (source->LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &from) !=
      Gdiplus::Ok) {
    return false;
  }
  if (destination->LockBits(&all, Gdiplus::ImageLockModeWrite | Gdiplus::ImageLockModeRead,
                            PixelFormat32bppARGB, &to) != Gdiplus::Ok) {
    source->UnlockBits(&from);
    return false;
  }
  for (UINT y = 0; y < height; ++y) {
    const BYTE* in = static_cast<const BYTE*>(from.Scan0) + static_cast<INT_PTR>(y) * from.Stride;
    BYTE* out = static_cast<BYTE*>(to.Scan0) + static_cast<INT_PTR>(y) * to.Stride;
    for (UINT x = 0; x < width; ++x) out[x * 4 + destinationOffset] = in[x * 4 + sourceOffset];
  }
  source->UnlockBits(&from);
  destination->UnlockBits(&to);
  return true;
}

}  // namespace SkinUI
