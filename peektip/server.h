// The in-process server: the module handle and the count of live objects
// and windows that keep the library loaded.
#pragma once
#include <windows.h>

extern HINSTANCE g_hDllInstance;

// Factories and tip objects in existence.
void ServerObjectCreated();
void ServerObjectDestroyed();

// Popup windows in existence: their window procedure is in this library.
void ServerWindowCreated();
void ServerWindowDestroyed();
