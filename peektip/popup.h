// The thumbnail popup: a topmost, frameless window at the cursor over the
// hovered list-view item, with the caption strip and the bitmap.
#pragma once
#include <windows.h>

// Sizes, places, shows and captures the popup for the current thumbnail.
void ShowDibWnd();

LRESULT CALLBACK DibWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// The library is being unloaded while the process goes on: destroy the
// popups of the calling thread, detach the others from this code, and
// unregister the class.
void RetirePopupsForUnload();
