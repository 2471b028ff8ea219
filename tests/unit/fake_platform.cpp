#include "fake_platform.h"

#include <algorithm>
#include <cctype>

#include "payload/payloads.h"

namespace veldor::testing {

namespace {

// Paths as the fake keys them: no doubled or trailing separator.
std::string normal(const std::string& path) {
    std::string out;
    for (char c : path)
        if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
    if (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

}  // namespace

std::map<unsigned, Blob> FakePlatform::intact_resources() {
    return {
        {101, Blob(101, 101)}, {102, Blob(102, 102)}, {103, Blob(103, 103)}, {104, Blob(104, 104)}};
}

bool FakePlatform::proceed(Op op, const std::string& path) {
    const std::size_t index = log.size();
    log.emplace_back(op, path);
    if (index == cut_at) powered = false;
    return powered && index != fail_at;
}

// Absolute, or relative to the current directory.
std::string FakePlatform::key(const std::string& path) const {
    const bool absolute = path.starts_with('\\') || (path.size() > 1 && path[1] == ':');
    return normal(absolute ? path : current_directory + "\\" + path);
}

bool FakePlatform::file_exists(const std::string& path) {
    return powered && files.contains(key(path));
}

bool FakePlatform::directory_exists(const std::string& path) {
    return powered && directories.contains(key(path));
}

FileState FakePlatform::file_state(const std::string& path) {
    const std::string k = key(path);
    if (!proceed(Op::file_state, k)) return FileState::read_only;  // cannot be replaced
    if (directories.contains(k)) return FileState::other;
    if (!files.contains(k)) return FileState::absent;
    if (in_use.contains(k)) return FileState::in_use;
    return read_only.contains(k) ? FileState::read_only : FileState::normal;
}

std::optional<std::string> FakePlatform::read_small_file(const std::string& folder,
                                                         std::string_view name, std::size_t limit) {
    const auto found = files.find(normal(folder + "\\" + std::string(name)));
    if (found == files.end() || found->second.size() > limit) return std::nullopt;
    return std::string(found->second.begin(), found->second.end());
}

std::vector<std::string> FakePlatform::subfolders(const std::string& folder, std::size_t limit) {
    const std::string prefix = normal(folder) + "\\";
    std::vector<std::string> found;
    for (const std::string& dir : directories)
        if (dir.starts_with(prefix) && dir.find('\\', prefix.size()) == std::string::npos &&
            found.size() < limit)
            found.push_back(dir);
    return found;
}

bool FakePlatform::delete_file(const std::string& path) {
    const std::string k = key(path);
    if (!proceed(Op::delete_file, k) || read_only.contains(k) || in_use.contains(k)) return false;
    return files.erase(k) == 1;
}

bool FakePlatform::set_current_directory(const std::string& path) {
    const std::string k = key(path);
    if (!proceed(Op::set_current_directory, k) || !directories.contains(k)) return false;
    current_directory = k;
    return true;
}

bool FakePlatform::stage_file(const std::string& name, const std::string&, Bytes bytes) {
    const std::string k = key(name);
    const std::string folder = normal(k.substr(0, k.rfind('\\') + 1));
    const bool done = proceed(Op::stage_file, k);
    if (log.size() - 1 == cut_at && !files.contains(k))
        files[k] = Blob(bytes.begin(), bytes.begin() + std::ssize(bytes) / 2);
    if (!done || files.contains(k) || !directories.contains(folder)) return false;
    files[k] = Blob(bytes.begin(), bytes.end());
    written.push_back(k);
    return true;
}

bool FakePlatform::move_file(const std::string& from, const std::string& to) {
    const std::string source = key(from), target = key(to);
    if (!proceed(Op::move_file, source + " -> " + target) || !files.contains(source) ||
        files.contains(target) || in_use.contains(source))
        return false;
    files[target] = std::move(files[source]);
    files.erase(source);
    return true;
}

bool FakePlatform::flush_folder(const std::string& path) {
    const std::string k = key(path);
    return proceed(Op::flush_folder, k) && directories.contains(k);
}

std::optional<Digest> FakePlatform::sha256(Bytes bytes) {
    if (!proceed(Op::sha256, {})) return std::nullopt;
    for (const auto& [id, blob] : intact_resources())
        if (std::ranges::equal(bytes, blob))
            for (const PayloadDigest& p : payload_digests)
                if (p.id == id) return p.sha256;
    return Digest{};
}

std::optional<Bytes> FakePlatform::read_resource(std::string_view type, unsigned id) {
    if (!proceed(Op::read_resource, std::to_string(id))) return std::nullopt;
    std::string name(type);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto found = resources.find(id);
    if (name != "CUSTOM" || found == resources.end()) return std::nullopt;
    return Bytes(found->second);
}

}  // namespace veldor::testing
