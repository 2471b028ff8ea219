// The main window object: the state that outlives a click, and the handlers
// the window's controls are wired to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veldor {

class VELDOR {
public:
    explicit VELDOR(Platform& platform) : platform_(platform) {}

    // The folder chosen by the last installation attempt.
    std::string path_buffer;

    bool SaveFileFromRes(std::uint16_t vntResourceID, std::string_view sType,
                         const std::string& sFileName);

    void comInstall_Click();

private:
    Platform& platform_;
};

}  // namespace veldor
