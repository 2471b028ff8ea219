#include "payload/payloads.h"

namespace veldor {

bool SaveFileFromRes(Platform& platform, std::uint16_t vntResourceID, std::string_view sType,
                     const std::string& sFileName) {
    const auto bytes = platform.read_resource(sType, vntResourceID);
    std::string staged = sFileName;
    staged += staged_suffix;
    if (bytes && platform.stage_file(staged, sFileName, *bytes)) return true;
    platform.explain(std::string(bytes ? "无法写入 " : "安装程序缺少 ").append(sFileName));
    return false;
}

}  // namespace veldor
