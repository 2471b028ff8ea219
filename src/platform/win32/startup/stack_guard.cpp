// The stack protector's guard value and its failure path, for the installer
// program (tests keep the toolchain's libssp). libssp would set the guard
// in a constructor through the CryptoAPI, loading DLLs before the program's
// first action could restrict where they come from; this sets it as the
// Windows toolchains do, from clocks, ids and the stack's random address,
// before anything else runs.
#include <windows.h>

#include <cstdint>

extern "C" {

// Set before anything it guards runs (entry.cpp), so it needs no value
// in the file.
std::uintptr_t __stack_chk_guard;

// A smashed stack ends the process at once: nothing of it is trusted, not
// even the code ExitProcess would run in DLLs. With 6, left mid-way: the
// folder may be anywhere in the transaction.
[[noreturn]] void __stack_chk_fail() {
    // The current process's pseudo-handle, as GetCurrentProcess returns it.
    TerminateProcess(reinterpret_cast<HANDLE>(-1), 6);
    __builtin_unreachable();
}

}  // extern "C"

namespace veldor::win32 {

// Called first by the program's entry point (entry.cpp), and itself
// unprotected: a guard that changed under a protected frame would fail its
// check.
[[gnu::no_stack_protector]] void set_stack_guard() {
    FILETIME time{};
    GetSystemTimeAsFileTime(&time);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    std::uintptr_t mix = time.dwLowDateTime ^ time.dwHighDateTime;
    mix ^= GetCurrentProcessId() ^ (GetCurrentThreadId() << 16);
    mix ^= static_cast<std::uintptr_t>(GetTickCount64());
    mix ^= static_cast<std::uintptr_t>(counter.QuadPart) ^
           static_cast<std::uintptr_t>(counter.QuadPart >> 32);
    mix ^= reinterpret_cast<std::uintptr_t>(&mix);
    // A zero byte first stops string copies at the guard.
    __stack_chk_guard = mix & ~std::uintptr_t{0xff};
}

}  // namespace veldor::win32
