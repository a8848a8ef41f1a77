// Fuzz target of the XML reader: any bytes are parsed in every encoding, as raw wide text too,
// and every tree that loads is walked through the node handle (names, attributes by index and by
// name, children and siblings). The driver calls FuzzXmlOne once per input; the result, the
// number of elements walked over all the loads, is only a statistic.
#include <stddef.h>
#include <stdint.h>
#include <string.h>
#include <wchar.h>

#include <vector>

#include "fuzz_targets.h"
#include "ui_core/values/xml_doc.h"

namespace {

using SkinUI::CXmlDocUI;
using SkinUI::CXmlNodeUI;

// Touches every character of a text so that a bad pointer or a missing terminator shows.
size_t Touch(const wchar_t* text) {
  size_t sum = 0;
  if (text != nullptr) {
    for (const wchar_t* p = text; *p != L'\0'; ++p) sum += static_cast<size_t>(*p);
  }
  return sum;
}

size_t Walk(const CXmlDocUI& doc, int* elements) {
  size_t sum = Touch(doc.GetErrorMessage()) + Touch(doc.GetErrorContext());
  // The parser refuses deep nesting, so a stack of the open elements is small; it is kept
  // explicit all the same.
  std::vector<CXmlNodeUI> stack;
  for (CXmlNodeUI n = doc.GetRoot(); n.IsValid(); n = n.GetSibling()) stack.push_back(n);
  size_t visited = 0;
  while (!stack.empty() && visited < 1000000) {
    const CXmlNodeUI node = stack.back();
    stack.pop_back();
    ++visited;
    ++*elements;
    sum += Touch(node.GetName());
    const int count = node.GetAttributeCount();
    for (int i = -1; i <= count; ++i) {
      const wchar_t* name = node.GetAttributeName(i);
      sum += Touch(name) + Touch(node.GetAttributeValue(i));
      wchar_t buffer[8];
      if (i >= 0 && i < count && node.GetAttributeValue(name, buffer, 8)) sum += Touch(buffer);
    }
    for (CXmlNodeUI c = node.GetChild(); c.IsValid(); c = c.GetSibling()) stack.push_back(c);
  }
  return sum;
}

}  // namespace

int FuzzXmlOne(const uint8_t* data, size_t size) {
  volatile size_t sink = 0;
  int elements = 0;
  for (int encoding : {SkinUI::kXmlEncodingUtf8, SkinUI::kXmlEncodingUtf16,
                       SkinUI::kXmlEncodingAnsi}) {
    CXmlDocUI doc;
    // The first byte also chooses whether white space is folded, so both paths are reached.
    doc.SetPreserveWhitespace(size == 0 || (data[0] & 1) == 0);
    doc.LoadFromMem(data, size, encoding);
    sink = sink + Walk(doc, &elements);
  }

  // The same bytes as a wide text that the caller already holds.
  std::vector<wchar_t> wide(size / sizeof(wchar_t) + 1, L'\0');
  if (size >= sizeof(wchar_t)) memcpy(wide.data(), data, (size / sizeof(wchar_t)) * sizeof(wchar_t));
  CXmlDocUI doc(wide.data());
  sink = sink + Walk(doc, &elements);
  // A second load into the same document must drop the first one cleanly.
  doc.Load(wide.data());
  sink = sink + Walk(doc, &elements);
  return elements;
}
