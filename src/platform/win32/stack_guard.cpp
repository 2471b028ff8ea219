// The stack protector's guard value and its failure path, for the installer
// program (tests keep the toolchain's libssp). libssp would seed the guard
// in a constructor through the CryptoAPI, loading DLLs before the program's
// first action could restrict where they come from; this seeds it as the
// Windows toolchains do, from clocks, ids and the stack's random address,
// before anything else runs.
#include <windows.h>

#include <cstdint>

extern "C" {

// Seeded before anything it guards runs (entry.cpp), so it needs no value
// in the file.
std::uintptr_t __stack_chk_guard;

// A smashed stack ends the process at once: nothing of it is trusted, not
// even the code ExitProcess would run in DLLs.
[[noreturn]] void __stack_chk_fail() {
    // The current process's pseudo-handle, as GetCurrentProcess returns it.
    TerminateProcess(reinterpret_cast<HANDLE>(-1), 3);
    __builtin_unreachable();
}

}  // extern "C"

namespace veldor::win32 {

// Called first by the program's entry point (entry.cpp), and itself
// unprotected: a guard that changed under a protected frame would fail its
// check.
[[gnu::no_stack_protector]] void seed_stack_guard() {
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::uintptr_t seed = time.dwLowDateTime ^ time.dwHighDateTime;
    seed ^= GetCurrentProcessId() ^ (GetCurrentThreadId() << 16);
    seed ^= static_cast<std::uintptr_t>(GetTickCount64());
    seed ^= static_cast<std::uintptr_t>(counter.QuadPart) ^
            static_cast<std::uintptr_t>(counter.QuadPart >> 32);
    seed ^= reinterpret_cast<std::uintptr_t>(&seed);
    // A zero byte first stops string copies at the guard.
    __stack_chk_guard = seed & ~std::uintptr_t{0xff};
}

}  // namespace veldor::win32
