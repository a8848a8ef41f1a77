#pragma once
// A date field ("DateTime"): a label that shows its date as year-month-day and, when focused or
// clicked, lays the system date picker (CDateTimeWnd, a superclass of "SysDateTimePick32") over
// its own rectangle. Closing the picker writes the picked date back into the label; Escape keeps
// the old one, Back or Delete clear the text.
#include <windows.h>

#include "base/unique_resource.h"
#include "ui_controls/installer/ui_label.h"
#include "ui_core/window/ui_window.h"

namespace SkinUI {

class CDateTimeUI;

// The open picker of a CDateTimeUI. It lives from Init to its final message and then deletes
// itself; the field forgets it at that moment.
class CDateTimeWnd : public CWindowWnd {
public:
  CDateTimeWnd() = default;

  // Creates the window when it does not exist yet, hands it the owner's date and shows it with
  // the focus. False when no window could be made: the caller then still owns this object.
  bool Init(CDateTimeUI* owner);
  // The owner's item rect clipped by the client rect of every ancestor; empty when an ancestor
  // is hidden or clips it away.
  RECT CalPos() const;
  // The owner is going away: the window no longer reports to it.
  void DetachOwner() { owner_ = nullptr; }

protected:
  const wchar_t* GetWindowClassName() const override;
  const wchar_t* GetSuperClassName() const override;
  UINT GetClassStyle() const override;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnFinalMessage(HWND window) override;

private:
  LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
  // The key's own handling, then the field's update mode and a close when the picker is done.
  LRESULT OnKeyUp(WPARAM wParam, LPARAM lParam);

  CDateTimeUI* owner_ = nullptr;
  Utils::UniqueBrush bkBrush_;
  bool initialised_ = false;
  bool created_ = false;  // a window exists (or existed): its final message deletes the object
  bool closing_ = false;  // WM_CLOSE is on its way: a focus loss while closing closes nothing
};

class CDateTimeUI : public CLabelUI {
public:
  // What closing the picker does with the text.
  enum UpdateMode : int {
    kUpdateNone = 0,
    kUpdateTakeDate = 1,  // the picker's date becomes the text
    kUpdateClear = 2,     // the text is emptied
    kUpdateCancel = 3,    // the text stays
  };

  CDateTimeUI();
  ~CDateTimeUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  HWND GetNativeWindow() const override;
  void SetPos(RECT rc, bool needInvalidate = true) override;
  void Move(SIZE offset, bool needInvalidate = true) override;
  void DoEvent(TInputEventUI& event) override;

  const SYSTEMTIME& GetTime() const { return date_; }
  // Stores the date and shows it.
  void SetTime(const SYSTEMTIME& date);
  int GetUpdateMode() const { return updateMode_; }
  // The text for the update mode: the date as "%4d-%02d-%02d", empty, or unchanged.
  void UpdateText();

private:
  friend class CDateTimeWnd;

  void OpenPicker();
  // Places the open picker over the field, or hides it when nothing of the field can be seen.
  void PlacePicker();
  void PickerClosed(CDateTimeWnd* window);

  SYSTEMTIME date_ = {};
  int updateMode_ = kUpdateNone;
  CDateTimeWnd* picker_ = nullptr;  // owned by the window itself
};

}  // namespace SkinUI
