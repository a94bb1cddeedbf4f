// The process-wide state that every tip object, tip request and the popup
// share. Zero when the library is loaded; changed only by the writers named
// beside each field.
#pragma once
#include <windows.h>

#include "dibrecords.h"
#include "handlebank.h"
#include "tiplogic.h"

struct TipState {
  char szCurFile[peektip::kPathSize];   // path of the last Load (Load)
  char szLastFile[peektip::kPathSize];  // copy taken as each load starts (GetInfoTip)
  MemHandle hThumbDib;                  // the current thumbnail, or 0
  union {
    DibImageInfo dibInfo;  // as the last load reported it
    unsigned char dibInfoStorage[DIB_IMAGE_INFO_STORAGE];
  };
  RECT rcItem;        // screen bounds of the item the popup was last placed over
  RECT rcPopup;       // screen rectangle the popup was last placed at
  HWND hwndPopup;     // the popup, or NULL
  HWND hwndListView;  // where forwarded mouse messages go
  LONG fButtonDown;   // the left button went down on the popup
  LONG fSkipShow;     // the next placement leaves the popup hidden
  LONG fClassRegistered;
  LONG fAnimated;     // the last load has frames: the image library plays it
};

extern TipState g_tipState;
