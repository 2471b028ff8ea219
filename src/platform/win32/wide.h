// UTF-8 <-> UTF-16 for the Win32 face: the core speaks UTF-8, Windows' wide
// ("W") functions speak UTF-16. Conversions go through MultiByteToWideChar and
// WideCharToMultiByte with CP_UTF8, which Wine implements identically.
#pragma once

#include <string>
#include <string_view>

namespace veldor::win32 {

// Invalid sequences become U+FFFD rather than failing: a path that cannot be
// spelled simply is not found.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

}  // namespace veldor::win32
