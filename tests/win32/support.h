// Helpers shared by the Windows tests: file access that bypasses the code
// under test, test data, and a scratch folder removed with all it holds.
#pragma once

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace veldor::test {

namespace fs = std::filesystem;
using Data = std::vector<unsigned char>;

inline Data read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Data(std::istreambuf_iterator<char>(in), {});
}

inline bool write_raw(const fs::path& path, const Data& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    return static_cast<bool>(
        out.write(reinterpret_cast<const char*>(bytes.data()), std::ssize(bytes)).flush());
}

// `size` bytes that differ from their neighbours, starting at `first`.
inline Data pattern(std::size_t size, unsigned char first) {
    Data bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(first + i * 7);
    return bytes;
}

// The names in `folder`, sorted.
inline std::vector<std::wstring> list_folder(const fs::path& folder) {
    std::vector<std::wstring> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        names.push_back(entry.path().filename().wstring());
    std::sort(names.begin(), names.end());
    return names;
}

// Removes `folder` with everything in it, read-only files too.
inline void remove_tree(const fs::path& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder, ignored);
}

// A fresh folder under the temporary directory, gone again at scope exit.
class ScratchFolder {
public:
    ScratchFolder() {
        static unsigned serial = 0;
        path_ =
            (fs::temp_directory_path() / ("veldor-test-" + std::to_string(GetCurrentProcessId()) +
                                          "-" + std::to_string(++serial)))
                .wstring();
        remove_tree(path_);
        CreateDirectoryW(path_.c_str(), nullptr);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { remove_tree(path_); }

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

}  // namespace veldor::test
