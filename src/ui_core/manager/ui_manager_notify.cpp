// The window manager's notifications and filters: synchronous and queued notifications, the
// notifier and filter lists, the pre-translation of the modal loop over all managers, delayed
// cleanup, attaching a control tree, the name index and control lookup, and the UI text table.
#include <cwchar>
#include <cwctype>
#include <new>
#include <vector>

#include "ui_core/manager/ui_control.h"
#include "ui_core/manager/ui_globals.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {

// A queued notification keeps only what the UI thread may read later: its own copy of the type
// word, the sender pointer (cleared when the sender is destroyed) and plain values.
struct CWindowManagerUI::TQueuedNotifyUI {
  CStringUI type;
  CControlUI* sender = nullptr;
  DWORD timestamp = 0;
  POINT mousePoint = {0, 0};
  bool pointKnown = false;  // false when queued from another thread: the point is taken on delivery
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

namespace {

void DecimalKey(unsigned long long id, wchar_t (&key)[24]) {
  std::swprintf(key, 24, L"%llu", id);
}

bool ContainsText(const wchar_t* text, const wchar_t* part) {
  return text != nullptr && std::wcsstr(text, part) != nullptr;
}

CControlUI* CALLBACK RegisterNameProc(CControlUI* control, LPVOID data) {
  auto* index = static_cast<CStringMapUI*>(data);
  const CStringUI name = control->GetName();
  // A later control with the same name replaces an earlier one.
  if (!name.IsEmpty()) index->Set(name.GetData(), control);
  return nullptr;
}

CControlUI* CALLBACK UnregisterNameProc(CControlUI* control, LPVOID data) {
  auto* index = static_cast<CStringMapUI*>(data);
  const CStringUI name = control->GetName();
  // Another control of the same name keeps its entry.
  if (!name.IsEmpty() && index->Find(name.GetData(), false) == control) {
    index->Remove(name.GetData());
  }
  return nullptr;
}

CControlUI* CALLBACK FindByPointProc(CControlUI* control, LPVOID) { return control; }

CControlUI* CALLBACK FindByNameProc(CControlUI* control, LPVOID data) {
  return control->GetName() == static_cast<const wchar_t*>(data) ? control : nullptr;
}

struct ClassSearch {
  const wchar_t* className;
  int index;            // the match wanted; -1 collects every match
  CPtrArrayUI* found;   // with index -1
};

CControlUI* CALLBACK FindByClassProc(CControlUI* control, LPVOID data) {
  auto* search = static_cast<ClassSearch*>(data);
  const wchar_t* className = control->GetClass();
  if (className == nullptr || std::wcscmp(className, search->className) != 0) return nullptr;
  if (search->index < 0) {
    search->found->Add(control);
    return nullptr;
  }
  return search->index-- == 0 ? control : nullptr;
}

struct ShortcutSearch {
  wchar_t ch;
  bool pickNext;  // a label matched: the next control that is not a label takes the shortcut
};

CControlUI* CALLBACK FindByShortcutProc(CControlUI* control, LPVOID data) {
  auto* search = static_cast<ShortcutSearch*>(data);
  if (!control->IsVisible()) return nullptr;
  const bool isLabel = ContainsText(control->GetClass(), L"Label");
  if (search->pickNext && !isLabel) return control;
  if (control->GetShortcut() == 0 ||
      static_cast<wchar_t>(std::towupper(control->GetShortcut())) != search->ch) {
    return nullptr;
  }
  if (!isLabel) return control;
  search->pickNext = true;
  return nullptr;
}

// Removes the first entry equal to p; whether there was one.
bool RemoveEntry(CPtrArrayUI& list, void* p) {
  const int index = list.Find(p);
  if (index < 0) return false;
  list.Remove(index);
  return true;
}

bool AddUnique(CPtrArrayUI& list, void* p) {
  if (p == nullptr || list.Find(p) >= 0) return false;
  return list.Add(p);
}

}  // namespace

// --- controls in flight ----------------------------------------------------------------------

CWindowManagerUI::ControlWatchUI::ControlWatchUI(CWindowManagerUI* manager, CControlUI** slot)
    : manager_(manager), slot_(slot) {
  manager_->watchSlots_.Add(slot_);
}

CWindowManagerUI::ControlWatchUI::~ControlWatchUI() {
  // Nested watches end in reverse order; search from the end.
  CPtrArrayUI& slots = manager_->watchSlots_;
  for (int i = slots.GetSize() - 1; i >= 0; --i) {
    if (slots[i] == slot_) {
      slots.Remove(i);
      break;
    }
  }
}

bool CWindowManagerUI::IsWindowThread() const {
  return paintWindow_ == nullptr ||
         ::GetWindowThreadProcessId(paintWindow_, nullptr) == ::GetCurrentThreadId();
}

// --- sending ---------------------------------------------------------------------------------

void CWindowManagerUI::SendNotify(CControlUI* sender, const wchar_t* type, WPARAM wParam,
                                  LPARAM lParam, bool async) {
  TNotifyMsgUI msg;
  msg.sender = sender;
  msg.type = type;
  msg.wParam = wParam;
  msg.lParam = lParam;
  SendNotify(msg, async, true);
}

void CWindowManagerUI::SendNotify(TNotifyMsgUI& msg, bool async, bool allowRepeats) {
  // Another thread may only queue: it reads nothing of the manager but the queue (under the
  // lock) and never touches the sender.
  const bool onWindowThread = IsWindowThread();
  msg.timestamp = ::GetTickCount();
  if (onWindowThread) msg.mousePoint = mousePoint_;
  if (!async) {
    if (usedVirtualWnd_ && msg.sender != nullptr) msg.virtualWnd = msg.sender->GetVirtualWnd();
    DeliverNotify(msg);
    return;
  }
  std::lock_guard<std::mutex> lock(asyncLock_);
  if (!allowRepeats) {
    for (int i = 0; i < asyncNotify_.GetSize(); ++i) {
      auto* queued = static_cast<TQueuedNotifyUI*>(asyncNotify_[i]);
      if (queued->sender == msg.sender && queued->type == msg.type.GetData()) {
        queued->wParam = msg.wParam;
        queued->lParam = msg.lParam;
        queued->mousePoint = msg.mousePoint;
        queued->pointKnown = onWindowThread;
        queued->timestamp = msg.timestamp;
        return;
      }
    }
  }
  auto* queued = new (std::nothrow) TQueuedNotifyUI;
  if (queued == nullptr) return;
  queued->type = msg.type;
  queued->sender = msg.sender;
  queued->timestamp = msg.timestamp;
  queued->mousePoint = msg.mousePoint;
  queued->pointKnown = onWindowThread;
  queued->wParam = msg.wParam;
  queued->lParam = msg.lParam;
  if (!asyncNotify_.Add(queued)) {
    delete queued;
    return;
  }
  if (!asyncPostPending_ && paintWindow_ != nullptr &&
      ::PostMessageW(paintWindow_, kMsgDrainQueue, 0, 0)) {
    asyncPostPending_ = true;
  }
}

void CWindowManagerUI::PostDrainOnce() {
  std::lock_guard<std::mutex> lock(asyncLock_);
  if (asyncPostPending_ || paintWindow_ == nullptr) return;
  if (::PostMessageW(paintWindow_, kMsgDrainQueue, 0, 0)) asyncPostPending_ = true;
}

void CWindowManagerUI::DeliverNotify(TNotifyMsgUI& msg) {
  // The sender may be destroyed by any handler; the watch turns the pointer into null then.
  ControlWatchUI watch(this, &msg.sender);
  if (msg.sender != nullptr && msg.sender->OnNotify) msg.sender->OnNotify(&msg);
  // A notifier may remove itself or another one while it is called.
  const CPtrArrayUI notifiers(notifiers_);
  for (int i = 0; i < notifiers.GetSize(); ++i) {
    auto* notifier = static_cast<INotifyUI*>(notifiers[i]);
    if (notifiers_.Find(notifier) >= 0) notifier->Notify(msg);
  }
}

void CWindowManagerUI::DrainAsyncQueue() {
  {
    // The post that started this drain is used up. A handler may run a nested message loop (a
    // modal box): what is queued meanwhile must post again, or it waits until the box closes.
    std::lock_guard<std::mutex> lock(asyncLock_);
    asyncPostPending_ = false;
  }
  bool postOutstanding = false;
  for (;;) {
    TQueuedNotifyUI* queued = nullptr;
    {
      std::lock_guard<std::mutex> lock(asyncLock_);
      if (asyncNotify_.IsEmpty()) {
        // Records queued during this drain were delivered by it; their post finds nothing.
        postOutstanding = asyncPostPending_;
        asyncPostPending_ = false;
        break;
      }
      queued = static_cast<TQueuedNotifyUI*>(asyncNotify_[0]);
      asyncNotify_.Remove(0);
    }
    TNotifyMsgUI msg;
    msg.type = queued->type;
    msg.sender = queued->sender;
    msg.timestamp = queued->timestamp;
    msg.mousePoint = queued->pointKnown ? queued->mousePoint : mousePoint_;
    msg.wParam = queued->wParam;
    msg.lParam = queued->lParam;
    delete queued;
    DeliverNotify(msg);
  }
  if (postOutstanding) DropDrainPost();
  RunDelayedCleanup();
}

void CWindowManagerUI::DropDrainPost() {
  // Outside the lock: a worker that queues now posts again, and one of the two posts stays.
  // The window filter also matches child windows, and a child with a manager of its own may have
  // its post ahead of this one: taken, that manager's queue would never drain again. Posts of
  // other windows are put back.
  std::vector<MSG> others;
  MSG msg = {};
  while (::PeekMessageW(&msg, paintWindow_, kMsgDrainQueue, kMsgDrainQueue,
                        PM_REMOVE | PM_NOYIELD)) {
    if (msg.hwnd == paintWindow_) break;
    others.push_back(msg);
  }
  for (const MSG& other : others) {
    ::PostMessageW(other.hwnd, other.message, other.wParam, other.lParam);
  }
}

void CWindowManagerUI::FreeQueuedNotifies() {
  std::lock_guard<std::mutex> lock(asyncLock_);
  for (int i = 0; i < asyncNotify_.GetSize(); ++i) {
    delete static_cast<TQueuedNotifyUI*>(asyncNotify_[i]);
  }
  asyncNotify_.Empty();
}

// --- notifiers, filters and accelerators -----------------------------------------------------

bool CWindowManagerUI::AddNotifier(INotifyUI* notifier) { return AddUnique(notifiers_, notifier); }

bool CWindowManagerUI::RemoveNotifier(INotifyUI* notifier) {
  return RemoveEntry(notifiers_, notifier);
}

bool CWindowManagerUI::AddPreMessageFilter(IMessageFilterUI* filter) {
  return AddUnique(preMessageFilters_, filter);
}

bool CWindowManagerUI::RemovePreMessageFilter(IMessageFilterUI* filter) {
  return RemoveEntry(preMessageFilters_, filter);
}

bool CWindowManagerUI::AddMessageFilter(IMessageFilterUI* filter) {
  return AddUnique(messageFilters_, filter);
}

bool CWindowManagerUI::RemoveMessageFilter(IMessageFilterUI* filter) {
  return RemoveEntry(messageFilters_, filter);
}

bool CWindowManagerUI::AddAcceleratorTranslator(ITranslateAcceleratorUI* translator) {
  return acceleratorTranslators_.Add(translator);
}

bool CWindowManagerUI::RemoveAcceleratorTranslator(ITranslateAcceleratorUI* translator) {
  return RemoveEntry(acceleratorTranslators_, translator);
}

bool CWindowManagerUI::TranslateAccelerator(MSG* msg) {
  const CPtrArrayUI translators(acceleratorTranslators_);
  for (int i = 0; i < translators.GetSize(); ++i) {
    auto* translator = static_cast<ITranslateAcceleratorUI*>(translators[i]);
    if (translator == nullptr || acceleratorTranslators_.Find(translator) < 0) continue;
    if (translator->TranslateAccelerator(msg) == 0) return true;
  }
  return false;
}

// --- pre-translation -------------------------------------------------------------------------

bool CWindowManagerUI::OfferToFilters(const CPtrArrayUI& filters, UINT message, WPARAM wParam,
                                      LPARAM lParam, LRESULT& result) {
  // A filter may remove itself or another one while it is asked.
  const CPtrArrayUI snapshot(filters);
  for (int i = 0; i < snapshot.GetSize(); ++i) {
    auto* filter = static_cast<IMessageFilterUI*>(snapshot[i]);
    if (filters.Find(filter) < 0) continue;
    bool handled = false;
    const LRESULT filtered = filter->MessageHandler(message, wParam, lParam, handled);
    if (handled) {
      result = filtered;
      return true;
    }
  }
  return false;
}

bool CWindowManagerUI::PreMessageHandler(UINT message, WPARAM wParam, LPARAM lParam,
                                         LRESULT& result) {
  if (OfferToFilters(preMessageFilters_, message, wParam, lParam, result)) return true;
  switch (message) {
    case WM_KEYDOWN:
      if (wParam != VK_TAB) return false;
      // A control that takes TAB itself (a rich edit) answers the "WantTab" interface.
      if (focus_ != nullptr && focus_->IsVisible() && focus_->IsEnabled() &&
          focus_->GetInterface(L"WantTab") != nullptr) {
        return false;
      }
      SetNextTabControl(::GetKeyState(VK_SHIFT) >= 0);
      return true;
    case WM_SYSKEYDOWN:
      if (focus_ != nullptr) {
        RaiseEvent(focus_, kEventSysKey, mousePoint_, wParam, lParam, static_cast<WORD>(wParam));
      }
      return false;
    case WM_SYSCHAR:
      return TranslateShortcut(wParam);
    default:
      return false;
  }
}

bool CWindowManagerUI::TranslateShortcut(WPARAM ch) {
  if (root_ == nullptr) return false;
  ShortcutSearch search = {static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch & 0xFFFF))),
                           false};
  CControlUI* control = root_->FindControl(&FindByShortcutProc, &search,
                                           kFindEnabled | kFindTopFirst | kFindMeFirst);
  if (control == nullptr) return false;
  ControlWatchUI watch(this, &control);
  control->SetFocus();
  if (control != nullptr) control->Activate();
  return true;
}

bool CWindowManagerUI::TranslateMessage(const MSG* msg) {
  if (msg == nullptr) return false;
  // Managers may come and go while a message is offered; each is checked before it is asked.
  const CPtrArrayUI managers(ProcessTables().liveManagers);
  auto isLive = [](CWindowManagerUI* manager) {
    return ProcessTables().liveManagers.Find(manager) >= 0;
  };
  MSG copy = *msg;
  LRESULT result = 0;
  const LONG_PTR style = ::GetWindowLongPtrW(msg->hwnd, GWL_STYLE);
  if ((style & WS_CHILD) == 0) {
    for (int i = 0; i < managers.GetSize(); ++i) {
      auto* manager = static_cast<CWindowManagerUI*>(managers[i]);
      if (!isLive(manager) || manager->paintWindow_ != msg->hwnd) continue;
      if (manager->TranslateAccelerator(&copy)) return true;
      return manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
    }
    return false;
  }
  // A child window's message is offered to every manager whose window is the child or one of its
  // ancestors, newest manager first; each manager sees it once, however deep the child sits.
  for (int i = managers.GetSize() - 1; i >= 0; --i) {
    auto* manager = static_cast<CWindowManagerUI*>(managers[i]);
    if (!isLive(manager)) continue;
    bool related = manager->paintWindow_ == msg->hwnd;
    for (HWND ancestor = ::GetParent(msg->hwnd); !related && ancestor != nullptr;
         ancestor = ::GetParent(ancestor)) {
      related = ancestor == manager->paintWindow_;
    }
    if (!related) continue;
    if (manager->TranslateAccelerator(&copy)) return true;
    manager->PreMessageHandler(msg->message, msg->wParam, msg->lParam, result);
  }
  return false;
}

// --- delayed cleanup, attaching and forgetting -----------------------------------------------

void CWindowManagerUI::AddDelayedCleanup(CControlUI* control) {
  if (control == nullptr) return;
  control->SetManager(this, nullptr, false);
  if (delayedCleanup_.Find(control) < 0) delayedCleanup_.Add(control);
  PostDrainOnce();
}

void CWindowManagerUI::RunDelayedCleanup() {
  // Deleting a control may hand further controls to the cleanup; they go in the next round.
  while (!delayedCleanup_.IsEmpty()) {
    const CPtrArrayUI controls(delayedCleanup_);
    delayedCleanup_.Empty();
    for (int i = 0; i < controls.GetSize(); ++i) static_cast<CControlUI*>(controls[i])->Delete();
  }
}

bool CWindowManagerUI::AttachDialog(CControlUI* root) {
  if (root == nullptr) return false;
  SetFocus(nullptr, true);
  key_ = nullptr;
  hover_ = nullptr;
  click_ = nullptr;
  if (root_ != nullptr) {
    RunDelayedCleanup();
    FreeQueuedNotifies();
    nameIndex_.RemoveAll();
    postPaintControls_.Empty();
    nativeWindows_.Empty();
    nativeWindowControls_.Empty();
    mouseLeaveTracking_.Empty();
    AddDelayedCleanup(root_);
  }
  root_ = root;
  firstLayout_ = true;
  updateNeeded_ = true;
  focusNeeded_ = true;
  return InitControls(root, nullptr);
}

bool CWindowManagerUI::InitControls(CControlUI* control, CControlUI* parent) {
  if (control == nullptr) return false;
  control->SetManager(this, parent != nullptr ? parent : control->GetParent(), true);
  RegisterNames(control);
  return true;
}

void CWindowManagerUI::RegisterNames(CControlUI* control) {
  control->FindControl(&RegisterNameProc, &nameIndex_, 0);
}

void CWindowManagerUI::ReapObjects(CControlUI* control) {
  if (control == nullptr) return;
  ForgetControl(control);
  // A root that goes is no longer the manager's to paint or to delete when it ends.
  if (control == root_) root_ = nullptr;
}

bool CWindowManagerUI::ForgetSubtreeInTree(CControlUI* control) {
  if (control == nullptr) return false;
  control->FindControl(&UnregisterNameProc, &nameIndex_, 0);
  for (const CControlUI* c = focus_; c != nullptr; c = c->GetParent()) {
    if (c == control) {
      ControlWatchUI watch(this, &control);
      SetFocus(nullptr, false);
      break;
    }
  }
  return control != nullptr;
}

void CWindowManagerUI::LetGoOfRoot() {
  // The root is not reaped: the manager still owns the tree and deletes it when it ends. A
  // window whose end made it forget the root would leak the whole tree.
  if (root_ != nullptr) ForgetControl(root_);
}

void CWindowManagerUI::ForgetControl(CControlUI* control) {
  if (control == key_) key_ = nullptr;
  if (control == hover_) hover_ = nullptr;
  if (control == click_) click_ = nullptr;
  if (control == focus_) focus_ = nullptr;
  KillControlTimers(control);
  const CStringUI name = control->GetName();
  if (!name.IsEmpty() && nameIndex_.Find(name.GetData(), false) == control) {
    nameIndex_.Remove(name.GetData());
  }
  {
    std::lock_guard<std::mutex> lock(asyncLock_);
    for (int i = 0; i < asyncNotify_.GetSize(); ++i) {
      auto* queued = static_cast<TQueuedNotifyUI*>(asyncNotify_[i]);
      if (queued->sender == control) queued->sender = nullptr;
    }
  }
  for (int i = 0; i < watchSlots_.GetSize(); ++i) {
    auto** slot = static_cast<CControlUI**>(watchSlots_[i]);
    if (*slot == control) *slot = nullptr;
  }
  ForgetInLists(control);
}

// The lists of the manager that hold controls without owning them: none may keep a pointer to a
// control that is gone.
void CWindowManagerUI::ForgetInLists(CControlUI* control) {
  RemoveEntry(mouseLeaveTracking_, control);
  RemoveEntry(postPaintControls_, control);
  RemoveEntry(delayedCleanup_, control);
  for (int i = nativeWindowControls_.GetSize() - 1; i >= 0; --i) {
    if (nativeWindowControls_[i] == control) {
      nativeWindowControls_.Remove(i);
      nativeWindows_.Remove(i);
    }
  }
  CPtrArrayUI emptied;
  for (int i = 0; i < optionGroups_.GetSize(); ++i) {
    const wchar_t* group = optionGroups_.GetAt(i);
    auto* options = group != nullptr ? static_cast<CPtrArrayUI*>(optionGroups_.Find(group, false))
                                     : nullptr;
    if (options != nullptr && RemoveEntry(*options, control) && options->IsEmpty()) {
      emptied.Add(const_cast<wchar_t*>(group));
    }
  }
  // Keys are collected first: removing an entry while walking the map would skip others.
  for (int i = emptied.GetSize() - 1; i >= 0; --i) {
    const CStringUI group(static_cast<const wchar_t*>(emptied[i]));
    delete static_cast<CPtrArrayUI*>(optionGroups_.Find(group.GetData(), false));
    optionGroups_.Remove(group.GetData());
  }
}

// --- lists of controls the manager serves ----------------------------------------------------

bool CWindowManagerUI::AddPostPaint(CControlUI* control) {
  return AddUnique(postPaintControls_, control);
}

bool CWindowManagerUI::RemovePostPaint(CControlUI* control) {
  return RemoveEntry(postPaintControls_, control);
}

bool CWindowManagerUI::AddMouseLeaveTracking(CControlUI* control) {
  return AddUnique(mouseLeaveTracking_, control);
}

bool CWindowManagerUI::RemoveMouseLeaveTracking(CControlUI* control) {
  return RemoveEntry(mouseLeaveTracking_, control);
}

bool CWindowManagerUI::AddNativeWindow(CControlUI* control, HWND window) {
  if (control == nullptr || window == nullptr || nativeWindows_.Find(window) >= 0) return false;
  if (!nativeWindows_.Add(window)) return false;
  if (nativeWindowControls_.Add(control)) return true;
  nativeWindows_.Remove(nativeWindows_.GetSize() - 1);
  return false;
}

bool CWindowManagerUI::RemoveNativeWindow(HWND window) {
  const int index = nativeWindows_.Find(window);
  if (index < 0) return false;
  nativeWindows_.Remove(index);
  nativeWindowControls_.Remove(index);
  return true;
}

RECT CWindowManagerUI::GetNativeWindowRect(HWND window) const {
  RECT rc = {0, 0, 0, 0};
  if (window == nullptr || !::GetWindowRect(window, &rc)) return RECT{0, 0, 0, 0};
  ::MapWindowPoints(nullptr, paintWindow_, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// --- the name index and lookup ---------------------------------------------------------------

CControlUI* CWindowManagerUI::FindControl(POINT pt) const {
  if (root_ == nullptr) return nullptr;
  return root_->FindControl(&FindByPointProc, &pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

CControlUI* CWindowManagerUI::FindControl(const wchar_t* name) const {
  if (name == nullptr || *name == L'\0') return nullptr;
  return static_cast<CControlUI*>(nameIndex_.Find(name));
}

CControlUI* CWindowManagerUI::FindSubControlByPoint(CControlUI* parent, POINT pt) const {
  if (parent == nullptr) parent = root_;
  if (parent == nullptr) return nullptr;
  return parent->FindControl(&FindByPointProc, &pt, kFindVisible | kFindHitTest | kFindTopFirst);
}

CControlUI* CWindowManagerUI::FindSubControlByName(CControlUI* parent, const wchar_t* name) const {
  if (parent == nullptr) parent = root_;
  if (parent == nullptr || name == nullptr || *name == L'\0') return nullptr;
  return parent->FindControl(&FindByNameProc, const_cast<wchar_t*>(name), 0);
}

CControlUI* CWindowManagerUI::FindSubControlByClass(CControlUI* parent, const wchar_t* className,
                                                    int index) {
  if (parent == nullptr) parent = root_;
  if (parent == nullptr || className == nullptr || index < 0) return nullptr;
  ClassSearch search = {className, index, nullptr};
  return parent->FindControl(&FindByClassProc, &search, 0);
}

CPtrArrayUI* CWindowManagerUI::FindSubControlsByClass(CControlUI* parent,
                                                      const wchar_t* className) {
  foundControls_.Empty();
  if (parent == nullptr) parent = root_;
  if (parent == nullptr || className == nullptr) return &foundControls_;
  ClassSearch search = {className, -1, &foundControls_};
  parent->FindControl(&FindByClassProc, &search, 0);
  return &foundControls_;
}

bool CWindowManagerUI::IsInAttachedTree(const CControlUI* control) const {
  if (root_ == nullptr) return false;
  for (const CControlUI* c = control; c != nullptr; c = c->GetParent()) {
    if (c == root_) return true;
  }
  return false;
}

bool CWindowManagerUI::RenameControl(CControlUI* control, const wchar_t* newName) {
  if (control == nullptr || control->GetManager() != this) return false;
  if (newName == nullptr || *newName == L'\0') return false;
  // The control's SetName may report the change back here; the index is already right then.
  if (control == renaming_) return true;
  const CStringUI oldName = control->GetName();
  if (oldName == newName) return true;
  // Only controls of the attached tree are in the index. A tree being built (the builder gives
  // each control the manager before its attributes) enters it when it is attached; one that is
  // discarded instead must leave nothing behind that points at its freed controls.
  const bool attached = IsInAttachedTree(control);
  auto* holder = static_cast<CControlUI*>(nameIndex_.Find(newName, false));
  if (attached && holder != nullptr && holder != control) return false;
  if (!oldName.IsEmpty() && nameIndex_.Find(oldName.GetData(), false) == control) {
    nameIndex_.Remove(oldName.GetData());
  }
  if (attached) nameIndex_.Set(newName, control);
  CControlUI* const outer = renaming_;
  renaming_ = control;
  control->SetName(newName);
  renaming_ = outer;
  return true;
}

// --- the UI text table -----------------------------------------------------------------------

void CWindowManagerUI::SetLanguageText(int id, const wchar_t* text) {
  wchar_t key[24];
  std::swprintf(key, 24, L"%d", id);
  auto* copy = new (std::nothrow) CStringUI(text);
  if (copy == nullptr) return;
  CStringMapUI& texts = ProcessTables().languageTexts;
  auto* old = static_cast<CStringUI*>(texts.Set(key, copy));
  delete old;  // also the copy itself when the table could not take it
}

const CStringUI* CWindowManagerUI::GetLanguageText(int id) {
  wchar_t key[24];
  std::swprintf(key, 24, L"%d", id);
  return static_cast<const CStringUI*>(ProcessTables().languageTexts.Find(key, false));
}

void CWindowManagerUI::RemoveAllLanguageTexts() {
  CStringMapUI& texts = ProcessTables().languageTexts;
  for (int i = 0; i < texts.GetSize(); ++i) {
    const wchar_t* key = texts.GetAt(i);
    if (key != nullptr) delete static_cast<CStringUI*>(texts.Find(key, false));
  }
  texts.Resize(83);
}

void CWindowManagerUI::ProcessMultiLanguageTokens(CStringUI& text) {
  const CStringMapUI& texts = ProcessTables().languageTexts;
  if (texts.GetSize() == 0 || text.Find(L'%') < 0) return;
  // One pass over the text: a replacement is never scanned again, so a text whose own value
  // holds its token cannot make the text grow without end.
  const wchar_t* p = text.GetData();
  CStringUI result;
  bool changed = false;
  while (*p != L'\0') {
    const wchar_t* percent = std::wcschr(p, L'%');
    if (percent == nullptr) {
      result += p;
      break;
    }
    result += CStringUI(p, static_cast<int>(percent - p));
    const CStringUI* value = nullptr;
    const wchar_t* end = percent + 1;
    if (*end == L'{') {
      const wchar_t* digits = ++end;
      // Ids of the table have at most ten digits; a longer number stops growing and finds none.
      unsigned long long id = 0;
      while (*end >= L'0' && *end <= L'9') {
        if (id < 100000000000ull) id = id * 10 + static_cast<unsigned>(*end - L'0');
        ++end;
      }
      if (end > digits && *end == L'}') {
        wchar_t key[24];
        DecimalKey(id, key);
        value = static_cast<const CStringUI*>(texts.Find(key, false));
      }
    }
    if (value != nullptr) {
      result += *value;
      p = end + 1;
      changed = true;
    } else {
      result += L'%';
      p = percent + 1;
    }
  }
  if (changed) text = result;
}

}  // namespace SkinUI
