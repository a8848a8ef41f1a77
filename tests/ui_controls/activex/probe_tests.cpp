#include <gtest/gtest.h>
#include <cstdio>
#include <exdisp.h>
#include "ui_controls/ui_activex.h"
#include "ui_controls/ui_web_browser.h"
#include "ui_core/ui_layouts.h"
#include "ui_test_support.h"

struct Sink : IDispatch {
  LONG ref = 1;
  STDMETHODIMP QueryInterface(REFIID, void** o) override { *o = this; AddRef(); return S_OK; }
  STDMETHODIMP_(ULONG) AddRef() override { return ++ref; }
  STDMETHODIMP_(ULONG) Release() override { return --ref; }
  STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
    printf("EVENT %ld args=%u:", id, p ? p->cArgs : 0);
    for (UINT i = 0; p && i < p->cArgs; ++i) {
      VARIANT v; VariantInit(&v);
      VARIANT* a = &p->rgvarg[i];
      printf(" [vt=%x", a->vt);
      if (SUCCEEDED(VariantChangeType(&v, (a->vt & VT_BYREF) && (a->vt & ~VT_BYREF) == VT_VARIANT ? a->pvarVal : a, 0, VT_BSTR))) printf(" %ls", v.bstrVal);
      printf("]");
      VariantClear(&v);
    }
    printf("\n");
    return S_OK;
  }
};

TEST(Probe, Wmp) {
  const wchar_t* which = _wgetenv(L"PROBE");
  const wchar_t* url = _wgetenv(L"PROBE_URL");
  TestSupport::TestHostWindow host(400, 300);
  auto* root = new SkinUI::CVerticalLayoutUI();
  SkinUI::CActiveXUI* ax = std::wstring(which ? which : L"").find(L"Shell") == 0 ? new SkinUI::CWebBrowserUI() : new SkinUI::CActiveXUI();
  ax->SetFixedHeight(200);
  ax->SetAttribute(L"clsid", which ? which : L"WMPlayer.OCX");
  root->Add(ax);
  host.Attach(root);
  TestSupport::PumpUntil([] { return false; }, 1000);
  printf("created %d control %p native %p\n", ax->IsCreated(), (void*)ax->GetInterface(L"x"), (void*)ax->GetNativeWindow());
  IUnknown* unk = nullptr;
  HRESULT hr = ax->GetControl(IID_IUnknown, (void**)&unk);
  printf("GetControl %lx\n", hr);
  Sink sink; DWORD cookie = 0;
  if (auto* wb = dynamic_cast<SkinUI::CWebBrowserUI*>(ax)) {
    IConnectionPointContainer* c = nullptr; IConnectionPoint* cp = nullptr;
    wb->GetWebBrowser2()->QueryInterface(IID_IConnectionPointContainer, (void**)&c);
    c->FindConnectionPoint(DIID_DWebBrowserEvents2, &cp);
    printf("advise %lx\n", cp->Advise(&sink, &cookie));
    wb->Navigate2(url ? url : L"about:blank");
    TestSupport::PumpUntil([] { return false; }, 3000);
    IDispatch* doc = nullptr;
    printf("get_Document %lx %p\n", wb->GetWebBrowser2()->get_Document(&doc), (void*)doc);
    if (doc) doc->Release();
    cp->Unadvise(cookie); cp->Release(); c->Release();
  }
  ax->ReleaseControl();
  if (unk) printf("after release: %lu\n", unk->Release());
}
TEST(Probe, WmpClientSite) {

  CoInitialize(nullptr);
  TestSupport::TestHostWindow host(400, 300);
  auto* root = new SkinUI::CVerticalLayoutUI();
  auto* ax = new SkinUI::CActiveXUI();
  ax->SetAttribute(L"clsid", L"WMPlayer.OCX");
  root->Add(ax);
  host.Attach(root);
  IOleObject* o = nullptr;
  ax->GetControl(IID_IOleObject, (void**)&o);
  IOleClientSite* s1 = nullptr; IOleClientSite* s2 = nullptr;
  o->GetClientSite(&s1);
  ULONG a = (s1->AddRef(), s1->Release());
  o->GetClientSite(&s2);
  ULONG b = (s2->AddRef(), s2->Release());
  printf("counts %lu %lu\n", a, b);
  o->Release();
}
