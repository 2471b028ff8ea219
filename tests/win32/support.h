// Helpers shared by the Windows tests: file access that bypasses the code
// under test, test data, and removing a folder with all it holds.
#pragma once

#include <windows.h>

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

// Removes `folder` with everything in it, read-only files too.
inline void remove_tree(const fs::path& folder) {
    std::error_code ignored;
    for (const auto& entry : fs::recursive_directory_iterator(folder, ignored))
        SetFileAttributesW(entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove_all(folder, ignored);
}

}  // namespace veldor::test
