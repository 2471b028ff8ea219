// What the search for the game reads on Windows: Steam's SteamPath from
// HKCU\Software\Valve\Steam (RegGetValueW; advapi32 is a Known DLL), small
// files (CreateFileW/ReadFile) and folder listings (FindFirstFileExW).
#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"

namespace veldor {
namespace {

using win32::narrow;
using win32::widen;

// Steam writes "c:/program files (x86)/steam": the dialog wants backslashes.
std::string steam_path() {
    wchar_t value[MAX_PATH] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Valve\\Steam", L"SteamPath", RRF_RT_REG_SZ,
                     nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    std::string path = narrow(value);
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

}  // namespace

GamePlaces Win32Platform::game_places() {
    std::string steam = steam_path();
    if (steam.empty()) return {};
    return {{std::move(steam)}, {}};
}

std::optional<std::string> Win32Platform::read_small_file(const std::string& folder,
                                                          std::string_view name,
                                                          std::size_t limit) {
    if (folder.empty() || name.empty() || limit >= MAXDWORD) return std::nullopt;
    // Appended, not added: string + string&& would link insert's out-of-range error.
    std::string path = folder;
    path += '\\';
    path += name;
    const win32::Handle file(CreateFileW(widen(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size) ||
        size.QuadPart < 0 || static_cast<unsigned long long>(size.QuadPart) > limit)
        return std::nullopt;
    // One byte past its size, in case the file grew meanwhile.
    std::string bytes(static_cast<std::size_t>(size.QuadPart) + 1, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
        read > static_cast<unsigned long long>(size.QuadPart))
        return std::nullopt;
    bytes.resize(read);
    return bytes;
}

std::vector<std::string> Win32Platform::subfolders(const std::string& folder, std::size_t limit) {
    std::vector<std::string> found;
    if (folder.empty()) return found;
    // Appended in place: operator+ would make each whole string anew.
    std::string prefix = folder;
    if (!prefix.ends_with('\\')) prefix += '\\';
    std::wstring pattern = widen(prefix);
    pattern += L'*';
    WIN32_FIND_DATAW entry{};
    const win32::FindHandle search(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                                    FindExSearchLimitToDirectories, nullptr, 0));
    if (!search) return found;
    do {
        const std::wstring_view name = entry.cFileName;
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name != L"." && name != L"..")
            found.emplace_back(prefix).append(narrow(name));
    } while (found.size() < limit && FindNextFileW(search.get(), &entry));
    return found;
}

}  // namespace veldor
