#pragma once
// Turns a skin XML document into a control tree: registers the window-level resources it
// declares (images, fonts, default attribute lists, UI texts, window attributes) with the window
// manager, then creates one control per element by element name. Names the element table does
// not know go to the registered plug-in creators, then to the window's IDialogBuilderCallback.
// Skins are untrusted: unknown elements and attributes are skipped with a log line, nesting and
// Include are bounded, and nothing a skin says can make the builder recurse without end.
#include <windows.h>

#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string_or_id.h"
#include "ui_core/values/xml_doc.h"

namespace SkinUI {

class CControlUI;
class CWindowManagerUI;

// Bounds on what one skin can make the builder do; what lies beyond is skipped with a log line.
constexpr int kSkinMaxIncludeCount = 100;    // repetitions of one Include ("count")
constexpr int kSkinMaxNestedFiles = 16;      // skin files being built inside one another
constexpr int kSkinMaxNestedBuilds = 1000;   // Include and child-layout builds inside one build
constexpr int kSkinMaxControls = 10000;      // controls made by one build, nested ones included
constexpr int kSkinMaxDepth = kXmlMaxDepth;  // element nesting across included files

// A plug-in creator: a new control for an element name, or null.
using SkinControlCreator = CControlUI* (*)(const wchar_t* elementName);
// A creator of one standard element class.
using SkinElementFactory = CControlUI* (*)();

// Adds an element to the standard element table (names compared without regard to case unless
// exactCase). The framework's own classes are in it from the start; the controls library adds
// its classes once at start-up. A later registration of the same name replaces the earlier one.
void RegisterSkinElement(const wchar_t* elementName, SkinElementFactory factory,
                         bool exactCase = false);
// Appends a plug-in creator to the process-wide list.
void RegisterSkinPlugin(SkinControlCreator creator);
// A new control of the standard element table, or null.
CControlUI* CreateStandardElement(const wchar_t* elementName);

// Nesting of "TreeNode" elements: the tree view and its nodes (a controls library) answer
// GetInterface(L"TreeView") or GetInterface(L"TreeNode") with non-null, and
// GetInterface(L"ITreeParent") with this interface.
class ITreeParentUI {
public:
  virtual bool AddChildNode(CControlUI* node) = 0;
  // A node's own row (its inner horizontal layout); a tree view answers false.
  virtual bool AddToNodeBox(CControlUI* control) = 0;

protected:
  ~ITreeParentUI() = default;
};

class CSkinBuilderUI {
public:
  CSkinBuilderUI();
  CSkinBuilderUI(const CSkinBuilderUI&) = delete;
  CSkinBuilderUI& operator=(const CSkinBuilderUI&) = delete;

  // xml: a numeric resource id of `type`, XML text (starting with '<'), or a skin file name.
  CControlUI* Create(CStringOrIdUI xml, const wchar_t* type = nullptr,
                     IDialogBuilderCallback* callback = nullptr,
                     CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);
  // Builds the document already loaded (GetMarkup).
  CControlUI* Create(IDialogBuilderCallback* callback = nullptr,
                     CWindowManagerUI* manager = nullptr, CControlUI* parent = nullptr);

  CXmlDocUI* GetMarkup() { return &xml_; }
  const wchar_t* GetLastErrorMessage() const { return xml_.GetErrorMessage(); }
  // Whether the last Create was refused by a bound (a file already being built, too many builds).
  bool WasRefused() const { return refused_; }

private:
  CControlUI* Parse(const CXmlNodeUI& root, CControlUI* parent, CWindowManagerUI* manager);
  // The new control of one element, by the element table, the plug-ins and the callback.
  CControlUI* CreateElement(const wchar_t* name);
  void ParseInclude(const CXmlNodeUI& node, CControlUI* parent, CWindowManagerUI* manager);
  CControlUI* ParseTreeNode(const CXmlNodeUI& node, CControlUI* parent, CWindowManagerUI* manager);
  // Gives the control the manager, its default list and the element's own attributes.
  static void Configure(CControlUI* control, const CXmlNodeUI& node, CWindowManagerUI* manager);

  CXmlDocUI xml_;
  IDialogBuilderCallback* callback_ = nullptr;
  const wchar_t* type_ = nullptr;
  bool refused_ = false;
};

}  // namespace SkinUI
