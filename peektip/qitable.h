// A QueryInterface table in the manner of the shell's QITAB: each entry maps
// an interface identifier to the offset of that interface within the object.
#pragma once
#include <windows.h>
#include <stddef.h>

namespace peektip {

// The published identifiers of the interfaces this library answers.
const IID kIID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID kIID_IQueryInfo = {0x00021500, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct QiEntry {
  const IID* iid;
  ptrdiff_t offset;  // of the interface pointer from the object's start
};

// Offset of interface Itf within class Cls (the address adjustment of the
// static cast from a non-null object pointer).
template <class Cls, class Itf>
ptrdiff_t InterfaceOffset() {
  Cls* const probe = reinterpret_cast<Cls*>(alignof(Cls) * 16);
  return reinterpret_cast<char*>(static_cast<Itf*>(probe)) - reinterpret_cast<char*>(probe);
}

// Looks riid up in the table (first match wins), stores the interface
// pointer, AddRefs it and returns S_OK; otherwise E_NOINTERFACE. *ppv is
// NULL on every failure.
inline HRESULT QueryTable(void* object, const QiEntry* table, int count, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  for (int i = 0; i < count; ++i) {
    if (IsEqualIID(riid, *table[i].iid)) {
      IUnknown* itf = reinterpret_cast<IUnknown*>(static_cast<char*>(object) + table[i].offset);
      itf->AddRef();
      *ppv = itf;
      return S_OK;
    }
  }
  return E_NOINTERFACE;
}

}  // namespace peektip
