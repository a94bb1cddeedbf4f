// A module named like a plug-in without the plug-in's exports: the host must
// pass it over.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
extern "C" __declspec(dllexport) int WINAPI SomethingElse(void) { return 7; }
