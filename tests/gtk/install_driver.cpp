// The Linux platform installing into the folder on its command line, as the
// program does once a folder is chosen: what it would show goes to stdout,
// and the exit code is the outcome. Lets a test stop or fail a real process.
#include <cstdio>
#include <string>

#include "install/install.h"
#include "platform/gtk/gtk_platform.h"

namespace {

class Unattended : public veldor::GtkPlatform {
public:
    Unattended() : GtkPlatform("") {}
    void message_box(std::string_view text, veldor::Icon) override {
        std::printf("%.*s\n", static_cast<int>(text.size()), text.data());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 64;
    Unattended platform;
    return veldor::exit_code(veldor::InstallInto(platform, argv[1]));
}
