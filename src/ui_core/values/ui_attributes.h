#pragma once
// Readers of skin attribute values shared by the window manager, the skin builder and every
// control. Skin attribute values are untrusted: each reader stops at the end of the text, reads
// missing numbers as 0 and clamps what it returns to the type's range.
#include <windows.h>

#include "ui_core/values/ui_string.h"

namespace SkinUI {

// Leading decimal integer (optional sign); 0 when there is none. *end (when given) points just
// after the digits, or at the text when there were none.
int ParseAttributeInt(const wchar_t* text, const wchar_t** end = nullptr);
// Up to `count` decimal integers, each followed by one separator character ("10,20,30,40").
// Missing numbers are 0; returns how many numbers were found.
int ParseAttributeInts(const wchar_t* text, int* values, int count);
// Up to `count` decimal fractions ("0.5,0,0.5,0"), each followed by one separator character.
// Missing numbers and numbers that are not finite are 0; returns how many numbers were found.
int ParseAttributeDoubles(const wchar_t* text, double* values, int count);
RECT ParseAttributeRect(const wchar_t* text);  // l,t,r,b
SIZE ParseAttributeSize(const wchar_t* text);  // cx,cy
// Hex ARGB: leading blanks (codes up to 32) and one '#' skipped; 0 when there are no digits.
DWORD ParseAttributeColor(const wchar_t* text);
// Exactly "true".
bool ParseAttributeBool(const wchar_t* text);

// Reads the next pair of an attribute list (name="value" pairs separated by exactly one blank)
// and moves the cursor past it. False at the end of the text or at the first malformed pair
// (an empty name, a name holding a blank, no '=' with a quote, an unterminated value).
bool NextAttributeInList(const wchar_t*& cursor, CStringUI& name, CStringUI& value);

}  // namespace SkinUI
