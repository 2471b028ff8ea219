// libFuzzer entry point: any bytes as the Windows command line after the
// program's name. The reader must not crash or overrun, and a folder it
// gives is part of the line, without quotes or trailing blanks.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "window/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const veldor::CommandLine command = veldor::ParseWindowsCommandLine(line);
    const std::string& folder = command.folder;
    if (folder.size() > size || folder.find('"') != std::string::npos) __builtin_trap();
    if (!folder.empty() && (folder.back() == ' ' || folder.back() == '\t')) __builtin_trap();
    return 0;
}
