// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end; and
// reads the file itself as Windows' loader sees it. Only what the real
// program can tell: the core's decisions are proven against the scripted
// fake (tests/unit, tests/window). Every wait is bounded.
#include <gtest/gtest.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "e2e/player.h"
#include "platform/win32/handles.h"
#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
#include "window/command_line.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using test::children_of;
using test::class_of;
using test::Data;
using test::patience_ms;
using test::pattern;
using test::Player;
using test::read_file;
using test::text_of;
using test::wait_until;
using win32::widen;
namespace fs = std::filesystem;

// Given by run.sh: a drive holding game folders, and one whose root is one;
// the file the stand-in browser writes the address it is given to.
std::wstring second_drive, root_drive, browser_record;

// The build's program, or the one VELDOR_PROGRAM names: a copy beside
// planted DLLs (planted/run.sh), a signed build (release_build.sh).
std::wstring program_under_test() {
    const wchar_t* copy = _wgetenv(L"VELDOR_PROGRAM");
    return copy && *copy ? copy : test_paths::program;
}

// The control built from `name`'s table entry, found as a player sees it.
HWND control_of(HWND window, std::string_view name) {
    const Control* control = find_control(name);
    for (HWND child : children_of(window))
        if (control->kind == ControlKind::text_box
                ? lstrcmpiW(class_of(child).c_str(), L"Edit") == 0
                : text_of(child) == widen(control->caption))
            return child;
    return nullptr;
}

// The size of `control`'s caption drawn in its font at `dpi` (that font made
// here as the program makes it), without the access-key marker.
SIZE caption_size(const Control& control, int dpi) {
    const Font& font = control.font ? *control.font : main_window.font;
    LOGFONTW description{};
    description.lfHeight = -MulDiv(static_cast<int>(font.points * 10 + 0.5), dpi, 720);
    description.lfWeight = font.weight;
    description.lfUnderline = font.underline;
    description.lfCharSet = static_cast<BYTE>(font.charset);
    lstrcpynW(description.lfFaceName, widen(font.face).c_str(), LF_FACESIZE);
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT made = CreateFontIndirectW(&description);
    HGDIOBJ old = SelectObject(dc, made);
    std::wstring caption = widen(control.caption);
    RECT box{};
    const UINT prefix = control.kind == ControlKind::push_button ? 0u : DT_NOPREFIX;
    DrawTextW(dc, caption.data(), -1, &box, DT_CALCRECT | DT_SINGLELINE | prefix);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return {box.right - box.left, box.bottom - box.top};
}

// What a screen reader learns of `control`, and what its default action answers.
struct Accessible {
    std::wstring name;
    LONG role = 0;
    HRESULT action = E_FAIL;
};
Accessible accessible(HWND control, bool act) {
    Accessible seen;
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&object))))
        return seen;
    VARIANT self{}, role{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR text = nullptr;
    if (SUCCEEDED(object->get_accName(self, &text)) && text) seen.name = text;
    SysFreeString(text);
    if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) seen.role = role.lVal;
    if (act) seen.action = object->accDoDefaultAction(self);
    object->Release();
    return seen;
}

// A game folder: the data folders asked for, with the superseded fonts, an
// older, longer eng.db than the patch's and a chi.db.
void make_game_folder(const fs::path& folder, bool game = true) {
    fs::create_directories(folder / L"data\\cmn\\fe");
    if (!game) return;
    fs::create_directories(folder / L"data\\gui");
    const std::size_t eng_size = read_file(test_paths::payload(101)).size() + 777;
    for (const auto& [name, bytes] : {std::pair{L"data\\cmn\\fe\\eng.db", pattern(eng_size, 5)},
                                      {L"data\\cmn\\fe\\chi.db", pattern(2048, 9)},
                                      {L"data\\gui\\ZQ05_Tit.ttf", pattern(3000, 1)},
                                      {L"data\\gui\\ZQSSanCB.ttf", pattern(4000, 2)}})
        test::write_raw(folder / name, bytes);
}

// Every folder (ending in '\') and file below `folder`, with its contents.
using Tree = std::map<std::wstring, Data>;
Tree snapshot(const fs::path& folder) {
    Tree tree;
    const std::size_t prefix = (folder / L"").wstring().size();
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::wstring name = entry.path().wstring().substr(prefix);
        tree[entry.is_directory() ? name + L"\\" : name] =
            entry.is_directory() ? Data{} : read_file(entry.path());
    }
    return tree;
}

// What a complete installation leaves: the layout and the four payloads.
Tree installed_tree() {
    Tree tree{
        {L"data\\", {}}, {L"data\\cmn\\", {}}, {L"data\\cmn\\fe\\", {}}, {L"data\\gui\\", {}}};
    for (const auto& [id, name] : {std::pair{101, L"data\\cmn\\fe\\eng.db"},
                                   {102, L"data\\gui\\ZQ05_Bod.ttf"},
                                   {103, L"data\\cmn\\fe\\chi.db"},
                                   {104, L"config.dat"}})
        tree[name] = read_file(test_paths::payload(id));
    return tree;
}

// One run of the program: started, its window found; the boxes it shows.
class EndToEnd : public testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(second_drive.empty()) << "run through run.sh"; }

    // Starts the program; without a window it must show a box or end.
    void start(const std::wstring& arguments = L"", bool window = true,
               const std::wstring& program = program_under_test()) {
        app.emplace(program, widen(main_window.caption), arguments);
        ASSERT_EQ(app->window() != nullptr, window);
    }
    HWND control(std::string_view name) const { return control_of(app->window(), name); }
    bool install_from(const std::wstring& path) const {
        return app->choose_after(control("comInstall"), path);
    }
    // Answers the one box the last action should show, and checks it: its
    // caption, its owner (the window, when there is one) and its icon.
    void expect_box(const std::wstring& text, bool stop_icon) const {
        const auto box = app->answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, widen(application_title));
        EXPECT_EQ(box->owner, app->window());
        EXPECT_EQ(box->icon, stop_icon);
        EXPECT_EQ(box->stop_icon, stop_icon);
    }
    void expect_window_stays() const {
        Sleep(1000);
        EXPECT_TRUE(app->idle()) << "the program ended or showed another dialog";
    }
    void expect_end(DWORD code) const {
        EXPECT_TRUE(app->ended(patience_ms)) << "the program did not end";
        EXPECT_EQ(app->exit_code(), code);
    }

    std::optional<Player> app;
};

// At this screen's DPI: the table's geometry and styles, each caption fits.
TEST_F(EndToEnd, Layout) {
    start();
    HWND window = app->window();
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const auto px = [&](int twips) { return static_cast<LONG>(twips_to_pixels(twips, dpi)); };
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, dpi == 96 ? 443 : px(main_window.client_width));
    EXPECT_EQ(client.bottom, dpi == 96 ? 194 : px(main_window.client_height));
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);

    for (const Control& c : controls) {
        SCOPED_TRACE(std::string(c.name));
        HWND child = control(c.name);
        ASSERT_NE(child, nullptr);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        const auto& t = c.twips;
        if (c.name == slogan) {
            // Grown to its text from its table width, no further right than the note box.
            EXPECT_EQ((std::array{r.top, r.bottom - r.top}), (std::array{px(t.top), px(t.height)}));
            EXPECT_GE(r.right - r.left, px(t.width));
            EXPECT_LE(r.right, px(find_control(slogan_right_limit)->twips.right()));
        } else {
            EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                      (std::array{px(t.left), px(t.top), px(t.width), px(t.height)}));
        }
        const LONG style = GetWindowLongW(child, GWL_STYLE);
        if (c.kind == ControlKind::text_box) {
            EXPECT_EQ(style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
            EXPECT_EQ(text_of(child), widen(c.caption));
            continue;
        }
        if (c.kind == ControlKind::push_button) {
            EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON);
        }
        // On one line; the slogan keeps its table's height, a pixel short at 192 DPI.
        const SIZE text = caption_size(c, dpi);
        EXPECT_LE(text.cx, r.right - r.left) << "caption wider than its control";
        if (c.name != slogan) {
            EXPECT_LE(text.cy, r.bottom - r.top) << "caption taller";
        }
    }
}

TEST_F(EndToEnd, FocusKeysTheSiteLabelAboutAndExit) {
    start();
    // Focus starts on Install; Tab walks the focus order and wraps; the
    // dialog manager agrees backwards. Tabbed in, the note box shows its
    // beginning, nothing selected; Enter and Escape there start nothing.
    std::vector<HWND> order;
    for (const Control* c : focus_order()) order.push_back(control(c->name));
    ASSERT_TRUE(wait_until([&] { return app->focus() == order.front(); }));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        HWND expected = order[i % order.size()];
        app->press(WM_KEYDOWN, VK_TAB);
        ASSERT_TRUE(wait_until([&] { return app->focus() == expected; }, 3000)) << i;
        EXPECT_EQ(GetNextDlgTabItem(app->window(), expected, TRUE), order[i - 1]) << i;
        if (expected != control("Text")) continue;
        DWORD_PTR selection = 0, first_line = 99;
        SendMessageTimeoutW(expected, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection);
        SendMessageTimeoutW(expected, EM_GETFIRSTVISIBLELINE, 0, 0, SMTO_ABORTIFHUNG, 2000,
                            &first_line);
        EXPECT_EQ(LOWORD(selection), HIWORD(selection)) << "text selected on tabbing in";
        EXPECT_EQ(first_line, 0u);
        app->press(WM_KEYDOWN, VK_RETURN);
        app->press(WM_KEYDOWN, VK_ESCAPE);
        expect_window_stays();
        EXPECT_EQ(app->focus(), expected);
    }

    // A screen reader hears the note box by its own name and finds the site
    // label a link whose default action opens the site in the browser.
    EXPECT_EQ(accessible(control("Text"), false).name, widen(note_box_name));
    DeleteFileW(browser_record.c_str());
    const Accessible link = accessible(control("Label1"), true);
    EXPECT_EQ(link.name, widen(site_address));
    EXPECT_EQ(link.role, ROLE_SYSTEM_LINK);
    EXPECT_EQ(link.action, S_OK);
    std::string opened;
    wait_until([&] {
        const Data bytes = read_file(browser_record);
        return !opened.assign(bytes.begin(), bytes.end()).empty();
    });
    EXPECT_EQ(opened, site_address);
    expect_window_stays();

    // With a button focused, bare letters do nothing; with Alt, I opens the
    // folder dialog (Cancel keeps the window), A the About box, E ends the
    // program as leaving: 1.
    for (const WPARAM letter : {'I', 'E', 'A'}) app->press(WM_KEYDOWN, letter);
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'I');
    HWND dialog = app->wait_for_dialog(true);
    ASSERT_NE(dialog, nullptr) << "Alt+I opened no folder dialog";
    app->click(GetDlgItem(dialog, IDCANCEL));
    ASSERT_TRUE(wait_until([&] { return !IsWindowVisible(dialog); }));
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'A');
    expect_box(widen(about_text), false);
    expect_window_stays();
    app->press(WM_SYSKEYDOWN, 'E');
    expect_end(1);
}

// A folder outside code page 936, given with /D=: a chi.db the game holds
// open is found before anything changes; once let go, the folder dialog
// opens there again, and OK as it stands writes the four payloads byte for
// byte and ends.
TEST_F(EndToEnd, InUseUntilLetGoThenInstallsIntoTheFolderGiven) {
    const std::wstring game = second_drive + L"\\ทดสอบ";
    make_game_folder(game);
    const Tree before = snapshot(game);
    start(L"/D=" + game);
    const std::wstring chi = game + L"\\data\\cmn\\fe\\chi.db";
    win32::Handle held{CreateFileW(chi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr)};
    ASSERT_TRUE(static_cast<bool>(held));
    ASSERT_TRUE(install_from(game));
    expect_box(widen("文件被占用，请关闭游戏后重试"), true);
    expect_window_stays();
    held.close();
    EXPECT_EQ(snapshot(game), before);

    app->click(control("comInstall"));
    HWND dialog = app->wait_for_dialog(true);
    ASSERT_NE(dialog, nullptr);
    app->click(GetDlgItem(dialog, IDOK));
    expect_box(widen("安装完毕"), false);
    expect_end(0);
    EXPECT_EQ(snapshot(game), installed_tree());
}

// One start each, by a player or a script: the box shown (none: empty), the
// exit code, and the folder installed on 0, else untouched. Started bare,
// the player picks the folder with Install and leaves with Exit; silent, no
// window and no box at any point (one would keep the program from ending).
// A damaged copy has one payload byte flipped, as a broken download would.
TEST_F(EndToEnd, RefusalsDamageSilentRunsAndUsage) {
    const std::wstring copy = second_drive + L"\\VELDOR汉化.exe", usage = widen(windows_usage);
    Data program = read_file(test_paths::program);
    const Data payload = read_file(test_paths::payload(104));
    const auto found = std::search(program.begin(), program.end(), payload.begin(), payload.end());
    ASSERT_NE(found, program.end());
    found[static_cast<std::ptrdiff_t>(payload.size() / 2)] ^= 1;
    ASSERT_TRUE(test::write_raw(copy, program));
    const struct {
        bool damaged;
        std::wstring arguments, folder;
        bool game;
        std::wstring box;
        bool stop_icon;
        DWORD code;
    } cases[] = {
        {false, L"", second_drive + L"\\only-fe", false, widen("路径错误"), true, 1},
        {true, L"", second_drive + L"\\damaged", true, widen("安装程序已损坏，请重新下载"), true,
         1},
        // Relative to its drive's current folder, and a drive's root.
        {false, L"/S /D=" + second_drive + L"relative game", second_drive + L"\\relative game",
         true, L"", false, 0},
        {false, L"/VERYSILENT /DIR=\"" + root_drive + L"\\\"", root_drive + L"\\", true, L"", false,
         0},
        {false, L"/s /d=" + second_drive + L"\\not a game", second_drive + L"\\not a game", false,
         L"", false, 2},
        {false, L"/S", L"", false, L"", false, 5},
        {false, L"/?", L"", false, usage, false, 0},
        {false, L"/X /D=C:\\Games", L"", false, usage, true, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(win32::narrow(c.arguments + L" " + c.folder));
        if (!c.folder.empty()) make_game_folder(c.folder, c.game);
        const Tree before = c.folder.empty() ? Tree{} : snapshot(c.folder);
        const bool window = c.arguments.empty();
        start(c.arguments, window, c.damaged ? copy : program_under_test());
        if (window) {
            ASSERT_TRUE(install_from(c.folder));
        }
        if (!c.box.empty()) expect_box(c.box, c.stop_icon);
        if (window) {
            expect_window_stays();
            app->click(control("comExit"));
        }
        expect_end(c.code);
        if (!c.folder.empty()) {
            EXPECT_EQ(snapshot(c.folder), c.code == 0 ? installed_tree() : before);
        }
    }
}

// The file as Windows' loader and Explorer read it: the icon's sizes, the
// version record, the manifest. (check_imports.cmake reads its headers.)
TEST(ProgramFile, IconVersionAndManifest) {
    HMODULE module = LoadLibraryExW(test_paths::program, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const auto resource = [&](const wchar_t* type, WORD id) {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id),
                                      MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
        const auto* data =
            found ? static_cast<const unsigned char*>(LockResource(LoadResource(module, found)))
                  : nullptr;
        return data ? Data(data, data + SizeofResource(module, found)) : Data{};
    };
    const Data group = resource(RT_GROUP_ICON, 1);  // GRPICONDIR, then 14-byte entries
    ASSERT_GE(group.size(), 6u);
    ASSERT_EQ(group.size(), 6u + 14u * (group[4] | (group[5] << 8)));
    std::set<int> sizes;
    for (std::size_t at = 6; at < group.size(); at += 14) {
        if (group[at] == group[at + 1]) sizes.insert(group[at]);
        EXPECT_FALSE(
            resource(RT_ICON, static_cast<WORD>(group[at + 12] | (group[at + 13] << 8))).empty());
    }
    EXPECT_TRUE(sizes.count(32) && sizes.count(16));
    const Data manifest_bytes = resource(RT_MANIFEST, 1);
    const std::string manifest(manifest_bytes.begin(), manifest_bytes.end());
    for (const char* needle : {"level=\"requireAdministrator\"",
                               "Microsoft.Windows.Common-Controls", ">PerMonitorV2,PerMonitor<"})
        EXPECT_NE(manifest.find(needle), std::string::npos) << needle;
    FreeLibrary(module);

    DWORD ignored = 0;
    std::vector<unsigned char> info(GetFileVersionInfoSizeW(test_paths::program, &ignored));
    ASSERT_TRUE(GetFileVersionInfoW(test_paths::program, 0, info.size(), info.data()));
    const auto query = [&](const std::wstring& key) -> const void* {
        void* value = nullptr;
        UINT length = 0;
        return VerQueryValueW(info.data(), key.c_str(), &value, &length) ? value : nullptr;
    };
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query(L"\\"));
    const auto* translation = static_cast<const WORD*>(query(L"\\VarFileInfo\\Translation"));
    ASSERT_TRUE(fixed && translation);
    EXPECT_EQ((std::array{fixed->dwFileVersionMS, fixed->dwFileVersionLS, fixed->dwProductVersionMS,
                          fixed->dwProductVersionLS}),
              (std::array<DWORD, 4>{0x00010002, 0, 0x00010002, 0}));  // 1.2.0.0
    EXPECT_EQ((std::array{translation[0], translation[1]}), (std::array<WORD, 2>{0x0804, 1200}));
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

}  // namespace
}  // namespace veldor

// After Google Test's own options: SECOND-DRIVE ROOT-DRIVE, as "M:", then
// the stand-in browser's Linux path and the file it writes to. Wine's
// document opener runs the browsers the WineBrowser key lists: only it.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    const wchar_t* key = L"Software\\Wine\\WineBrowser";
    if (argc == 5) {
        veldor::second_drive = veldor::win32::widen(argv[1]);
        veldor::root_drive = veldor::win32::widen(argv[2]);
        const std::wstring browser = veldor::win32::widen(argv[3]);
        RegSetKeyValueW(HKEY_CURRENT_USER, key, L"Browsers", REG_SZ, browser.c_str(),
                        static_cast<DWORD>((browser.size() + 1) * sizeof(wchar_t)));
        veldor::browser_record = veldor::win32::widen(argv[4]);
    }
    const veldor::win32::ComApartment com;  // for the accessible objects
    const int failed = RUN_ALL_TESTS();
    RegDeleteKeyValueW(HKEY_CURRENT_USER, key, L"Browsers");
    return failed;
}
