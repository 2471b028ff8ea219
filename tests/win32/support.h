// Helpers shared by the Windows tests: file access that bypasses the code
// under test.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
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

}  // namespace veldor::test
