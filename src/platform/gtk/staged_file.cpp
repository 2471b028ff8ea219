#include "platform/gtk/staged_file.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace veldor {
namespace {

// Six letters or digits nobody can guess, so a name cannot be taken ahead.
std::string random_suffix() {
    constexpr char alphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[6] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) return {};
    std::string suffix;
    for (const unsigned char b : bytes) suffix += alphabet[b % (sizeof alphabet - 1)];
    return suffix;
}

}  // namespace

StagedFile::StagedFile(const std::string& folder, const std::string& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string suffix = random_suffix();
        if (suffix.empty()) return;
        std::string path = folder + "/." + name + "." + suffix;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ >= 0) {
            path_ = std::move(path);
            return;
        }
        if (errno != EEXIST) return;
    }
}

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

bool StagedFile::move_over(const std::string& target) {
    if (path_.empty() || fd_ >= 0 || ::rename(path_.c_str(), target.c_str()) != 0) return false;
    path_.clear();  // it is the target now
    return true;
}

}  // namespace veldor
