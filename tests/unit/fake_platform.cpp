#include "fake_platform.h"

#include <algorithm>
#include <cctype>

namespace veldor::testing {

FakePlatform::FakePlatform() {
    // Distinct contents per payload, so a mix-up shows.
    for (unsigned id : {101u, 102u, 103u, 104u})
        resources[id] = Blob(id, static_cast<unsigned char>(id));
}

std::string FakePlatform::normal(const std::string& path) {
    std::string out;
    for (char c : path)
        if (!(c == '\\' && !out.empty() && out.back() == '\\')) out += c;
    if (out.size() > 3 && out.back() == '\\') out.pop_back();
    return out;
}

void FakePlatform::message_box(std::string_view text, Icon icon) {
    boxes.push_back({std::string(text), icon});
}

std::optional<std::string> FakePlatform::browse_for_folder(std::string_view) {
    return dialog_answer;
}

bool FakePlatform::file_exists(const std::string& path) { return files.contains(normal(path)); }

bool FakePlatform::directory_exists(const std::string& path) {
    return directories.contains(normal(path));
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
    const auto upper = [](char c) { return static_cast<char>(std::toupper(c)); };
    std::string name(type);
    std::ranges::transform(name, name.begin(), upper);
    const auto found = resources.find(id);
    if (name != "CUSTOM" || found == resources.end()) return std::nullopt;
    return Bytes(found->second);
}

void FakePlatform::open_document(std::string_view address) { opened.emplace_back(address); }

void FakePlatform::end_program() { ended = true; }

}  // namespace veldor::testing
