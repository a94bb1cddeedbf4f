// The thumbnail tip object: IPersistFile receives the hovered file's path,
// IQueryInfo answers the tip request. One reference count for both.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

class ThumbnailTip final : public IPersistFile, public IQueryInfo {
 public:
  // A new tip object handed out through riid; destroyed again at once when
  // that first QueryInterface is refused.
  static HRESULT Create(REFIID riid, void** ppv);

  // IUnknown, through either interface.
  STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IPersistFile
  STDMETHODIMP GetClassID(CLSID* pClassID) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(LPCOLESTR pszFileName, DWORD dwMode) override;
  STDMETHODIMP Save(LPCOLESTR pszFileName, BOOL fRemember) override;
  STDMETHODIMP SaveCompleted(LPCOLESTR pszFileName) override;
  STDMETHODIMP GetCurFile(LPOLESTR* ppszFileName) override;

  // IQueryInfo
  STDMETHODIMP GetInfoTip(DWORD dwFlags, LPWSTR* ppwszTip) override;
  STDMETHODIMP GetInfoFlags(DWORD* pdwFlags) override;

 private:
  ThumbnailTip();
  ~ThumbnailTip();

  LONG cRef_;
};
