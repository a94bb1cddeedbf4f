// Entry point and class-object exports of the in-process server.
#include <windows.h>

#include "factory.h"
#include "peektip_clsid.h"
#include "pixload.h"
#include "popup.h"
#include "server.h"
#include "tipstate.h"

HINSTANCE g_hDllInstance;

namespace {

// Changed from several apartment threads: interlocked.
LONG g_cLiveObjects;
LONG g_cLiveWindows;

}  // namespace

void ServerObjectCreated() { InterlockedIncrement(&g_cLiveObjects); }
void ServerObjectDestroyed() { InterlockedDecrement(&g_cLiveObjects); }
void ServerWindowCreated() { InterlockedIncrement(&g_cLiveWindows); }
void ServerWindowDestroyed() { InterlockedDecrement(&g_cLiveWindows); }

extern "C" BOOL WINAPI DllMain(HINSTANCE hinstDLL, DWORD fdwReason, LPVOID lpvReserved) {
  switch (fdwReason) {
    case DLL_PROCESS_ATTACH:
      g_hDllInstance = hinstDLL;
      break;
    case DLL_PROCESS_DETACH:
      // Unloaded while the process goes on: no popup may keep a window
      // procedure that is about to disappear. At process exit the windows
      // go with the process and the window manager is left alone.
      if (lpvReserved == nullptr) RetirePopupsForUnload();
      if (g_tipState.hThumbDib != 0) {
        ZoMemFree(g_tipState.hThumbDib);
        g_tipState.hThumbDib = 0;
      }
      StopAnimation();
      break;
    default:
      break;
  }
  return TRUE;
}

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
  if (ppv == nullptr) return E_POINTER;
  *ppv = nullptr;
  if (!IsEqualCLSID(rclsid, CLSID_ThumbnailTip)) return CLASS_E_CLASSNOTAVAILABLE;
  return ThumbnailTipFactory::Create(riid, ppv);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow(void) {
  const bool busy = InterlockedCompareExchange(&g_cLiveObjects, 0, 0) != 0 ||
                    InterlockedCompareExchange(&g_cLiveWindows, 0, 0) != 0;
  return busy ? S_FALSE : S_OK;
}
