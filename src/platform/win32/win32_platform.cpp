// Win32 services: MessageBoxW, SHBrowseForFolderW, GetFileAttributesW,
// DeleteFileW, SetCurrentDirectoryW, CreateFileW/WriteFile/MoveFileExW (staged_file),
// FindResourceW, ShellExecuteW, ExitProcess; SHA-256 from CNG; the elevated
// copy (elevation.cpp) and, run elevated, the folders held (folder_guard.cpp).
//
// Moves are written through (MOVEFILE_WRITE_THROUGH) and staged files
// flushed, which is how Windows makes them durable: there is no folder flush
// a program can count on, so flush_folder only checks the folder is there.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/staged_file.h"
#include "platform/win32/system_sha256.h"
#include "platform/win32/wide.h"

namespace veldor {
namespace {

using win32::narrow;
using win32::widen;

constexpr DWORD no_attributes = INVALID_FILE_ATTRIBUTES;

DWORD attributes_of(const std::wstring& path) {
    return path.empty() ? no_attributes : GetFileAttributesW(path.c_str());
}

// What the player could see in Explorer: hidden and system entries do not count.
bool visible(DWORD attributes) {
    return attributes != no_attributes &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

// The new file keeps what the player (or the game) chose to hide, so that
// a hidden or system file stays out of sight, as file_exists sees it.
DWORD attributes_like(DWORD attributes) {
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return attributes == no_attributes ? 0 : attributes & kept;
}

Fault fault_of(DWORD error) {
    switch (error) {
        case ERROR_ACCESS_DENIED:
            return Fault::denied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Fault::in_use;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Fault::disk_full;
        default:
            return Fault::other;
    }
}

// The folder dialog's callback: selects the start folder (`start`, a wide
// path) as soon as the dialog is ready.
int CALLBACK select_start(HWND dialog, UINT message, LPARAM, LPARAM start) {
    if (message == BFFM_INITIALIZED) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, start);
    return 0;
}

}  // namespace

void Win32Platform::message_box(std::string_view text, Icon icon) {
    if (silent_) return;
    const UINT style = MB_OK | (icon == Icon::stop ? MB_ICONSTOP : 0u);
    MessageBoxW(owner_, widen(text).c_str(), caption_.c_str(), style);
}

bool Win32Platform::ask(std::string_view question) {
    return !silent_ && MessageBoxW(owner_, widen(question).c_str(), caption_.c_str(),
                                   MB_YESNO | MB_ICONQUESTION) == IDYES;
}

std::optional<std::string> Win32Platform::browse_for_folder(const FolderRequest& request) {
    const std::wstring wide_title = widen(request.title);
    wchar_t display_name[MAX_PATH] = {};
    BROWSEINFOW info{};
    info.hwndOwner = owner_;
    info.pidlRoot = nullptr;
    info.pszDisplayName = display_name;
    info.lpszTitle = wide_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    // The root stays the desktop; a start folder is only selected, once the
    // dialog is ready.
    const std::wstring start = widen(request.start);
    if (!start.empty()) {
        info.lpfn = select_start;
        info.lParam = reinterpret_cast<LPARAM>(start.c_str());
    }

    const win32::CoTaskMem<ITEMIDLIST> item(SHBrowseForFolderW(&info));
    if (!item) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item.get(), path)) return std::string();
    return narrow(path);
}

void Win32Platform::set_game_folder(const std::string& folder) {
    if (elevated_) held_.hold(folder);
}

bool Win32Platform::file_exists(const std::string& path) {
    const DWORD attributes = attributes_of(widen(path));
    return visible(attributes) && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// A folder counts whatever its attributes, as the current directory can be set
// to a hidden one; only the fonts follow what Explorer shows.
bool Win32Platform::directory_exists(const std::string& path) {
    const DWORD attributes = attributes_of(widen(path));
    return attributes != no_attributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::delete_file(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = attributes_of(wide);
    if (attributes == no_attributes ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;
    return DeleteFileW(wide.c_str()) != 0;
}

bool Win32Platform::set_current_directory(const std::string& path) {
    const std::wstring wide = widen(path);
    return !wide.empty() && SetCurrentDirectoryW(wide.c_str()) != 0;
}

std::string Win32Platform::current_directory() {
    std::wstring path(GetCurrentDirectoryW(0, nullptr), L'\0');
    path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
    return narrow(path);
}

// A program holding the file open without delete sharing (the game) keeps
// it from being moved aside: asking for delete access finds that out first.
FileState Win32Platform::file_state(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = attributes_of(wide);
    if (attributes == no_attributes)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? FileState::absent
                   : FileState::read_only;
    // Wine 8 shows a symbolic link to a folder so, not one to a file.
    if (elevated_ && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileState::linked;
    if (!visible(attributes) || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return FileState::other;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileState::read_only;
    const win32::Handle probe(CreateFileW(wide.c_str(), DELETE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (probe) return FileState::normal;
    switch (GetLastError()) {
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return FileState::in_use;
        case ERROR_ACCESS_DENIED:
            return FileState::denied;
        default:
            return FileState::read_only;
    }
}

bool Win32Platform::stage_file(const std::string& name, const std::string& like, Bytes bytes) {
    const std::wstring path = widen(name);
    if (path.empty()) return false;
    auto staged = win32::StagedFile::at(
        path, attributes_like(like.empty() ? no_attributes : attributes_of(widen(like))));
    const bool done = staged && staged.write(bytes) && staged.keep();
    if (!done) fault_ = fault_of(GetLastError());
    return done;
}

bool Win32Platform::move_file(const std::string& from, const std::string& to) {
    const std::wstring source = widen(from), target = widen(to);
    if (source.empty() || target.empty()) return false;
    const bool done = MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    if (!done) fault_ = fault_of(GetLastError());
    return done;
}

bool Win32Platform::flush_folder(const std::string& path) {
    const DWORD attributes = attributes_of(widen(path));
    return attributes != no_attributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::optional<Digest> Win32Platform::sha256(Bytes bytes) { return win32::system_sha256(bytes); }

std::optional<Bytes> Win32Platform::read_resource(std::string_view type, unsigned id) {
    const std::wstring wide_type = widen(type);
    if (wide_type.empty() || id == 0 || id > 0xFFFF) return std::nullopt;
    HRSRC found = FindResourceW(resources_, MAKEINTRESOURCEW(id), wide_type.c_str());
    if (!found) return std::nullopt;
    HGLOBAL loaded = LoadResource(resources_, found);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return std::nullopt;
    return Bytes(static_cast<const unsigned char*>(data), SizeofResource(resources_, found));
}

void Win32Platform::open_document(std::string_view address) {
    ShellExecuteW(owner_, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Platform::end_program(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace veldor
