#include "platform/posix/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <glib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string_view>
#include <utility>

#include "platform/ascii.h"
#include "platform/posix/staged_file.h"
#include "platform/respelled.h"

namespace veldor {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { closedir(dir); }
};

std::optional<struct stat> status(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

std::optional<struct stat> link_status(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return std::nullopt;
    return st;
}

bool is_read_only(const struct stat& st) { return (st.st_mode & 0222) == 0; }

// Why a call failed, as the player can act on it. A file system mounted
// read-only is read-only for everyone, root included: asking for an
// administrator would not help.
Fault fault_of(int error) {
    switch (error) {
        case 0:
            return Fault::none;
        case EACCES:
        case EPERM:
            return Fault::denied;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:  // past the size a file may have here: full, as far as the file goes
            return Fault::disk_full;
        case EROFS:
            return Fault::read_only;
        default:
            return Fault::other;
    }
}

// Whether the player may rename and remove entries of `folder`, the file
// `st` among them (a sticky folder lets only the owners do so); as errno.
int may_change(const std::string& folder, const struct stat& st) {
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) return errno;
    const auto dir = status(folder);
    const uid_t self = ::geteuid();
    if (dir && (dir->st_mode & S_ISVTX) && self != 0 && self != st.st_uid && self != dir->st_uid)
        return EACCES;
    return 0;
}

// The permission bits a file made like the entry at `path` gets: none of
// its own for a symlink or nothing (a new file's), never set-id or sticky.
std::optional<mode_t> mode_like(const std::optional<std::string>& path) {
    const auto own = path ? link_status(*path) : std::nullopt;
    if (own && S_ISREG(own->st_mode)) return own->st_mode & 0777;
    return std::nullopt;
}

// What a name matches among a folder's entries.
struct Found {
    int count = 0;  // two for two or more
    std::string name;
    unsigned char type = DT_UNKNOWN;
};

// Reads `folder` once for all `names`. A folder we may pass but not list is
// asked for exact names only.
template <std::size_t N>
std::array<Found, N> find_in(const std::string& folder,
                             const std::array<std::string_view, N>& names) {
    std::array<Found, N> found{};
    if (std::unique_ptr<DIR, DirCloser> dir{opendir(folder.c_str())}) {
        while (const dirent* entry = readdir(dir.get()))
            for (std::size_t i = 0; i < N; ++i)
                if (found[i].count < 2 && ascii_iequal(entry->d_name, names[i]) &&
                    ++found[i].count == 1)
                    found[i] = {1, entry->d_name, entry->d_type};
        return found;
    }
    for (std::size_t i = 0; i < N; ++i)
        if (link_status(folder + "/" + std::string(names[i])))
            found[i] = {1, std::string(names[i])};
    return found;
}

// A folder, or a link to one, is what the installer keeps for the attempt.
bool is_folder(const Found& found, const std::string& path) {
    if (found.type == DT_DIR) return true;
    if (found.type != DT_LNK && found.type != DT_UNKNOWN) return false;
    const auto st = status(path);
    return st && S_ISDIR(st->st_mode);
}

// The entries the last names of two places match, reading their folder once
// when they share it. The first place is resolved; the second may not be.
template <class Place>
std::array<Found, 2> pair_in(const Place& a, const Place& b) {
    const bool named = b.match == decltype(b.match)::one && !b.name.empty();
    if (named && b.folder == a.folder) return find_in<2>(a.folder, {a.name, b.name});
    return {find_in<1>(a.folder, {a.name})[0], named ? find_in<1>(b.folder, {b.name})[0] : Found{}};
}

template <class Place>
std::optional<std::string> entry_of(const Place& place, const Found& found) {
    if (found.count != 1) return std::nullopt;
    return place.folder + "/" + found.name;
}

}  // namespace

void PosixFiles::set_game_folder(const std::string& folder) {
    given_ = folder_ = folder;
    folders_.clear();
    std::error_code error;
    if (const auto absolute = std::filesystem::absolute(folder, error); !folder.empty() && !error)
        folder_ = absolute;
}

PosixFiles::Place PosixFiles::place_of(const std::string& path) const {
    // The chosen folder is taken as it is; only what follows it is split.
    const bool inside = !given_.empty() && path.starts_with(given_) &&
                        (path.size() == given_.size() || given_.back() == '/' ||
                         path[given_.size()] == '\\' || path[given_.size()] == '/');
    Place place{Match::one, ".", {}, {}};
    std::string_view rest(path);
    if (inside) {
        place.folder = folder_;
        rest.remove_prefix(given_.size());
    } else if (path.starts_with('/')) {
        place.folder = path;  // not the installer's own path: as it is
        return place;
    }

    // How the installer spells the path up to a name of it.
    const auto spelled_to = [&rest](std::string_view name) {
        return rest.substr(0, name.data() + name.size() - rest.data());
    };
    for (std::size_t start = 0; start <= rest.size();) {
        std::size_t end = rest.find_first_of("/\\", start);
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view name = rest.substr(start, end - start);
        start = end + 1;
        if (name.empty() || name == ".") continue;
        if (name == "..") return {Match::none, {}, {}, {}};
        if (place.name.empty()) {
            place.name = name;
            continue;
        }
        // The name before this one is a folder on the way.
        const std::string_view key = spelled_to(place.name);
        if (const auto known = inside ? folders_.find(key) : folders_.end();
            known != folders_.end()) {
            place.folder = known->second;
        } else {
            const Found found = find_in<1>(place.folder, {place.name})[0];
            if (found.count != 1) return {found.count ? Match::two : Match::none, {}, {}, {}};
            place.folder.append("/").append(found.name);
            if (inside && is_folder(found, place.folder))
                folders_.emplace(std::string(key), place.folder);
        }
        place.name = name;
    }
    if (inside && !place.name.empty()) place.key = spelled_to(place.name);
    return place;
}

PosixFiles::Lookup PosixFiles::look_up(const std::string& path, bool folder) const {
    Place place = place_of(path);
    if (place.match != Match::one) return {place.match, {}};
    if (place.name.empty()) return {Match::one, std::move(place.folder)};
    const bool keep = folder && !place.key.empty();
    if (const auto known = keep ? folders_.find(place.key) : folders_.end();
        known != folders_.end())
        return {Match::one, known->second};

    const Found found = find_in<1>(place.folder, {place.name})[0];
    if (found.count == 2) return {Match::two, {}};
    if (found.count == 0) return {Match::none, {}};
    place.folder.append("/").append(found.name);
    if (keep && is_folder(found, place.folder))
        folders_.emplace(std::string(place.key), place.folder);
    return {Match::one, std::move(place.folder)};
}

std::optional<std::string> PosixFiles::resolve(const std::string& path) const {
    Lookup lookup = look_up(path);
    if (lookup.match != Match::one) return std::nullopt;
    return std::move(lookup.path);
}

// A name two entries match counts as a file, so that recovery leaves no
// leftover of that name unnoticed, and not as a folder, so that the folder
// check refuses before anything is touched.
bool PosixFiles::file_exists(const std::string& path) const {
    const Lookup lookup = look_up(path);
    if (lookup.match == Match::two) return true;
    const auto st = lookup.match == Match::one ? status(lookup.path) : std::nullopt;
    return st && S_ISREG(st->st_mode);
}

bool PosixFiles::directory_exists(const std::string& path) const {
    const Lookup lookup = look_up_folder(path);
    const auto st = lookup.match == Match::one ? status(lookup.path) : std::nullopt;
    return st && S_ISDIR(st->st_mode);
}

bool PosixFiles::delete_file(const std::string& path) const {
    const auto resolved = resolve(path);
    const auto st = resolved ? status(*resolved) : std::nullopt;
    if (!st || !S_ISREG(st->st_mode)) return failed(Fault::other);
    if (is_read_only(*st)) return failed(Fault::read_only);
    return ::unlink(resolved->c_str()) == 0 || failed(fault_of(errno));
}

bool PosixFiles::set_current_directory(const std::string& path) const {
    const Lookup lookup = look_up_folder(path);
    if (lookup.match != Match::one) return failed(Fault::other);
    return ::chdir(lookup.path.c_str()) == 0 || failed(fault_of(errno));
}

bool PosixFiles::sync_folder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    // Some file systems keep no folder to flush; that is no failure.
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL || errno == ENOTSUP;
    ::close(fd);
    return synced;
}

std::string PosixFiles::current_directory() {
    std::unique_ptr<char, decltype(&g_free)> path(g_get_current_dir(), &g_free);
    return path.get();
}

// No lock tells a Linux program that the game holds a file: never in_use.
FileState PosixFiles::file_state(const std::string& path) const {
    const Lookup lookup = look_up(path);
    if (lookup.match == Match::two) return FileState::ambiguous;
    const auto st = lookup.match == Match::one ? status(lookup.path) : std::nullopt;
    if (!st) return FileState::absent;
    if (!S_ISREG(st->st_mode)) return FileState::other;
    if (is_read_only(*st)) return FileState::read_only;
    const Fault fault = fault_of(may_change(lookup.path.substr(0, lookup.path.rfind('/')), *st));
    return fault == Fault::read_only ? FileState::read_only
           : fault == Fault::denied  ? FileState::denied
                                     : FileState::normal;
}

// The staged name must be new. Its folder, where `like` lies too, is read once
// for both.
bool PosixFiles::stage_file(const std::string& name, const std::string& like, Bytes bytes) const {
    const Place at = place_of(name);
    const Place model = like.empty() ? Place{Match::none, {}, {}, {}} : place_of(like);
    if (at.match != Match::one || at.name.empty()) return failed(Fault::other);
    const auto [own, other] = pair_in(at, model);
    if (own.count != 0) return failed(Fault::other);
    std::optional<std::string> model_path;
    std::string spelling(at.name);
    if (model.match == Match::one) {
        model_path = model.name.empty() ? model.folder : entry_of(model, other);
        if (model_path && model.folder == at.folder)
            spelling = respelled(at.name, model.name, other.name);
    }
    StagedFile staged = StagedFile::at(at.folder + "/" + spelling);
    if (!staged || !staged.fill(bytes, mode_like(model_path)) || !staged.keep())
        return failed(fault_of(errno));
    return true;
}

// RENAME_NOREPLACE where the file system has it; a check first where not.
// A move to a name that extends the file's own, or back, keeps the letter
// case the file has: ENG.DB moved aside as eng.db.old is ENG.DB.old, and
// comes back as ENG.DB, so that undoing a move leaves the folder as it was.
bool PosixFiles::move_file(const std::string& from, const std::string& to) const {
    const Place source = place_of(from), target = place_of(to);
    if (source.match != Match::one || target.match != Match::one || source.name.empty() ||
        target.name.empty())
        return failed(Fault::other);
    const auto [moved, standing] = pair_in(source, target);
    if (moved.count != 1 || standing.count != 0) return failed(Fault::other);
    const std::string origin = *entry_of(source, moved),
                      destination =
                          target.folder + "/" + respelled(target.name, source.name, moved.name);
    if (::renameat2(AT_FDCWD, origin.c_str(), AT_FDCWD, destination.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL && !link_status(destination) &&
        ::rename(origin.c_str(), destination.c_str()) == 0)
        return true;
    return failed(fault_of(errno));
}

bool PosixFiles::flush_folder(const std::string& path) const {
    const Lookup lookup = look_up_folder(path);
    if (lookup.match != Match::one) return failed(Fault::other);
    return sync_folder(lookup.path) || failed(fault_of(errno));
}

// A name that matches an entry already is that entry: it must be a folder.
bool PosixFiles::make_folder(const std::string& path) {
    if (directory_exists(path)) return true;
    const Place place = place_of(path);
    return place.match == Match::one && !place.name.empty() &&
           ::mkdir((place.folder + "/" + std::string(place.name)).c_str(), 0777) == 0;
}

bool PosixFiles::remove_folder(const std::string& path) {
    const Lookup lookup = look_up_folder(path);
    folders_.clear();  // it may be among them
    return lookup.match == Match::one && ::rmdir(lookup.path.c_str()) == 0;
}

}  // namespace veldor
