#include <windows.h>

// Nothing to set up or tear down: blocks outlive nothing but their owners.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
