#pragma once
// The tests' own ActiveX control, served from activex_test_control.dll through DllGetClassObject
// (the way a skin's "modulename" reaches a control). It asks its site what in-place activation
// asks for, journals what it was asked, told and answered, and counts its live objects, so that
// a test sees from the control's side what the host did.
#include <windows.h>

namespace ActiveXTestControl {

// Activates windowless when the site allows it, else in a child window of its own.
constexpr CLSID kWindowlessClsid = {
    0x5E0B7A01, 0x3C2D, 0x4F11, {0x9A, 0x61, 0x2B, 0x7C, 0x11, 0xD0, 0xAC, 0x01}};
// Always activates in a child window of its own.
constexpr CLSID kWindowedClsid = {
    0x5E0B7A01, 0x3C2D, 0x4F11, {0x9A, 0x61, 0x2B, 0x7C, 0x11, 0xD0, 0xAC, 0x02}};
// Says it is invisible at run time (the host must not activate it) and wants its client site
// before it is initialised.
constexpr CLSID kInvisibleClsid = {
    0x5E0B7A01, 0x3C2D, 0x4F11, {0x9A, 0x61, 0x2B, 0x7C, 0x11, 0xD0, 0xAC, 0x03}};
// Refuses InitNew.
constexpr CLSID kFailingInitClsid = {
    0x5E0B7A01, 0x3C2D, 0x4F11, {0x9A, 0x61, 0x2B, 0x7C, 0x11, 0xD0, 0xAC, 0x04}};

// What the control paints (windowless through IViewObject::Draw, windowed in its own window).
constexpr COLORREF kPaintColor = RGB(0x33, 0x66, 0xCC);
// The class of its own window in windowed activation.
constexpr wchar_t kChildWindowClass[] = L"ActiveXTestControlWindow";

// Exported by the DLL (plain C names, see test_control.def).
using JournalProc = int(__cdecl*)(wchar_t* buffer, int size);  // lines joined by '\n'; length
using ClearJournalProc = void(__cdecl*)();
using LiveObjectsProc = LONG(__cdecl*)();

}  // namespace ActiveXTestControl
