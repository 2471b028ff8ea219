// Win32 services: MessageBoxW, SHBrowseForFolderW, GetFileAttributesW,
// DeleteFileW, CreateDirectoryW/RemoveDirectoryW (the kept originals' folder),
// SetCurrentDirectoryW, CreateFileW/WriteFile/MoveFileExW (staged_file), FindResourceW,
// ShellExecuteW, ExitProcess; SHA-256 from CNG; the elevated copy
// (elevation.cpp) and, run elevated, the folders held (folder_guard.cpp).
//
// Virus scanners, indexers and sync clients open a file the moment it is
// written, often without delete sharing, which stops a rename or deletion:
// each create, move, delete and state probe is retried for a few seconds
// (`retried`) before the file counts as in use.
//
// Staged files are flushed (FlushFileBuffers). A rename is made durable by
// the file system's own log on NTFS and ReFS; MOVEFILE_WRITE_THROUGH flushes
// only a move that copies, so on any other volume (FAT32, exFAT: USB drives)
// flush_folder flushes the whole volume.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "platform/respelled.h"
#include "platform/win32/staged_file.h"
#include "platform/win32/startup/dll_search.h"
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

// The errors another program that opens a new file at once (a virus
// scanner, an indexer, a sync client) causes for a moment. Access denied is
// final on a read-only file; otherwise it may be a file pending deletion
// or held by a scanner.
bool transient(DWORD error, const std::wstring& path) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    const DWORD attributes = attributes_of(path);
    return error == ERROR_ACCESS_DENIED &&
           (attributes == no_attributes || (attributes & FILE_ATTRIBUTE_READONLY) == 0);
}

// How long a file may stay held before it counts as in use: scanners take
// well under a second for files of the patch's size.
constexpr DWORD retry_bound_ms = 3000;

// `step` (true on success) until it succeeds or fails for good, with waits
// that double from 10 ms up to the bound in all; the only place that
// waits. Answers the last error, ERROR_SUCCESS once done.
template <class Step>
DWORD retried(const std::wstring& path, Step step) {
    for (DWORD waited = 0, wait = 10;; wait *= 2) {
        if (step()) return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (waited >= retry_bound_ms || !transient(error, path)) return error;
        wait = std::min(wait, retry_bound_ms - waited);
        Sleep(wait);
        waited += wait;
    }
}

// Why a call failed, from its last error, as the player can act on it.
Fault fault_of(DWORD error, const std::wstring& path) {
    switch (error) {
        case ERROR_SUCCESS:
            return Fault::none;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
            return Fault::in_use;
        case ERROR_ACCESS_DENIED: {
            const DWORD attributes = attributes_of(path);
            return attributes != no_attributes && (attributes & FILE_ATTRIBUTE_READONLY) != 0
                       ? Fault::read_only
                       : Fault::denied;
        }
        case ERROR_WRITE_PROTECT:
            return Fault::read_only;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            return Fault::disk_full;
        default:
            return Fault::other;
    }
}

// The name the folder has for the entry at `path`; empty when there is none.
std::string folder_spelling(const std::wstring& path) {
    if (path.find_first_of(L"*?") != std::wstring::npos) return {};
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return {};
    FindClose(search);
    return narrow(found.cFileName);
}

// `to`, a path in the folder of `from`, with its last name spelled as the
// folder spells `from` (see respelled).
std::string spelled_like(const std::string& to, const std::string& from) {
    const std::size_t name = to.find_last_of("\\/") + 1, asked = from.find_last_of("\\/") + 1;
    const std::string real = folder_spelling(widen(from));
    if (real.empty()) return to;
    return to.substr(0, name) +
           respelled(std::string_view(to).substr(name), std::string_view(from).substr(asked), real);
}

// Flushes the volume holding `folder` where the file system does not log
// its renames itself. A network drive is the server's to flush. Where the
// player may not open the volume (Windows asks administrator rights of some
// systems), its renames are left to the file system's own write-back rather
// than the installation refused or an elevation asked for.
bool flush_volume(const std::wstring& folder) {
    wchar_t root[MAX_PATH] = {}, system[MAX_PATH] = {}, device[MAX_PATH] = {};
    if (!GetVolumePathNameW(folder.c_str(), root, MAX_PATH) ||
        !GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, system, MAX_PATH))
        return false;
    if (lstrcmpiW(system, L"NTFS") == 0 || lstrcmpiW(system, L"ReFS") == 0 ||
        GetDriveTypeW(root) == DRIVE_REMOTE)
        return true;
    std::wstring volume = GetVolumeNameForVolumeMountPointW(root, device, MAX_PATH)
                              ? device
                              : L"\\\\.\\" + std::wstring(root);  // a drive without a mount point
    if (!volume.empty() && (volume.back() == L'\\' || volume.back() == L'/')) volume.pop_back();
    const win32::Handle handle(CreateFileW(volume.c_str(), GENERIC_READ | GENERIC_WRITE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    if (!handle) return GetLastError() == ERROR_ACCESS_DENIED;
    return FlushFileBuffers(handle.get()) != 0;
}

// The new file keeps what the player (or the game) chose to hide, so that
// a hidden or system file stays out of sight.
DWORD attributes_like(DWORD attributes) {
    constexpr DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                           FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return attributes == no_attributes ? 0 : attributes & kept;
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
    win32::preload_dlls(win32::before_shell);
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

// Hidden and system files count: the game loads them all the same.
bool Win32Platform::file_exists(const std::string& path) {
    const DWORD attributes = attributes_of(widen(path));
    return attributes != no_attributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Platform::directory_exists(const std::string& path) {
    const DWORD attributes = attributes_of(widen(path));
    return attributes != no_attributes && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Platform::failed(DWORD error, const std::wstring& path) {
    fault_ = fault_of(error, path);
    return false;
}

std::optional<std::string> Win32Platform::read_file(const std::string& path, std::size_t limit) {
    const std::size_t separator = path.rfind('\\');
    if (separator == std::string::npos) return std::nullopt;
    std::string folder = path;
    folder.resize(separator);
    return read_small_file(folder, std::string_view(path).substr(separator + 1), limit);
}

bool Win32Platform::make_folder(const std::string& path) {
    const std::wstring wide = widen(path);
    return !wide.empty() && (CreateDirectoryW(wide.c_str(), nullptr) != 0 ||
                             (GetLastError() == ERROR_ALREADY_EXISTS && directory_exists(path)));
}

bool Win32Platform::remove_folder(const std::string& path) {
    const std::wstring wide = widen(path);
    return !wide.empty() && RemoveDirectoryW(wide.c_str()) != 0;
}

bool Win32Platform::delete_file(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = attributes_of(wide);
    if (attributes == no_attributes || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return failed(ERROR_FILE_NOT_FOUND, wide);
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return failed(ERROR_WRITE_PROTECT, wide);
    const DWORD error = retried(wide, [&] { return DeleteFileW(wide.c_str()) != 0; });
    return error == ERROR_SUCCESS || failed(error, wide);
}

bool Win32Platform::set_current_directory(const std::string& path) {
    const std::wstring wide = widen(path);
    if (wide.empty()) return failed(ERROR_PATH_NOT_FOUND, wide);
    return SetCurrentDirectoryW(wide.c_str()) != 0 || failed(GetLastError(), wide);
}

std::string Win32Platform::current_directory() {
    std::wstring path(GetCurrentDirectoryW(0, nullptr), L'\0');
    path.resize(GetCurrentDirectoryW(static_cast<DWORD>(path.size()), path.data()));
    return narrow(path);
}

// A program holding the file open without delete sharing (the game) keeps
// it from being moved aside: asking for delete access finds that out first,
// and an access check that refuses it tells a file the player may not change.
FileState Win32Platform::file_state(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = attributes_of(wide);
    if (attributes == no_attributes) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FileState::absent
               : error == ERROR_ACCESS_DENIED                                 ? FileState::denied
                                                                              : FileState::other;
    }
    // Wine 8 shows a symbolic link to a folder so, not one to a file.
    if (elevated_ && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return FileState::linked;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return FileState::other;
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) return FileState::read_only;
    win32::Handle probe;
    const DWORD error = retried(wide, [&] {
        probe.reset(CreateFileW(wide.c_str(), DELETE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        return static_cast<bool>(probe);
    });
    switch (fault_of(error, wide)) {
        case Fault::none:
            return FileState::normal;
        case Fault::in_use:
            return FileState::in_use;
        case Fault::denied:
            return FileState::denied;
        case Fault::read_only:
            return FileState::read_only;
        default:
            return FileState::other;
    }
}

// Named as the folder spells `like`, where the name extends it.
bool Win32Platform::stage_file(const std::string& name, const std::string& like, Bytes bytes) {
    const std::wstring wide_like = like.empty() ? std::wstring() : widen(like);
    const std::wstring path = widen(like.empty() ? name : spelled_like(name, like));
    if (path.empty()) return failed(ERROR_INVALID_NAME, path);
    const DWORD attributes = attributes_like(attributes_of(wide_like));
    win32::StagedFile staged;
    const DWORD error = retried(path, [&] {
        staged = win32::StagedFile::at(path, attributes);
        return static_cast<bool>(staged);
    });
    if (error != ERROR_SUCCESS) return failed(error, path);
    if (!staged.write(bytes) || !staged.keep()) return failed(GetLastError(), path);
    return true;
}

// MoveFileExW names the file as asked: the target takes the spelling the
// folder has for the file moved, so ENG.DB comes back as ENG.DB.
bool Win32Platform::move_file(const std::string& from, const std::string& to) {
    const std::wstring source = widen(from), target = widen(spelled_like(to, from));
    if (source.empty() || target.empty()) return failed(ERROR_INVALID_NAME, source);
    const DWORD error = retried(source, [&] {
        return MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    });
    return error == ERROR_SUCCESS || failed(error, source);
}

bool Win32Platform::flush_folder(const std::string& path) {
    const std::wstring wide = widen(path);
    const DWORD attributes = attributes_of(wide);
    if (attributes == no_attributes || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return failed(ERROR_PATH_NOT_FOUND, wide);
    return flush_volume(wide) || failed(GetLastError(), wide);
}

std::optional<Digest> Win32Platform::sha256(Bytes bytes) {
    win32::preload_dlls(win32::before_hash);
    return win32::system_sha256(bytes);
}

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
    win32::preload_dlls(win32::before_shell);
    ShellExecuteW(owner_, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Platform::end_program(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace veldor
