#include "window/veldor.h"

#include "install/install.h"
#include "payload/payloads.h"
#include "window/identity.h"

namespace veldor {

bool VELDOR::SaveFileFromRes(std::uint16_t vntResourceID, std::string_view sType,
                             const std::string& sFileName) {
    return veldor::SaveFileFromRes(platform_, vntResourceID, sType, sFileName);
}

void VELDOR::comInstall_Click() { Install(platform_, path_buffer, start_folder_); }

bool VELDOR::Shown() { return CopyIntact(platform_); }

void VELDOR::comAbout_Click() { platform_.message_box(about_text, Icon::none); }

// Leaving is not installing: a script reading the exit code must not take it
// for success.
void VELDOR::comExit_Click() { platform_.end_program(exit_code(Outcome::left)); }

// Whether the opener succeeded is not the window's concern.
void VELDOR::Label1_Click() { platform_.open_document(site_address); }

void VELDOR::Run(Command command) {
    switch (command) {
        case Command::install:
            return comInstall_Click();
        case Command::exit:
            return comExit_Click();
        case Command::about:
            return comAbout_Click();
        case Command::open_site:
            return Label1_Click();
        case Command::none:
            return;
    }
}

}  // namespace veldor
