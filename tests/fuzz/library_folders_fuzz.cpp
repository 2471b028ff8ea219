// libFuzzer entry point: any bytes as a library list. The reader must not
// crash, hang or overrun, and stays within its bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "install/library_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const auto libraries = veldor::library_folders(text);
    if (libraries.size() > veldor::library_count_limit) __builtin_trap();
    for (const auto& library : libraries)
        if (library.empty() || library.size() > size) __builtin_trap();
    return 0;
}
