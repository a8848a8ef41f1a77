#pragma once
// What the list, the combo box and the tree view share: the three list interfaces, the text
// callback, the appearance record that every item of one list reads when it measures and paints,
// the "item..." skin attributes that fill that record, the bookkeeping that keeps item indexes
// and the selection right while items come and go, and the painting of an item body.
#include <windows.h>

#include <initializer_list>

#include "ui_controls/installer/ui_text_attributes.h"
#include "ui_core/drawing/ui_image.h"
#include "ui_core/manager/ui_container.h"
#include "ui_core/manager/ui_control.h"

namespace SkinUI {

class CListHeaderUI;
class CListBodyUI;

// Column rectangles beyond this many header items are not kept.
constexpr int kListMaxColumns = 64;

// The appearance of the items of one list or combo box.
struct TListInfoUI {
  int columns = 0;  // valid entries of columnRects: min(header item count, kListMaxColumns)
  RECT columnRects[kListMaxColumns] = {};
  int itemHeight = 0;
  int font = -1;
  UINT textStyle = DT_VCENTER | DT_SINGLELINE;
  RECT textPadding = {0, 0, 0, 0};
  DWORD textColor = 0xFF000000;
  DWORD bkColor = 0;
  TImageDescUI bkImage;
  bool alternateBk = false;  // odd draw indexes get neither background colour nor image
  DWORD selectedTextColor = 0xFF000000;
  DWORD selectedBkColor = 0xFFC1E3FF;
  TImageDescUI selectedImage;
  DWORD hotTextColor = 0xFF000000;
  DWORD hotBkColor = 0xFFE9F5FF;
  TImageDescUI hotImage;
  DWORD disabledTextColor = 0xFFCCCCCC;
  DWORD disabledBkColor = 0xFFFFFFFF;
  TImageDescUI disabledImage;
  int hLineSize = 0;  // line under each item, also added to the gap between items
  DWORD hLineColor = 0xFF3C3C3C;
  int vLineSize = 0;  // column lines of horizontal-box elements
  DWORD vLineColor = 0xFF3C3C3C;
  bool showHtml = false;
  bool multiExpanding = false;
};

// The owner of list items: a list or a combo box.
class IListOwnerUI {
public:
  virtual TListInfoUI* GetListInfo() = 0;
  virtual int GetCurSel() const = 0;
  virtual bool SelectItem(int index, bool takeFocus = false, bool triggerEvent = true) = 0;
  virtual void DoEvent(TInputEventUI& event) = 0;
  virtual bool ExpandItem(int index, bool expand = true) = 0;
  virtual int GetExpandedItem() const = 0;

protected:
  ~IListOwnerUI() = default;
};

// Supplies the texts of text elements, column by column, in place of their own texts.
class IListCallbackUI {
public:
  // Null: the element's own column text is used.
  virtual const wchar_t* GetItemText(CControlUI* control, int index, int subItem) = 0;

protected:
  ~IListCallbackUI() = default;
};

class IListUI : public IListOwnerUI {
public:
  virtual CListHeaderUI* GetHeader() const = 0;
  virtual CListBodyUI* GetList() const = 0;
  virtual IListCallbackUI* GetTextCallback() const = 0;
  virtual void SetTextCallback(IListCallbackUI* callback) = 0;

protected:
  ~IListUI() = default;
};

class IListItemUI {
public:
  virtual int GetIndex() const = 0;
  virtual void SetIndex(int index) = 0;
  virtual int GetDrawIndex() const = 0;
  virtual void SetDrawIndex(int index) = 0;
  virtual IListOwnerUI* GetOwner() = 0;
  virtual void SetOwner(CControlUI* owner) = 0;
  virtual bool IsSelected() const = 0;
  virtual bool Select(bool select = true, bool takeFocus = true) = 0;
  virtual bool IsExpanded() const = 0;
  virtual bool Expand(bool expand = true) = 0;
  virtual void DrawItemText(HDC hDC, const RECT& rc) = 0;

protected:
  ~IListItemUI() = default;
};

// The control's list item part, or null.
IListItemUI* AsListItem(CControlUI* control);

// --- the "item..." attributes --------------------------------------------------------------------

enum class ListInfoChange {
  kUnknown,      // not one of the shared item attributes
  kStored,       // stored; nothing to show yet
  kAppearance,   // a colour, a line or the alternate flag
  kImage,        // a state image (cleared and given a new description)
  kLayout,       // the text padding
  kHtmlChanged,  // "itemshowhtml" took a new value
  kTextStyle,    // the alignment, ellipsis or line bits of the item text style
};

// Applies one of the item attributes of a list or a combo box: the item text attributes that
// `text` names ("itemalign", "itemfont", "itemtextcolor", "itemtextpadding", "itemshowhtml",
// and for a list "itemvalign", "itemendellipsis", "itemmultiline"), "itemheight", the other
// item colours and images, "itemaltbk", the line sizes and colours. The caller repaints or lays
// out as the result says.
ListInfoChange SetListInfoAttribute(TListInfoUI& info, const wchar_t* name, const wchar_t* value,
                                    const TTextAttributeNamesUI& text);

// --- state images of the box-like controls (header columns, combo boxes) -----------------------

struct TNamedImageUI {
  const wchar_t* name;  // the attribute
  TImageDescUI* image;
};
// Sets the image named by the attribute (unchanged when the description and its loaded image
// are the same; otherwise cleared, given the text, repainted); false for any other attribute.
bool SetNamedImageAttribute(CControlUI& control, const wchar_t* name, const wchar_t* value,
                            std::initializer_list<TNamedImageUI> images);

// The state images every box-like control reads alike.
struct TBoxImagesUI {
  TImageDescUI* normal;   // "normalimage"
  TImageDescUI* hot;      // "hotimage"
  TImageDescUI* pushed;   // "pushedimage"
  TImageDescUI* focused;  // "focusedimage"
};
// SetNamedImageAttribute for those four and the one image of the control's own.
bool SetBoxImageAttribute(CControlUI& control, const wchar_t* name, const wchar_t* value,
                          const TBoxImagesUI& images, TNamedImageUI own);

struct TStateImageUI {
  bool holds;  // the state is on
  TImageDescUI* image;
};
// Draws the image of the first state that holds; when none holds or its image draws nothing,
// the normal image.
void DrawStateImage(CControlUI& control, HDC hDC, std::initializer_list<TStateImageUI> states,
                    TImageDescUI& normal);

// --- item bookkeeping ----------------------------------------------------------------------------
// The items live in `items` (a list's body, a combo box itself); these calls go to the plain
// container operations of `items`, never to an override, and keep every item's index equal to
// its place and the selection on the item it was on.

// Sets the owner and the index (the count before adding) of a list item, then appends it.
bool AddListItem(CContainerUI& items, CControlUI* owner, CControlUI* control);
// Inserts; the item gets owner and index, later items their new places; a selection at or after
// the place moves up by one.
bool InsertListItem(CContainerUI& items, CControlUI* owner, int& selection, CControlUI* control,
                    int index);
// Removes the item at index. When it was the selection, the selection moves to the nearest
// selectable item at or before it (else after it) through owner.SelectItem with an "itemselect".
bool RemoveListItemAt(CContainerUI& items, IListOwnerUI& owner, int& selection, int index,
                      bool doNotDestroy);
void RemoveAllListItems(CContainerUI& items, int& selection);
bool MoveListItem(CContainerUI& items, int& selection, CControlUI* control, int newIndex);
bool MoveListItemRange(CContainerUI& items, int& selection, CControlUI* start, int count,
                       int newIndex);

// --- painting ------------------------------------------------------------------------------------

// The body of a list or a drop-down: the container's painting, every visible list item told its
// place among the painted items, and the line of info's horizontal line size under each item.
bool PaintListBody(CContainerUI& body, const TListInfoUI* info, HDC hDC, const RECT& paint,
                   CControlUI* stop);

}  // namespace SkinUI
