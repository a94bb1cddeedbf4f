// The library's exports: loading a file as a fitted PackedDib by the loader
// its extension chooses, and the animation player. No exception leaves them.
#include <windows.h>

#include <string.h>

#include "format.h"
#include "loaders.h"
#include "pixload.h"
#include "player.h"

using namespace pixload;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
  // At FreeLibrary (not at process exit) the playback ends: its timer would
  // otherwise call into the unloaded module.
  if (reason == DLL_PROCESS_DETACH && !reserved) ReleasePlayback();
  return TRUE;
}

extern "C" MemHandle ZO_API LoadDibFromFile(const char* path, const DibLoadRequest* request, DibImageInfo* info) {
  // A failed load leaves the information zero, frame count included.
  if (info) memset(info, 0, sizeof *info);
  if (!path || !*path) return 0;
  try {
    switch (LoaderForPath(path)) {
      case Loader::Wic: return LoadWithWic(path, request, info);
      case Loader::Gif: return LoadGif(path, request, info);
      case Loader::Jpeg: return LoadJpeg(path, request, info);
      case Loader::Emf: return LoadEmf(path, request, info);
      case Loader::Wmf: return LoadWmf(path, request, info);
      case Loader::Codec: return LoadWithCodecs(path, request, info);
      case Loader::Plugin: return LoadWithPlugin(path, request, info);
    }
  } catch (...) {
  }
  return 0;
}

extern "C" uint32_t ZO_API StartAnimation(void* hwnd, const char* path, const PlaybackRequest* request) {
  try {
    return StartPlayback(static_cast<HWND>(hwnd), path, request);
  } catch (...) {
    StopPlayback();
    return 0;
  }
}

extern "C" void ZO_API StopAnimation(void) { StopPlayback(); }
