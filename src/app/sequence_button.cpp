#include "app/sequence_button.h"

#include "ui_controls/installer/ui_control_state.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {

CSequenceButtonUI::CSequenceButtonUI() {
  frames_.roundTrip = true;
  frames_.spanMs = 60;
}

CSequenceButtonUI::~CSequenceButtonUI() = default;

const wchar_t* CSequenceButtonUI::GetClass() const { return L"SequenceButton"; }

void* CSequenceButtonUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"SequenceButton")) return this;
  return CButtonUI::GetInterface(name);
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
