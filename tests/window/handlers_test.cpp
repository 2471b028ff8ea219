// Each attempt's folder dialog opens on the command line's folder, if one
// was given. (What each control does is shown through the real windows.)
#include <gtest/gtest.h>

#include "unit/fake_platform.h"
#include "window/veldor.h"

namespace veldor {
namespace {

TEST(Handlers, InstallOpensTheDialogOnTheStartFolder) {
    for (const std::string start : {"", "D:\\My Games\\VELDOR"}) {
        testing::FakePlatform platform;
        VELDOR window{platform, start};
        window.Run(Command::install);
        window.Run(Command::install);
        EXPECT_EQ(platform.dialog_starts, (std::vector{start, start}));
    }
}

}  // namespace
}  // namespace veldor
