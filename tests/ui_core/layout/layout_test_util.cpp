#include "layout_test_util.h"

#include <algorithm>

#include "ui_core/layout/ui_layouts.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_string_or_id.h"

namespace LayoutTest {

using SkinUI::CControlUI;

int CountedControl::live = 0;
int FakeTreeNode::live = 0;
bool FakeTreeNode::available = true;

SIZE EstimatingControl::EstimateSize(SIZE) { return estimate_; }

void EstimatingControl::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (wcscmp(name, L"estimate") == 0) {
    estimate_ = SkinUI::ParseAttributeSize(value);
  } else {
    CControlUI::SetAttribute(name, value);
  }
}

void* FakeTreeView::GetInterface(const wchar_t* name) {
  if (wcscmp(name, L"TreeView") == 0) return this;
  if (wcscmp(name, L"ITreeParent") == 0) return static_cast<SkinUI::ITreeParentUI*>(this);
  return CContainerUI::GetInterface(name);
}

void* FakeTreeNode::GetInterface(const wchar_t* name) {
  if (wcscmp(name, L"TreeNode") == 0) return this;
  if (wcscmp(name, L"ITreeParent") == 0) return static_cast<SkinUI::ITreeParentUI*>(this);
  return CContainerUI::GetInterface(name);
}

bool FakeTreeNode::AddChildNode(CControlUI* node) {
  if (!Add(node)) return false;
  childNodes.push_back(node);
  return true;
}

bool FakeTreeNode::AddToNodeBox(CControlUI* control) {
  if (!Add(control)) return false;
  rowItems.push_back(control);
  return true;
}

namespace {

template <class T>
CControlUI* Make() {
  return new T();
}
CControlUI* MakeLabel() { return new NamedControl(L"Label"); }
CControlUI* MakeButton() { return new NamedControl(L"Button"); }
CControlUI* MakeGifAnim() { return new NamedControl(L"GifAnim"); }
CControlUI* MakeTreeNode() { return FakeTreeNode::available ? new FakeTreeNode() : nullptr; }

CControlUI* CreatePlugged(const wchar_t* name) {
  return wcscmp(name, L"Plugged") == 0 ? new NamedControl(L"Plugged") : nullptr;
}

// A child layout holds children but does not answer "IContainer".
SkinUI::IContainerUI* ContainerOf(CControlUI* control) {
  if (auto* child = static_cast<SkinUI::CChildLayoutUI*>(control->GetInterface(L"ChildLayout"))) {
    return child;
  }
  return static_cast<SkinUI::IContainerUI*>(control->GetInterface(L"IContainer"));
}

void CollectRects(CControlUI* control, std::wstring* out) {
  if (!control->GetName().IsEmpty()) {
    const RECT& r = control->GetPos();
    wchar_t text[96];
    swprintf(text, 96, L"%ls=%ld,%ld,%ld,%ld", control->GetName().GetData(), r.left, r.top,
             r.right, r.bottom);
    if (!out->empty()) *out += L" ";
    *out += text;
  }
  if (SkinUI::IContainerUI* box = ContainerOf(control)) {
    for (int i = 0; i < box->GetCount(); ++i) CollectRects(box->GetItemAt(i), out);
  }
}

}  // namespace

void ResetSkinSource() {
  SkinUI::TProcessTablesUI& t = SkinUI::ProcessTables();
  t.resourceFolder.Empty();
  t.resourceArchiveName.Empty();
  t.cachedArchive.reset();
  t.archiveCached = false;
  t.archiveIs7z = false;
}

ScratchSkin::ScratchSkin() {
  ResetSkinSource();
  SkinUI::ProcessTables().resourceFolder = (dir_.Path() + L"\\").c_str();
}

ScratchSkin::~ScratchSkin() { ResetSkinSource(); }

void ScratchSkin::Write(const std::wstring& name, const std::wstring& xml) {
  TestSupport::WriteBytes(dir_.File(name), TestSupport::ToUtf8(Quoted(xml)));
}

std::wstring ScratchSkin::Path() const { return dir_.Path(); }

void RegisterTestElements() {
  static bool registered = false;
  if (registered) return;
  registered = true;
  SkinUI::RegisterSkinElement(L"Label", &MakeLabel);
  SkinUI::RegisterSkinElement(L"Button", &MakeButton);
  SkinUI::RegisterSkinElement(L"Counted", &Make<CountedControl>);
  SkinUI::RegisterSkinElement(L"Estimating", &Make<EstimatingControl>);
  SkinUI::RegisterSkinElement(L"GifAnim", &MakeGifAnim, true);
  SkinUI::RegisterSkinElement(L"TreeView", &Make<FakeTreeView>);
  SkinUI::RegisterSkinElement(L"TreeNode", &MakeTreeNode);
  SkinUI::RegisterSkinPlugin(&CreatePlugged);
}

std::wstring Quoted(const std::wstring& xml) {
  std::wstring text = xml;
  std::replace(text.begin(), text.end(), L'\'', L'"');
  return text;
}

ControlPtr BuildText(const std::wstring& xml, SkinUI::CWindowManagerUI* manager,
                     SkinUI::IDialogBuilderCallback* callback) {
  RegisterTestElements();
  const std::wstring text = Quoted(xml);
  SkinUI::CSkinBuilderUI builder;
  return ControlPtr(builder.Create(SkinUI::CStringOrIdUI(text.c_str()), nullptr, callback, manager));
}

std::wstring Rects(CControlUI* root) {
  std::wstring out;
  if (root != nullptr) CollectRects(root, &out);
  return out;
}

std::wstring Tree(CControlUI* root) {
  if (root == nullptr) return L"null";
  std::wstring out = root->GetClass();
  if (!root->GetName().IsEmpty()) out += std::wstring(L":") + root->GetName().GetData();
  SkinUI::IContainerUI* box = ContainerOf(root);
  if (box != nullptr && box->GetCount() > 0) {
    out += L"(";
    for (int i = 0; i < box->GetCount(); ++i) {
      if (i > 0) out += L",";
      out += Tree(box->GetItemAt(i));
    }
    out += L")";
  }
  return out;
}

int Depth(CControlUI* root) {
  int deepest = 0;
  if (SkinUI::IContainerUI* box = ContainerOf(root)) {
    for (int i = 0; i < box->GetCount(); ++i) deepest = std::max(deepest, Depth(box->GetItemAt(i)));
  }
  return deepest + 1;
}

int CountControls(CControlUI* root) {
  int count = 1;
  if (SkinUI::IContainerUI* box = ContainerOf(root)) {
    for (int i = 0; i < box->GetCount(); ++i) count += CountControls(box->GetItemAt(i));
  }
  return count;
}

}  // namespace LayoutTest
