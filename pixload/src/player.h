// The GIF animation player behind StartAnimation and StopAnimation.
#pragma once
#include <windows.h>

#include "pixload.h"

namespace pixload {

uint32_t StartPlayback(HWND hwnd, const char* path, const PlaybackRequest* request);
void StopPlayback();
// When the module is unloaded: ends the playback, timer included.
void ReleasePlayback();

}  // namespace pixload
