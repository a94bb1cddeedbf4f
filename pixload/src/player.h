// The GIF animation player behind StartAnimation and StopAnimation.
#pragma once
#include <windows.h>

#include "pixload.h"

namespace pixload {

uint32_t StartPlayback(HWND hwnd, const char* path, const PlaybackRequest* request);
void StopPlayback();
// At process detach: frees what a playback holds without touching timers.
void ReleasePlayback();

}  // namespace pixload
