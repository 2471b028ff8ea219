// The C++ runtime's failure paths, cut down for the installer program.
//
// The standard library reports a broken length, a logic error or exhausted
// memory by throwing (operator new included, hence its replacement here); nothing in this program
// could recover from those, and the default machinery (exception objects carrying strings, a
// terminate handler that demangles and prints type names) would be most of the program's code. Each
// path ends the process with 6, left mid-way: the folder may be anywhere in the transaction, and
// choosing it again finishes or undoes it (3 would claim it unchanged). Linked into VELDOR汉化.exe
// only; tests keep the ordinary runtime.
#include <windows.h>

#include <cstddef>
#include <new>

namespace {

[[noreturn]] void fail() { ExitProcess(6); }

}  // namespace

namespace std {
[[noreturn]] void __throw_bad_alloc() { fail(); }
[[noreturn]] void __throw_bad_array_new_length() { fail(); }
[[noreturn]] void __throw_length_error(const char*) { fail(); }
[[noreturn]] void __throw_logic_error(const char*) { fail(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { fail(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { fail(); }
}  // namespace __gnu_cxx

void* operator new(std::size_t size) {
    void* block = HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
    if (!block) fail();
    return block;
}

void operator delete(void* block) noexcept {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

void operator delete(void* block, std::size_t) noexcept { operator delete(block); }
