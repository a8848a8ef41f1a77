#include "ui_core/window/ui_window_impl.h"

#include <windowsx.h>

#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "base/log.h"
#include "ui_core/layout/ui_skin_builder.h"
#include "ui_core/manager/ui_control.h"
#include "ui_core/values/ui_attributes.h"
#include "ui_core/values/ui_names.h"
#include "ui_core/values/ui_string_or_id.h"

namespace SkinUI {

namespace {

// The resource type that holds the skin archive.
const wchar_t kSkinArchiveResourceType[] = L"ZIPRES";
// The resource type of a skin file given as a resource id.
const wchar_t kSkinXmlResourceType[] = L"xml";
// "加载资源文件失败": the resource files could not be loaded.
const wchar_t kSkinLoadFailedText[] =
    L"\u52A0\u8F7D\u8D44\u6E90\u6587\u4EF6\u5931\u8D25";
const wchar_t kSkinLoadFailedCaption[] = L"SkinUI";

// A window without its skin is useless and would only show black: tell the user and end.
[[noreturn]] void FailSkinBuild(const wchar_t* skinFile) {
  UTILS_LOG(L"skin \"%ls\" could not be built\r\n", skinFile != nullptr ? skinFile : L"");
  ::MessageBoxW(nullptr, kSkinLoadFailedText, kSkinLoadFailedCaption, MB_ICONERROR);
  ::ExitProcess(1);
}

// A skin archive copied out of the program's resources. Copied once per resource, on first use,
// and never freed: the open archive may read from it until the process ends.
struct TSkinArchiveBlockUI {
  HRSRC resource = nullptr;
  const uint8_t* bytes = nullptr;
  size_t size = 0;
};

// A copy of the block's description (the list may grow); false when the resource is missing,
// cannot be loaded or is empty.
bool SkinArchiveFromResource(const wchar_t* resourceName, TSkinArchiveBlockUI* found) {
  // One block per resource: a window that asks for another archive must get that one.
  static std::vector<TSkinArchiveBlockUI> blocks;
  HINSTANCE module = CWindowManagerUI::GetResourceInstance();
  HRSRC resource = ::FindResourceW(module, resourceName, kSkinArchiveResourceType);
  if (resource == nullptr) return false;
  for (const TSkinArchiveBlockUI& block : blocks) {
    if (block.resource == resource) {
      *found = block;
      return true;
    }
  }
  HGLOBAL loaded = ::LoadResource(module, resource);
  const DWORD size = ::SizeofResource(module, resource);
  const void* bytes = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (bytes == nullptr || size == 0) return false;
  auto* copy = new (std::nothrow) uint8_t[size];
  if (copy == nullptr) return false;
  std::memcpy(copy, bytes, size);
  *found = TSkinArchiveBlockUI{resource, copy, size};
  blocks.push_back(*found);
  return true;
}

bool IsCaptionExemptClass(const wchar_t* className) {
  if (className == nullptr) return false;
  // Controls that take clicks keep them even inside the caption band.
  return NameIsNoCase(className, L"Button") || NameIsNoCase(className, L"Option") ||
         NameIsNoCase(className, L"Text");
}

MONITORINFO MonitorInfoOf(HWND window) {
  MONITORINFO info = {};
  info.cbSize = sizeof(info);
  ::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info;
}

LRESULT NotHandled(bool& handled) {
  handled = false;
  return 0;
}

}  // namespace

// --- WindowImplBase: notifications and filters -----------------------------------------------------

SKINUI_BEGIN_NOTIFY_MAP(WindowImplBase, CNotifyPump)
  SKINUI_ON_NOTIFY(WindowImplBase, L"click", L"", OnClick)
SKINUI_END_NOTIFY_MAP(WindowImplBase, CNotifyPump)

void WindowImplBase::Notify(TNotifyMsgUI& msg) { NotifyPump(msg); }

LRESULT WindowImplBase::MessageHandler(UINT message, WPARAM wParam, LPARAM /*lParam*/,
                                       bool& /*handled*/) {
  if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
    return HandleDefaultKey(wParam);
  }
  return 0;
}

CControlUI* WindowImplBase::CreateControl(const wchar_t* /*elementName*/) { return nullptr; }

LRESULT WindowImplBase::HandleDefaultKey(WPARAM key) {
  if (key == VK_ESCAPE) {
    Close(1);
    return 1;
  }
  return 0;
}

void WindowImplBase::InitWindow() {}

void WindowImplBase::OnClick(TNotifyMsgUI& msg) {
  if (msg.sender == nullptr) return;
  const CStringUI name = msg.sender->GetName();
  if (name == L"closebtn") {
    Close(1);
  } else if (name == L"minbtn") {
    SendMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
  } else if (name == L"maxbtn") {
    SendMessage(WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  } else if (name == L"restorebtn") {
    SendMessage(WM_SYSCOMMAND, SC_RESTORE, 0);
  }
}

// --- WindowImplBase: defaults of the skin source -----------------------------------------------------

UINT WindowImplBase::GetClassStyle() const { return CS_DBLCLKS; }

int WindowImplBase::GetResourceType() const { return kSkinFromFolder; }

CStringUI WindowImplBase::GetSkinZipFile() { return CStringUI(); }

const wchar_t* WindowImplBase::GetResourceID() const { return L""; }

LONG WindowImplBase::GetStyle() {
  return static_cast<LONG>(::GetWindowLongPtrW(hWnd_, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
}

// --- WindowImplBase: message routing ----------------------------------------------------------------

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = true;
  LRESULT result = 0;
  switch (message) {
    case WM_CREATE: result = OnCreate(message, wParam, lParam, handled); break;
    case WM_DESTROY: result = OnDestroy(message, wParam, lParam, handled); break;
    case WM_SIZE: result = OnSize(message, wParam, lParam, handled); break;
    case WM_SETFOCUS: result = OnSetFocus(message, wParam, lParam, handled); break;
    case WM_KILLFOCUS: result = OnKillFocus(message, wParam, lParam, handled); break;
    case WM_CLOSE: result = OnClose(message, wParam, lParam, handled); break;
    case WM_GETMINMAXINFO: result = OnGetMinMaxInfo(message, wParam, lParam, handled); break;
    case WM_NCCALCSIZE: result = OnNcCalcSize(message, wParam, lParam, handled); break;
    case WM_NCHITTEST: result = OnNcHitTest(message, wParam, lParam, handled); break;
    case WM_NCPAINT: result = OnNcPaint(message, wParam, lParam, handled); break;
    case WM_NCACTIVATE: result = OnNcActivate(message, wParam, lParam, handled); break;
    case WM_KEYDOWN: result = OnKeyDown(message, wParam, lParam, handled); break;
    case WM_CHAR: result = OnChar(message, wParam, lParam, handled); break;
    case WM_SYSCOMMAND: result = OnSysCommand(message, wParam, lParam, handled); break;
    case WM_MOUSEMOVE: result = OnMouseMove(message, wParam, lParam, handled); break;
    case WM_LBUTTONDOWN: result = OnLButtonDown(message, wParam, lParam, handled); break;
    case WM_LBUTTONUP: result = OnLButtonUp(message, wParam, lParam, handled); break;
    case WM_MOUSEWHEEL: result = OnMouseWheel(message, wParam, lParam, handled); break;
    case WM_MOUSEHOVER: result = OnMouseHover(message, wParam, lParam, handled); break;
    default: handled = false; break;
  }
  if (handled) return result;
  handled = true;
  result = HandleCustomMessage(message, wParam, lParam, handled);
  if (handled) return result;
  if (manager_.MessageHandler(message, wParam, lParam, result)) return result;
  return CWindowWnd::HandleMessage(message, wParam, lParam);
}

void WindowImplBase::OnFinalMessage(HWND /*window*/) {
  manager_.RemovePreMessageFilter(this);
  manager_.RemoveNotifier(this);
  manager_.LetGoOfRoot();
}

LRESULT WindowImplBase::HandleCustomMessage(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnClose(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnDestroy(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseWheel(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseHover(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnChar(UINT, WPARAM, LPARAM, bool& handled) { return NotHandled(handled); }
LRESULT WindowImplBase::OnKeyDown(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnKillFocus(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnSetFocus(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnLButtonDown(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnLButtonUp(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}
LRESULT WindowImplBase::OnMouseMove(UINT, WPARAM, LPARAM, bool& handled) {
  return NotHandled(handled);
}

// --- WindowImplBase: the non-client area -----------------------------------------------------------

LRESULT WindowImplBase::OnNcActivate(UINT, WPARAM wParam, LPARAM, bool& handled) {
  if (::IsIconic(hWnd_)) return NotHandled(handled);
  // No frame is drawn; deactivation is let through.
  return wParam == FALSE ? TRUE : FALSE;
}

LRESULT WindowImplBase::OnNcCalcSize(UINT, WPARAM, LPARAM lParam, bool& /*handled*/) {
  if (!::IsZoomed(hWnd_) || lParam == 0) return 0;
  // Both forms of the message start with the proposed window rectangle.
  RECT* proposed = reinterpret_cast<RECT*>(lParam);
  const RECT work = MonitorInfoOf(hWnd_).rcWork;
  proposed->right = proposed->left + (work.right - work.left);
  proposed->bottom = proposed->top + (work.bottom - work.top);
  return WVR_REDRAW;
}

LRESULT WindowImplBase::OnNcPaint(UINT, WPARAM, LPARAM, bool& /*handled*/) { return 0; }

LRESULT WindowImplBase::OnNcHitTest(UINT, WPARAM, LPARAM lParam, bool& /*handled*/) {
  POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ::ScreenToClient(hWnd_, &pt);
  RECT client = {};
  ::GetClientRect(hWnd_, &client);

  if (!::IsZoomed(hWnd_)) {
    const RECT box = manager_.GetSizeBox();
    const bool left = pt.x < client.left + box.left;
    const bool right = pt.x >= client.right - box.right;
    if (pt.y < client.top + box.top) {
      if (left) return HTTOPLEFT;
      if (right) return HTTOPRIGHT;
      return HTTOP;
    }
    if (pt.y >= client.bottom - box.bottom) {
      if (left) return HTBOTTOMLEFT;
      if (right) return HTBOTTOMRIGHT;
      return HTBOTTOM;
    }
    if (left) return HTLEFT;
    if (right) return HTRIGHT;
  }

  const RECT caption = manager_.GetCaptionRect();
  if (pt.x >= client.left + caption.left && pt.x < client.right - caption.right &&
      pt.y >= caption.top && pt.y < caption.bottom) {
    CControlUI* control = manager_.FindControl(pt);
    if (control != nullptr && !IsCaptionExemptClass(control->GetClass())) return HTCAPTION;
  }
  return HTCLIENT;
}

LRESULT WindowImplBase::OnGetMinMaxInfo(UINT, WPARAM, LPARAM lParam, bool& handled) {
  handled = false;  // the manager adds "mininfo" and "maxinfo" afterwards
  auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
  if (info == nullptr) return 0;
  const MONITORINFO monitor = MonitorInfoOf(hWnd_);
  RECT work = monitor.rcWork;
  ::OffsetRect(&work, -monitor.rcMonitor.left, -monitor.rcMonitor.top);
  info->ptMaxPosition.x = work.left;
  info->ptMaxPosition.y = work.top;
  info->ptMaxTrackSize.x = work.right - work.left;
  info->ptMaxTrackSize.y = work.bottom - work.top;
  const SIZE minimum = manager_.GetMinInfo();
  info->ptMinTrackSize.x = minimum.cx;
  info->ptMinTrackSize.y = minimum.cy;
  return 0;
}

LRESULT WindowImplBase::OnSize(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;  // the manager lays the tree out again
  const SIZE round = manager_.GetRoundCorner();
  if (::IsIconic(hWnd_) || (round.cx == 0 && round.cy == 0)) return 0;
  RECT rc = {};
  ::GetWindowRect(hWnd_, &rc);
  Utils::UniqueRegion region(::CreateRoundRectRgn(0, 0, rc.right - rc.left + 1,
                                                  rc.bottom - rc.top + 1, round.cx, round.cy));
  // On success the window owns the region.
  if (region && ::SetWindowRgn(hWnd_, region.get(), TRUE) != 0) region.release();
  return 0;
}

LRESULT WindowImplBase::OnSysCommand(UINT message, WPARAM wParam, LPARAM lParam,
                                     bool& /*handled*/) {
  if ((wParam & 0xFFF0) == SC_CLOSE) {
    SendMessage(WM_CLOSE);
    return 0;
  }
  const bool wasZoomed = ::IsZoomed(hWnd_) != FALSE;
  const LRESULT result = CWindowWnd::HandleMessage(message, wParam, lParam);
  if (hWnd_ == nullptr) return result;
  const bool zoomed = ::IsZoomed(hWnd_) != FALSE;
  if (zoomed != wasZoomed) {
    CControlUI* maxButton = manager_.FindControl(L"maxbtn");
    CControlUI* restoreButton = manager_.FindControl(L"restorebtn");
    if (maxButton != nullptr && restoreButton != nullptr) {
      maxButton->SetVisible(!zoomed);
      restoreButton->SetVisible(zoomed);
    }
  }
  return result;
}

// --- WindowImplBase: building the skin ----------------------------------------------------------------

LRESULT WindowImplBase::OnCreate(UINT, WPARAM, LPARAM, bool& /*handled*/) {
  // The whole window becomes client area; it keeps its place and its outer size.
  const LONG_PTR style = ::GetWindowLongPtrW(hWnd_, GWL_STYLE);
  ::SetWindowLongPtrW(hWnd_, GWL_STYLE,
                      (style & ~static_cast<LONG_PTR>(WS_CAPTION)) | WS_CLIPSIBLINGS |
                          WS_CLIPCHILDREN);
  RECT client = {};
  ::GetClientRect(hWnd_, &client);
  ::SetWindowPos(hWnd_, nullptr, client.left, client.top, client.right - client.left,
                 client.bottom - client.top,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

  manager_.Init(hWnd_);
  manager_.AddPreMessageFilter(this);

  if (CWindowManagerUI::GetResourcePath().IsEmpty()) {
    const CStringUI folder = CWindowManagerUI::GetInstancePath() + GetSkinFolder();
    CWindowManagerUI::SetResourcePath(folder.GetData());
  }

  const CStringUI skinFile = GetSkinFile();
  switch (GetResourceType()) {
    case kSkinFromArchiveFile: {
      const CStringUI zipFile = GetSkinZipFile();
      CWindowManagerUI::SetResourceZip(zipFile.GetData(), true);
      break;
    }
    case kSkinFromArchiveResource: {
      // A missing archive is as fatal as a missing layout: the window would have no tree.
      TSkinArchiveBlockUI block;
      if (!SkinArchiveFromResource(GetResourceID(), &block)) FailSkinBuild(skinFile.GetData());
      CWindowManagerUI::SetResourceZipMemory(block.bytes, block.size);
      break;
    }
    default:
      break;
  }

  CSkinBuilderUI builder;
  CControlUI* root = nullptr;
  if (GetResourceType() == kSkinFromXmlResource) {
    const int id = ParseAttributeInt(skinFile.GetData());
    if (id > 0 && id < 0x10000) {
      root = builder.Create(CStringOrIdUI(static_cast<unsigned>(id)), kSkinXmlResourceType, this,
                            &manager_);
    }
  } else {
    root = builder.Create(CStringOrIdUI(skinFile.GetData()), nullptr, this, &manager_);
  }
  if (root == nullptr) FailSkinBuild(skinFile.GetData());

  manager_.AttachDialog(root);
  manager_.AddNotifier(this);
  InitWindow();
  return 0;
}

// --- CSkinFrame ------------------------------------------------------------------------------------

CSkinFrame::CSkinFrame(const TSkinInfoUI& info)
    : resourceType_(info.resourceType),
      resourceId_(info.resourceId),
      skinFolder_(info.skinFolder),
      skinFile_(info.skinFile),
      windowClassName_(info.windowClassName) {}

LRESULT CSkinFrame::MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) {
  if (message == WM_KEYDOWN && wParam == VK_ESCAPE) {
    handled = true;
    return 0;
  }
  return WindowImplBase::MessageHandler(message, wParam, lParam, handled);
}

LRESULT CSkinFrame::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const HWND window = hWnd_;
  const LRESULT result = WindowImplBase::HandleMessage(message, wParam, lParam);
  // A layered window gets no WM_PAINT: it puts its picture on the screen from the layered timer.
  // Its shadow's pending update follows the tick after which nothing is left to paint, so that
  // a window just shown shows its content first (a first tick may only lay the tree out). A
  // window that went away during the tick may have taken this object with it.
  if (message == WM_TIMER && wParam == kLayeredTimerId && ::IsWindow(window) &&
      manager_.IsLayered() && !manager_.IsLayeredPaintPending()) {
    shadow_.ParentPainted();
  }
  return result;
}

const wchar_t* CSkinFrame::GetWindowClassName() const { return windowClassName_.GetData(); }

CStringUI CSkinFrame::GetSkinFolder() { return skinFolder_; }

CStringUI CSkinFrame::GetSkinFile() { return skinFile_; }

int CSkinFrame::GetResourceType() const { return resourceType_; }

const wchar_t* CSkinFrame::GetResourceID() const { return MAKEINTRESOURCEW(resourceId_); }

void CSkinFrame::InitWindow() {
  const LONG_PTR style = ::GetWindowLongPtrW(hWnd_, GWL_STYLE);
  ::SetWindowLongPtrW(hWnd_, GWL_STYLE,
                      style & ~static_cast<LONG_PTR>(WS_CAPTION | WS_MAXIMIZEBOX));

  const wchar_t* showShadow = manager_.GetWindowCustomAttribute(L"showshadow");
  if (showShadow == nullptr || !NameIsNoCase(showShadow, L"true")) return;
  shadow_.Create(hWnd_);

  if (const wchar_t* image = manager_.GetWindowCustomAttribute(L"shadowimage")) {
    const wchar_t* corner = manager_.GetWindowCustomAttribute(L"shadowcorner");
    const wchar_t* hole = manager_.GetWindowCustomAttribute(L"shadowholeoffset");
    const RECT none = {0, 0, 0, 0};
    shadow_.SetImage(image, corner != nullptr ? ParseAttributeRect(corner) : none,
                     hole != nullptr ? ParseAttributeRect(hole) : none);
  }
  if (const wchar_t* size = manager_.GetWindowCustomAttribute(L"shadowsize")) {
    shadow_.SetSize(ParseAttributeInt(size));
  }
  // A negative sharpness or darkness wraps to a large unsigned value, which the setters refuse.
  if (const wchar_t* sharpness = manager_.GetWindowCustomAttribute(L"shadowsharpness")) {
    shadow_.SetSharpness(static_cast<unsigned>(ParseAttributeInt(sharpness)));
  }
  if (const wchar_t* darkness = manager_.GetWindowCustomAttribute(L"shadowdarkness")) {
    shadow_.SetDarkness(static_cast<unsigned>(ParseAttributeInt(darkness)));
  }
  if (const wchar_t* position = manager_.GetWindowCustomAttribute(L"shadowposition")) {
    const SIZE offset = ParseAttributeSize(position);
    shadow_.SetPosition(offset.cx, offset.cy);
  }
  if (const wchar_t* color = manager_.GetWindowCustomAttribute(L"shadowcolor")) {
    // The value is taken as it is written: its low byte is red, its top byte is ignored.
    shadow_.SetColor(ParseAttributeColor(color));
  }
}

}  // namespace SkinUI
