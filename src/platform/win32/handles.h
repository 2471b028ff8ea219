// Owners for the Win32 resources the Windows face acquires, so every exit
// path releases them: kernel handles, find handles, shell memory, GDI
// objects, device contexts, the COM apartment.
#pragma once

#include <objbase.h>
#include <windows.h>

#include <utility>

namespace veldor::win32 {

// A kernel handle from CreateFileW and friends (INVALID_HANDLE_VALUE = none).
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : h_(h) {}
    Handle(Handle&& other) noexcept : h_(std::exchange(other.h_, INVALID_HANDLE_VALUE)) {}
    Handle& operator=(Handle&& other) noexcept {
        reset(std::exchange(other.h_, INVALID_HANDLE_VALUE));
        return *this;
    }
    ~Handle() { close(); }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }

    // Closing early matters: a file cannot be renamed while we hold it.
    bool close() {
        const bool ok = !*this || CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

    void reset(HANDLE h) {
        close();
        h_ = h;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// A resource released by one call, null when there is none.
template <typename T, auto release>
class Owned {
public:
    Owned() = default;
    explicit Owned(T value) : value_(value) {}
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    ~Owned() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }
    void reset(T value = nullptr) {
        if (value_) release(value_);
        value_ = value;
    }

private:
    T value_ = nullptr;
};

inline void release_screen_dc(HDC dc) { ReleaseDC(nullptr, dc); }

// Memory the shell allocated for us (an item ID list).
template <typename T>
using CoTaskMem = Owned<T*, CoTaskMemFree>;
using GdiFont = Owned<HFONT, DeleteObject>;
using MemoryDC = Owned<HDC, DeleteDC>;           // CreateCompatibleDC
using ScreenDC = Owned<HDC, release_screen_dc>;  // GetDC(nullptr)

// A search from FindFirstFileExW (INVALID_HANDLE_VALUE = none).
class FindHandle {
public:
    explicit FindHandle(HANDLE h) : h_(h) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (*this) FindClose(h_);
    }

    HANDLE get() const { return h_; }
    explicit operator bool() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

// Single-threaded apartment for the calling (UI) thread, as the shell's
// dialogs require. Joining one that exists is fine; a thread already in the
// multithreaded apartment is left as it is. Held for the program's life:
// left between two dialogs, Wine's second dialog did not appear.
class ComApartment {
public:
    ComApartment()
        : joined_(SUCCEEDED(
              CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() {
        if (joined_) CoUninitialize();
    }

private:
    bool joined_;
};

}  // namespace veldor::win32
