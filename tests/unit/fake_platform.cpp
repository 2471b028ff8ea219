#include "fake_platform.h"

#include <cctype>

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

bool FakePlatform::file_exists(const std::string& path) { return files.contains(normal(path)); }

bool FakePlatform::directory_exists(const std::string& path) {
    return directories.contains(normal(path));
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
    const std::string key = normal(path);
    return !fails(Op::delete_file, key) && files.erase(key) == 1;
}

bool FakePlatform::set_current_directory(const std::string& path) {
    const std::string key = normal(path);
    if (fails(Op::set_current_directory, key) || !directories.contains(key)) return false;
    current_directory = key;
    return true;
}

bool FakePlatform::write_file(const std::string& name, Bytes bytes) {
    const std::string key = normal(current_directory + "\\" + name);
    if (fails(Op::write_file, key)) return false;
    files[key] = Blob(bytes.begin(), bytes.end());
    written.push_back(key);
    return true;
}

std::optional<Bytes> FakePlatform::read_resource(std::string_view type, unsigned id) {
    std::string name(type);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto found = resources.find(id);
    if (name != "CUSTOM" || found == resources.end()) return std::nullopt;
    return Bytes(found->second);
}

}  // namespace veldor::testing
