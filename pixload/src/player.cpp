// Plays an animated GIF in a window: every frame is composed and fitted once
// at the start; a timer on the calling thread (no thread of our own) draws
// them in turn with SetDIBitsToDevice until StopPlayback, the end of the
// file's loops, or the window's destruction.
#include "player.h"

#include <string.h>

#include <vector>

#include "comscope.h"
#include "dib.h"
#include "fileread.h"
#include "fitrule.h"
#include "gif.h"

namespace pixload {

namespace {

// Frames beyond these limits are not played.
constexpr int kMaxFrames = 4096;
constexpr size_t kMaxFrameBytes = 256u * 1024 * 1024;

struct Frame {
  std::vector<uint8_t> rows;  // bottom-up, 24 bits, rows padded to 4 bytes
  int delayMs = 0;
};

struct Playback {
  HWND hwnd = nullptr;
  UINT_PTR timer = 0;
  int x = 0, y = 0;
  int boxW = 0, boxH = 0;  // the visible box the frames are fitted into
  BITMAPINFOHEADER header = {};
  std::vector<Frame> frames;
  size_t current = 0;
  int playsLeft = 0;  // whole passes still to start after this one; -1: for ever
};

Playback* g_playback = nullptr;

void Draw(const Playback& p) {
  HDC dc = GetDC(p.hwnd);
  if (!dc) return;
  const Frame& f = p.frames[p.current];
  // The part of the box the fitted frame leaves uncovered is painted black,
  // so it never shows what was on the screen before.
  const RECT right = {p.x + p.header.biWidth, p.y, p.x + p.boxW, p.y + p.boxH};
  const RECT below = {p.x, p.y + p.header.biHeight, p.x + p.header.biWidth, p.y + p.boxH};
  const HBRUSH black = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
  if (right.left < right.right) FillRect(dc, &right, black);
  if (below.top < below.bottom) FillRect(dc, &below, black);
  SetDIBitsToDevice(dc, p.x, p.y, DWORD(p.header.biWidth), DWORD(p.header.biHeight), 0, 0, 0,
                    UINT(p.header.biHeight), f.rows.data(), reinterpret_cast<const BITMAPINFO*>(&p.header),
                    DIB_RGB_COLORS);
  ReleaseDC(p.hwnd, dc);
}

void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
  Playback* p = g_playback;
  if (!p || p->timer != id) {
    KillTimer(nullptr, id);  // a timer left from a playback that has gone
    return;
  }
  if (!IsWindow(p->hwnd)) {
    StopPlayback();
    return;
  }
  KillTimer(nullptr, id);
  p->timer = 0;
  if (++p->current == p->frames.size()) {
    if (p->playsLeft == 0) {
      // The last pass is over: the last frame stays drawn.
      p->current = p->frames.size() - 1;
      StopPlayback();
      return;
    }
    if (p->playsLeft > 0) --p->playsLeft;
    p->current = 0;
  }
  Draw(*p);
  p->timer = SetTimer(nullptr, 0, UINT(p->frames[p->current].delayMs), OnTimer);
  if (!p->timer) StopPlayback();
}

}  // namespace

uint32_t StartPlayback(HWND hwnd, const char* path, const PlaybackRequest* request) {
  StopPlayback();
  if (!hwnd || !path || !request || !IsWindow(hwnd)) return 0;
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, bytes)) return 0;
  auto* p = new Playback;
  p->hwnd = hwnd;
  p->x = request->xOrigin;
  p->y = request->yOrigin;
  // The box below the caption strip that the origin leaves.
  const int boxW = request->cxMax;
  const int boxH = request->cyMax > request->yOrigin ? request->cyMax - request->yOrigin : request->cyMax;
  p->boxW = boxW;
  p->boxH = boxH;
  GifFile file;
  bool ok;
  {
    ComScope com;
    int fw = 0, fh = 0;
    size_t total = 0;
    ok = com.usable() &&
         ReadGif(bytes, kMaxFrames, file, [&](const GifFrameInfo& info, const Pixels& canvas) {
           if (p->frames.empty()) {
             const FitSize s = FitIntoBox(canvas.width, canvas.height, boxW, boxH);
             if (s.width <= 0 || s.height <= 0 || PackedDibBytes(s.width, s.height, 24, 0) == 0) return false;
             fw = int(s.width);
             fh = int(s.height);
           }
           const size_t stride = size_t(DibRowStride(fw, 24));
           if (total + stride * size_t(fh) > kMaxFrameBytes) return false;
           Pixels flat = canvas;
           FlattenOverWhite(flat);
           Frame f;
           f.rows.assign(stride * size_t(fh), 0);
           Resample(flat, fw, fh, f.rows.data() + stride * size_t(fh - 1), -ptrdiff_t(stride));
           f.delayMs = GifFrameDelayMs(info.delayCs);
           total += f.rows.size();
           p->frames.push_back(std::move(f));
           return true;
         });
    p->header.biSize = sizeof(BITMAPINFOHEADER);
    p->header.biWidth = fw;
    p->header.biHeight = fh;
    p->header.biPlanes = 1;
    p->header.biBitCount = 24;
    p->header.biCompression = BI_RGB;
  }
  if (!ok || p->frames.empty()) {
    delete p;
    return 0;
  }
  // NETSCAPE2.0 count: 0 loops for ever, n plays n times; no count plays once.
  p->playsLeft = file.loopCount == 0 ? -1 : file.loopCount > 0 ? file.loopCount - 1 : 0;
  g_playback = p;
  Draw(*p);
  if (p->frames.size() > 1) p->timer = SetTimer(nullptr, 0, UINT(p->frames[0].delayMs), OnTimer);
  if (!p->timer) {
    StopPlayback();
    return 0;
  }
  return 1;
}

void StopPlayback() {
  Playback* p = g_playback;
  if (!p) return;
  g_playback = nullptr;
  if (p->timer) KillTimer(nullptr, p->timer);
  delete p;
}

void ReleasePlayback() {
  // KillTimer only succeeds on the playing thread; elsewhere the attempt is
  // harmless.
  StopPlayback();
}

}  // namespace pixload
