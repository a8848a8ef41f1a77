#include "ui_controls/activex/ui_activex_wnd.h"

#include "ui_controls/activex/ui_activex.h"
#include "ui_controls/activex/ui_activex_site.h"
#include "ui_core/drawing/ui_render.h"
#include "ui_core/manager/ui_manager.h"

namespace SkinUI {
namespace {

// The timer that repaints a layered window's copy of the object and blinks the caret there.
constexpr UINT_PTR kHostTimerId = 20;
constexpr UINT kHostTimerMs = 50;
constexpr int kTicksPerBlink = 10;

}  // namespace

HWND CActiveXWnd::Init(CActiveXCtrl* owner, HWND parent) {
  owner_ = owner;
  return Create(parent, L"UIActiveX", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0,
                0, 0, 0, 0);
}

const wchar_t* CActiveXWnd::GetWindowClassName() const { return L"ActiveXWnd"; }

bool CActiveXWnd::IsLayered() const {
  CWindowManagerUI* manager = owner_ != nullptr ? owner_->GetManager() : nullptr;
  return manager != nullptr && manager->IsLayered();
}

LRESULT CActiveXWnd::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  CActiveXUI* control = owner_ != nullptr ? owner_->GetOwner() : nullptr;
  switch (message) {
    case WM_CREATE:
      if (control != nullptr && control->GetManager() != nullptr) {
        control->GetManager()->AddNativeWindow(control, hWnd_);
        if (IsLayered()) ::SetTimer(hWnd_, kHostTimerId, kHostTimerMs, nullptr);
      }
      return 0;
    case WM_SETFOCUS:
      OnSetFocus();
      return 0;
    case WM_KILLFOCUS:
      if (owner_ != nullptr) owner_->SetFocused(false);
      break;
    case WM_PAINT: {
      // The object paints its own window; this one only validates what it covers.
      PAINTSTRUCT ps = {};
      ::BeginPaint(hWnd_, &ps);
      ::EndPaint(hWnd_, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      if (owner_ != nullptr && owner_->GetViewObject() != nullptr) return 1;
      break;
    case WM_MOUSEACTIVATE:
      OnMouseActivate();
      break;
    case WM_TIMER:
      if (wParam == kHostTimerId) {
        OnTimer();
        return 0;
      }
      break;
    case WM_MOUSEWHEEL:
      return 0;
    case WM_PRINT:
      OnPrint(reinterpret_cast<HDC>(wParam));
      return 0;
    default:
      break;
  }
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void CActiveXWnd::OnSetFocus() {
  if (owner_ == nullptr) return;
  owner_->SetFocused(true);
  CActiveXUI* control = owner_->GetOwner();
  if (control == nullptr || owner_->IsUIActive()) return;
  Utils::ComPtr<IOleObject> object;
  Utils::ComPtr<IOleClientSite> site;
  if (FAILED(control->GetControl(IID_IOleObject, object.put_void())) || !object) return;
  owner_->QueryInterface(IID_IOleClientSite, site.put_void());
  RECT rc = control->ObjectRect();
  object->DoVerb(OLEIVERB_UIACTIVATE, nullptr, site.get(), 0, hWnd_, &rc);
}

void CActiveXWnd::OnMouseActivate() {
  if (owner_ == nullptr || owner_->IsInPlaceActive()) return;
  CActiveXUI* control = owner_->GetOwner();
  Utils::ComPtr<IOleObject> object;
  if (control == nullptr || FAILED(control->GetControl(IID_IOleObject, object.put_void())) ||
      !object) {
    return;
  }
  DWORD miscStatus = 0;
  object->GetMiscStatus(DVASPECT_CONTENT, &miscStatus);
  if ((miscStatus & OLEMISC_NOUIACTIVATE) != 0) return;
  Utils::ComPtr<IOleClientSite> site;
  owner_->QueryInterface(IID_IOleClientSite, site.put_void());
  RECT rc = control->ObjectRect();
  object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site.get(), 0, hWnd_, &rc);
}

void CActiveXWnd::OnTimer() {
  CActiveXUI* control = owner_ != nullptr ? owner_->GetOwner() : nullptr;
  if (control == nullptr || !IsLayered()) return;
  // A layered window shows what the manager prints of its children: ask for that area again.
  CWindowManagerUI* manager = control->GetManager();
  manager->AddNativeWindow(control, hWnd_);
  manager->Invalidate(manager->GetNativeWindowRect(hWnd_));
  if (++blinkCount_ % kTicksPerBlink == 0) caretVisible_ = !caretVisible_;
}

void CActiveXWnd::OnPrint(HDC dc) {
  if (dc == nullptr || owner_ == nullptr) return;
  IViewObject* view = owner_->GetViewObject();
  if (view == nullptr) return;
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(hWnd_, &client);
  const RECTL bounds = {client.left, client.top, client.right, client.bottom};
  view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
  if (caretVisible_) DrawCaret(dc);
}

void CActiveXWnd::DrawCaret(HDC dc) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  if (!::GetGUIThreadInfo(::GetCurrentThreadId(), &info) || info.hwndCaret == nullptr) return;
  RECT caret = info.rcCaret;
  ::MapWindowPoints(info.hwndCaret, hWnd_, reinterpret_cast<POINT*>(&caret), 2);
  RECT client = {0, 0, 0, 0};
  ::GetClientRect(hWnd_, &client);
  RECT inside = {0, 0, 0, 0};
  if (!::IntersectRect(&inside, &caret, &client)) return;
  CRenderUI::DrawLine(dc, RECT{caret.left, caret.top, caret.left, caret.bottom}, 1, 0xFF000000);
}

void CActiveXWnd::OnFinalMessage(HWND window) {
  CActiveXUI* control = owner_ != nullptr ? owner_->GetOwner() : nullptr;
  if (control != nullptr && control->GetManager() != nullptr) {
    control->GetManager()->RemoveNativeWindow(window);
  }
  if (owner_ != nullptr) owner_->ForgetHostWindow(window);
}

}  // namespace SkinUI
