#include "payload/payloads.h"

namespace veldor {

bool SaveFileFromRes(Platform& platform, std::uint16_t vntResourceID, std::string_view sType,
                     const std::string& sFileName) {
    const auto bytes = platform.read_resource(sType, vntResourceID);
    std::string staged = sFileName;
    staged += staged_suffix;
    return bytes && platform.stage_file(staged, sFileName, *bytes);
}

}  // namespace veldor
