#include "tiprequest.h"

#include <windows.h>
#include <string.h>

#include "pixload.h"
#include "popup.h"
#include "tipstate.h"

void HandleTipRequest() {
  TipState& s = g_tipState;
  // A held Shift or Control key suppresses the thumbnail.
  if (GetKeyState(VK_SHIFT) < 0) return;
  if (GetKeyState(VK_CONTROL) < 0) return;
  // The left button is held on the popup over the same file.
  if (s.fButtonDown) {
    if (lstrcmpiA(s.szCurFile, s.szLastFile) == 0) return;
    s.fButtonDown = 0;
  }
  // A window of this thread (the popup among them) holds the capture.
  if (GetCapture() != nullptr) return;
  if (lstrlenA(s.szCurFile) <= 0) return;

  lstrcpyA(s.szLastFile, s.szCurFile);
  if (s.hThumbDib != 0) ZoMemFree(s.hThumbDib);

  DibLoadRequest request;
  memset(&request, 0, sizeof request);
  request.cbSize = DIB_LOAD_REQUEST_SIZE;
  request.nMaxWidth = peektip::kThumbBox;
  request.nMaxHeight = peektip::kThumbBox;
  s.hThumbDib = LoadDibFromFile(s.szCurFile, &request, &s.dibInfo);

  // Decided after every load, whatever it returned.
  if (s.dibInfo.wFrameCount != 0) {
    StopAnimation();
    s.fAnimated = 1;
  } else {
    s.fAnimated = 0;
  }
  ShowDibWnd();
}
