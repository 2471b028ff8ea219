// The smallest program started as the installer is (veldor_own_startup),
// built by the test win32.startup_tripwires in variants that break one of
// the installer's size rules each; the tripwires must catch every one.
#include <windows.h>

#if defined(ONE_GLOBAL_CONSTRUCTOR)
// The line a review once added to the installer: it built, and never ran.
static DWORD pid = GetCurrentProcessId();
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return pid != 0; }
#elif defined(ONE_DATA_IMPORT)
extern "C" char* _acmdln;  // the C runtime DLL's, declared without dllimport
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return _acmdln != nullptr; }
#elif defined(ONE_THREAD)
DWORD WINAPI work(void*) { return 0; }
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return CreateThread(nullptr, 0, work, nullptr, 0, nullptr) != nullptr;
}
#else
int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return 0; }
#endif
