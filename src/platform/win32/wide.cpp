#include "platform/win32/wide.h"

#include <windows.h>

#include <climits>

namespace veldor::win32 {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty() || utf8.size() > INT_MAX) return {};
    const int in = static_cast<int>(utf8.size());
    const int out = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, nullptr, 0);
    if (out <= 0) return {};
    std::wstring result(static_cast<std::size_t>(out), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), in, result.data(), out);
    return result;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty() || utf16.size() > INT_MAX) return {};
    const int in = static_cast<int>(utf16.size());
    const int out = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), in, nullptr, 0, nullptr, nullptr);
    if (out <= 0) return {};
    std::string result(static_cast<std::size_t>(out), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), in, result.data(), out, nullptr, nullptr);
    return result;
}

}  // namespace veldor::win32
