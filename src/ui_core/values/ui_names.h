#pragma once
// How the framework compares names: attribute names, element, class and interface names, and
// the keywords of attribute values. Names reach these from skin text, from attribute lists cut
// short and from plug-in code, any of which may hand over a null pointer: a null name matches
// nothing, so that no caller has to test for it before comparing.
namespace SkinUI {

// Exactly, letter case included: the attributes of every control and layout, interface names,
// and value keywords such as "true", "left" or "hidden".
bool NameIs(const wchar_t* name, const wchar_t* expected);

// In any letter case, compared ordinally (the same on every system locale): element names, the
// attributes of the resource elements and most of the window's, and the frame-sequence
// attributes that the installer's skins may write in either case.
bool NameIsNoCase(const wchar_t* name, const wchar_t* expected);

}  // namespace SkinUI
