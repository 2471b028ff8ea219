#include "window/veldor.h"

#include "install/install.h"
#include "payload/payloads.h"

namespace veldor {

bool VELDOR::SaveFileFromRes(std::uint16_t vntResourceID, std::string_view sType,
                             const std::string& sFileName) {
    return veldor::SaveFileFromRes(platform_, vntResourceID, sType, sFileName);
}

void VELDOR::comInstall_Click() { Install(platform_, path_buffer); }

}  // namespace veldor
