#include "payload/payloads.h"

namespace veldor {

bool SaveFileFromRes(Platform& platform, std::uint16_t vntResourceID, std::string_view sType,
                     const std::string& sFileName) {
    const auto bytes = platform.read_resource(sType, vntResourceID);
    if (bytes && platform.write_file(sFileName, *bytes)) return true;
    platform.explain(std::string(bytes ? "无法写入 " : "安装程序缺少 ").append(sFileName));
    platform.message_box(failure_message, Icon::stop);
    return false;
}

}  // namespace veldor
