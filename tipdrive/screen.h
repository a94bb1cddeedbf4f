// Reading the screen, drawing the expected caption strip, saving pictures.
#pragma once
#include <windows.h>

#include <string>

#include "expectations.h"

// The screen's pixels inside rc, as the user sees them.
Picture CaptureScreen(const RECT& rc);

// The caption strip the popup draws for `text` when it is `width` wide:
// white text centred on the desktop colour, in the default font.
Picture RenderStrip(const std::string& text, int width);

bool SaveBmp(const Picture& picture, const std::string& path);
