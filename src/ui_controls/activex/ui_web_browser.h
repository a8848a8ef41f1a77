#pragma once
// The system web browser control embedded in a skinned window ("WebBrowser"), hosted by the
// ActiveX control. It navigates to its home page when asked to, listens to the browser's
// DWebBrowserEvents2, becomes the UI handler of each document it loads, keeps script errors from
// opening dialogs, and gives keys to the browser while the keyboard focus is inside it.
//
// The COM parts live as long as the control: their reference count is kept for the browser's
// sake and never deletes the object; the control lets go of the browser (event sink, translator)
// when it releases it.
#include <windows.h>
#include <docobj.h>
#include <exdisp.h>
#include <mshtmhst.h>
#include <servprov.h>

#include "base/unique_resource.h"
#include "ui_controls/activex/ui_activex.h"
#include "ui_core/values/ui_events.h"
#include "ui_core/values/ui_string.h"

namespace SkinUI {

class CWebBrowserUI : public CActiveXUI,
                      public IDocHostUIHandler,
                      public IServiceProvider,
                      public IOleCommandTarget,
                      public IDispatch,
                      public ITranslateAcceleratorUI {
public:
  CWebBrowserUI();
  ~CWebBrowserUI() override;

  const wchar_t* GetClass() const override;
  void* GetInterface(const wchar_t* name) override;
  void SetAttribute(const wchar_t* name, const wchar_t* value) override;
  // A browser made before the control joined its window becomes that window's translator now.
  void SetManager(CWindowManagerUI* manager, CControlUI* parent, bool init = true) override;
  void ReleaseControl() override;
  bool DoCreateControl() override;
  // The document asks its host to show a message box; the host shows none.
  virtual HRESULT ShowMessage(HWND window, LPOLESTR text, LPOLESTR caption, DWORD type,
                              LPOLESTR helpFile, DWORD helpContext, LRESULT* result);

  const CStringUI& GetHomePage() const { return homePage_; }
  void SetHomePage(const wchar_t* url);
  bool IsAutoNavigate() const { return autoNavigate_; }
  void SetAutoNavigate(bool autoNavigate) { autoNavigate_ = autoNavigate; }
  // Asks the browser to go to url (nothing without a URL or a browser).
  void Navigate2(const wchar_t* url);
  IWebBrowser2* GetWebBrowser2() const { return webBrowser_.get(); }

  // --- IUnknown ---
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // --- IDocHostUIHandler ---
  STDMETHODIMP ShowContextMenu(DWORD id, POINT* point, IUnknown* target,
                               IDispatch* reserved) override;
  STDMETHODIMP GetHostInfo(DOCHOSTUIINFO* info) override;
  STDMETHODIMP ShowUI(DWORD id, IOleInPlaceActiveObject* activeObject,
                      IOleCommandTarget* commandTarget, IOleInPlaceFrame* frame,
                      IOleInPlaceUIWindow* document) override;
  STDMETHODIMP HideUI() override;
  STDMETHODIMP UpdateUI() override;
  STDMETHODIMP EnableModeless(BOOL enable) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                            BOOL frameWindow) override;
  STDMETHODIMP TranslateAccelerator(LPMSG msg, const GUID* group, DWORD commandId) override;
  STDMETHODIMP GetOptionKeyPath(LPOLESTR* key, DWORD reserved) override;
  STDMETHODIMP GetDropTarget(IDropTarget* dropTarget, IDropTarget** replacement) override;
  STDMETHODIMP GetExternal(IDispatch** external) override;
  STDMETHODIMP TranslateUrl(DWORD translate, LPWSTR url, LPWSTR* translated) override;
  STDMETHODIMP FilterDataObject(IDataObject* object, IDataObject** replacement) override;

  // --- IServiceProvider ---
  STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** object) override;

  // --- IOleCommandTarget ---
  STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD* commands,
                           OLECMDTEXT* text) override;
  STDMETHODIMP Exec(const GUID* group, DWORD commandId, DWORD options, VARIANT* in,
                    VARIANT* out) override;

  // --- IDispatch: the DWebBrowserEvents2 sink ---
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                             DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                      VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

  // --- ITranslateAcceleratorUI: keys for the browser while it has the keyboard focus ---
  LRESULT TranslateAccelerator(MSG* msg) override;

protected:
  // Advises (on) or unadvises (off) the event sink on the browser's connection point.
  HRESULT RegisterEventHandler(bool on);
  // A new document: this control becomes its UI handler.
  void OnNavigateComplete();
  // A script error: reads what the document tells about it (for the log).
  HRESULT ReadScriptError(VARIANT* in);

  Utils::ComPtr<IWebBrowser2> webBrowser_;
  LONG refCount_ = 0;
  DWORD eventCookie_ = 0;
  CStringUI homePage_;
  bool autoNavigate_ = false;

private:
  void AddTranslator();
  void RemoveTranslator();

  bool translatorAdded_ = false;
};

}  // namespace SkinUI
