// libFuzzer entry point: any bytes as the kept originals' manifest. The
// reader must not crash, hang or overrun; what it accepts is exactly what
// the installer writes for the record it read.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "install/originals.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto kept = veldor::read_manifest(text); kept && veldor::manifest_text(*kept) != text)
        __builtin_trap();
    return 0;
}
