// Checks the built VELDOR汉化.exe as a file: the resources it carries, read
// back through the loader as Windows will see them. check_imports.cmake
// checks its headers.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>
#include <vector>

#include "support.h"
#include "test_paths.h"

namespace {

using veldor::test::Data;
using veldor::test::read_file;

constexpr WORD chinese_simplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

class ExeTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExW(test_paths::program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load the program"; }

    static Data resource(const wchar_t* type, WORD id, WORD language = chinese_simplified) {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        const auto* data =
            found ? static_cast<const unsigned char*>(LockResource(LoadResource(module, found)))
                  : nullptr;
        return data ? Data(data, data + SizeofResource(module, found)) : Data{};
    }

    static inline HMODULE module = nullptr;
};

TEST_F(ExeTest, CarriesThePayloadsInChineseSimplified) {
    for (WORD id = 101; id <= 104; ++id) {
        const Data expected = read_file(test_paths::payload(id));
        ASSERT_FALSE(expected.empty()) << id;
        EXPECT_EQ(resource(L"CUSTOM", id), expected) << id;
    }
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(105), L"CUSTOM"), nullptr);
}

TEST_F(ExeTest, IconGroupHas32And16PixelImages) {
    const Data group = resource(RT_GROUP_ICON, 1);
    ASSERT_GE(group.size(), 6u);
    const std::size_t count = group[4] | (group[5] << 8);
    ASSERT_EQ(group.size(), 6 + 14 * count);  // GRPICONDIR + GRPICONDIRENTRY[count]
    std::set<int> sizes;
    for (const unsigned char* entry = &group[6]; entry < group.data() + group.size(); entry += 14) {
        if (entry[0] == entry[1]) sizes.insert(entry[0]);
        EXPECT_FALSE(resource(RT_ICON, static_cast<WORD>(entry[12] | (entry[13] << 8))).empty());
    }
    EXPECT_TRUE(sizes.count(32) && sizes.count(16));
}

TEST_F(ExeTest, VersionRecordNamesTheProduct) {
    DWORD ignored = 0;
    std::vector<unsigned char> info(GetFileVersionInfoSizeW(test_paths::program, &ignored));
    ASSERT_TRUE(GetFileVersionInfoW(test_paths::program, 0, info.size(), info.data()));
    const auto query = [&](const std::wstring& key) -> const void* {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), key.c_str(), &value, &length) ? value : nullptr;
    };

    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(std::vector({fixed->dwFileVersionMS, fixed->dwFileVersionLS,
                           fixed->dwProductVersionMS, fixed->dwProductVersionLS}),
              std::vector<DWORD>({0x00010002, 0, 0x00010002, 0}));  // 1.2.0.0
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_NE(translation, nullptr);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);

    for (const auto& [name, value] : {std::pair{L"FileVersion", L"1.02"},
                                      {L"ProductVersion", L"1.02"},
                                      {L"ProductName", L"VELDOR汉化V1.2"},
                                      {L"InternalName", L"VELDOR汉化"},
                                      {L"OriginalFilename", L"VELDOR汉化.exe"},
                                      {L"CompanyName", L"Tavlor社区"}}) {
        const void* text = query(std::wstring(L"\\StringFileInfo\\080404B0\\") + name);
        EXPECT_EQ(std::wstring(text ? static_cast<const wchar_t*>(text) : L"<none>"), value);
    }
}

TEST_F(ExeTest, ManifestAsksForAdministratorRights) {
    const Data data = resource(RT_MANIFEST, 1);
    const std::string manifest(data.begin(), data.end());
    for (const char* needle : {"level=\"requireAdministrator\"",
                               "Microsoft.Windows.Common-Controls", ">PerMonitorV2,PerMonitor<"})
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
}

}  // namespace
