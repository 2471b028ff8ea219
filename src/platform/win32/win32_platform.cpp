// Win32 services: MessageBoxW, SHBrowseForFolderW, GetFileAttributesW,
// DeleteFileW, SetCurrentDirectoryW, CreateFileW/WriteFile/MoveFileExW,
// FindResourceW, ShellExecuteW, ExitProcess.
#include "platform/win32/win32_platform.h"

#include <shellapi.h>
#include <shlobj.h>

#include "platform/win32/wide.h"

namespace veldor {
namespace {

using win32::Handle;
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

// The folder part of `path` including its separator, or "" for the current one.
std::wstring folder_of(const std::wstring& path) {
    const std::size_t cut = path.find_last_of(L"\\/:");
    return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1);
}

// A new, empty file beside the target, deleted again unless committed: the
// payload is written here and only renamed over the target once complete.
class TempFile {
public:
    explicit TempFile(const std::wstring& folder) {
        const std::wstring dir = folder.empty() ? std::wstring(L".") : folder;
        wchar_t name[MAX_PATH];
        if (GetTempFileNameW(dir.c_str(), L"vel", 0, name) == 0) return;
        path_ = name;
        file_.reset(CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        file_.close();
        if (!path_.empty()) DeleteFileW(path_.c_str());
    }

    explicit operator bool() const { return static_cast<bool>(file_); }

    bool write(Bytes bytes) {
        if (bytes.size() > MAXDWORD) return false;
        const DWORD size = static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        return WriteFile(file_.get(), bytes.data(), size, &written, nullptr) && written == size &&
               FlushFileBuffers(file_.get());
    }

    bool replace(const std::wstring& target) {
        if (!file_.close()) return false;
        if (!MoveFileExW(path_.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return false;
        path_.clear();  // it is the target now
        return true;
    }

private:
    std::wstring path_;
    Handle file_;
};

}  // namespace

void Win32Platform::message_box(std::string_view text, Icon icon) {
    const UINT style = MB_OK | (icon == Icon::stop ? MB_ICONSTOP : 0u);
    MessageBoxW(owner_, widen(text).c_str(), caption_.c_str(), style);
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

    const win32::CoTaskMem<ITEMIDLIST> item(SHBrowseForFolderW(&info));
    if (!item) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    if (!SHGetPathFromIDListW(item.get(), path)) return std::string();
    return narrow(path);
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

bool Win32Platform::write_file(const std::string& name, Bytes bytes) {
    const std::wstring target = widen(name);
    const DWORD attributes = attributes_of(target);
    if (target.empty()) return false;
    if (attributes != no_attributes &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0)
        return false;

    // A target held open without delete sharing makes the rename fail, on
    // Windows and Wine alike, and the temporary file goes.
    TempFile temp(folder_of(target));
    return temp && temp.write(bytes) && temp.replace(target);
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
    ShellExecuteW(owner_, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Win32Platform::end_program(int exit_code) { ExitProcess(static_cast<UINT>(exit_code)); }

}  // namespace veldor
