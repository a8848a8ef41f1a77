#include "ui_controls/installer/ui_text_attributes.h"

#include <cwchar>

#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr unsigned Bit(TextAttribute attribute) { return 1u << static_cast<unsigned>(attribute); }

constexpr unsigned kLineStyleAttributes =
    Bit(TextAttribute::kVAlign) | Bit(TextAttribute::kEndEllipsis) | Bit(TextAttribute::kMultiLine);
constexpr unsigned kAllAttributes = kLineStyleAttributes | Bit(TextAttribute::kAlign) |
                                    Bit(TextAttribute::kFont) | Bit(TextAttribute::kTextColor) |
                                    Bit(TextAttribute::kTextPadding) |
                                    Bit(TextAttribute::kShowHtml);

struct AttributeName {
  const wchar_t* name;
  TextAttribute attribute;
};

constexpr AttributeName kNames[] = {
    {L"align", TextAttribute::kAlign},
    {L"valign", TextAttribute::kVAlign},
    {L"endellipsis", TextAttribute::kEndEllipsis},
    {L"multiline", TextAttribute::kMultiLine},
    {L"font", TextAttribute::kFont},
    {L"textcolor", TextAttribute::kTextColor},
    {L"textpadding", TextAttribute::kTextPadding},
    {L"showhtml", TextAttribute::kShowHtml},
};

// The attribute that `name` names after the prefix, or kNone.
TextAttribute Find(const wchar_t* name, const TTextAttributeNamesUI& names) {
  if (name == nullptr) return TextAttribute::kNone;
  const size_t prefixLength = std::wcslen(names.prefix);
  if (std::wcsncmp(name, names.prefix, prefixLength) != 0) return TextAttribute::kNone;
  for (const AttributeName& entry : kNames) {
    if ((names.attributes & Bit(entry.attribute)) == 0) continue;
    if (NameIs(name + prefixLength, entry.name)) return entry.attribute;
  }
  return TextAttribute::kNone;
}

bool Contains(const wchar_t* text, const wchar_t* word) {
  return std::wcsstr(text, word) != nullptr;
}

}  // namespace

const TTextAttributeNamesUI kOwnTextAttributes = {L"", kAllAttributes};
const TTextAttributeNamesUI kListItemTextAttributes = {L"item", kAllAttributes};
const TTextAttributeNamesUI kComboItemTextAttributes = {L"item",
                                                         kAllAttributes & ~kLineStyleAttributes};

UINT ApplyAlignWords(UINT style, const wchar_t* value, const TAlignWordsUI& words) {
  if (value == nullptr) return style;
  if (Contains(value, words.start)) style &= ~(words.middleBit | words.endBit);
  if (Contains(value, words.middle)) style = (style & ~words.endBit) | words.middleBit;
  if (Contains(value, words.end)) style = (style & ~words.middleBit) | words.endBit;
  return style;
}

UINT WithMultiLine(UINT style, bool multiLine) {
  return multiLine ? (style & ~static_cast<UINT>(DT_SINGLELINE)) | DT_WORDBREAK
                   : style | DT_SINGLELINE;
}

TTextAttributeUI ReadTextAttribute(const wchar_t* name, const wchar_t* value, UINT style,
                                   const TTextAttributeNamesUI& names) {
  TTextAttributeUI text;
  text.which = Find(name, names);
  text.style = style;
  if (value == nullptr) value = L"";
  switch (text.which) {
    case TextAttribute::kNone:
      break;
    case TextAttribute::kAlign:
      text.style = ApplyAlignWords(style, value, kHorizontalAlignWords);
      break;
    case TextAttribute::kVAlign:
      text.style = ApplyAlignWords(style, value, kVerticalAlignWords);
      break;
    case TextAttribute::kEndEllipsis:
      text.style = ParseAttributeBool(value) ? style | DT_END_ELLIPSIS
                                             : style & ~static_cast<UINT>(DT_END_ELLIPSIS);
      break;
    case TextAttribute::kMultiLine:
      text.flag = ParseAttributeBool(value);
      text.style = WithMultiLine(style, text.flag);
      break;
    case TextAttribute::kFont:
      text.font = ParseAttributeInt(value);
      break;
    case TextAttribute::kTextColor:
      text.color = ParseAttributeColor(value);
      break;
    case TextAttribute::kTextPadding:
      text.padding = ParseAttributeRect(value);
      break;
    case TextAttribute::kShowHtml:
      text.flag = ParseAttributeBool(value);
      break;
  }
  return text;
}

bool StoreTextAttribute(const TTextAttributeUI& text, const TTextFieldsUI& fields) {
  if (text.IsStyle()) {
    fields.style = text.style;
  } else if (text.which == TextAttribute::kFont) {
    fields.font = text.font;
  } else if (text.which == TextAttribute::kTextColor) {
    fields.color = text.color;
  } else if (text.which == TextAttribute::kTextPadding) {
    fields.padding = text.padding;
  } else if (text.which == TextAttribute::kShowHtml && text.flag != fields.showHtml) {
    fields.showHtml = text.flag;
  } else {
    return false;
  }
  return true;
}

}  // namespace SkinUI
