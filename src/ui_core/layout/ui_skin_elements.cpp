// The standard element table of the skin builder and the list of plug-in creators. The
// framework's own classes are in the table from the start; the controls library adds its classes
// once at start-up (this layer cannot name them).
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/layout/ui_tab_layout.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_scrollbar.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

struct ElementEntry {
  std::wstring name;
  SkinElementFactory factory;
  bool exactCase;
};

template <class T>
CControlUI* Make() {
  return new (std::nothrow) T();
}

std::vector<ElementEntry>& ElementTable() {
  static std::vector<ElementEntry> table = {
      {L"Control", &Make<CControlUI>, false},
      {L"Container", &Make<CContainerUI>, false},
      {L"VerticalLayout", &Make<CVerticalLayoutUI>, false},
      {L"VBox", &Make<CVerticalLayoutUI>, false},
      {L"HorizontalLayout", &Make<CHorizontalLayoutUI>, false},
      {L"HBox", &Make<CHorizontalLayoutUI>, false},
      {L"TileLayout", &Make<CTileLayoutUI>, false},
      {L"ChildLayout", &Make<CChildLayoutUI>, false},
      {L"TabLayout", &Make<CTabLayoutUI>, false},
      {L"ScrollBar", &Make<CScrollBarUI>, false},
  };
  return table;
}

}  // namespace

void RegisterSkinElement(const wchar_t* elementName, SkinElementFactory factory, bool exactCase) {
  if (elementName == nullptr || *elementName == L'\0' || factory == nullptr) return;
  for (ElementEntry& entry : ElementTable()) {
    if (NameIsNoCase(entry.name.c_str(), elementName)) {
      entry = ElementEntry{elementName, factory, exactCase};
      return;
    }
  }
  ElementTable().push_back(ElementEntry{elementName, factory, exactCase});
}

void RegisterSkinPlugin(SkinControlCreator creator) {
  if (creator != nullptr) ProcessTables().plugins.Add(reinterpret_cast<void*>(creator));
}

CControlUI* CreateStandardElement(const wchar_t* elementName) {
  if (elementName == nullptr) return nullptr;
  for (const ElementEntry& entry : ElementTable()) {
    const bool match = entry.exactCase ? NameIs(elementName, entry.name.c_str())
                                       : NameIsNoCase(elementName, entry.name.c_str());
    if (match) return entry.factory();
  }
  return nullptr;
}

}  // namespace SkinUI
