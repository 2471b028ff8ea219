#include "cp936.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace veldor::test {

#ifdef _WIN32

std::optional<std::string> to_cp936(std::string_view text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int wide =
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), length, nullptr, 0);
    if (wide <= 0) return std::nullopt;
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, utf16.data(), wide);
    BOOL lossy = FALSE;
    const int narrow = WideCharToMultiByte(936, 0, utf16.data(), wide, nullptr, 0, nullptr, &lossy);
    if (narrow <= 0 || lossy) return std::nullopt;
    std::string out(static_cast<std::size_t>(narrow), '\0');
    WideCharToMultiByte(936, 0, utf16.data(), wide, out.data(), narrow, nullptr, nullptr);
    return out;
}

#else

std::optional<std::string> to_cp936(std::string_view text) {
    iconv_t cd = iconv_open("CP936", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in(text), out(in.size() * 2 + 4, '\0');
    char *in_ptr = in.data(), *out_ptr = out.data();
    std::size_t in_left = in.size(), out_left = out.size();
    const std::size_t result = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1) || in_left != 0) return std::nullopt;
    out.resize(out.size() - out_left);
    return out;
}

#endif

}  // namespace veldor::test
