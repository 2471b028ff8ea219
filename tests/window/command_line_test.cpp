// The Windows switches, as the scripts of both installer families write them.
#include "window/command_line.h"

#include <gtest/gtest.h>

namespace veldor {
namespace {

TEST(WindowsCommandLine, ReadsBothFamiliesAndRefusesWhatCannotRun) {
    const struct {
        std::string_view arguments;
        bool silent, help, bad;
        std::string folder;
    } cases[] = {
        {"", false, false, false, ""},
        {"/S /D=C:\\Games\\VELDOR", true, false, false, "C:\\Games\\VELDOR"},
        {"/s /d=D:\\My Games\\VELDOR 2  ", true, false, false, "D:\\My Games\\VELDOR 2"},
        {"/D=C:\\Program Files (x86)\\VELDOR", false, false, false,
         "C:\\Program Files (x86)\\VELDOR"},
        {"/D=\"C:\\Program Files\\VELDOR\"", false, false, false, "C:\\Program Files\\VELDOR"},
        {"\"/D=C:\\Program Files\\VELDOR\"", false, false, false, "C:\\Program Files\\VELDOR"},
        {"/D=E:\\", false, false, false, "E:\\"},
        {"/D=C:/Games/VELDOR", false, false, false, "C:/Games/VELDOR"},
        {"/VERYSILENT /DIR=\"C:\\Program Files\\VELDOR\"", true, false, false,
         "C:\\Program Files\\VELDOR"},
        {"\t/Silent\t/dir=C:\\VELDOR", true, false, false, "C:\\VELDOR"},
        {"\"/DIR=C:\\Program Files\\VELDOR\" /SILENT", true, false, false,
         "C:\\Program Files\\VELDOR"},
        {"/?", false, true, false, ""},
        {"/D=C:\\Games\\VELDOR /S", true, false, true, "C:\\Games\\VELDOR"},  // not last
        {"/D=", false, false, true, ""},
        {"/S /D=   ", true, false, true, ""},
        {"/DIR=\"\" /S", true, false, true, ""},
        {"/S", true, false, true, ""},                           // silent, but where to?
        {"/S /DIR=C:\\A /D=C:\\B", true, false, true, "C:\\B"},  // two folders
        {"/S /X /D=C:\\A", true, false, true, "C:\\A"},
        {"/SILENTLY /D=C:\\A", false, false, true, "C:\\A"},
        {"/D C:\\A", false, false, true, ""},
        {"C:\\A", false, false, true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CommandLine command = ParseWindowsCommandLine(c.arguments);
        EXPECT_EQ(command.silent, c.silent);
        EXPECT_EQ(command.help, c.help);
        EXPECT_EQ(command.bad(), c.bad);
        EXPECT_EQ(command.folder, c.folder);
    }
}

}  // namespace
}  // namespace veldor
