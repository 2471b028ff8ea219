#include "platform/win32/staged_file.h"

#include <utility>

namespace veldor::win32 {
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

}  // namespace veldor::win32
