#include "platform/posix/posix_places.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>

namespace veldor {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

GamePlaces PosixPlaces::game_places() {
    const std::string home = g_get_home_dir();
    GamePlaces places{{}, home};
    // ~/.steam/steam usually links to ~/.local/share/Steam: one folder.
    for (const char* below : {"/.steam/steam", "/.local/share/Steam",
                              "/.var/app/com.valvesoftware.Steam/.local/share/Steam"})
        if (auto steam = real_folder(home + below);
            steam && std::ranges::find(places.steam, *steam) == places.steam.end())
            places.steam.push_back(std::move(*steam));
    return places;
}

std::optional<std::string> PosixPlaces::read_small_file(const std::string& folder,
                                                        std::string_view name, std::size_t limit) {
    if (folder.empty() || name.empty()) return std::nullopt;
    const std::string path = folder + "/" + std::string(name);
    // Non-blocking: a FIFO planted in its place must not stall the search.
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<std::size_t>(st.st_size) > limit)
        return std::nullopt;
    // Read one byte past its size, in case the file grew meanwhile.
    std::string bytes(static_cast<std::size_t>(st.st_size) + 1, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    if (done > static_cast<std::size_t>(st.st_size)) return std::nullopt;
    bytes.resize(done);
    return bytes;
}

std::vector<std::string> PosixPlaces::subfolders(const std::string& folder, std::size_t limit) {
    std::vector<std::string> found;
    std::unique_ptr<DIR, DirCloser> dir(folder.empty() ? nullptr : opendir(folder.c_str()));
    if (!dir) return found;
    const std::string prefix = folder.ends_with('/') ? folder : folder + "/";
    while (found.size() < limit) {
        const dirent* entry = readdir(dir.get());
        if (!entry) break;
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..") continue;
        const std::string child = prefix + entry->d_name;
        if (entry->d_type == DT_DIR) {
            found.push_back(child);
        } else if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            if (auto real = real_folder(child)) found.push_back(std::move(*real));
        }
    }
    return found;
}

std::optional<std::string> PosixPlaces::real_folder(const std::string& path) {
    if (path.empty()) return std::nullopt;
    std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr), &std::free);
    struct stat st {};
    if (!real || ::stat(real.get(), &st) != 0 || !S_ISDIR(st.st_mode)) return std::nullopt;
    return std::string(real.get());
}

}  // namespace veldor
