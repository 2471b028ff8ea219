// The Win32 services on a real scratch folder, under Wine in CI. This program
// links the payload resources, so read_resource finds the real files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "payload/payloads.h"
#include "platform/win32/wide.h"
#include "platform/win32/win32_platform.h"
#include "support.h"
#include "test_paths.h"

namespace veldor {
namespace {

using test::Data;
using test::list_folder;
using test::pattern;
using test::read_file;
using win32::narrow;
using Names = std::vector<std::wstring>;

Bytes as_bytes(const Data& data) { return Bytes(data.data(), data.size()); }
Data as_data(Bytes bytes) { return Data(bytes.begin(), bytes.end()); }

class Win32PlatformTest : public testing::Test {
protected:
    ~Win32PlatformTest() override { SetCurrentDirectoryW(saved_cwd.c_str()); }

    std::wstring saved_cwd = std::filesystem::current_path().wstring();
    test::ScratchFolder folder;
    Win32Platform platform{nullptr, L"VELDOR汉化V1.2"};
};

TEST_F(Win32PlatformTest, ReplacesAnOlderLongerFileExactly) {
    test::write_raw(folder / L"chi.db", pattern(300000, 9));
    const auto payload = platform.read_resource("CUSTOM", 103);
    ASSERT_TRUE(payload);
    ASSERT_TRUE(platform.write_file(narrow(folder / L"chi.db"), *payload));
    EXPECT_EQ(read_file(folder / L"chi.db"), as_data(*payload));
    EXPECT_EQ(list_folder(folder.path()), Names{L"chi.db"});
}

// Read-only, held open without sharing, or a folder: the write fails after
// or before its temporary file is made, and leaves the folder as it was.
TEST_F(Win32PlatformTest, RefusedTargetsStayAsTheyWere) {
    const Data old = pattern(100, 3);
    for (const DWORD kind :
         {FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_NORMAL, FILE_ATTRIBUTE_DIRECTORY}) {
        SCOPED_TRACE(kind);
        test::ScratchFolder dir;
        const std::wstring target = dir / L"ZQ05_Bod.ttf";
        if (kind == FILE_ATTRIBUTE_DIRECTORY)
            CreateDirectoryW(target.c_str(), nullptr);
        else
            test::write_raw(target, old);
        SetFileAttributesW(target.c_str(), kind);
        const DWORD attributes = GetFileAttributesW(target.c_str());
        HANDLE held = kind == FILE_ATTRIBUTE_NORMAL
                          ? CreateFileW(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr)
                          : nullptr;
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(platform.write_file(narrow(target), as_bytes(pattern(50, 4))));
        if (held) CloseHandle(held);
        EXPECT_EQ(GetFileAttributesW(target.c_str()), attributes);
        EXPECT_EQ(read_file(target), kind == FILE_ATTRIBUTE_DIRECTORY ? Data{} : old);
        EXPECT_EQ(list_folder(dir.path()), Names{L"ZQ05_Bod.ttf"});
    }
}

// With every name it could give taken, Wine's GetTempFileNameW answers one
// of them anyway: a file that already lay there (a planted link) would be
// opened and written. The staged file is made anew under its own name.
TEST_F(Win32PlatformTest, StagesOnlyInAFileItCreated) {
    const std::wstring taken = test_paths::taken_names, target = taken + L"\\chi.db";
    ASSERT_TRUE(platform.write_file(narrow(target), as_bytes(pattern(1000, 5))));
    EXPECT_EQ(read_file(target), pattern(1000, 5));
    DeleteFileW(target.c_str());
    EXPECT_EQ(list_folder(taken).size(), 65535u);
}

TEST_F(Win32PlatformTest, MissingFolderFailsAndCreatesNothing) {
    const std::wstring missing = folder / L"data";
    EXPECT_FALSE(platform.set_current_directory(narrow(missing)));
    EXPECT_FALSE(platform.write_file(narrow(missing + L"\\eng.db"), as_bytes(pattern(10, 7))));
    EXPECT_EQ(list_folder(folder.path()), Names{});
}

// Outside code page 936, the players' ANSI code page. The folder is empty at
// the end: no temporary file was left by the write.
TEST_F(Win32PlatformTest, FolderNamedOutsideCodePage936Works) {
    const std::wstring thai = folder / L"ทดสอบ";
    ASSERT_TRUE(CreateDirectoryW(thai.c_str(), nullptr));
    const std::string file = narrow(thai) + "\\汉化.dat";
    EXPECT_TRUE(platform.directory_exists(narrow(thai)));
    ASSERT_TRUE(platform.set_current_directory(narrow(thai)));
    EXPECT_EQ(std::filesystem::current_path().wstring(), thai);
    ASSERT_TRUE(platform.write_file("汉化.dat", as_bytes(pattern(777, 11))));
    EXPECT_EQ(read_file(thai + L"\\汉化.dat"), pattern(777, 11));
    EXPECT_TRUE(platform.file_exists(file));
    EXPECT_TRUE(platform.delete_file(file));
    EXPECT_FALSE(platform.file_exists(file));
    EXPECT_EQ(list_folder(thai), Names{});
}

// Only files the player would see in Explorer count, folders whatever their
// attributes; read-only files are files, but cannot be deleted.
TEST_F(Win32PlatformTest, FilesAndFoldersAsThePlayerSeesThem) {
    const struct {
        const wchar_t* name;
        DWORD attributes;  // 0: no such entry
        bool file, directory;
    } entries[] = {
        {L"plain.ttf", FILE_ATTRIBUTE_NORMAL, true, false},
        {L"readonly.ttf", FILE_ATTRIBUTE_READONLY, true, false},
        {L"hidden.ttf", FILE_ATTRIBUTE_HIDDEN, false, false},
        {L"system.ttf", FILE_ATTRIBUTE_SYSTEM, false, false},
        {L"gui", FILE_ATTRIBUTE_DIRECTORY, false, true},
        {L"gui\\", FILE_ATTRIBUTE_DIRECTORY, false, true},
        {L"hidden", FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, false,
         true},
        {L"missing", 0, false, false},
    };
    for (const auto& e : entries) {
        const std::wstring path = folder / e.name;
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY)
            CreateDirectoryW(path.c_str(), nullptr);
        else if (e.attributes)
            test::write_raw(path, pattern(1, 0));
        if (e.attributes) SetFileAttributesW(path.c_str(), e.attributes);
    }
    for (const auto& e : entries) {
        SCOPED_TRACE(narrow(e.name));
        EXPECT_EQ(platform.file_exists(narrow(folder / e.name)), e.file);
        EXPECT_EQ(platform.directory_exists(narrow(folder / e.name)), e.directory);
    }
    // Replaced, a hidden or system file stays so, out of the player's sight.
    for (const wchar_t* name : {L"hidden.ttf", L"system.ttf"}) {
        const std::wstring path = folder / name;
        const DWORD hiding = GetFileAttributesW(path.c_str());
        EXPECT_TRUE(platform.write_file(narrow(path), as_bytes(pattern(5, 2)))) << narrow(name);
        EXPECT_EQ(read_file(path), pattern(5, 2));
        EXPECT_EQ(GetFileAttributesW(path.c_str()), hiding) << narrow(name);
        EXPECT_FALSE(platform.file_exists(narrow(path)));
    }
    EXPECT_FALSE(platform.delete_file(narrow(folder / L"readonly.ttf")));
    EXPECT_FALSE(platform.delete_file(narrow(folder / L"gui")));
    EXPECT_EQ(list_folder(folder.path()), (Names{L"gui", L"hidden", L"hidden.ttf", L"plain.ttf",
                                                 L"readonly.ttf", L"system.ttf"}));
}

// A held file is in use only when its holder denies delete sharing: then it
// cannot be moved aside. A staged file keeps its model's attributes; moves
// replace nothing.
TEST_F(Win32PlatformTest, FileStatesStagedFilesAndMoves) {
    const std::wstring eng = folder / L"eng.db", chi = folder / L"chi.db";
    test::write_raw(eng, pattern(10, 1));
    test::write_raw(chi, pattern(10, 2));
    SetFileAttributesW(eng.c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(chi.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    for (const auto& [share, state] : {std::pair{DWORD{0}, FileState::in_use},
                                       {FILE_SHARE_READ | FILE_SHARE_DELETE, FileState::normal}}) {
        HANDLE held = CreateFileW(chi.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(platform.file_state(narrow(chi)), state) << share;
        CloseHandle(held);
    }
    EXPECT_EQ(platform.file_state(narrow(folder / L"none")), FileState::absent);
    EXPECT_EQ(platform.file_state(narrow(eng)), FileState::other);

    const std::string staged = narrow(chi) + ".new";
    ASSERT_TRUE(platform.stage_file(staged, narrow(eng), as_bytes(pattern(70000, 3))));
    EXPECT_FALSE(platform.stage_file(staged, narrow(eng), as_bytes(pattern(5, 4))));
    EXPECT_EQ(read_file(chi + L".new"), pattern(70000, 3));
    EXPECT_EQ(GetFileAttributesW((chi + L".new").c_str()) & ~DWORD{FILE_ATTRIBUTE_ARCHIVE},
              DWORD{FILE_ATTRIBUTE_HIDDEN});
    EXPECT_FALSE(platform.move_file(staged, narrow(chi)));
    EXPECT_TRUE(platform.move_file(narrow(chi), narrow(chi) + ".old"));
    EXPECT_TRUE(platform.flush_folder(narrow(folder.path())));
    EXPECT_EQ(list_folder(folder.path()), (Names{L"chi.db.new", L"chi.db.old", L"eng.db"}));
}

// The digest the build compiled in is CNG's SHA-256 of the resource.
TEST(Win32Resources, FindsThePayloadsWhateverTheTypeNameCaseAndHashesThem) {
    Win32Platform platform(nullptr, L"");
    for (const char* type : {"custom", "CUSTOM", "Custom"})
        for (unsigned id = 101; id <= 104; ++id) {
            const auto bytes = platform.read_resource(type, id);
            ASSERT_TRUE(bytes) << type << id;
            EXPECT_EQ(as_data(*bytes), read_file(test_paths::payload(id))) << type << id;
        }
    for (const PayloadDigest& p : payload_digests)
        EXPECT_EQ(platform.sha256(*platform.read_resource("custom", p.id)), p.sha256) << p.id;
    // 0x10000 + 101 would be 101 again if cut to 16 bits.
    for (const auto& [type, id] :
         {std::pair{"CUSTOM", 105u}, {"CUSTOM", 0x10000u + 101}, {"RCDATA", 101u}})
        EXPECT_FALSE(platform.read_resource(type, id)) << type << id;
}

// Steam records its folder with forward slashes; the dialog takes backslashes.
TEST_F(Win32PlatformTest, FindsSteamInTheRegistryAndReadsWhatTheSearchNeeds) {
    const wchar_t* key = L"Software\\Valve\\Steam";
    const std::wstring steam = L"c:/program files (x86)/steam";
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key, L"SteamPath", REG_SZ, steam.c_str(),
                              static_cast<DWORD>((steam.size() + 1) * sizeof(wchar_t))),
              ERROR_SUCCESS);
    const GamePlaces places = platform.game_places();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"SteamPath");
    EXPECT_EQ(places.steam, std::vector<std::string>{"c:\\program files (x86)\\steam"});
    EXPECT_TRUE(platform.game_places().steam.empty());

    const Data list = pattern(100, 1);
    test::write_raw(folder / L"libraryfolders.vdf", list);
    CreateDirectoryW((folder / L"游戏").c_str(), nullptr);
    CreateDirectoryW((folder / L"other").c_str(), nullptr);
    const std::string base = narrow(folder.path());
    EXPECT_EQ(platform.read_small_file(base, "libraryfolders.vdf", 100),
              std::string(list.begin(), list.end()));
    EXPECT_FALSE(platform.read_small_file(base, "libraryfolders.vdf", 99));
    EXPECT_FALSE(platform.read_small_file(base, "missing.vdf", 100));
    EXPECT_FALSE(platform.read_small_file(base, "other", 100));
    std::vector<std::string> inside = platform.subfolders(base, 10);
    std::ranges::sort(inside);
    EXPECT_EQ(inside, (std::vector<std::string>{base + "\\other", base + "\\游戏"}));
    EXPECT_EQ(platform.subfolders(base, 1).size(), 1u);
}

TEST(Win32Wide, ConvertsBothWaysWithoutLoss) {
    for (const std::wstring wide : {L"", L"VELDOR汉化V1.2", L"ทดสอบ", L"\U0001F600x"})
        EXPECT_EQ(win32::widen(narrow(wide)), wide);
    EXPECT_EQ(narrow(L"路径错误"), "路径错误");
}

}  // namespace
}  // namespace veldor
