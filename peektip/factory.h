// The class factory of the thumbnail tip.
#pragma once
#include <windows.h>
#include <unknwn.h>

class ThumbnailTipFactory final : public IClassFactory {
 public:
  // A new factory handed out through riid; a factory whose first
  // QueryInterface is refused is destroyed again at once.
  static HRESULT Create(REFIID riid, void** ppv);

  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;
  STDMETHODIMP CreateInstance(IUnknown* pUnkOuter, REFIID riid, void** ppv) override;
  STDMETHODIMP LockServer(BOOL fLock) override;

 private:
  ThumbnailTipFactory();
  ~ThumbnailTipFactory();

  LONG cRef_;
};
