#include "platform/gtk/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string_view>
#include <utility>

namespace veldor {
namespace {

std::string casefolded(std::string_view name) {
    std::unique_ptr<char, decltype(&g_free)> folded(
        g_utf8_casefold(name.data(), static_cast<gssize>(name.size())), &g_free);
    return folded.get();
}

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

// The entry of `folder` whose name equals `name` but for letter case.
std::optional<std::string> find_ignoring_case(const std::string& folder, std::string_view name) {
    std::unique_ptr<DIR, DirCloser> dir(opendir(folder.c_str()));
    if (!dir) return std::nullopt;
    const std::string wanted = casefolded(name);
    while (const dirent* entry = readdir(dir.get()))
        if (casefolded(entry->d_name) == wanted) return entry->d_name;
    return std::nullopt;
}

std::optional<struct stat> status(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

bool is_read_only(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Splits "folder/name"; the folder of a bare name is the current one.
std::pair<std::string, std::string> split(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// The last component of a path in either form.
std::string last_name(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

// Mode for a new file: what creat() would give under the process's umask.
mode_t new_file_mode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// A temporary file beside the target, removed unless it was moved over it or
// kept: a random name for a write, or the exact name of a staged file.
class TempFile {
public:
    TempFile(const std::string& folder, const std::string& name)
        : path_(folder + "/." + name + ".XXXXXX"), fd_(mkstemp(path_.data())), created_(fd_ >= 0) {}
    explicit TempFile(const std::string& path)
        : path_(path),
          fd_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600)),
          created_(fd_ >= 0) {}
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (created_ && !moved_) ::unlink(path_.c_str());
    }

    // Writes, sets the mode, flushes to disk and closes: after this the
    // contents are whole, or the file is abandoned.
    bool fill(Bytes bytes, mode_t mode) {
        if (fd_ < 0) return false;
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
        }
        if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) return false;
        return ::close(std::exchange(fd_, -1)) == 0;
    }

    void keep() { moved_ = true; }

    bool move_over(const std::string& target) {
        moved_ = ::rename(path_.c_str(), target.c_str()) == 0;
        return moved_;
    }

private:
    std::string path_;
    int fd_;
    bool created_;
    bool moved_ = false;
};

// Makes a rename in `folder` durable.
bool sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    return ::close(fd) == 0 && synced;
}

}  // namespace

std::optional<std::string> PosixFiles::resolve(const std::string& path, bool may_be_new) {
    const bool absolute = !path.empty() && (path[0] == '/' || path[0] == '\\');
    std::string resolved = absolute ? "" : ".";
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find_first_of("/\\", start);
        if (end == std::string::npos) end = path.size();
        const std::string_view name = std::string_view(path).substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") continue;

        const std::string folder = resolved.empty() ? "/" : resolved;
        std::string exact = resolved + "/" + std::string(name);
        struct stat st {};
        if (::lstat(exact.c_str(), &st) == 0) {
            resolved = std::move(exact);
        } else if (auto found = find_ignoring_case(folder, name)) {
            resolved += "/" + *found;
        } else if (may_be_new && end == path.size() && status(folder)) {
            resolved = std::move(exact);
        } else {
            return std::nullopt;
        }
    }
    return resolved.empty() ? "/" : resolved;
}

bool PosixFiles::file_exists(const std::string& path) {
    const auto resolved = resolve(path);
    const auto st = resolved ? status(*resolved) : std::nullopt;
    return st && S_ISREG(st->st_mode);
}

bool PosixFiles::directory_exists(const std::string& path) {
    const auto resolved = resolve(path);
    const auto st = resolved ? status(*resolved) : std::nullopt;
    return st && S_ISDIR(st->st_mode);
}

bool PosixFiles::delete_file(const std::string& path) {
    const auto resolved = resolve(path);
    const auto st = resolved ? status(*resolved) : std::nullopt;
    if (!st || !S_ISREG(st->st_mode) || is_read_only(*st)) return false;
    return ::unlink(resolved->c_str()) == 0;
}

bool PosixFiles::set_current_directory(const std::string& path) {
    const auto resolved = resolve(path);
    return resolved && ::chdir(resolved->c_str()) == 0;
}

bool PosixFiles::write_file(const std::string& name, Bytes bytes) {
    const auto target = resolve(name, true);
    if (!target) return false;
    mode_t mode = new_file_mode();
    if (const auto st = status(*target)) {
        if (!S_ISREG(st->st_mode) || is_read_only(*st)) return false;
        mode = st->st_mode & 07777;
    }
    const auto [folder, file] = split(*target);
    TempFile temp(folder, file);
    if (!temp.fill(bytes, mode) || !temp.move_over(*target)) return false;
    sync_folder(folder);
    return true;
}

}  // namespace veldor

namespace veldor {

// No lock tells a Linux program that the game holds a file: never in_use.
FileState PosixFiles::file_state(const std::string& path) {
    const auto resolved = resolve(path);
    const auto st = resolved ? status(*resolved) : std::nullopt;
    if (!st) return FileState::absent;
    if (!S_ISREG(st->st_mode)) return FileState::other;
    return is_read_only(*st) ? FileState::read_only : FileState::normal;
}

bool PosixFiles::stage_file(const std::string& name, const std::string& like, Bytes bytes) {
    const auto path = resolve(name, true);
    struct stat st {};
    if (!path || ::lstat(path->c_str(), &st) == 0) return false;
    mode_t mode = new_file_mode();
    const auto model = like.empty() ? std::nullopt : resolve(like);
    if (const auto model_st = model ? status(*model) : std::nullopt)
        mode = model_st->st_mode & 0777;
    TempFile staged(*path);
    if (!staged.fill(bytes, mode)) return false;
    staged.keep();
    return true;
}

// RENAME_NOREPLACE where the file system has it; a check first where not.
// A move to a name that extends the file's own, or back, keeps the letter
// case the file has: ENG.DB moved aside as eng.db.old is ENG.DB.old, and
// comes back as ENG.DB, so that undoing a move leaves the folder as it was.
bool PosixFiles::move_file(const std::string& from, const std::string& to) {
    const auto source = resolve(from), target = resolve(to, true);
    if (!source || !target || resolve(to)) return false;  // `to` in any letter case
    const std::string given_from = last_name(from), given_to = last_name(to);
    const std::string real_from = last_name(*source);
    std::string name = given_to;
    if (real_from.size() == given_from.size() &&
        g_ascii_strncasecmp(given_to.c_str(), given_from.c_str(),
                            std::min(given_to.size(), given_from.size())) == 0)
        name = given_to.size() >= given_from.size() ? real_from + given_to.substr(given_from.size())
                                                    : real_from.substr(0, given_to.size());
    const std::string destination = split(*target).first + "/" + name;
    if (::renameat2(AT_FDCWD, source->c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) ==
        0)
        return true;
    struct stat st {};
    return errno == EINVAL && ::lstat(destination.c_str(), &st) != 0 &&
           ::rename(source->c_str(), destination.c_str()) == 0;
}

bool PosixFiles::flush_folder(const std::string& path) {
    const auto resolved = resolve(path);
    return resolved && sync_folder(*resolved);
}

}  // namespace veldor
