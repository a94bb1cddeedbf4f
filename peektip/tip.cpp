#include "tip.h"

#include <new>

#include "qitable.h"
#include "server.h"
#include "tiprequest.h"
#include "tipstate.h"

ThumbnailTip::ThumbnailTip() : cRef_(0) { ServerObjectCreated(); }

ThumbnailTip::~ThumbnailTip() { ServerObjectDestroyed(); }

HRESULT ThumbnailTip::Create(REFIID riid, void** ppv) {
  ThumbnailTip* tip = new (std::nothrow) ThumbnailTip();
  if (tip == nullptr) return E_OUTOFMEMORY;
  // Hold a reference across the QueryInterface so that a refusal frees it.
  static_cast<IPersistFile*>(tip)->AddRef();
  const HRESULT hr = tip->QueryInterface(riid, ppv);
  static_cast<IPersistFile*>(tip)->Release();
  return hr;
}

STDMETHODIMP ThumbnailTip::QueryInterface(REFIID riid, void** ppv) {
  // IPersist is not answered although IPersistFile derives from it.
  static const peektip::QiEntry table[] = {
      {&peektip::kIID_IUnknown, peektip::InterfaceOffset<ThumbnailTip, IPersistFile>()},
      {&peektip::kIID_IPersistFile, peektip::InterfaceOffset<ThumbnailTip, IPersistFile>()},
      {&peektip::kIID_IQueryInfo, peektip::InterfaceOffset<ThumbnailTip, IQueryInfo>()},
  };
  return peektip::QueryTable(this, table, 3, riid, ppv);
}

STDMETHODIMP_(ULONG) ThumbnailTip::AddRef() { return InterlockedIncrement(&cRef_); }

STDMETHODIMP_(ULONG) ThumbnailTip::Release() {
  const LONG cRef = InterlockedDecrement(&cRef_);
  if (cRef == 0) delete this;
  return cRef;
}

STDMETHODIMP ThumbnailTip::GetClassID(CLSID*) { return E_NOTIMPL; }
STDMETHODIMP ThumbnailTip::IsDirty() { return E_NOTIMPL; }
STDMETHODIMP ThumbnailTip::Save(LPCOLESTR, BOOL) { return E_NOTIMPL; }
STDMETHODIMP ThumbnailTip::SaveCompleted(LPCOLESTR) { return E_NOTIMPL; }
STDMETHODIMP ThumbnailTip::GetCurFile(LPOLESTR*) { return E_NOTIMPL; }
STDMETHODIMP ThumbnailTip::GetInfoFlags(DWORD*) { return E_NOTIMPL; }

// The path goes into the process-wide state in the ANSI code page; a path
// that cannot be converted whole (too long, or no path) leaves it empty.
STDMETHODIMP ThumbnailTip::Load(LPCOLESTR pszFileName, DWORD) {
  char* const cur = g_tipState.szCurFile;
  const int n = pszFileName == nullptr
                    ? 0
                    : WideCharToMultiByte(CP_ACP, 0, pszFileName, -1, cur, peektip::kPathSize, nullptr, nullptr);
  if (n <= 0) cur[0] = 0;
  cur[peektip::kPathSize - 1] = 0;
  return S_OK;
}

STDMETHODIMP ThumbnailTip::GetInfoTip(DWORD, LPWSTR* ppwszTip) {
  HandleTipRequest();
  if (ppwszTip != nullptr) *ppwszTip = nullptr;
  return S_OK;
}
