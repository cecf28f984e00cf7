// The demo medium's support library: a DLL the application would load. It only carries a
// version query, enough to be a real library in the system folder.
#include <windows.h>

extern "C" __declspec(dllexport) const char* QelSupportVersion() { return "3.2.3"; }

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
