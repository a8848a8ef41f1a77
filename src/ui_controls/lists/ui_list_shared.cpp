#include "ui_controls/lists/ui_list_shared.h"

#include <algorithm>
#include <vector>

#include "ui_controls/installer/ui_control_images.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"

namespace SkinUI {
namespace {

// Line widths beyond this come only from broken skins; they would swamp every item.
constexpr int kMaxLineSize = 1000;

int LineSize(const wchar_t* value) {
  return std::min(std::max(ParseAttributeInt(value), 0), kMaxLineSize);
}

struct ColorField {
  const wchar_t* name;
  DWORD TListInfoUI::*field;
};

const ColorField kColorFields[] = {
    {L"itembkcolor", &TListInfoUI::bkColor},
    {L"itemselectedtextcolor", &TListInfoUI::selectedTextColor},
    {L"itemselectedbkcolor", &TListInfoUI::selectedBkColor},
    {L"itemhottextcolor", &TListInfoUI::hotTextColor},
    {L"itemhotbkcolor", &TListInfoUI::hotBkColor},
    {L"itemdisabledtextcolor", &TListInfoUI::disabledTextColor},
    {L"itemdisabledbkcolor", &TListInfoUI::disabledBkColor},
    {L"itemvlinecolor", &TListInfoUI::vLineColor},
    {L"itemhlinecolor", &TListInfoUI::hLineColor},
};

struct ImageField {
  const wchar_t* name;
  TImageDescUI TListInfoUI::*field;
};

const ImageField kImageFields[] = {
    {L"itembkimage", &TListInfoUI::bkImage},
    {L"itemselectedimage", &TListInfoUI::selectedImage},
    {L"itemhotimage", &TListInfoUI::hotImage},
    {L"itemdisabledimage", &TListInfoUI::disabledImage},
};

void Renumber(CContainerUI& items, int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, items.GetCount() - 1);
  for (int i = from; i <= to; ++i) {
    if (IListItemUI* item = AsListItem(items.GetItemAt(i))) item->SetIndex(i);
  }
}

// The selection follows the item that was selected before a move.
void FollowSelection(int& selection, CControlUI* selected) {
  if (selected == nullptr) return;
  if (IListItemUI* item = AsListItem(selected)) selection = item->GetIndex();
}

bool Meets(const RECT& a, const RECT& b) {
  RECT unused;
  return ::IntersectRect(&unused, &a, &b) != FALSE;
}

}  // namespace

IListItemUI* AsListItem(CControlUI* control) {
  if (control == nullptr) return nullptr;
  return static_cast<IListItemUI*>(control->GetInterface(L"IListItem"));
}

ListInfoChange SetListInfoAttribute(TListInfoUI& info, const wchar_t* name, const wchar_t* value,
                                    const TTextAttributeNamesUI& text) {
  if (name == nullptr) return ListInfoChange::kUnknown;
  if (value == nullptr) value = L"";
  const TTextAttributeUI read = ReadTextAttribute(name, value, info.textStyle, text);
  if (read.which != TextAttribute::kNone) {
    if (!StoreTextAttribute(read, {info.textStyle, info.font, info.textColor, info.textPadding,
                                   info.showHtml})) {
      return ListInfoChange::kStored;
    }
    if (read.IsStyle()) return ListInfoChange::kTextStyle;
    if (read.which == TextAttribute::kTextColor) return ListInfoChange::kAppearance;
    if (read.which == TextAttribute::kTextPadding) return ListInfoChange::kLayout;
    if (read.which == TextAttribute::kShowHtml) return ListInfoChange::kHtmlChanged;
    return ListInfoChange::kStored;  // the font: the items measure with it at the next layout
  }
  for (const ColorField& entry : kColorFields) {
    if (!NameIs(name, entry.name)) continue;
    info.*entry.field = ParseAttributeColor(value);
    return ListInfoChange::kAppearance;
  }
  for (const ImageField& entry : kImageFields) {
    if (!NameIs(name, entry.name)) continue;
    TImageDescUI& image = info.*entry.field;
    if (image.IsLoaded(value)) return ListInfoChange::kStored;
    image.SetDescription(value);
    return ListInfoChange::kImage;
  }
  if (NameIs(name, L"itemheight")) {
    info.itemHeight = std::max(ParseAttributeInt(value), 0);
  } else if (NameIs(name, L"itemaltbk")) {
    info.alternateBk = ParseAttributeBool(value);
    return ListInfoChange::kAppearance;
  } else if (NameIs(name, L"itemvlinesize")) {
    info.vLineSize = LineSize(value);
    return ListInfoChange::kAppearance;
  } else if (NameIs(name, L"itemhlinesize")) {
    info.hLineSize = LineSize(value);
    return ListInfoChange::kAppearance;
  } else {
    return ListInfoChange::kUnknown;
  }
  return ListInfoChange::kStored;
}

// --- state images ------------------------------------------------------------------------------

bool SetNamedImageAttribute(CControlUI& control, const wchar_t* name, const wchar_t* value,
                            std::initializer_list<TNamedImageUI> images) {
  if (name == nullptr) return false;
  for (const TNamedImageUI& entry : images) {
    if (!NameIs(name, entry.name)) continue;
    SetControlImage(control, *entry.image, value != nullptr ? value : L"");
    return true;
  }
  return false;
}

bool SetBoxImageAttribute(CControlUI& control, const wchar_t* name, const wchar_t* value,
                          const TBoxImagesUI& images, TNamedImageUI own) {
  return SetNamedImageAttribute(control, name, value,
                                {{L"normalimage", images.normal},
                                 {L"hotimage", images.hot},
                                 {L"pushedimage", images.pushed},
                                 {L"focusedimage", images.focused},
                                 own});
}

void DrawStateImage(CControlUI& control, HDC hDC, std::initializer_list<TStateImageUI> states,
                    TImageDescUI& normal) {
  for (const TStateImageUI& state : states) {
    if (!state.holds) continue;
    if (control.DrawImage(hDC, *state.image)) return;
    break;
  }
  control.DrawImage(hDC, normal);
}

// --- item bookkeeping ----------------------------------------------------------------------------

bool AddListItem(CContainerUI& items, CControlUI* owner, CControlUI* control) {
  if (IListItemUI* item = AsListItem(control)) {
    item->SetOwner(owner);
    item->SetIndex(items.GetCount());
  }
  return items.CContainerUI::Add(control);
}

bool InsertListItem(CContainerUI& items, CControlUI* owner, int& selection, CControlUI* control,
                    int index) {
  if (!items.CContainerUI::AddAt(control, index)) return false;
  if (IListItemUI* item = AsListItem(control)) {
    item->SetOwner(owner);
    item->SetIndex(index);
  }
  Renumber(items, index + 1, items.GetCount() - 1);
  if (selection >= index) ++selection;
  return true;
}

bool RemoveListItemAt(CContainerUI& items, IListOwnerUI& owner, int& selection, int index,
                      bool doNotDestroy) {
  CControlUI* control = items.GetItemAt(index);
  if (control == nullptr) return false;
  if (!items.CContainerUI::Remove(control, doNotDestroy)) return false;
  Renumber(items, index, items.GetCount() - 1);
  if (index == selection) {
    selection = -1;
    const int next = items.FindSelectable(index, false);
    if (next >= 0) owner.SelectItem(next, false, true);
  } else if (index < selection) {
    --selection;
  }
  return true;
}

void RemoveAllListItems(CContainerUI& items, int& selection) {
  selection = -1;
  items.CContainerUI::RemoveAll();
}

bool MoveListItem(CContainerUI& items, int& selection, CControlUI* control, int newIndex) {
  const int oldIndex = items.CContainerUI::GetItemIndex(control);
  if (oldIndex < 0) return false;
  if (oldIndex == newIndex) return true;
  CControlUI* selected = selection >= 0 ? items.GetItemAt(selection) : nullptr;
  if (!items.CContainerUI::SetItemIndex(control, newIndex)) return false;
  Renumber(items, std::min(oldIndex, newIndex), std::max(oldIndex, newIndex));
  FollowSelection(selection, selected);
  return true;
}

bool MoveListItemRange(CContainerUI& items, int& selection, CControlUI* start, int count,
                       int newIndex) {
  if (start == nullptr || count < 0 || newIndex < 0) return false;
  const int oldIndex = items.CContainerUI::GetItemIndex(start);
  if (oldIndex < 0) return false;
  if (oldIndex == newIndex) return true;
  CControlUI* selected = selection >= 0 ? items.GetItemAt(selection) : nullptr;
  if (!items.CContainerUI::SetItemRangeIndex(start, count, newIndex)) return false;
  const long long last = static_cast<long long>(std::max(oldIndex, newIndex)) + count - 1;
  Renumber(items, std::min(oldIndex, newIndex), static_cast<int>(std::min<long long>(last, items.GetCount() - 1)));
  FollowSelection(selection, selected);
  return true;
}

// --- painting ------------------------------------------------------------------------------------

bool PaintListBody(CContainerUI& body, const TListInfoUI* info, HDC hDC, const RECT& paint,
                   CControlUI* stop) {
  const int count = body.GetCount();
  int drawIndex = 0;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = body.GetItemAt(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    if (IListItemUI* item = AsListItem(child)) item->SetDrawIndex(drawIndex++);
  }
  if (!body.CContainerUI::DoPaint(hDC, paint, stop)) return false;
  if (info == nullptr || info->hLineSize <= 0) return true;

  RECT area;
  const RECT client = body.GetClientPos();
  if (!::IntersectRect(&area, &paint, &client)) return true;
  CRenderClipUI clip;
  CRenderUI::GenerateClip(hDC, area, clip);
  const int size = info->hLineSize;
  for (int i = 0; i < count; ++i) {
    CControlUI* child = body.GetItemAt(i);
    if (!child->IsVisible() || child->IsFloat()) continue;
    const RECT& rc = child->GetPos();
    const int top = rc.bottom + std::max(0L, static_cast<long>(child->GetPadding().bottom));
    const RECT band = {rc.left, top, rc.right, top + size};
    if (!Meets(band, area)) continue;
    const int y = top + size / 2;
    CRenderUI::DrawLine(hDC, RECT{rc.left, y, rc.right, y}, size,
                        body.GetAdjustedColor(info->hLineColor));
  }
  return true;
}

}  // namespace SkinUI
