#pragma once
// Helpers for the XML tests: a parsed tree written out as one line.
#include <string>

#include "ui_core/values/xml_doc.h"

namespace XmlTest {

// Elements as Name{attr=value;...}[children], siblings separated by ','.
inline std::wstring Dump(SkinUI::CXmlNodeUI node) {
  std::wstring out;
  for (bool first = true; node.IsValid(); node = node.GetSibling(), first = false) {
    if (!first) out += L",";
    out += node.GetName();
    if (node.HasAttributes()) {
      out += L"{";
      for (int i = 0; i < node.GetAttributeCount(); ++i) {
        if (i > 0) out += L";";
        out += node.GetAttributeName(i);
        out += L"=";
        out += node.GetAttributeValue(i);
      }
      out += L"}";
    }
    if (node.HasChildren()) out += L"[" + Dump(node.GetChild()) + L"]";
  }
  return out;
}

// The tree of a document that loaded, or "error: <message>".
inline std::wstring Outcome(SkinUI::CXmlDocUI& doc, bool loaded) {
  if (!loaded) return std::wstring(L"error: ") + doc.GetErrorMessage();
  return Dump(doc.GetRoot());
}

}  // namespace XmlTest
