#pragma once
// What the layout and skin builder tests share: test controls registered as skin elements,
// fakes of a tree view and its nodes, and helpers that build a skin text and write a control
// tree or its rectangles out as one line.
#include <windows.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "test_support.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_manager.h"

// Rectangles compare and print as values in the tests.
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline void PrintTo(const RECT& r, std::ostream* os) {
  *os << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
}

namespace LayoutTest {

// Registers the test elements once per process: "Label" and "Button" (plain controls of those
// class names), "Counted", "Estimating", "GifAnim" (exact case only), "TreeView", "TreeNode",
// and the plug-in creator of "Plugged".
void RegisterTestElements();

// A plain control that reports the class name it was made with.
class NamedControl : public SkinUI::CControlUI {
public:
  explicit NamedControl(const wchar_t* className) : className_(className) {}
  const wchar_t* GetClass() const override { return className_; }

private:
  const wchar_t* className_;
};

// Counts its live instances, so that a test sees whether the builder freed what it made.
class CountedControl : public SkinUI::CControlUI {
public:
  CountedControl() { ++live; }
  ~CountedControl() override { --live; }
  const wchar_t* GetClass() const override { return L"Counted"; }
  static int live;
};

// Its estimate is the "estimate" attribute (cx,cy), as a control that measures its text would.
class EstimatingControl : public SkinUI::CControlUI {
public:
  const wchar_t* GetClass() const override { return L"Estimating"; }
  SIZE EstimateSize(SIZE available) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

private:
  SIZE estimate_ = {0, 0};
};

// A tree view and a tree node as the builder sees them: a node keeps its child nodes and the
// controls of its own row apart.
class FakeTreeView : public SkinUI::CContainerUI, public SkinUI::ITreeParentUI {
public:
  const wchar_t* GetClass() const override { return L"TreeView"; }
  void* GetInterface(const wchar_t* name) override;
  bool AddChildNode(SkinUI::CControlUI* node) override { return Add(node); }
  bool AddToNodeBox(SkinUI::CControlUI*) override { return false; }
};

class FakeTreeNode : public SkinUI::CContainerUI, public SkinUI::ITreeParentUI {
public:
  FakeTreeNode() { ++live; }
  ~FakeTreeNode() override { --live; }
  const wchar_t* GetClass() const override { return L"TreeNode"; }
  void* GetInterface(const wchar_t* name) override;
  bool AddChildNode(SkinUI::CControlUI* node) override;
  bool AddToNodeBox(SkinUI::CControlUI* control) override;

  std::vector<SkinUI::CControlUI*> childNodes;
  std::vector<SkinUI::CControlUI*> rowItems;
  static int live;
  // The "TreeNode" element makes nodes only while this is set (an element cannot be
  // unregistered, so a test switches it off instead).
  static bool available;
};

struct ControlDeleter {
  void operator()(SkinUI::CControlUI* control) const {
    if (control != nullptr) control->Delete();
  }
};
using ControlPtr = std::unique_ptr<SkinUI::CControlUI, ControlDeleter>;

// A skin text written with single quotes (easier to read in C++), with the double quotes the
// reader wants.
std::wstring Quoted(const std::wstring& xml);

// Builds a skin text given in single quotes; the first control made under its root element.
ControlPtr BuildText(const std::wstring& xml, SkinUI::CWindowManagerUI* manager = nullptr,
                     SkinUI::IDialogBuilderCallback* callback = nullptr);

// Forgets the skin folder and archive (each test that reads skin files starts from none).
void ResetSkinSource();

// A skin folder of files written by a test (UTF-8), set as the skin source while it lives.
class ScratchSkin {
public:
  ScratchSkin();
  ~ScratchSkin();
  ScratchSkin(const ScratchSkin&) = delete;
  ScratchSkin& operator=(const ScratchSkin&) = delete;
  // Writes a skin text given in single quotes.
  void Write(const std::wstring& name, const std::wstring& xml);
  std::wstring Path() const;

private:
  TestSupport::ScratchDir dir_{L"skin"};
};

// "name=l,t,r,b" for every named control of the tree, depth first, separated by blanks.
std::wstring Rects(SkinUI::CControlUI* root);
// Class:name(children) with children separated by commas; the name is left out when empty.
std::wstring Tree(SkinUI::CControlUI* root);
// Depth of the deepest control below root (root alone: 1).
int Depth(SkinUI::CControlUI* root);
// Number of controls in the tree.
int CountControls(SkinUI::CControlUI* root);

}  // namespace LayoutTest
