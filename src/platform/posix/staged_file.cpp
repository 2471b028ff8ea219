#include "platform/posix/staged_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace veldor {

StagedFile StagedFile::at(const std::string& path) {
    StagedFile staged;
    staged.fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (staged.fd_ >= 0) staged.path_ = path;
    return staged;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : path_(std::exchange(other.path_, {})), fd_(std::exchange(other.fd_, -1)) {}

StagedFile& StagedFile::operator=(StagedFile&& other) noexcept {
    if (this != &other) {
        discard();
        path_ = std::exchange(other.path_, {});
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

StagedFile::~StagedFile() { discard(); }

void StagedFile::discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!path_.empty()) ::unlink(std::exchange(path_, {}).c_str());
}

bool StagedFile::fill(Bytes bytes, std::optional<mode_t> mode) {
    if (fd_ < 0) return false;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    if ((mode && ::fchmod(fd_, *mode) != 0) || ::fsync(fd_) != 0) return false;
    return ::close(std::exchange(fd_, -1)) == 0;
}

bool StagedFile::keep() {
    if (path_.empty() || fd_ >= 0) return false;
    path_.clear();
    return true;
}

}  // namespace veldor
