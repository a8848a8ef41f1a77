#include "ui_core/layout/ui_skin_builder.h"

#include <initializer_list>

#include "base/log.h"
#include "ui_core/layout/ui_skin_build_guard.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Font sizes beyond this (pixels, either sign) come only from broken skins.
constexpr int kMaxFontSize = 1000;

// A flag of a resource element is set by "true" in any case.
bool FlagIsTrue(const wchar_t* value) { return NameIsNoCase(value, L"true"); }

void LogUnknownAttribute(const wchar_t* element, const wchar_t* attribute) {
  UTILS_LOG(L"attribute %ls of %ls ignored\r\n", attribute, element);
}

// How an element's attribute names compare: the resource elements of the window pass take them
// in any case, an Include only as written.
enum class NameCase { kAny, kExact };

// Where one attribute of a skin element goes, by the type of its target: text as it stands,
// a whole number, a colour, or a flag that only "true" sets.
class AttributeSlot {
public:
  AttributeSlot(const wchar_t* name, const wchar_t** text) : name_(name), text_(text) {}
  AttributeSlot(const wchar_t* name, int* number) : name_(name), number_(number) {}
  AttributeSlot(const wchar_t* name, DWORD* color) : name_(name), color_(color) {}
  AttributeSlot(const wchar_t* name, bool* flag) : name_(name), flag_(flag) {}

  // Stores value when attribute is this slot's name.
  bool Take(const wchar_t* attribute, const wchar_t* value, NameCase nameCase) const {
    const bool named = nameCase == NameCase::kAny ? NameIsNoCase(attribute, name_)
                                                  : NameIs(attribute, name_);
    if (!named) return false;
    if (text_ != nullptr) *text_ = value;
    if (number_ != nullptr) *number_ = ParseAttributeInt(value);
    if (color_ != nullptr) *color_ = ParseAttributeColor(value);
    if (flag_ != nullptr) *flag_ = FlagIsTrue(value);
    return true;
  }

private:
  const wchar_t* name_;
  const wchar_t** text_ = nullptr;
  int* number_ = nullptr;
  DWORD* color_ = nullptr;
  bool* flag_ = nullptr;
};

// Reads the attributes of an element into their slots in document order (a repeated attribute:
// the last one counts). One that no slot names is logged and ignored, so that a misspelt
// attribute in a skin shows up in the log instead of silently doing nothing.
void ReadAttributes(const CXmlNodeUI& node, NameCase nameCase,
                    std::initializer_list<AttributeSlot> slots) {
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    const wchar_t* attribute = node.GetAttributeName(i);
    const wchar_t* value = node.GetAttributeValue(i);
    bool taken = false;
    for (const AttributeSlot& slot : slots) {
      if (slot.Take(attribute, value, nameCase)) {
        taken = true;
        break;
      }
    }
    if (!taken) LogUnknownAttribute(node.GetName(), attribute);
  }
}

void ReadResourceAttributes(const CXmlNodeUI& node, std::initializer_list<AttributeSlot> slots) {
  ReadAttributes(node, NameCase::kAny, slots);
}

// ---- the window pass: resources that the root's children declare --------------------------

void AddImage(const CXmlNodeUI& node, CWindowManagerUI* manager) {
  const wchar_t* name = nullptr;
  const wchar_t* type = nullptr;
  DWORD mask = 0;
  bool shared = false;
  ReadResourceAttributes(
      node, {{L"name", &name}, {L"restype", &type}, {L"mask", &mask}, {L"shared", &shared}});
  if (name == nullptr || *name == L'\0') {
    UTILS_LOG(L"Image without a name ignored\r\n");
    return;
  }
  if (manager->AddImage(name, type != nullptr && *type != L'\0' ? type : nullptr, mask, false,
                        shared) == nullptr) {
    UTILS_LOG(L"image %ls could not be loaded\r\n", name);
  }
}

void AddFont(const CXmlNodeUI& node, CWindowManagerUI* manager) {
  int id = -1;
  int size = 12;
  const wchar_t* face = nullptr;
  bool bold = false, underline = false, italic = false, isDefault = false, shared = false;
  ReadResourceAttributes(node, {{L"id", &id},
                                {L"name", &face},
                                {L"size", &size},
                                {L"bold", &bold},
                                {L"underline", &underline},
                                {L"italic", &italic},
                                {L"default", &isDefault},
                                {L"shared", &shared}});
  if (id < 0 || face == nullptr || *face == L'\0') {
    UTILS_LOG(L"Font without an id or a name ignored\r\n");
    return;
  }
  if (size < -kMaxFontSize || size > kMaxFontSize) {
    UTILS_LOG(L"Font %d of size %d ignored\r\n", id, size);
    return;
  }
  if (manager->AddFont(id, face, size, bold, underline, italic, shared) == nullptr) {
    UTILS_LOG(L"font %d (%ls) could not be created\r\n", id, face);
    return;
  }
  if (isDefault) manager->SetDefaultFont(face, size, bold, underline, italic, shared);
}

void AddDefaultList(const CXmlNodeUI& node, CWindowManagerUI* manager) {
  const wchar_t* name = nullptr;
  const wchar_t* list = L"";
  bool shared = false;
  ReadResourceAttributes(node, {{L"name", &name}, {L"value", &list}, {L"shared", &shared}});
  if (name == nullptr || *name == L'\0') {
    UTILS_LOG(L"Default without a name ignored\r\n");
    return;
  }
  manager->AddDefaultAttributeList(name, list, shared);
}

void AddLanguageText(const CXmlNodeUI& node, CWindowManagerUI* /*manager*/) {
  int id = -1;
  const wchar_t* text = nullptr;
  ReadResourceAttributes(node, {{L"id", &id}, {L"value", &text}});
  if (id < 0 || text == nullptr || *text == L'\0') {
    UTILS_LOG(L"MultiLanguage without an id or a value ignored\r\n");
    return;
  }
  CWindowManagerUI::SetLanguageText(id, text);
}

// The elements that declare a window's resources, in any letter case. They create no control.
struct ResourceElement {
  const wchar_t* name;
  void (*add)(const CXmlNodeUI& node, CWindowManagerUI* manager);
};

constexpr ResourceElement kResourceElements[] = {
    {L"Image", &AddImage},
    {L"Font", &AddFont},
    {L"Default", &AddDefaultList},
    {L"MultiLanguage", &AddLanguageText},
};

const ResourceElement* FindResourceElement(const wchar_t* name) {
  for (const ResourceElement& element : kResourceElements) {
    if (NameIsNoCase(name, element.name)) return &element;
  }
  return nullptr;
}

void RegisterWindowResources(const CXmlNodeUI& root, CWindowManagerUI* manager) {
  for (CXmlNodeUI node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    if (const ResourceElement* element = FindResourceElement(node.GetName())) {
      element->add(node, manager);
    }
  }
  if (!NameIsNoCase(root.GetName(), L"Window")) {
    if (root.GetAttributeCount() > 0) {
      UTILS_LOG(L"attributes of the root element %ls ignored: only a Window has them\r\n",
                root.GetName());
    }
    return;
  }
  if (manager->GetPaintWindow() == nullptr) return;
  for (int i = 0; i < root.GetAttributeCount(); ++i) {
    manager->SetWindowAttribute(root.GetAttributeName(i), root.GetAttributeValue(i));
  }
}

// Deletes a control that the build refuses, with the manager given back: every control of the
// tree then tells the manager that it is gone, whatever the manager still knows of it.
void Discard(CControlUI* control, CWindowManagerUI* manager) {
  if (manager != nullptr) control->SetManager(manager, nullptr, false);
  control->Delete();
}

// Names the file or resource of a build for the loop guard.
CStringUI ResourceKey(CStringOrIdUI id, const wchar_t* type) {
  CStringUI key;
  if (type == nullptr || IS_INTRESOURCE(type)) {
    key.Format(L"#%u:#%u", static_cast<unsigned>(id.GetId()),
               static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(type)));
  } else {
    key.Format(L"#%u:%ls", static_cast<unsigned>(id.GetId()), type);
  }
  return key;
}

bool LoadResourceDocument(CXmlDocUI& doc, CStringOrIdUI id, const wchar_t* type) {
  const HINSTANCE instance = CWindowManagerUI::GetResourceInstance();
  const HRSRC resource = ::FindResourceW(instance, id.Get(), type);
  if (resource == nullptr) {
    UTILS_LOG(L"skin resource %u not found\r\n", static_cast<unsigned>(id.GetId()));
    return false;
  }
  // Resource handles of a loaded module need no release.
  const HGLOBAL data = ::LoadResource(instance, resource);
  const void* bytes = data != nullptr ? ::LockResource(data) : nullptr;
  if (bytes == nullptr) {
    UTILS_LOG(L"skin resource %u could not be loaded\r\n", static_cast<unsigned>(id.GetId()));
    return false;
  }
  return doc.LoadFromMem(static_cast<const uint8_t*>(bytes), ::SizeofResource(instance, resource),
                         kXmlEncodingUtf8);
}

}  // namespace

CSkinBuilderUI::CSkinBuilderUI() = default;

CControlUI* CSkinBuilderUI::Create(CStringOrIdUI xml, const wchar_t* type,
                                   IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
  refused_ = false;
  if (xml.IsId()) {
    const CStringUI key = ResourceKey(xml, type);
    CSkinBuildScopeUI scope(CSkinBuildScopeUI::Kind::File, key.GetData());
    if (!scope.IsAllowed()) {
      refused_ = true;
      return nullptr;
    }
    callback_ = callback;
    if (!LoadResourceDocument(xml_, xml, type)) {
      UTILS_LOG(L"skin resource %u not loaded: %ls\r\n", static_cast<unsigned>(xml.GetId()),
                xml_.GetErrorMessage());
      return nullptr;
    }
    type_ = type;
    return Create(callback, manager, parent);
  }

  const wchar_t* text = xml.Get();
  if (text == nullptr) return nullptr;
  const bool isText = text[0] == L'<';
  CSkinBuildScopeUI scope(CSkinBuildScopeUI::Kind::File, isText ? nullptr : text);
  if (!scope.IsAllowed()) {
    refused_ = true;
    return nullptr;
  }
  const bool loaded = isText ? xml_.Load(text) : xml_.LoadFromFile(text, kXmlEncodingUtf8);
  if (!loaded) {
    UTILS_LOG(L"skin %ls not loaded: %ls\r\n", isText ? L"text" : text, xml_.GetErrorMessage());
    return nullptr;
  }
  return Create(callback, manager, parent);
}

CControlUI* CSkinBuilderUI::Create(IDialogBuilderCallback* callback, CWindowManagerUI* manager,
                                   CControlUI* parent) {
  callback_ = callback;
  const CXmlNodeUI root = xml_.GetRoot();
  if (!root.IsValid()) return nullptr;
  CSkinBuildScopeUI scope(CSkinBuildScopeUI::Kind::Document, nullptr);
  if (manager != nullptr) RegisterWindowResources(root, manager);
  if (root.GetSibling().IsValid()) {
    UTILS_LOG(L"skin elements after the root element %ls ignored\r\n", root.GetName());
  }
  return Parse(root, parent, manager);
}

CControlUI* CSkinBuilderUI::CreateElement(const wchar_t* name) {
  CControlUI* control = CreateStandardElement(name);
  if (control != nullptr) return control;
  const CPtrArrayUI& plugins = ProcessTables().plugins;
  for (int i = 0; i < plugins.GetSize(); ++i) {
    auto creator = reinterpret_cast<SkinControlCreator>(plugins.GetAt(i));
    if (creator == nullptr) continue;
    control = creator(name);
    if (control != nullptr) return control;
  }
  return callback_ != nullptr ? callback_->CreateControl(name) : nullptr;
}

void CSkinBuilderUI::Configure(CControlUI* control, const CXmlNodeUI& node,
                               CWindowManagerUI* manager) {
  if (manager != nullptr) {
    control->SetManager(manager, nullptr, false);
    const wchar_t* defaults = manager->GetDefaultAttributeList(node.GetName());
    if (defaults != nullptr) control->ApplyAttributeList(defaults);
  }
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    control->SetAttribute(node.GetAttributeName(i), node.GetAttributeValue(i));
  }
}

void CSkinBuilderUI::ParseInclude(const CXmlNodeUI& node, CControlUI* parent,
                                  CWindowManagerUI* manager) {
  if (!node.HasAttributes()) return;
  int count = 1;
  const wchar_t* source = nullptr;
  ReadAttributes(node, NameCase::kExact, {{L"count", &count}, {L"source", &source}});
  if (source == nullptr || *source == L'\0' || count <= 0) {
    UTILS_LOG(L"Include without a source or with count %d ignored\r\n", count);
    return;
  }
  if (count > kSkinMaxIncludeCount) {
    UTILS_LOG(L"Include of %ls: count %d cut to %d\r\n", source, count, kSkinMaxIncludeCount);
    count = kSkinMaxIncludeCount;
  }
  // What an Include builds belongs to its parent; without one it would be lost.
  if (parent == nullptr) {
    UTILS_LOG(L"Include of %ls outside any control ignored\r\n", source);
    return;
  }
  for (int i = 0; i < count; ++i) {
    CSkinBuilderUI builder;
    if (type_ != nullptr) {
      const int id = ParseAttributeInt(source);
      if (id <= 0 || id > 0xFFFF) {
        UTILS_LOG(L"Include of resource %ls ignored: not a resource id\r\n", source);
        return;
      }
      builder.Create(CStringOrIdUI(static_cast<unsigned>(id)), type_, callback_, manager, parent);
    } else {
      builder.Create(CStringOrIdUI(source), nullptr, callback_, manager, parent);
    }
    if (builder.WasRefused()) return;
  }
}

CControlUI* CSkinBuilderUI::ParseTreeNode(const CXmlNodeUI& node, CControlUI* parent,
                                          CWindowManagerUI* manager) {
  const bool underNode = parent != nullptr && parent->GetInterface(L"TreeNode") != nullptr;
  const bool underView = !underNode && parent != nullptr && parent->GetInterface(L"TreeView") != nullptr;
  auto* tree = underNode || underView
                   ? static_cast<ITreeParentUI*>(parent->GetInterface(L"ITreeParent"))
                   : nullptr;
  if (tree == nullptr) {
    UTILS_LOG(L"TreeNode outside a tree view skipped\r\n");
    return nullptr;
  }
  if (!SkinBuildTakeControl()) return nullptr;
  CControlUI* treeNode = CreateStandardElement(L"TreeNode");
  if (treeNode == nullptr) {
    UTILS_LOG(L"TreeNode skipped: no tree node class is registered\r\n");
    return nullptr;
  }
  if (underNode && !tree->AddChildNode(treeNode)) {
    UTILS_LOG(L"TreeNode refused by its parent node\r\n");
    Discard(treeNode, manager);
    return nullptr;
  }
  // A tree node keeps its manager: the tree view reaches its nodes through it.
  Configure(treeNode, node, manager);
  if (node.HasChildren()) Parse(node, treeNode, manager);
  if (underView && !tree->AddChildNode(treeNode)) {
    UTILS_LOG(L"TreeNode refused by its tree view\r\n");
    Discard(treeNode, manager);
    return nullptr;
  }
  return treeNode;
}

CControlUI* CSkinBuilderUI::Parse(const CXmlNodeUI& root, CControlUI* parent,
                                  CWindowManagerUI* manager) {
  const CSkinBuildLevelUI level;
  if (!level.IsAllowed()) return nullptr;
  IContainerUI* container = nullptr;
  bool containerLooked = false;
  CControlUI* first = nullptr;
  for (CXmlNodeUI node = root.GetChild(); node.IsValid(); node = node.GetSibling()) {
    const wchar_t* name = node.GetName();
    if (FindResourceElement(name) != nullptr) continue;
    if (NameIsNoCase(name, L"Include")) {
      ParseInclude(node, parent, manager);
      continue;
    }
    if (NameIsNoCase(name, L"TreeNode")) {
      CControlUI* treeNode = ParseTreeNode(node, parent, manager);
      if (first == nullptr) first = treeNode;
      continue;
    }
    if (!SkinBuildTakeControl()) break;
    CControlUI* control = CreateElement(name);
    if (control == nullptr) {
      UTILS_LOG(L"unknown skin element %ls skipped\r\n", name);
      continue;
    }
    // The children exist before the control is attached and configured.
    if (node.HasChildren()) Parse(node, control, manager);

    if (parent != nullptr) {
      wchar_t cover[8] = {};
      if (node.GetAttributeValue(L"cover", cover, 8) && NameIs(cover, L"true")) {
        parent->SetCover(control);
      } else if (parent->GetInterface(L"TreeNode") != nullptr) {
        auto* tree = static_cast<ITreeParentUI*>(parent->GetInterface(L"ITreeParent"));
        if (tree == nullptr || !tree->AddToNodeBox(control)) {
          UTILS_LOG(L"%ls refused by its tree node\r\n", name);
          Discard(control, manager);
          continue;
        }
      } else {
        if (!containerLooked) {
          container = static_cast<IContainerUI*>(parent->GetInterface(L"IContainer"));
          containerLooked = true;
        }
        if (container == nullptr) {
          UTILS_LOG(L"%ls skipped: %ls holds no children\r\n", name, parent->GetClass());
          Discard(control, manager);
          return nullptr;
        }
        if (!container->Add(control)) {
          UTILS_LOG(L"%ls refused by its parent %ls\r\n", name, parent->GetClass());
          Discard(control, manager);
          continue;
        }
      }
    } else if (first != nullptr) {
      // Only the first control of a level without a parent reaches the caller.
      UTILS_LOG(L"%ls skipped: a second control outside any parent\r\n", name);
      Discard(control, manager);
      continue;
    }

    Configure(control, node, manager);
    // The tree gets its manager when it is attached to the window. Meanwhile the manager keeps
    // what the configuration gave it (timers, queued notifications); a control that goes
    // without being attached tells it.
    if (manager != nullptr) control->SetManager(nullptr, nullptr, false);
    if (first == nullptr) first = control;
  }
  return first;
}

}  // namespace SkinUI
