// The main window object: the state that outlives a click, and the handlers
// the window's controls are wired to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "window/form.h"

namespace veldor {

class VELDOR {
public:
    explicit VELDOR(Platform& platform) : platform_(platform) {}

    // The folder chosen by the last installation attempt.
    std::string path_buffer;

    bool SaveFileFromRes(std::uint16_t vntResourceID, std::string_view sType,
                         const std::string& sFileName);

    void comInstall_Click();
    void comAbout_Click();
    void comExit_Click();
    void Label1_Click();

    // What a face calls when a control is clicked: the control's `on_click`.
    void Run(Command command);

private:
    Platform& platform_;
};

}  // namespace veldor
