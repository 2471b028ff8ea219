// Owners for the Win32 resources the platform layer acquires, so every exit
// path releases them: kernel handles, shell item lists, the COM apartment.
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

// Memory the shell allocated for us (an item ID list).
template <typename T>
class CoTaskMem {
public:
    explicit CoTaskMem(T* p) : p_(p) {}
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    ~CoTaskMem() { CoTaskMemFree(p_); }

    T* get() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_;
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
