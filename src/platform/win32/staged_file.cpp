#include "platform/win32/staged_file.h"

#include <ntsecapi.h>

#include <utility>

namespace veldor::win32 {
namespace {

// Sixteen hex digits from the system's random source (RtlGenRandom).
std::wstring random_name() {
    unsigned char bytes[8] = {};
    if (!RtlGenRandom(bytes, sizeof bytes)) return {};
    std::wstring name = L"vel";
    for (const unsigned char b : bytes) {
        name += L"0123456789abcdef"[b >> 4];
        name += L"0123456789abcdef"[b & 15];
    }
    return name + L".tmp";
}

}  // namespace

StagedFile::StagedFile(const std::wstring& folder, DWORD attributes) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::wstring name = random_name();
        if (name.empty()) return;
        std::wstring path = folder + name;
        file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file_) {
            path_ = std::move(path);
            return;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return;
    }
}

StagedFile StagedFile::at(const std::wstring& path, DWORD attributes) {
    StagedFile staged;
    staged.file_.reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   attributes ? attributes : FILE_ATTRIBUTE_NORMAL, nullptr));
    if (staged.file_) staged.path_ = path;
    return staged;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), file_(std::move(other.file_)) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        file_ = std::move(other.file_);
    }
    return *this;
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
    file_.close();
    if (!path_.empty()) DeleteFileW(std::exchange(path_, {}).c_str());
}

bool StagedFile::write(Bytes bytes) {
    if (bytes.size() > MAXDWORD) return false;
    const DWORD size = static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    return WriteFile(file_.get(), bytes.data(), size, &written, nullptr) && written == size &&
           FlushFileBuffers(file_.get());
}

bool StagedFile::keep() {
    if (path_.empty() || !file_.close()) return false;
    path_.clear();
    return true;
}

bool StagedFile::move_over(const std::wstring& target) {
    if (path_.empty() || !file_.close() ||
        !MoveFileExW(path_.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    path_.clear();  // it is the target now
    return true;
}

}  // namespace veldor::win32
