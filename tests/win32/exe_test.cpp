// Checks the built VELDOR汉化.exe as a file: its PE header, and the resources
// it carries, read back through the loader as Windows will see them.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "support.h"
#include "test_paths.h"

namespace {

using veldor::test::read_file;

constexpr WORD chinese_simplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

class ExeTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExW(test_paths::program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() {
        if (module) FreeLibrary(module);
    }
    void SetUp() override { ASSERT_NE(module, nullptr) << "cannot load the program"; }

    static std::vector<unsigned char> resource(const wchar_t* type, WORD id, WORD language) {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        if (!found) return {};
        const auto* data =
            static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
        return data ? std::vector<unsigned char>(data, data + SizeofResource(module, found))
                    : std::vector<unsigned char>{};
    }

    static std::wstring version_string(const std::vector<unsigned char>& info,
                                       const wchar_t* name) {
        void* value = nullptr;
        UINT length = 0;
        const std::wstring key = std::wstring(L"\\StringFileInfo\\080404B0\\") + name;
        if (!VerQueryValueW(info.data(), key.c_str(), &value, &length) || !value) return L"<none>";
        return std::wstring(static_cast<const wchar_t*>(value));
    }

    static inline HMODULE module = nullptr;
};

TEST_F(ExeTest, IsA32BitGuiProgram) {
    const auto image = read_file(test_paths::program);
    ASSERT_GT(image.size(), sizeof(IMAGE_DOS_HEADER));
    IMAGE_DOS_HEADER dos;
    std::memcpy(&dos, image.data(), sizeof dos);
    ASSERT_EQ(dos.e_magic, IMAGE_DOS_SIGNATURE);
    const auto offset = static_cast<std::size_t>(dos.e_lfanew);
    ASSERT_LE(offset + sizeof(IMAGE_NT_HEADERS32), image.size());
    IMAGE_NT_HEADERS32 nt;
    std::memcpy(&nt, image.data() + offset, sizeof nt);
    EXPECT_EQ(nt.Signature, static_cast<DWORD>(IMAGE_NT_SIGNATURE));
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_EQ(nt.OptionalHeader.Magic, IMAGE_NT_OPTIONAL_HDR32_MAGIC);
    EXPECT_EQ(nt.OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST_F(ExeTest, CarriesThePayloadsInChineseSimplified) {
    const std::pair<WORD, const wchar_t*> payloads[] = {
        {101, test_paths::payload_101},
        {102, test_paths::payload_102},
        {103, test_paths::payload_103},
        {104, test_paths::payload_104},
    };
    for (const auto& [id, file] : payloads) {
        const auto expected = read_file(file);
        ASSERT_FALSE(expected.empty()) << id;
        EXPECT_EQ(resource(L"CUSTOM", id, chinese_simplified), expected) << id;
    }
    EXPECT_TRUE(resource(L"CUSTOM", 105, chinese_simplified).empty());
    EXPECT_EQ(FindResourceW(module, MAKEINTRESOURCEW(105), L"CUSTOM"), nullptr);
}

BOOL CALLBACK collect_name(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
    reinterpret_cast<std::vector<ULONG_PTR>*>(names)->push_back(reinterpret_cast<ULONG_PTR>(name));
    return TRUE;
}

TEST_F(ExeTest, FirstIconGroupHas32And16PixelImages) {
    std::vector<ULONG_PTR> groups;
    EnumResourceNamesW(module, RT_GROUP_ICON, collect_name, reinterpret_cast<LONG_PTR>(&groups));
    ASSERT_FALSE(groups.empty());
    EXPECT_EQ(groups.front(), 1u);

    const auto group = resource(RT_GROUP_ICON, 1, chinese_simplified);
    ASSERT_GE(group.size(), 6u);
    const std::size_t count = group[4] | (group[5] << 8);
    ASSERT_EQ(group.size(), 6 + 14 * count);  // GRPICONDIR + GRPICONDIRENTRY[count]
    std::set<int> sizes;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char* entry = group.data() + 6 + 14 * i;
        EXPECT_EQ(entry[0], entry[1]) << "square image";
        sizes.insert(entry[0]);
        const auto icon_id = static_cast<WORD>(entry[12] | (entry[13] << 8));
        EXPECT_FALSE(resource(RT_ICON, icon_id, chinese_simplified).empty()) << icon_id;
    }
    EXPECT_TRUE(sizes.count(32));
    EXPECT_TRUE(sizes.count(16));
}

TEST_F(ExeTest, VersionRecordNamesTheProduct) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(test_paths::program, &ignored);
    ASSERT_GT(size, 0u);
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(test_paths::program, 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    EXPECT_EQ(version_string(info, L"FileVersion"), L"1.02");
    EXPECT_EQ(version_string(info, L"ProductVersion"), L"1.02");
    EXPECT_EQ(version_string(info, L"ProductName"), L"VELDOR汉化V1.2");
    EXPECT_EQ(version_string(info, L"InternalName"), L"VELDOR汉化");
    EXPECT_EQ(version_string(info, L"OriginalFilename"), L"VELDOR汉化.exe");
    EXPECT_EQ(version_string(info, L"CompanyName"), L"Tavlor社区");
    EXPECT_NE(version_string(info, L"FileDescription"), L"<none>");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(translation[0], 0x0804);
    EXPECT_EQ(translation[1], 1200);
}

TEST_F(ExeTest, ManifestAsksForAdministratorAndDpiAwareness) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(found, nullptr);
    const auto* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
    const std::string manifest(data, SizeofResource(module, found));
    for (const char* needle :
         {"level=\"requireAdministrator\"", ">true/pm<", ">PerMonitorV2,PerMonitor<",
          "Microsoft.Windows.Common-Controls", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
          "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
          "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"})
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
}

}  // namespace
