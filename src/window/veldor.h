// The main window object: the state that outlives a click, and the handlers
// the window's controls are wired to.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "platform/platform.h"
#include "window/form.h"

namespace veldor {

class VELDOR {
public:
    // `start_folder`: where the folder dialog opens (the command line's
    // folder); empty: the face's own start.
    explicit VELDOR(Platform& platform, std::string start_folder = {})
        : platform_(platform), start_folder_(std::move(start_folder)) {}

    // The folder chosen by the last installation attempt.
    std::string path_buffer;

    bool SaveFileFromRes(std::uint16_t vntResourceID, std::string_view sType,
                         const std::string& sFileName);

    void comInstall_Click();
    void comAbout_Click();
    void comExit_Click();
    void Label1_Click();

    // What a face calls once the window shows: proves the installer's own
    // files, which a damaged download fails at every attempt. False (the
    // message shown) when installing cannot succeed: the face then disables
    // the controls whose click is Command::install.
    bool Shown();

    // What a face calls when a control is clicked: the control's `on_click`.
    void Run(Command command);

private:
    Platform& platform_;
    std::string start_folder_;
};

}  // namespace veldor
