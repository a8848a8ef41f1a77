#include "ui_controls/lists/ui_tree.h"

#include <algorithm>

#include "ui_controls/lists/ui_list_header.h"
#include "ui_core/manager/ui_manager.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_delegate.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

constexpr int kNodeHeight = 18;
constexpr int kNodeWidth = 250;
constexpr int kIndentStep = 16;

using TreeDelegate = CDelegate<CTreeViewUI, CTreeViewUI>;

// The item text colours that a node takes for itself and the view for all its nodes; false for
// any other attribute.
template <class Target>
bool SetItemColorAttribute(Target& target, const wchar_t* name, const wchar_t* value) {
  using Setter = void (Target::*)(DWORD);
  const struct {
    const wchar_t* name;
    Setter set;
  } setters[] = {
      {L"itemtextcolor", &Target::SetItemTextColor},
      {L"itemhottextcolor", &Target::SetItemHotTextColor},
      {L"selitemtextcolor", &Target::SetSelItemTextColor},
      {L"selitemhottextcolor", &Target::SetSelItemHotTextColor},
  };
  for (const auto& setter : setters) {
    if (!NameIs(name, setter.name)) continue;
    (target.*setter.set)(ParseAttributeColor(value));
    return true;
  }
  return false;
}

// The node whose row holds the control (a folder button or check box of that row).
CTreeNodeUI* NodeOfRowPart(CControlUI* part) {
  if (part == nullptr || part->GetParent() == nullptr) return nullptr;
  CControlUI* node = part->GetParent()->GetParent();
  return node != nullptr ? static_cast<CTreeNodeUI*>(node->GetInterface(L"TreeNode")) : nullptr;
}

bool IsSelected(CControlUI* control) {
  auto* option = control != nullptr ? static_cast<COptionUI*>(control->GetInterface(L"Option"))
                                    : nullptr;
  return option != nullptr && option->IsSelected();
}

}  // namespace

// --- CTreeNodeUI -------------------------------------------------------------------------------

CTreeNodeUI::CTreeNodeUI() {
  fixedSize_ = SIZE{kNodeWidth, kNodeHeight};
  row_ = new CHorizontalLayoutUI();
  folderButton_ = new CCheckBoxUI();
  dottedLine_ = new CLabelUI();
  checkBox_ = new CCheckBoxUI();
  itemButton_ = new COptionUI();
  folderButton_->SetFixedWidth(kNodeHeight);
  checkBox_->SetFixedWidth(kNodeHeight);
  dottedLine_->SetFixedWidth(2);
  dottedLine_->SetVisible(false);
  checkBox_->SetVisible(false);
  itemButton_->SetMouseEnabled(false);
  itemButton_->SetAttribute(L"align", L"left");
  row_->Add(dottedLine_);
  row_->Add(folderButton_);
  row_->Add(checkBox_);
  row_->Add(itemButton_);
  CContainerUI::Add(row_);
}

CTreeNodeUI::~CTreeNodeUI() {
  // Neither the parent nor the children may keep a pointer to a node that is gone.
  if (parentNode_ != nullptr) parentNode_->RemoveChildNode(this);
  for (int i = 0; i < childNodes_.GetSize(); ++i) {
    if (CTreeNodeUI* child = GetChildNode(i)) child->parentNode_ = nullptr;
  }
  childNodes_.Empty();
}

const wchar_t* CTreeNodeUI::GetClass() const { return L"TreeNode"; }

void* CTreeNodeUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"TreeNode")) return this;
  if (NameIs(name, L"ITreeParent")) return static_cast<ITreeParentUI*>(this);
  return CListContainerElementUI::GetInterface(name);
}

CTreeNodeUI* CTreeNodeUI::AsNode(CControlUI* control) {
  return control != nullptr ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"))
                            : nullptr;
}

void CTreeNodeUI::DoEvent(TInputEventUI& event) {
  if (event.type >= kEventMouseFirst && event.type <= kEventMouseLast && !IsMouseEnabled()) {
    if (owner_ != nullptr) {
      owner_->DoEvent(event);
    } else {
      CContainerUI::DoEvent(event);
    }
    return;
  }
  CListContainerElementUI::DoEvent(event);
  if (event.type == kEventDblClick && IsEnabled()) {
    if (manager_ != nullptr) manager_->SendNotify(this, L"itemdbclick");
    InvalidateItem();
  } else if (event.type == kEventMouseEnter) {
    if (!IsEnabled()) {
      itemButton_->SetTextColor(itemButton_->GetDisabledTextColor());
    } else if (selected_ && selItemHotTextColor_ != 0) {
      itemButton_->SetTextColor(selItemHotTextColor_);
    } else {
      itemButton_->SetTextColor(itemHotTextColor_);
    }
  } else if (event.type == kEventMouseLeave) {
    if (!IsEnabled()) {
      itemButton_->SetTextColor(itemButton_->GetDisabledTextColor());
    } else if (!selected_) {
      itemButton_->SetTextColor(itemTextColor_);
    } else if (selItemTextColor_ != 0) {
      itemButton_->SetTextColor(selItemTextColor_);
    }
  }
}

void CTreeNodeUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"text")) {
    itemButton_->SetText(value);
  } else if (NameIs(name, L"horizattr")) {
    row_->ApplyAttributeList(value);
  } else if (NameIs(name, L"dotlineattr")) {
    dottedLine_->ApplyAttributeList(value);
  } else if (NameIs(name, L"folderattr")) {
    folderButton_->ApplyAttributeList(value);
  } else if (NameIs(name, L"checkboxattr")) {
    checkBox_->ApplyAttributeList(value);
  } else if (NameIs(name, L"itemattr")) {
    itemButton_->ApplyAttributeList(value);
  } else if (!SetItemColorAttribute(*this, name, value)) {
    CListContainerElementUI::SetAttribute(name, value);
  }
}

void CTreeNodeUI::SetItemTextColor(DWORD argb) {
  itemTextColor_ = argb;
  itemButton_->SetTextColor(argb);
}

void CTreeNodeUI::SetItemHotTextColor(DWORD argb) {
  itemHotTextColor_ = argb;
  InvalidateItem();
}

void CTreeNodeUI::SetSelItemTextColor(DWORD argb) {
  selItemTextColor_ = argb;
  InvalidateItem();
}

void CTreeNodeUI::SetSelItemHotTextColor(DWORD argb) {
  selItemHotTextColor_ = argb;
  InvalidateItem();
}

bool CTreeNodeUI::Select(bool select, bool takeFocus) {
  const bool result = CListContainerElementUI::Select(select, takeFocus);
  itemButton_->SetTextColor(selected_ ? selItemTextColor_ : itemTextColor_);
  return result;
}

bool CTreeNodeUI::Add(CControlUI* control) {
  if (AsNode(control) != nullptr) return AddChildNode(control);
  return CContainerUI::Add(control);
}

bool CTreeNodeUI::AddToNodeBox(CControlUI* control) { return row_->Add(control); }

bool CTreeNodeUI::IsPlaced() const { return parentNode_ != nullptr || GetTreeIndex() >= 0; }

bool CTreeNodeUI::CanAdopt(CTreeNodeUI* node) const {
  if (node == nullptr || node->IsPlaced()) return false;
  for (const CTreeNodeUI* ancestor = this; ancestor != nullptr; ancestor = ancestor->parentNode_) {
    if (ancestor == node) return false;
  }
  return true;
}

void CTreeNodeUI::PlaceChildNode(CTreeNodeUI* child) {
  child->parentNode_ = this;
  child->itemButton_->SetGroup(itemButton_->GetGroup().GetData());
  child->treeView_ = treeView_;
  // A subtree built apart gets the indents of its new depth.
  std::vector<CTreeNodeUI*> subtree;
  child->CollectSubtree(subtree);
  for (CTreeNodeUI* node : subtree) {
    const CTreeNodeUI* parent = node->parentNode_;
    node->dottedLine_->SetVisible(true);
    node->dottedLine_->SetFixedWidth(parent->dottedLine_->GetFixedWidth() + kIndentStep);
  }
}

bool CTreeNodeUI::AddChildNode(CControlUI* control) {
  CTreeNodeUI* node = AsNode(control);
  if (node == nullptr || !NameIs(control->GetClass(), L"TreeNode") || !CanAdopt(node)) return false;
  // The new subtree goes after the last row of this one.
  const int at = treeView_ != nullptr ? GetLastDescendant()->GetTreeIndex() : -1;
  PlaceChildNode(node);
  if (treeView_ != nullptr && (at < 0 || treeView_->InsertSubtree(node, at + 1) < 0)) {
    node->parentNode_ = nullptr;
    return false;
  }
  childNodes_.Add(node);
  return true;
}

bool CTreeNodeUI::AddAt(CControlUI* control, int index) {
  CTreeNodeUI* node = AsNode(control);
  if (!CanAdopt(node)) return false;
  CTreeNodeUI* reference = GetChildNode(index);
  const int append = treeView_ != nullptr ? GetLastDescendant()->GetTreeIndex() + 1 : 0;
  if (reference != nullptr) {
    childNodes_.InsertAt(index, node);
  } else {
    childNodes_.Add(node);
  }
  PlaceChildNode(node);
  if (treeView_ == nullptr) return true;
  const bool inserted = reference != nullptr ? treeView_->InsertSubtreeBefore(node, reference)
                                             : append > 0 && treeView_->InsertSubtree(node, append) >= 0;
  if (!inserted) {
    RemoveChildNode(node);
    node->parentNode_ = nullptr;
  }
  return inserted;
}

bool CTreeNodeUI::RemoveChildNode(CTreeNodeUI* node) {
  const int index = childNodes_.Find(node);
  if (index < 0) return false;
  childNodes_.Remove(index);
  if (node->parentNode_ == this) node->parentNode_ = nullptr;
  return true;
}

void CTreeNodeUI::CollectSubtree(std::vector<CTreeNodeUI*>& nodes) {
  // Pre-order without recursion: a deep tree must not run the stack out.
  std::vector<CTreeNodeUI*> pending = {this};
  while (!pending.empty()) {
    CTreeNodeUI* node = pending.back();
    pending.pop_back();
    nodes.push_back(node);
    for (int i = node->GetChildCount() - 1; i >= 0; --i) {
      if (CTreeNodeUI* child = node->GetChildNode(i)) pending.push_back(child);
    }
  }
}

CTreeNodeUI* CTreeNodeUI::GetLastDescendant() {
  CTreeNodeUI* node = this;
  for (;;) {
    CTreeNodeUI* last = nullptr;
    for (int i = node->GetChildCount() - 1; i >= 0 && last == nullptr; --i) last = node->GetChildNode(i);
    if (last == nullptr) return node;
    node = last;
  }
}

int CTreeNodeUI::GetTreeIndex() const {
  // The list keeps every item's index equal to its place: no search through the items.
  if (treeView_ == nullptr || treeView_->GetItemAt(index_) != this) return -1;
  return index_;
}

// --- CTreeViewUI -------------------------------------------------------------------------------

CTreeViewUI::CTreeViewUI() { header_->SetVisible(false); }

CTreeViewUI::~CTreeViewUI() = default;

const wchar_t* CTreeViewUI::GetClass() const { return L"TreeView"; }

void* CTreeViewUI::GetInterface(const wchar_t* name) {
  if (NameIs(name, L"TreeView")) return this;
  if (NameIs(name, L"ITreeParent")) return static_cast<ITreeParentUI*>(this);
  return CListUI::GetInterface(name);
}

void CTreeViewUI::Notify(TNotifyMsgUI& /*msg*/) {}

template <class Visit>
void CTreeViewUI::ForEachNode(Visit visit) {
  for (int i = 0; i < GetCount(); ++i) {
    CControlUI* item = GetItemAt(i);
    if (auto* node = static_cast<CTreeNodeUI*>(item->GetInterface(L"TreeNode"))) visit(node);
  }
}

void CTreeViewUI::PrepareNode(CTreeNodeUI* node) {
  node->OnNotify += TreeDelegate(this, &CTreeViewUI::OnItemDbClick);
  node->GetFolderButton()->OnNotify += TreeDelegate(this, &CTreeViewUI::OnFolderChanged);
  node->GetCheckBox()->OnNotify += TreeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
  node->GetFolderButton()->SetVisible(visibleFolderBtn_);
  node->GetCheckBox()->SetVisible(visibleCheckBtn_);
  if (itemMinWidth_ > 0) node->SetMinWidth(static_cast<int>(itemMinWidth_));
  node->SetTreeView(this);
}

void CTreeViewUI::ReleaseNode(CTreeNodeUI* node) {
  node->OnNotify -= TreeDelegate(this, &CTreeViewUI::OnItemDbClick);
  node->GetFolderButton()->OnNotify -= TreeDelegate(this, &CTreeViewUI::OnFolderChanged);
  node->GetCheckBox()->OnNotify -= TreeDelegate(this, &CTreeViewUI::OnCheckBoxChanged);
  node->SetTreeView(nullptr);
}

bool CTreeViewUI::Add(CControlUI* control) {
  auto* node = control != nullptr ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"))
                                  : nullptr;
  if (node == nullptr || node->IsPlaced()) return false;
  return InsertSubtree(node, GetCount()) >= 0;
}

bool CTreeViewUI::AddAt(CControlUI* control, int index) {
  auto* node = control != nullptr ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"))
                                  : nullptr;
  if (node == nullptr || GetItemAt(index) == nullptr || node->IsPlaced()) return false;
  return InsertSubtree(node, index) >= 0;
}

int CTreeViewUI::InsertSubtree(CTreeNodeUI* node, int index) {
  if (node == nullptr || index < 0 || index > GetCount()) return -1;
  std::vector<CTreeNodeUI*> subtree;
  node->CollectSubtree(subtree);
  for (CTreeNodeUI* each : subtree) {
    PrepareNode(each);
    const bool added = index == GetCount() ? CListUI::Add(each) : CListUI::AddAt(each, index);
    if (!added) {
      ReleaseNode(each);
      return -1;
    }
    ++index;
  }
  return index;
}

bool CTreeViewUI::InsertSubtreeBefore(CTreeNodeUI* node, CTreeNodeUI* reference) {
  const int index = reference != nullptr ? reference->GetTreeIndex() : -1;
  if (index < 0) return false;
  return InsertSubtree(node, index) >= 0;
}

bool CTreeViewUI::Remove(CControlUI* control, bool doNotDestroy) {
  auto* node = control != nullptr ? static_cast<CTreeNodeUI*>(control->GetInterface(L"TreeNode"))
                                  : nullptr;
  if (node == nullptr) return CListUI::Remove(control, doNotDestroy);
  if (node->GetTreeIndex() < 0) return false;
  if (node->GetParentNode() != nullptr) node->GetParentNode()->RemoveChildNode(node);
  std::vector<CTreeNodeUI*> subtree;
  node->CollectSubtree(subtree);
  // The last row first: the rows that move up into a freed place are never the subtree's own.
  bool removed = true;
  for (auto it = subtree.rbegin(); it != subtree.rend(); ++it) {
    CTreeNodeUI* each = *it;
    if (doNotDestroy) ReleaseNode(each);
    removed = CListUI::Remove(each, doNotDestroy) && removed;
  }
  return removed;
}

bool CTreeViewUI::RemoveAt(int index, bool doNotDestroy) {
  CControlUI* item = GetItemAt(index);
  if (item == nullptr) return false;
  if (item->GetInterface(L"TreeNode") != nullptr) return Remove(item, doNotDestroy);
  return CListUI::RemoveAt(index, doNotDestroy);
}

void CTreeViewUI::RemoveAll() { CListUI::RemoveAll(); }

bool CTreeViewUI::AddChildNode(CControlUI* node) { return Add(node); }

bool CTreeViewUI::AddToNodeBox(CControlUI* /*control*/) { return false; }

// --- notifications -----------------------------------------------------------------------------

bool CTreeViewUI::OnCheckBoxChanged(void* param) {
  auto* msg = static_cast<TNotifyMsgUI*>(param);
  if (msg == nullptr || msg->type != L"selectchanged") return true;
  CTreeNodeUI* node = NodeOfRowPart(msg->sender);
  if (node != nullptr) CheckSubtree(IsSelected(msg->sender), node);
  return true;
}

bool CTreeViewUI::OnFolderChanged(void* param) {
  auto* msg = static_cast<TNotifyMsgUI*>(param);
  if (msg == nullptr || msg->type != L"selectchanged") return true;
  CTreeNodeUI* node = NodeOfRowPart(msg->sender);
  if (node == nullptr) return true;
  node->SetTreeVisible(!node->GetFolderButton()->IsSelected());
  ShowSubtree(node->IsTreeVisible(), node);
  return true;
}

bool CTreeViewUI::OnItemDbClick(void* param) {
  auto* msg = static_cast<TNotifyMsgUI*>(param);
  if (msg == nullptr || msg->type != L"itemdbclick") return false;
  auto* node = msg->sender != nullptr
                   ? static_cast<CTreeNodeUI*>(msg->sender->GetInterface(L"TreeNode"))
                   : nullptr;
  if (node == nullptr) return true;
  CCheckBoxUI* folder = node->GetFolderButton();
  folder->Selected(!folder->IsSelected(), true);
  node->SetTreeVisible(!folder->IsSelected());
  ShowSubtree(node->IsTreeVisible(), node);
  return true;
}

bool CTreeViewUI::CheckSubtree(bool checked, CTreeNodeUI* node) {
  if (node == nullptr) {
    ForEachNode([checked](CTreeNodeUI* each) { each->SetChecked(checked, true); });
    return true;
  }
  for (int i = 0; i < node->GetChildCount(); ++i) {
    CTreeNodeUI* child = node->GetChildNode(i);
    if (child == nullptr) continue;
    child->SetChecked(checked, true);
    if (child->GetChildCount() > 0) CheckSubtree(checked, child);
  }
  return true;
}

void CTreeViewUI::ShowSubtree(bool expanded, CTreeNodeUI* node) {
  if (node == nullptr) {
    ForEachNode([expanded](CTreeNodeUI* each) { each->SetVisible(expanded); });
    return;
  }
  for (int i = 0; i < node->GetChildCount(); ++i) {
    CTreeNodeUI* child = node->GetChildNode(i);
    if (child == nullptr) continue;
    child->SetVisible(expanded);
    if (child->GetChildCount() > 0 && !child->GetFolderButton()->IsSelected()) {
      ShowSubtree(expanded, child);
    }
  }
}

// --- settings for every node -------------------------------------------------------------------

void CTreeViewUI::SetVisibleFolderBtn(bool visible) {
  visibleFolderBtn_ = visible;
  ForEachNode([visible](CTreeNodeUI* node) { node->GetFolderButton()->SetVisible(visible); });
}

void CTreeViewUI::SetVisibleCheckBtn(bool visible) {
  visibleCheckBtn_ = visible;
  ForEachNode([visible](CTreeNodeUI* node) { node->GetCheckBox()->SetVisible(visible); });
}

void CTreeViewUI::SetItemMinWidth(UINT width) {
  itemMinWidth_ = width;
  ForEachNode([width](CTreeNodeUI* node) { node->SetMinWidth(static_cast<int>(width)); });
  Invalidate();
}

void CTreeViewUI::SetItemTextColor(DWORD argb) {
  ForEachNode([argb](CTreeNodeUI* node) { node->SetItemTextColor(argb); });
}

void CTreeViewUI::SetItemHotTextColor(DWORD argb) {
  ForEachNode([argb](CTreeNodeUI* node) { node->SetItemHotTextColor(argb); });
}

void CTreeViewUI::SetSelItemTextColor(DWORD argb) {
  ForEachNode([argb](CTreeNodeUI* node) { node->SetSelItemTextColor(argb); });
}

void CTreeViewUI::SetSelItemHotTextColor(DWORD argb) {
  ForEachNode([argb](CTreeNodeUI* node) { node->SetSelItemHotTextColor(argb); });
}

void CTreeViewUI::SetAttribute(const wchar_t* name, const wchar_t* value) {
  if (name == nullptr) return;
  if (value == nullptr) value = L"";
  if (NameIs(name, L"visiblefolderbtn")) {
    SetVisibleFolderBtn(ParseAttributeBool(value));
  } else if (NameIs(name, L"visiblecheckbtn")) {
    SetVisibleCheckBtn(ParseAttributeBool(value));
  } else if (NameIs(name, L"itemminwidth")) {
    SetItemMinWidth(static_cast<UINT>(std::max(ParseAttributeInt(value), 0)));
  } else if (!SetItemColorAttribute(*this, name, value)) {
    CListUI::SetAttribute(name, value);
  }
}

}  // namespace SkinUI
