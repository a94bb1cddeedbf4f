#include "factory.h"

#include <new>

#include "qitable.h"
#include "server.h"
#include "tip.h"

ThumbnailTipFactory::ThumbnailTipFactory() : cRef_(0) { ServerObjectCreated(); }

ThumbnailTipFactory::~ThumbnailTipFactory() { ServerObjectDestroyed(); }

HRESULT ThumbnailTipFactory::Create(REFIID riid, void** ppv) {
  ThumbnailTipFactory* factory = new (std::nothrow) ThumbnailTipFactory();
  if (factory == nullptr) return E_OUTOFMEMORY;
  // Hold a reference across the QueryInterface so that a refusal frees it.
  factory->AddRef();
  const HRESULT hr = factory->QueryInterface(riid, ppv);
  factory->Release();
  return hr;
}

STDMETHODIMP ThumbnailTipFactory::QueryInterface(REFIID riid, void** ppv) {
  static const peektip::QiEntry table[] = {
      {&peektip::kIID_IUnknown, 0},
      {&peektip::kIID_IClassFactory, 0},
  };
  return peektip::QueryTable(this, table, 2, riid, ppv);
}

STDMETHODIMP_(ULONG) ThumbnailTipFactory::AddRef() { return InterlockedIncrement(&cRef_); }

STDMETHODIMP_(ULONG) ThumbnailTipFactory::Release() {
  const LONG cRef = InterlockedDecrement(&cRef_);
  if (cRef == 0) delete this;
  return cRef;
}

STDMETHODIMP ThumbnailTipFactory::CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (pUnkOuter != nullptr) return CLASS_E_NOAGGREGATION;
  return ThumbnailTip::Create(riid, ppv);
}

// A lock does not keep the library loaded; only live objects do.
STDMETHODIMP ThumbnailTipFactory::LockServer(BOOL) { return S_OK; }
