#pragma once
// The skin attributes of a drawn text, read alike wherever a text is drawn: by the label (and so
// by every control built on it), by the columns of a list header, and by the items of a list or
// a combo box, whose names carry "item" in front ("itemalign"). The reader says what one
// attribute asks for; each control stores it and repaints or lays out as its own text needs.
#include <windows.h>

namespace SkinUI {

enum class TextAttribute {
  kNone,         // not a text attribute, or not one the caller has
  kAlign,        // "align": the style's horizontal alignment bits
  kVAlign,       // "valign": its vertical alignment bits
  kEndEllipsis,  // "endellipsis": DT_END_ELLIPSIS
  kMultiLine,    // "multiline": word-wrapped lines or a single line
  kFont,         // "font": a font id of the window
  kTextColor,    // "textcolor": ARGB
  kTextPadding,  // "textpadding": left, top, right, bottom
  kShowHtml,     // "showhtml": mark-up or plain text
};

// What one text attribute says. Only the member that the attribute names is meaningful.
struct TTextAttributeUI {
  TextAttribute which = TextAttribute::kNone;
  UINT style = 0;  // the four style attributes: the caller's style with the attribute applied
  int font = -1;
  DWORD color = 0;
  RECT padding = {0, 0, 0, 0};
  bool flag = false;  // "multiline", "showhtml"

  bool IsStyle() const {
    return which >= TextAttribute::kAlign && which <= TextAttribute::kMultiLine;
  }
};

// The attribute names a text owner reads: a prefix before each name and the attributes it has.
struct TTextAttributeNamesUI {
  const wchar_t* prefix;
  unsigned attributes;  // bits 1 << TextAttribute
};
extern const TTextAttributeNamesUI kOwnTextAttributes;       // a control's own text: all of them
extern const TTextAttributeNamesUI kListItemTextAttributes;  // "item..." of a list: all of them
// "item..." of a combo box: its items have no vertical alignment, ellipsis or line attribute.
extern const TTextAttributeNamesUI kComboItemTextAttributes;

// Reads one attribute (names exact, letter case included; a null value reads as an empty one).
// `style` is the text style that the style attributes change.
TTextAttributeUI ReadTextAttribute(const wchar_t* name, const wchar_t* value, UINT style,
                                   const TTextAttributeNamesUI& names = kOwnTextAttributes);

// Where a text owner keeps its settings as plain fields.
struct TTextFieldsUI {
  UINT& style;
  int& font;
  DWORD& color;
  RECT& padding;
  bool& showHtml;
};
// Stores what was read into the fields. False when nothing changed: a "showhtml" with the value
// the text already has, or no text attribute at all.
bool StoreTextAttribute(const TTextAttributeUI& text, const TTextFieldsUI& fields);

// The alignment words of one axis and the two style bits they set: `start` clears both bits,
// `middle` sets its bit and clears the end one, `end` the other way round. Each word found
// anywhere in the value counts, tested in that order, so the last one found wins.
struct TAlignWordsUI {
  const wchar_t* start;
  const wchar_t* middle;
  const wchar_t* end;
  UINT middleBit;
  UINT endBit;
};
constexpr TAlignWordsUI kHorizontalAlignWords = {L"left", L"center", L"right", DT_CENTER,
                                                 DT_RIGHT};
constexpr TAlignWordsUI kVerticalAlignWords = {L"top", L"vcenter", L"bottom", DT_VCENTER,
                                               DT_BOTTOM};
UINT ApplyAlignWords(UINT style, const wchar_t* value, const TAlignWordsUI& words);

// A word-wrapped text drops DT_SINGLELINE and takes DT_WORDBREAK; a single line takes
// DT_SINGLELINE and keeps DT_WORDBREAK as it was (a single line ignores it).
UINT WithMultiLine(UINT style, bool multiLine);

}  // namespace SkinUI
