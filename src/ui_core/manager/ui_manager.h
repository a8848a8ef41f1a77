#pragma once
// One window manager per skinned window. It binds a native window to a control tree; holds the
// window's fonts, images, default attribute lists, option groups and window attributes; paints
// the tree (double-buffered, or through UpdateLayeredWindow for layered windows); turns mouse and
// keyboard messages into input events for the controls; runs control timers; delivers the
// controls' notifications at once or through a queue drained on the UI thread; and offers raw
// messages to message filters. Its statics hold the process-wide resource state: module
// instance, skin folder and archive, the shared resource set and the UI text table.
//
// Everything here runs on the UI thread that owns the window, except SendNotify with async
// set, which any thread may call.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <mutex>

#include "base/unique_resource.h"
#include "ui_core/archives/skin_archive.h"
#include "ui_core/drawing/ui_image.h"
#include "ui_core/manager/ui_resources.h"
#include "ui_core/values/ui_arrays.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_geometry.h"
#include "ui_core/values/ui_string.h"
#include "ui_core/values/ui_string_map.h"

namespace SkinUI {

class CControlUI;

// The manager's own posted message: drains the queued notifications and the delayed cleanup.
constexpr UINT kMsgDrainQueue = WM_APP + 1;
// The window timer of layered repaints (10 ms).
constexpr UINT_PTR kLayeredTimerId = 0x2000;
// Native child windows' notifications come back to them as the same message plus this.
constexpr UINT kReflectedMessageOffset = 0x2000;

struct TTimerEntryUI {
  CControlUI* control = nullptr;
  UINT localId = 0;      // the id the control chose
  HWND window = nullptr;
  UINT_PTR systemId = 0; // the id given to SetTimer
  bool killed = false;
};

class CWindowManagerUI {
public:
  CWindowManagerUI();
  ~CWindowManagerUI();
  CWindowManagerUI(const CWindowManagerUI&) = delete;
  CWindowManagerUI& operator=(const CWindowManagerUI&) = delete;

  // --- binding ------------------------------------------------------------------------------

  void Init(HWND window, const wchar_t* name = nullptr);
  bool AttachDialog(CControlUI* root);
  bool InitControls(CControlUI* control, CControlUI* parent = nullptr);
  // Forgets every pointer to the control (called as it is destroyed, or when a control that this
  // manager configured joins another window); a root reaped is no longer the manager's.
  void ReapObjects(CControlUI* control);
  // The window's end: forgets the root as ReapObjects does but keeps owning the tree.
  void LetGoOfRoot();
  // A subtree taken out of the window's tree but kept alive: its names leave the index and a
  // focus inside it is given up. What else the manager keeps of it (timers, queued
  // notifications) goes when it is destroyed. False when the control is gone after it (a
  // "killfocus" handler deleted it).
  bool ForgetSubtreeInTree(CControlUI* control);
  // Whether the control belongs to the attached tree (its parents lead to the root).
  bool IsInAttachedTree(const CControlUI* control) const;
  // Expires when the manager ends: a control that this manager configured and then lost (a tree
  // that the skin builder handed out) reaches the manager through it only while it exists.
  std::weak_ptr<void> GetLifetime() const { return lifetime_; }

  HWND GetPaintWindow() const { return paintWindow_; }
  HDC GetPaintDC() const { return paintDC_.get(); }
  HBITMAP GetOffscreenBitmap() const { return offscreenBitmap_.get(); }
  const CStringUI& GetName() const { return name_; }
  CControlUI* GetRoot() const { return root_; }
  CControlUI* GetFocus() const { return focus_; }
  CControlUI* GetHover() const { return hover_; }
  POINT GetMousePos() const { return mousePoint_; }
  SIZE GetClientSize() const;
  bool IsPainting() const { return painting_; }
  bool IsCaptured() const { return captured_; }

  // --- process-wide settings -----------------------------------------------------------------

  static void SetInstance(HINSTANCE instance);
  static HINSTANCE GetInstance();
  static void SetResourceInstance(HINSTANCE instance);
  static HINSTANCE GetResourceInstance();  // the resource module, else the module instance
  static CStringUI GetInstancePath();      // folder of the program file, with its last '\'
  static void SetResourcePath(const wchar_t* path);  // '\' appended when missing
  static const CStringUI& GetResourcePath();
  static void SetResourceZip(const wchar_t* fileName, bool cached = false);
  // The caller keeps the block alive while the archive is open (for the process's life).
  static void SetResourceZipMemory(const void* bytes, size_t size);
  static const CStringUI& GetResourceZip();
  static SkinArchiveHandle* GetResourceZipHandle();
  static bool IsCachedResourceZip();
  static void SetResourceArchive7z(bool is7z);
  static bool IsResourceArchive7z();
  static CPtrArrayUI* GetPlugins();
  static void SetHSL(bool useHsl, short hue, short saturation, short lightness);
  static void GetHSL(short* hue, short* saturation, short* lightness);
  static bool IsUseHSL();

  // --- fonts --------------------------------------------------------------------------------

  // A font already under the id leaves the table but stays alive until the table is emptied:
  // controls and native edits built before may still use it.
  HFONT AddFont(int id, const wchar_t* face, int size, bool bold, bool underline, bool italic,
                bool shared = false);
  // Frees the font under the id (in the table AddFont without shared uses) at once: only for a
  // font that nothing but its caller has been given (the fonts that mark-up makes for itself).
  void RemoveFont(int id);
  // The font under the id in that same table, or null: unlike GetFont it takes negative ids and
  // gives no default font. Mark-up keeps its own fonts under negative ids, which GetFont never
  // gives out, so that no control or native edit can hold a font that mark-up frees.
  HFONT FindFontById(int id);
  void SetDefaultFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                      bool shared = false);
  HFONT GetFont(int id);
  HFONT FindFont(const wchar_t* face, int size, bool bold, bool underline, bool italic);
  TFontEntryUI* GetFontInfo(int id);
  TFontEntryUI* GetFontInfoByHandle(HFONT font);
  TFontEntryUI* GetDefaultFontInfo();
  void RemoveAllFonts(bool shared = false);

  // --- images -------------------------------------------------------------------------------

  TImageEntryUI* AddImage(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                          bool useHsl = false, bool shared = false);
  TImageEntryUI* GetImageEx(const wchar_t* name, const wchar_t* type = nullptr, DWORD mask = 0,
                            bool useHsl = false);
  void RemoveAllImages(bool shared = false);

  // --- default attribute lists ------------------------------------------------------------

  void AddDefaultAttributeList(const wchar_t* className, const wchar_t* list, bool shared = false);
  const wchar_t* GetDefaultAttributeList(const wchar_t* className) const;  // null when none
  void RemoveAllDefaultAttributeList(bool shared = false);

  // --- option groups ------------------------------------------------------------------------

  bool AddOptionGroup(const wchar_t* group, CControlUI* option);
  CPtrArrayUI* GetOptionGroup(const wchar_t* group);
  void RemoveOptionGroup(const wchar_t* group, CControlUI* option);
  void RemoveAllOptionGroups();

  // --- window attributes --------------------------------------------------------------------

  void SetWindowAttribute(const wchar_t* name, const wchar_t* value);
  void AddWindowCustomAttribute(const wchar_t* name, const wchar_t* value);
  const wchar_t* GetWindowCustomAttribute(const wchar_t* name) const;  // null when absent
  void RemoveAllWindowCustomAttribute();

  SIZE GetInitSize() const { return initSize_; }
  RECT GetSizeBox() const { return sizeBox_; }
  RECT GetCaptionRect() const { return caption_; }
  SIZE GetRoundCorner() const { return roundCorner_; }
  SIZE GetMinInfo() const { return minInfo_; }
  SIZE GetMaxInfo() const { return maxInfo_; }
  bool IsShowDirty() const { return showDirty_; }
  bool IsNoActivate() const { return noActivate_; }
  void SetNoActivate(bool noActivate) { noActivate_ = noActivate; }
  DWORD GetDefaultDisabledColor() const;
  DWORD GetDefaultFontColor() const;
  DWORD GetDefaultLinkFontColor() const;
  DWORD GetDefaultLinkHoverFontColor() const;
  DWORD GetDefaultSelectedBkColor() const;
  void SetUseSharedResources(bool shared) { sharedResources_ = shared; }
  bool IsUseSharedResources() const { return sharedResources_; }

  void SetLayered(bool layered);
  bool IsLayered() const { return layered_; }
  // True while a layered window has an area that waits for the layered timer's next paint.
  bool IsLayeredPaintPending() const { return layered_ && !::IsRectEmpty(&layeredUpdateRect_); }
  void SetLayeredImage(const wchar_t* description);
  const CStringUI& GetLayeredImage() const { return layeredImage_.description; }
  void SetLayeredOpacity(BYTE opacity);
  void SetOpacity(BYTE opacity);
  BYTE GetOpacity() const { return opacity_; }

  // --- messages, painting, input and timers -------------------------------------------------

  bool MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Offered every message of the modal loop before it is dispatched; true when consumed.
  static bool TranslateMessage(const MSG* msg);
  static WORD MapKeyState();

  void Invalidate();
  void Invalidate(RECT rc);
  void NeedUpdate() { updateNeeded_ = true; }

  bool SetTimer(CControlUI* control, UINT localId, UINT elapse);
  bool KillTimer(CControlUI* control, UINT localId);
  int KillControlTimers(CControlUI* control);
  void RemoveAllTimers();

  void SetCapture();
  void ReleaseCapture();

  void SetFocus(CControlUI* control, bool focusWindow = true);
  void SetFocusNeeded(CControlUI* control);
  bool SetNextTabControl(bool forward = true);

  CControlUI* FindControl(POINT pt) const;  // the control under a client point (FindControlAt)
  CControlUI* FindControl(const wchar_t* name) const;
  CControlUI* FindSubControlByPoint(CControlUI* parent, POINT pt) const;
  CControlUI* FindSubControlByName(CControlUI* parent, const wchar_t* name) const;
  CControlUI* FindSubControlByClass(CControlUI* parent, const wchar_t* className, int index = 0);
  CPtrArrayUI* FindSubControlsByClass(CControlUI* parent, const wchar_t* className);
  bool RenameControl(CControlUI* control, const wchar_t* newName);

  bool AddPostPaint(CControlUI* control);
  bool RemovePostPaint(CControlUI* control);
  bool AddNativeWindow(CControlUI* control, HWND window);
  bool RemoveNativeWindow(HWND window);
  RECT GetNativeWindowRect(HWND window) const;
  bool AddMouseLeaveTracking(CControlUI* control);
  bool RemoveMouseLeaveTracking(CControlUI* control);
  void AddDelayedCleanup(CControlUI* control);

  // --- notifications and filters --------------------------------------------------------------

  // async: queued and delivered in order when kMsgDrainQueue arrives; one post per batch. May be
  // called from any thread with async set: the record is queued under a lock and the queue is
  // drained on the window's thread only.
  void SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam = 0, LPARAM lParam = 0,
                  bool async = false);
  void SendNotify(TNotifyMsgUI& msg, bool async = false, bool allowRepeats = true);
  bool AddNotifier(INotifyUI* notifier);
  bool RemoveNotifier(INotifyUI* notifier);
  bool AddPreMessageFilter(IMessageFilterUI* filter);
  bool RemovePreMessageFilter(IMessageFilterUI* filter);
  bool AddMessageFilter(IMessageFilterUI* filter);
  bool RemoveMessageFilter(IMessageFilterUI* filter);
  bool AddAcceleratorTranslator(ITranslateAcceleratorUI* translator);
  bool RemoveAcceleratorTranslator(ITranslateAcceleratorUI* translator);
  bool TranslateAccelerator(MSG* msg);
  void SetUsedVirtualWnd(bool used) { usedVirtualWnd_ = used; }
  bool IsUsedVirtualWnd() const { return usedVirtualWnd_; }

  // --- the UI text table ----------------------------------------------------------------------

  static void SetLanguageText(int id, const wchar_t* text);
  static const CStringUI* GetLanguageText(int id);
  static void RemoveAllLanguageTexts();
  // Replaces every "%{n}" whose id n has a text in the table; others stay.
  static void ProcessMultiLanguageTokens(CStringUI& text);

private:
  // The queue's record: a notification with nothing owned by another thread.
  struct TQueuedNotifyUI;

  // Keeps a control pointer of an event or notification in flight up to date: when the control
  // is destroyed while the pointer is in use, the pointer becomes null instead of dangling.
  class ControlWatchUI {
  public:
    ControlWatchUI(CWindowManagerUI* manager, CControlUI** slot);
    ~ControlWatchUI();
    ControlWatchUI(const ControlWatchUI&) = delete;
    ControlWatchUI& operator=(const ControlWatchUI&) = delete;

  private:
    CWindowManagerUI* manager_;
    CControlUI** slot_;
  };

  // --- notifications (ui_manager_notify.cpp) ---
  void DrainAsyncQueue();
  void RunDelayedCleanup();
  void DeliverNotify(TNotifyMsgUI& msg);
  void PostDrainOnce();
  void DropDrainPost();  // takes back a post whose work a drain has already done
  void FreeQueuedNotifies();
  bool IsWindowThread() const;
  void ForgetControl(CControlUI* control);  // ReapObjects but for the root pointer
  void ForgetInLists(CControlUI* control);
  void RegisterNames(CControlUI* control);
  static bool OfferToFilters(const CPtrArrayUI& filters, UINT message, WPARAM wParam,
                             LPARAM lParam, LRESULT& result);
  CControlUI* FindTabStop(CControlUI* from, bool forward);
  bool TranslateShortcut(WPARAM ch);

  // --- painting (ui_manager_paint.cpp) ---
  bool HandlePaint();
  bool PaintLayoutPass(const RECT& client);  // true when "windowinit" went out
  void ClearOffscreenPixels(const RECT& area);
  bool EnsureOffscreen(const RECT& client);
  void DropOffscreen();
  void PaintNativeWindows(HDC dc, const RECT& paint);
  void PaintPostPaintControls(HDC dc, const RECT& paint);
  void PresentLayered(const RECT& paint);
  void ApplyLayeredImageAlpha(const RECT& paint, int width, int height);
  void HandlePrintClient(HDC dc, LPARAM flags);

  // --- input (ui_manager_messages.cpp) ---
  bool FilterMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleLayeredFrame(UINT message, WPARAM wParam, LRESULT& result);
  bool HandleMouseMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleKeyMessage(UINT message, WPARAM wParam, LPARAM lParam);
  bool HandleWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  bool HandleTimerMessage(WPARAM wParam);
  void HandleMouseMove(POINT pt);
  void ChangeHover(CControlUI*& newHover, POINT pt);
  bool HandleMouseHover(POINT pt);
  void HandleMouseLeave();
  void HandleButtonDown(UINT message, POINT pt, WPARAM wParam, LPARAM lParam);
  void HandleClose();
  void HandleKillFocus(HWND gaining);
  void StartMouseTracking();
  void DeactivateToolTip();
  void DestroyToolTip();
  void TakeNativeFocus();
  void KillFocusControl(CControlUI* gaining);
  void RaiseEvent(CControlUI* control, int type, POINT pt, WPARAM wParam = 0, LPARAM lParam = 0,
                  WORD key = 0, CControlUI* sender = nullptr);

  // --- resources (ui_manager.cpp) ---
  static FARPROC LookupUser32(const char* name);  // null on systems without the function
  void RemoveOwnResources();
  TResourceSetUI& ResourceSetFor(bool shared);
  TFontEntryUI* MakeFontEntry(const wchar_t* face, int size, bool bold, bool underline,
                              bool italic);
  void MeasureFont(TFontEntryUI* entry);

  CStringUI name_;
  HWND paintWindow_ = nullptr;
  Utils::UniqueWindowDC paintDC_;  // GetDC of the window, kept until destruction
  Utils::UniqueMemoryDC offscreenDC_;
  Utils::UniqueMemoryDC backgroundDC_;
  Utils::UniqueBitmap offscreenBitmap_;
  uint8_t* offscreenPixels_ = nullptr;  // 32-bit top-down pixels of a layered window's DIB
  SIZE offscreenSize_ = {0, 0};
  Utils::UniqueBitmap backgroundBitmap_;
  uint8_t* backgroundPixels_ = nullptr;
  SIZE backgroundSize_ = {0, 0};
  Utils::UniqueWindow toolTipWindow_;
  TOOLINFOW toolTip_ = {};
  CStringUI toolTipText_;  // the text toolTip_ points at
  UINT hoverTime_ = 1000;
  bool noActivate_ = false;
  bool showDirty_ = false;
  CControlUI* root_ = nullptr;  // owned
  CControlUI* focus_ = nullptr;
  CControlUI* hover_ = nullptr;
  CControlUI* click_ = nullptr;
  CControlUI* key_ = nullptr;
  POINT mousePoint_ = {-1, -1};
  SIZE minInfo_ = {0, 0};
  SIZE maxInfo_ = {0, 0};
  SIZE initSize_ = {0, 0};
  RECT sizeBox_ = {0, 0, 0, 0};
  SIZE roundCorner_ = {0, 0};
  RECT caption_ = {0, 0, 0, 0};
  UINT timerIdCounter_ = 0x1000;
  bool firstLayout_ = true;
  bool updateNeeded_ = false;
  bool focusNeeded_ = false;
  bool offscreenPaint_ = true;
  BYTE opacity_ = 255;
  bool layered_ = false;
  RECT layeredUpdateRect_ = {0, 0, 0, 0};
  bool layeredUpdateNeeded_ = false;
  TImageDescUI layeredImage_;
  bool mouseTracking_ = false;
  bool captured_ = false;
  bool painting_ = false;
  bool usedVirtualWnd_ = false;
  bool asyncPostPending_ = false;  // guarded by asyncLock_
  CPtrArrayUI notifiers_;
  CPtrArrayUI timers_;  // TTimerEntryUI*, owned
  CPtrArrayUI preMessageFilters_;
  CPtrArrayUI messageFilters_;
  CPtrArrayUI postPaintControls_;
  CPtrArrayUI nativeWindows_;
  CPtrArrayUI nativeWindowControls_;
  CPtrArrayUI delayedCleanup_;
  CPtrArrayUI asyncNotify_;  // TQueuedNotifyUI*, owned; guarded by asyncLock_
  CPtrArrayUI foundControls_;
  CPtrArrayUI mouseLeaveTracking_;
  CPtrArrayUI watchSlots_;  // CControlUI** of events and notifications in flight
  CControlUI* renaming_ = nullptr;  // the control RenameControl is renaming now
  CStringMapUI nameIndex_{83};
  CStringMapUI windowCustomAttributes_{83};  // name -> CStringUI*, owned
  CStringMapUI optionGroups_{83};            // group -> CPtrArrayUI*, owned
  bool sharedResources_ = false;
  TResourceSetUI resources_;
  CPtrArrayUI acceleratorTranslators_;
  std::mutex asyncLock_;  // the queue and its pending flag, for notifications from workers
  std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);  // see GetLifetime
};

}  // namespace SkinUI
