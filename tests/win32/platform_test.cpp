// The Win32 services on a real scratch folder, under Wine in CI. This program
// links the payload resources, so read_resource finds the real files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "support.h"
#include "test_paths.h"

namespace veldor {
namespace {

using test::list_folder;
using test::read_file;
using test::write_raw;
using win32::narrow;

using Names = std::vector<std::wstring>;

std::vector<unsigned char> pattern(std::size_t size, unsigned char first) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(first + i * 7);
    return bytes;
}

Bytes as_bytes(const std::vector<unsigned char>& v) { return Bytes(v.data(), v.size()); }

// Puts the working directory back, so the scratch folder can be removed.
class CurrentDirectoryGuard {
public:
    CurrentDirectoryGuard() { GetCurrentDirectoryW(MAX_PATH, saved_); }
    ~CurrentDirectoryGuard() { SetCurrentDirectoryW(saved_); }

private:
    wchar_t saved_[MAX_PATH];
};

class Win32PlatformTest : public testing::Test {
protected:
    std::string utf8(const std::wstring& path) const { return narrow(path); }

    test::ScratchFolder folder;
    CurrentDirectoryGuard cwd;
    Win32Platform platform{nullptr, L"VELDOR汉化V1.2"};
};

// --- write_file ------------------------------------------------------------

TEST_F(Win32PlatformTest, WritesNewFileInCurrentDirectory) {
    const auto payload = pattern(4096, 1);
    ASSERT_TRUE(platform.set_current_directory(utf8(folder.path())));
    ASSERT_TRUE(platform.write_file("eng.db", as_bytes(payload)));
    EXPECT_EQ(read_file(folder / L"eng.db"), payload);
    EXPECT_EQ(list_folder(folder.path()), Names{L"eng.db"});
}

TEST_F(Win32PlatformTest, ReplacesOlderLongerFileExactly) {
    write_raw(folder / L"chi.db", pattern(300000, 9));
    const auto payload = platform.read_resource("CUSTOM", 103);
    ASSERT_TRUE(payload);
    ASSERT_TRUE(platform.write_file(utf8(folder / L"chi.db"), *payload));
    const auto written = read_file(folder / L"chi.db");
    EXPECT_EQ(written, std::vector<unsigned char>(payload->begin(), payload->end()));
    EXPECT_EQ(list_folder(folder.path()), Names{L"chi.db"});
}

TEST_F(Win32PlatformTest, ReadOnlyTargetFailsAndStaysAsItWas) {
    const auto old = pattern(100, 3);
    const std::wstring target = folder / L"config.dat";
    write_raw(target, old);
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_FALSE(platform.write_file(utf8(target), as_bytes(pattern(50, 4))));
    EXPECT_EQ(read_file(target), old);
    EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(list_folder(folder.path()), Names{L"config.dat"});
}

TEST_F(Win32PlatformTest, TargetHeldOpenWithoutSharingFailsAndStaysAsItWas) {
    const auto old = pattern(100, 5);
    const std::wstring target = folder / L"ZQ05_Bod.ttf";
    write_raw(target, old);
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    const bool written = platform.write_file(utf8(target), as_bytes(pattern(60, 6)));
    CloseHandle(held);
    EXPECT_FALSE(written);
    EXPECT_EQ(read_file(target), old);
    EXPECT_EQ(list_folder(folder.path()), Names{L"ZQ05_Bod.ttf"});
}

TEST_F(Win32PlatformTest, MissingFolderFailsAndCreatesNothing) {
    const std::wstring missing = folder / L"data";
    EXPECT_FALSE(platform.set_current_directory(utf8(missing)));
    EXPECT_FALSE(platform.write_file(utf8(missing + L"\\eng.db"), as_bytes(pattern(10, 7))));
    EXPECT_EQ(GetFileAttributesW(missing.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(list_folder(folder.path()).empty());
}

// The temporary file is written before the name is found unusable: it must
// still disappear.
TEST_F(Win32PlatformTest, TargetNameRefusedByRenameLeavesNoTemporaryFile) {
    ASSERT_TRUE(platform.set_current_directory(utf8(folder.path())));
    EXPECT_FALSE(platform.write_file("bad?name.dat", as_bytes(pattern(10, 8))));
    EXPECT_TRUE(list_folder(folder.path()).empty());
}

TEST_F(Win32PlatformTest, DirectoryAsTargetFailsAndStays) {
    const std::wstring target = folder / L"eng.db";
    CreateDirectoryW(target.c_str(), nullptr);
    EXPECT_FALSE(platform.write_file(utf8(target), as_bytes(pattern(10, 2))));
    EXPECT_NE(GetFileAttributesW(target.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(list_folder(folder.path()), Names{L"eng.db"});
}

// --- names outside the ANSI code page (936 on the players' systems) ---------

TEST_F(Win32PlatformTest, FolderNamedOutsideCodePage936Works) {
    const std::wstring thai = folder / L"ทดสอบ";
    ASSERT_TRUE(CreateDirectoryW(thai.c_str(), nullptr));
    const std::string thai_utf8 = utf8(thai);

    EXPECT_TRUE(platform.directory_exists(thai_utf8));
    ASSERT_TRUE(platform.set_current_directory(thai_utf8));
    wchar_t current[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, current);
    EXPECT_EQ(std::wstring(current), thai);

    const auto payload = pattern(777, 11);
    ASSERT_TRUE(platform.write_file("汉化.dat", as_bytes(payload)));
    EXPECT_EQ(read_file(thai + L"\\汉化.dat"), payload);
    EXPECT_TRUE(platform.file_exists(thai_utf8 + "\\汉化.dat"));
    EXPECT_TRUE(platform.delete_file(thai_utf8 + "\\汉化.dat"));
    EXPECT_FALSE(platform.file_exists(thai_utf8 + "\\汉化.dat"));
    EXPECT_TRUE(list_folder(thai).empty());
}

// --- file_exists / directory_exists -----------------------------------------

TEST_F(Win32PlatformTest, FileExistsOnlyForVisibleFiles) {
    const std::wstring normal = folder / L"normal.ttf";
    const std::wstring hidden = folder / L"hidden.ttf";
    const std::wstring system = folder / L"system.ttf";
    const std::wstring readonly = folder / L"readonly.ttf";
    for (const auto& path : {normal, hidden, system, readonly}) write_raw(path, pattern(1, 0));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW(readonly.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(platform.file_exists(utf8(normal)));
    EXPECT_TRUE(platform.file_exists(utf8(readonly)));
    EXPECT_FALSE(platform.file_exists(utf8(hidden)));
    EXPECT_FALSE(platform.file_exists(utf8(system)));
    EXPECT_FALSE(platform.file_exists(utf8(folder / L"missing.ttf")));
    EXPECT_FALSE(platform.file_exists(utf8(folder.path())));
    EXPECT_FALSE(platform.file_exists(""));
}

TEST_F(Win32PlatformTest, DirectoryExistsOnlyForVisibleDirectories) {
    const std::wstring file = folder / L"file";
    const std::wstring hidden = folder / L"hidden";
    write_raw(file, pattern(1, 0));
    CreateDirectoryW(hidden.c_str(), nullptr);
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);

    EXPECT_TRUE(platform.directory_exists(utf8(folder.path())));
    EXPECT_TRUE(platform.directory_exists(utf8(folder.path()) + "\\"));
    EXPECT_FALSE(platform.directory_exists(utf8(hidden)));
    EXPECT_FALSE(platform.directory_exists(utf8(file)));
    EXPECT_FALSE(platform.directory_exists(utf8(folder / L"missing")));
}

// --- delete_file -------------------------------------------------------------

TEST_F(Win32PlatformTest, DeleteFileRemovesOnlyWritableFiles) {
    const std::wstring normal = folder / L"ZQ05_Tit.ttf";
    const std::wstring readonly = folder / L"ZQSSanCB.ttf";
    write_raw(normal, pattern(10, 1));
    write_raw(readonly, pattern(10, 2));
    SetFileAttributesW(readonly.c_str(), FILE_ATTRIBUTE_READONLY);

    EXPECT_TRUE(platform.delete_file(utf8(normal)));
    EXPECT_FALSE(platform.delete_file(utf8(readonly)));
    EXPECT_FALSE(platform.delete_file(utf8(normal)));  // already gone
    EXPECT_FALSE(platform.delete_file(utf8(folder.path())));
    EXPECT_EQ(list_folder(folder.path()), Names{L"ZQSSanCB.ttf"});
}

TEST_F(Win32PlatformTest, DeleteFileFailsOnFileHeldOpen) {
    const std::wstring target = folder / L"ZQ05_Tit.ttf";
    write_raw(target, pattern(10, 1));
    HANDLE held = CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(platform.delete_file(utf8(target)));
    CloseHandle(held);
    EXPECT_EQ(list_folder(folder.path()), Names{L"ZQ05_Tit.ttf"});
}

// --- read_resource -------------------------------------------------------------

TEST(Win32Resources, PayloadsMatchTheirFiles) {
    Win32Platform platform(nullptr, L"");
    const std::vector<std::pair<unsigned, const wchar_t*>> expected{
        {101, test_paths::payload_101},
        {102, test_paths::payload_102},
        {103, test_paths::payload_103},
        {104, test_paths::payload_104},
    };
    for (const auto& [id, file] : expected) {
        const auto bytes = platform.read_resource("custom", id);
        ASSERT_TRUE(bytes) << id;
        EXPECT_EQ(std::vector<unsigned char>(bytes->begin(), bytes->end()), read_file(file)) << id;
    }
}

TEST(Win32Resources, TypeNameIgnoresCaseAndNothingIsCopied) {
    Win32Platform platform(nullptr, L"");
    HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(102), L"CUSTOM");
    ASSERT_NE(found, nullptr);
    const void* locked = LockResource(LoadResource(nullptr, found));

    for (const char* type : {"custom", "CUSTOM", "Custom"}) {
        const auto bytes = platform.read_resource(type, 102);
        ASSERT_TRUE(bytes) << type;
        EXPECT_EQ(static_cast<const void*>(bytes->data()), locked) << type;
        EXPECT_EQ(bytes->size(), SizeofResource(nullptr, found)) << type;
    }
}

TEST(Win32Resources, AbsentResourcesAreNotFound) {
    Win32Platform platform(nullptr, L"");
    EXPECT_FALSE(platform.read_resource("CUSTOM", 105));
    EXPECT_FALSE(platform.read_resource("CUSTOM", 100));
    EXPECT_FALSE(platform.read_resource("RCDATA", 101));
    EXPECT_FALSE(platform.read_resource("", 101));
    EXPECT_FALSE(platform.read_resource("CUSTOM", 0x10000 + 101));
}

// --- UTF-8 <-> UTF-16 ----------------------------------------------------------

TEST(Win32Wide, ConvertsBothWaysWithoutLoss) {
    const std::wstring samples[] = {L"", L"eng.db", L"VELDOR汉化V1.2", L"ทดสอบ", L"\U0001F600x"};
    for (const std::wstring& wide : samples) EXPECT_EQ(win32::widen(narrow(wide)), wide);
    EXPECT_EQ(narrow(L"路径错误"), "路径错误");
    EXPECT_EQ(win32::widen("\\data\\gui\\"), L"\\data\\gui\\");
}

}  // namespace
}  // namespace veldor
