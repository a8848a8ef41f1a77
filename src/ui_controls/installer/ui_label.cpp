#include "ui_controls/installer/ui_label.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <memory>

#include "ui_controls/installer/ui_gdiplus.h"
#include "ui_controls/installer/ui_text_attributes.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr UINT kHorizontalAlignBits = DT_CENTER | DT_RIGHT;
constexpr int kMeasureExtent = 9999;
constexpr double kPi = 3.14159265358979323846;

// --- GDI+ text effects -----------------------------------------------------------------------

// The brush of the gradient text: from (origin + (angle, 0)) to (origin + (0, length)), tiled.
// Anchored at the text's own rectangle, so that the gradient looks the same wherever the label
// sits. Two equal end points make no gradient: a solid brush of the first colour then.
std::unique_ptr<Gdiplus::Brush> MakeGradientBrush(Gdiplus::PointF origin, int angle, int length,
                                                  DWORD from, DWORD to) {
  const Gdiplus::PointF start(origin.X + static_cast<float>(angle), origin.Y);
  const Gdiplus::PointF end(origin.X, origin.Y + static_cast<float>(length));
  if (start.X == end.X && start.Y == end.Y) {
    return std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(from));
  }
  auto brush = std::make_unique<Gdiplus::LinearGradientBrush>(start, end, Gdiplus::Color(from),
                                                              Gdiplus::Color(to));
  if (brush->GetLastStatus() != Gdiplus::Ok) {
    return std::make_unique<Gdiplus::SolidBrush>(Gdiplus::Color(from));
  }
  brush->SetWrapMode(Gdiplus::WrapModeTile);
  return brush;
}

// extent / fuzzy, at least 1 and never more than extent (the division is done in double so that
// a tiny fuzzy value cannot overflow an int).
int ShrunkExtent(int extent, float fuzzy) {
  const double shrunk = static_cast<double>(extent) / fuzzy;
  if (!(shrunk >= 1.0)) return 1;
  if (shrunk >= extent) return extent;
  return static_cast<int>(shrunk);
}

void ConfigureFormat(Gdiplus::StringFormat& format, UINT style) {
  if (style & DT_VCENTER) {
    format.SetLineAlignment(Gdiplus::StringAlignmentCenter);
  } else if (style & DT_BOTTOM) {
    format.SetLineAlignment(Gdiplus::StringAlignmentFar);
  } else {
    format.SetLineAlignment(Gdiplus::StringAlignmentNear);
  }
  if (style & DT_CENTER) {
    format.SetAlignment(Gdiplus::StringAlignmentCenter);
  } else if (style & DT_RIGHT) {
    format.SetAlignment(Gdiplus::StringAlignmentFar);
  } else {
    format.SetAlignment(Gdiplus::StringAlignmentNear);
  }
  if (style & DT_SINGLELINE) format.SetFormatFlags(Gdiplus::StringFormatFlagsNoWrap);
}

}  // namespace

CLabelUI::CLabelUI() = default;
CLabelUI::~CLabelUI() = default;

const wchar_t* CLabelUI::GetClass() const { return L"Label"; }

void* CLabelUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"Label")) return this;
  return CControlUI::GetInterface(name);
}

void CLabelUI::SetText(const wchar_t* text) {
  CControlUI::SetText(text);
  sizeDirty_ = true;
}

void CLabelUI::SetFixedWidth(int cx) {
  sizeDirty_ = true;
  CControlUI::SetFixedWidth(cx);
}

void CLabelUI::SetFixedHeight(int cy) {
  sizeDirty_ = true;
  CControlUI::SetFixedHeight(cy);
}

void CLabelUI::SetTextStyle(UINT style) {
  textStyle_ = style;
  sizeDirty_ = true;
  Invalidate();
}

void CLabelUI::SetFont(int id) {
  font_ = id;
  sizeDirty_ = true;
  Invalidate();
}

void CLabelUI::SetTextColor(DWORD argb) {
  textColor_ = argb;
  Invalidate();
}

void CLabelUI::SetDisabledTextColor(DWORD argb) {
  disabledTextColor_ = argb;
  Invalidate();
}

void CLabelUI::SetTextPadding(RECT padding) {
  textPadding_.left = std::max(0L, static_cast<long>(padding.left));
  textPadding_.top = std::max(0L, static_cast<long>(padding.top));
  textPadding_.right = std::max(0L, static_cast<long>(padding.right));
  textPadding_.bottom = std::max(0L, static_cast<long>(padding.bottom));
  sizeDirty_ = true;
  Invalidate();
}

void CLabelUI::SetShowHtml(bool showHtml) {
  if (showHtml_ == showHtml) return;
  showHtml_ = showHtml;
  sizeDirty_ = true;
  Invalidate();
}

void CLabelUI::SetMultiLine(bool multiLine) {
  textStyle_ = WithMultiLine(textStyle_, multiLine);
  sizeDirty_ = true;
}

void CLabelUI::SetEnabledEffect(bool enabled) {
  effectEnabled_ = enabled;
  Invalidate();
}

void CLabelUI::SetEnabledLuminous(bool enabled) {
  luminousEnabled_ = enabled;
  Invalidate();
}

void CLabelUI::SetLuminousFuzzy(float fuzzy) {
  if (!std::isfinite(fuzzy) || fuzzy < 0.0001f) return;
  luminousFuzzy_ = fuzzy;
  Invalidate();
}

void CLabelUI::SetGradientAngle(int angle) {
  gradientAngle_ = angle;
  Invalidate();
}

void CLabelUI::SetGradientLength(int length) {
  gradientLength_ = length;
  Invalidate();
}

void CLabelUI::SetEnabledStroke(bool enabled) {
  strokeEnabled_ = enabled;
  Invalidate();
}

void CLabelUI::SetEnabledShadow(bool enabled) {
  shadowEnabled_ = enabled;
  Invalidate();
}

void CLabelUI::SetTextColor1(DWORD argb) {
  textColor1_ = argb;
  Invalidate();
}

void CLabelUI::SetTextShadowColorA(DWORD argb) {
  textShadowColorA_ = argb;
  Invalidate();
}

void CLabelUI::SetTextShadowColorB(DWORD argb) {
  textShadowColorB_ = argb;
  Invalidate();
}

void CLabelUI::SetStrokeColor(DWORD argb) {
  strokeColor_ = argb;
  Invalidate();
}

void CLabelUI::SetShadowOffset(int distance, int angle) {
  if (angle < -180 || angle > 180) return;
  const double radians = angle * kPi / 180.0;
  shadowOffsetX_ = static_cast<float>(distance * std::cos(radians));
  shadowOffsetY_ = static_cast<float>(distance * std::sin(radians));
  Invalidate();
}

void CLabelUI::DoEvent(TInputEventUI& event) {
  // A label takes no part in focus drawing: the flag only.
  if (event.type == kEventSetFocus) {
    focused_ = true;
    return;
  }
  if (event.type == kEventKillFocus) {
    focused_ = false;
    return;
  }
  CControlUI::DoEvent(event);
}

void CLabelUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  const TTextAttributeUI text = ReadTextAttribute(name, value, textStyle_);
  // The setters keep the size estimate right; alignment and ellipsis leave it as it is.
  switch (text.which) {
    case TextAttribute::kNone:
      break;
    case TextAttribute::kAlign:
    case TextAttribute::kVAlign:
    case TextAttribute::kEndEllipsis:
      textStyle_ = text.style;
      return;
    case TextAttribute::kMultiLine:
      SetMultiLine(text.flag);
      return;
    case TextAttribute::kFont:
      SetFont(text.font);
      return;
    case TextAttribute::kTextColor:
      SetTextColor(text.color);
      return;
    case TextAttribute::kTextPadding:
      SetTextPadding(text.padding);
      return;
    case TextAttribute::kShowHtml:
      SetShowHtml(text.flag);
      return;
  }
  if (NameIs(name, L"disabledtextcolor")) {
    SetDisabledTextColor(ParseAttributeColor(value));
  } else if (NameIs(name, L"enabledeffect")) {
    SetEnabledEffect(ParseAttributeBool(value));
  } else if (NameIs(name, L"enabledluminous")) {
    SetEnabledLuminous(ParseAttributeBool(value));
  } else if (NameIs(name, L"luminousfuzzy")) {
    SetLuminousFuzzy(static_cast<float>(std::wcstod(value, nullptr)));
  } else if (NameIs(name, L"gradientangle")) {
    SetGradientAngle(ParseAttributeInt(value));
  } else if (NameIs(name, L"enabledstroke")) {
    SetEnabledStroke(ParseAttributeBool(value));
  } else if (NameIs(name, L"enabledshadow")) {
    SetEnabledShadow(ParseAttributeBool(value));
  } else if (NameIs(name, L"gradientlength")) {
    SetGradientLength(ParseAttributeInt(value));
  } else if (NameIs(name, L"shadowoffset")) {
    const SIZE offset = ParseAttributeSize(value);
    SetShadowOffset(offset.cx, offset.cy);
  } else if (NameIs(name, L"textcolor1")) {
    SetTextColor1(ParseAttributeColor(value));
  } else if (NameIs(name, L"textshadowcolora")) {
    SetTextShadowColorA(ParseAttributeColor(value));
  } else if (NameIs(name, L"textshadowcolorb")) {
    SetTextShadowColorB(ParseAttributeColor(value));
  } else if (NameIs(name, L"strokecolor")) {
    SetStrokeColor(ParseAttributeColor(value));
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

RECT CLabelUI::MeasureText(RECT rc, UINT style) const {
  if (manager_ == nullptr || text_.IsEmpty()) return RECT{rc.left, rc.top, rc.left, rc.top};
  // A text too narrow for one character still measures as one column, never as an inverted box.
  if (rc.right < rc.left) rc.right = rc.left;
  if (showHtml_) {
    int links = 0;
    CRenderUI::DrawHtmlText(manager_->GetPaintDC(), manager_, rc, text_.GetData(), 0, nullptr,
                            nullptr, &links, font_,
                            (style & ~kHorizontalAlignBits) | DT_CALCRECT);
  } else {
    CRenderUI::DrawText(manager_->GetPaintDC(), manager_, rc, text_.GetData(), 0, font_,
                        style | DT_CALCRECT);
  }
  return rc;
}

RECT CLabelUI::CalcTextRect(int availableWidth) {
  const int width = std::max(static_cast<int>(fixedSize_.cx), availableWidth);
  const RECT rc = {textPadding_.left, 0, width - textPadding_.right, kMeasureExtent};
  return MeasureText(rc, textStyle_);
}

SIZE CLabelUI::EstimateSize(SIZE available) {
  if (fixedSize_.cx > 0 && fixedSize_.cy > 0) return fixedSize_;
  if (IsMultiLine() && (available.cx != lastAvailable_.cx || available.cy != lastAvailable_.cy)) {
    sizeDirty_ = true;
  }
  // Without a window (a manager that has no window yet has no paint DC either) there is
  // nothing to measure with, and a text measured without a DC would keep the whole measuring
  // width: measure again once there is one.
  if (!sizeDirty_ || manager_ == nullptr || manager_->GetPaintDC() == nullptr) {
    return sizeDirty_ ? fixedSize_ : estimate_;
  }
  lastAvailable_ = available;
  estimate_ = fixedSize_;
  sizeDirty_ = false;
  const UINT measureStyle = textStyle_ & ~kHorizontalAlignBits;
  if (!IsMultiLine()) {
    if (estimate_.cy == 0) {
      const TFontEntryUI* font = manager_->GetFontInfo(font_);
      const int textHeight = font != nullptr ? font->metrics.tmHeight : 0;
      estimate_.cy = textPadding_.top + textPadding_.bottom + textHeight + 8;
    }
    if (estimate_.cx == 0) {
      const RECT measured = MeasureText(RECT{0, 0, kMeasureExtent, estimate_.cy}, measureStyle);
      estimate_.cx = textPadding_.left + textPadding_.right + (measured.right - measured.left);
    }
  } else {
    if (estimate_.cx == 0) estimate_.cx = std::max(0L, static_cast<long>(available.cx));
    // A fixed height stays fixed; only a free height follows the wrapped text.
    if (estimate_.cy == 0) {
      const RECT measured = MeasureText(
          RECT{textPadding_.left, 0, estimate_.cx - textPadding_.right, kMeasureExtent},
          measureStyle);
      estimate_.cy = textPadding_.top + textPadding_.bottom + (measured.bottom - measured.top);
    }
  }
  return estimate_;
}

void CLabelUI::ResolveDefaultTextColors() {
  if (manager_ == nullptr) return;
  if (textColor_ == 0) textColor_ = manager_->GetDefaultFontColor();
  if (disabledTextColor_ == 0) disabledTextColor_ = manager_->GetDefaultDisabledColor();
}

RECT CLabelUI::GetTextRect() const {
  return RECT{itemRect_.left + textPadding_.left, itemRect_.top + textPadding_.top,
              itemRect_.right - textPadding_.right, itemRect_.bottom - textPadding_.bottom};
}

void CLabelUI::DrawTextIn(HDC hDC, RECT rc, DWORD argb, UINT style) const {
  if (showHtml_) {
    int links = 0;
    CRenderUI::DrawHtmlText(hDC, manager_, rc, text_.GetData(), argb, nullptr, nullptr, &links,
                            font_, style);
  } else {
    CRenderUI::DrawText(hDC, manager_, rc, text_.GetData(), argb, font_, style);
  }
}

void CLabelUI::PaintText(HDC hDC) {
  ResolveDefaultTextColors();
  RECT rc = GetTextRect();
  if (IsMultiLine()) {
    // Single-line text is aligned vertically by the text functions; a block of lines is moved
    // here.
    const RECT measured = CalcTextRect(rc.right - rc.left);
    const int free = (rc.bottom - rc.top) - (measured.bottom - measured.top);
    if (textStyle_ & DT_VCENTER) {
      rc.top += std::max(0, free / 2);
    } else if (textStyle_ & DT_BOTTOM) {
      rc.top += std::max(0, free);
    }
  }
  if (effectEnabled_) {
    PaintEffectText(hDC, rc);
    return;
  }
  if (text_.IsEmpty()) return;
  const DWORD color = IsEnabled() ? textColor_ : disabledTextColor_;
  DrawTextIn(hDC, rc, GetAdjustedColor(color), textStyle_);
}

void CLabelUI::PaintEffectText(HDC hDC, const RECT& rc) {
  const int width = rc.right - rc.left;
  const int height = rc.bottom - rc.top;
  if (text_.IsEmpty() || width <= 0 || height <= 0 || hDC == nullptr || manager_ == nullptr) {
    return;
  }
  if (!EnsureGdiplus()) return;

  CStringUI text = text_;
  CWindowManagerUI::ProcessMultiLanguageTokens(text);

  LOGFONTW logFont = {};
  HFONT windowFont = manager_->GetFont(font_);
  std::unique_ptr<Gdiplus::Font> font;
  if (windowFont != nullptr && ::GetObjectW(windowFont, sizeof(logFont), &logFont) != 0) {
    font = std::make_unique<Gdiplus::Font>(hDC, &logFont);
  } else {
    font = std::make_unique<Gdiplus::Font>(hDC);
  }
  if (font->GetLastStatus() != Gdiplus::Ok) return;

  Gdiplus::Graphics graphics(hDC);
  if (graphics.GetLastStatus() != Gdiplus::Ok) return;
  graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
  // Stroke, shadow and glow stay inside the text rectangle, as plain text does.
  graphics.SetClip(Gdiplus::Rect(rc.left, rc.top, width, height), Gdiplus::CombineModeIntersect);

  Gdiplus::StringFormat format;
  ConfigureFormat(format, textStyle_);

  const Gdiplus::RectF layout(static_cast<float>(rc.left), static_cast<float>(rc.top),
                              static_cast<float>(width), static_cast<float>(height));
  Gdiplus::RectF shadowRect = layout;
  shadowRect.Offset(shadowOffsetX_, shadowOffsetY_);

  const int gradientLength = gradientLength_ != 0 ? gradientLength_ : height;
  const DWORD textFrom = GetAdjustedColor(textColor_);
  const DWORD textTo = textColor1_ == 0xFFFFFFFF ? textFrom : GetAdjustedColor(textColor1_);
  const DWORD shadowFrom = textShadowColorA_;
  const DWORD shadowTo = textShadowColorB_ == 0xFFFFFFFF ? shadowFrom : textShadowColorB_;
  const Gdiplus::PointF origin(layout.X, layout.Y);
  std::unique_ptr<Gdiplus::Brush> textBrush =
      MakeGradientBrush(origin, gradientAngle_, gradientLength, textFrom, textTo);

  if (luminousEnabled_) {
    // The glow: the text drawn small and stretched back blurs it.
    Gdiplus::Bitmap full(width, height, PixelFormat32bppARGB);
    if (full.GetLastStatus() == Gdiplus::Ok) {
      Gdiplus::Graphics fullGraphics(&full);
      fullGraphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
      std::unique_ptr<Gdiplus::Brush> localBrush = MakeGradientBrush(
          Gdiplus::PointF(0, 0), gradientAngle_, gradientLength, textFrom, textTo);
      fullGraphics.DrawString(text.GetData(), -1, font.get(),
                              Gdiplus::RectF(0, 0, layout.Width, layout.Height), &format,
                              localBrush.get());
      // Never larger than the text itself, whatever the skin says.
      const int smallWidth = ShrunkExtent(width, luminousFuzzy_);
      const int smallHeight = ShrunkExtent(height, luminousFuzzy_);
      Gdiplus::Bitmap small(smallWidth, smallHeight, PixelFormat32bppARGB);
      if (small.GetLastStatus() == Gdiplus::Ok) {
        Gdiplus::Graphics smallGraphics(&small);
        smallGraphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        smallGraphics.DrawImage(&full, 0, 0, smallWidth, smallHeight);
        fullGraphics.Clear(Gdiplus::Color(0, 0, 0, 0));
        fullGraphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        fullGraphics.DrawImage(&small, Gdiplus::RectF(shadowOffsetX_, shadowOffsetY_,
                                                      layout.Width, layout.Height));
        graphics.DrawImage(&full, layout);
      }
    }
  }

  if (strokeEnabled_ && strokeColor_ != 0) {
    Gdiplus::SolidBrush strokeBrush{Gdiplus::Color(GetAdjustedColor(strokeColor_))};
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        if (dx == 0 && dy == 0) continue;
        Gdiplus::RectF around = layout;
        around.Offset(static_cast<float>(dx), static_cast<float>(dy));
        graphics.DrawString(text.GetData(), -1, font.get(), around, &format, &strokeBrush);
      }
    }
  }

  if (shadowEnabled_ && (textShadowColorA_ != 0 || textShadowColorB_ != 0)) {
    std::unique_ptr<Gdiplus::Brush> shadowBrush =
        MakeGradientBrush(Gdiplus::PointF(shadowRect.X, shadowRect.Y), gradientAngle_,
                          gradientLength, shadowFrom, shadowTo);
    graphics.DrawString(text.GetData(), -1, font.get(), shadowRect, &format, shadowBrush.get());
  }

  graphics.DrawString(text.GetData(), -1, font.get(), layout, &format, textBrush.get());
}

}  // namespace SkinUI
