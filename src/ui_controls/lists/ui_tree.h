#pragma once
// A tree drawn as a flat list: the tree view ("TreeView", "Tree") is a list whose items are tree
// nodes ("TreeNode"). Every node, at any depth, is an item of the view's list, placed right after
// its parent and its parent's earlier descendants; depth shows only as the width of an indent in
// front of the row. A node's folder button collapses and expands its descendants' rows; its check
// box checks or unchecks its whole subtree.
#include <windows.h>

#include <vector>

#include "ui_controls/installer/ui_label.h"
#include "ui_controls/installer/ui_option.h"
#include "ui_controls/lists/ui_list.h"
#include "ui_controls/lists/ui_list_elements.h"
#include "ui_core/layout/ui_layouts.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/values/ui_arrays.h"

namespace SkinUI {

class CTreeViewUI;

class CTreeNodeUI : public CListContainerElementUI, public ITreeParentUI {
public:
  CTreeNodeUI();
  ~CTreeNodeUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void DoEvent(TInputEventUI& event) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  // A "TreeNode" becomes a child node; any other control goes into the node's container.
  bool Add(CControlUI* control) override;
  // Inserts a child node at a place among the child nodes (past the end: appended).
  bool AddAt(CControlUI* control, int index) override;
  bool Select(bool select = true, bool takeFocus = true) override;

  // ITreeParentUI
  bool AddChildNode(CControlUI* node) override;
  bool AddToNodeBox(CControlUI* control) override;

  CTreeNodeUI* GetParentNode() const { return parentNode_; }
  int GetChildCount() const { return childNodes_.GetSize(); }
  CTreeNodeUI* GetChildNode(int index) const {
    return static_cast<CTreeNodeUI*>(childNodes_.GetAt(index));
  }
  // The node leaves the child list and has no parent node any more (nothing else happens to it).
  bool RemoveChildNode(CTreeNodeUI* node);
  // The node and all its descendants in the order the view shows them.
  void CollectSubtree(std::vector<CTreeNodeUI*>& nodes);
  // The last row of the subtree: the deepest last descendant, or the node itself.
  CTreeNodeUI* GetLastDescendant();
  // The node's place among the view's items; -1 without a view or when absent.
  int GetTreeIndex() const;
  // Whether the node has its place in a tree already: under a parent node or as an item of a
  // view. Such a node is not placed a second time (its rows would be in the view twice and be
  // deleted twice); it is removed from the view first, and then it may go anywhere.
  bool IsPlaced() const;
  CTreeViewUI* GetTreeView() const { return treeView_; }
  void SetTreeView(CTreeViewUI* view) { treeView_ = view; }
  // False while the node is collapsed by its folder button.
  bool IsTreeVisible() const { return treeVisible_; }
  void SetTreeVisible(bool visible) { treeVisible_ = visible; }

  CHorizontalLayoutUI* GetRow() const { return row_; }
  CCheckBoxUI* GetFolderButton() const { return folderButton_; }
  CLabelUI* GetDottedLine() const { return dottedLine_; }
  CCheckBoxUI* GetCheckBox() const { return checkBox_; }
  COptionUI* GetItemButton() const { return itemButton_; }
  bool IsChecked() const { return checkBox_->IsSelected(); }
  void SetChecked(bool checked, bool notify = true) { checkBox_->Selected(checked, notify); }

  void SetItemTextColor(DWORD argb);
  DWORD GetItemTextColor() const { return itemTextColor_; }
  void SetItemHotTextColor(DWORD argb);
  DWORD GetItemHotTextColor() const { return itemHotTextColor_; }
  void SetSelItemTextColor(DWORD argb);
  DWORD GetSelItemTextColor() const { return selItemTextColor_; }
  void SetSelItemHotTextColor(DWORD argb);
  DWORD GetSelItemHotTextColor() const { return selItemHotTextColor_; }

private:
  // Makes the node a child of this one: its indent, parent, option group and view (its own
  // descendants are indented along with it).
  void PlaceChildNode(CTreeNodeUI* child);
  // Whether the node may become a child of this one (not placed yet, not this node or an
  // ancestor of it).
  bool CanAdopt(CTreeNodeUI* node) const;
  static CTreeNodeUI* AsNode(CControlUI* control);

  bool treeVisible_ = true;
  DWORD itemTextColor_ = 0;
  DWORD itemHotTextColor_ = 0;
  DWORD selItemTextColor_ = 0;
  DWORD selItemHotTextColor_ = 0;
  CTreeViewUI* treeView_ = nullptr;
  CHorizontalLayoutUI* row_ = nullptr;  // the node's only child: the parts below in this order
  CCheckBoxUI* folderButton_ = nullptr;  // selected = collapsed
  CLabelUI* dottedLine_ = nullptr;       // the indent
  CCheckBoxUI* checkBox_ = nullptr;
  COptionUI* itemButton_ = nullptr;      // the node's text
  CTreeNodeUI* parentNode_ = nullptr;
  CPtrArrayUI childNodes_;               // CTreeNodeUI*, not owned (they are items of the view)
};

class CTreeViewUI : public CListUI, public INotifyUI, public ITreeParentUI {
public:
  CTreeViewUI();
  ~CTreeViewUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;

  // Only tree nodes; a node comes with its whole subtree.
  bool Add(CControlUI* control) override;
  // Inserts a node and its subtree before the item at index (there must be one).
  bool AddAt(CControlUI* control, int index) override;
  // A node goes with its whole subtree and leaves its parent node.
  bool Remove(CControlUI* control, bool doNotDestroy = false) override;
  bool RemoveAt(int index, bool doNotDestroy = false) override;
  void RemoveAll() override;

  void Notify(TNotifyMsgUI& msg) override;

  // ITreeParentUI
  bool AddChildNode(CControlUI* node) override;
  bool AddToNodeBox(CControlUI* control) override;

  // The notification handlers bound to every node; param is the TNotifyMsgUI.
  virtual bool OnCheckBoxChanged(void* param);
  virtual bool OnFolderChanged(void* param);
  virtual bool OnItemDbClick(void* param);
  // Checks or unchecks every descendant of the node (without a node: every item).
  virtual bool CheckSubtree(bool checked, CTreeNodeUI* node);
  // Shows or hides the descendants' rows (without a node: every item); collapsed subtrees stay
  // hidden.
  virtual void ShowSubtree(bool expanded, CTreeNodeUI* node);
  virtual void SetVisibleFolderBtn(bool visible);
  virtual bool GetVisibleFolderBtn() const { return visibleFolderBtn_; }
  virtual void SetVisibleCheckBtn(bool visible);
  virtual bool GetVisibleCheckBtn() const { return visibleCheckBtn_; }
  virtual void SetItemMinWidth(UINT width);
  virtual UINT GetItemMinWidth() const { return itemMinWidth_; }
  virtual void SetItemTextColor(DWORD argb);
  virtual void SetItemHotTextColor(DWORD argb);
  virtual void SetSelItemTextColor(DWORD argb);
  virtual void SetSelItemHotTextColor(DWORD argb);

  // Inserts the node and its whole subtree, in order, from index on (index may be the item
  // count: appended). The index after the subtree, or -1.
  int InsertSubtree(CTreeNodeUI* node, int index);
  // Inserts the node and its subtree before the reference node's row.
  bool InsertSubtreeBefore(CTreeNodeUI* node, CTreeNodeUI* reference);

private:
  // Binds the node's notifications to the view and gives it the view's settings.
  void PrepareNode(CTreeNodeUI* node);
  void ReleaseNode(CTreeNodeUI* node);
  // The view's items that are tree nodes.
  template <class Visit>
  void ForEachNode(Visit visit);

  UINT itemMinWidth_ = 0;
  bool visibleFolderBtn_ = true;
  bool visibleCheckBtn_ = false;
};

}  // namespace SkinUI
