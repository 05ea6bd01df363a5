// The shared library's own translation unit. Everything it exports is linked
// in from the core archive; on Windows the entry point only declines the
// per-thread attach notifications, which the library does not need.
#ifdef _WIN32
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) DisableThreadLibraryCalls(instance);
    return TRUE;
}
#endif
