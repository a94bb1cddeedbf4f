// COM for the calling thread for the span of one call: initialised when the
// thread had none, balanced on leaving; a thread already in another apartment
// model (RPC_E_CHANGED_MODE) is used as it is.
#pragma once
#include <objbase.h>

namespace pixload {

class ComScope {
 public:
  ComScope() {
    const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    mustUninit_ = SUCCEEDED(hr);  // S_OK and S_FALSE both take a reference
    usable_ = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
  }
  ~ComScope() {
    if (mustUninit_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  bool usable() const { return usable_; }

 private:
  bool mustUninit_ = false;
  bool usable_ = false;
};

}  // namespace pixload
