// Uses the built VELDOR汉化.exe as a player would, under Wine: starts it,
// finds its window, presses its buttons, picks folders in the real folder
// dialog, reads and dismisses its message boxes and watches it end.
// Every wait is bounded; a program that never answers fails the case.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "e2e/player.h"
#include "platform/win32/wide.h"
#include "support.h"
#include "test_paths.h"
#include "window/form.h"
#include "window/identity.h"

namespace veldor {
namespace {

using test::children_of;
using test::class_of;
using test::patience_ms;
using test::Player;
using test::read_file;
using test::text_of;
using test::wait_until;
using win32::widen;

constexpr DWORD quiet_ms = 1000;  // for making sure nothing more happens

// Set from the command line (run.sh maps them).
std::wstring second_drive;  // holds game folders, "M:"
std::wstring root_drive;    // a game folder at its root

// The control built from `name`'s table entry, found as a player sees it.
HWND control_of(const Player& app, std::string_view name) {
    const Control* control = find_control(name);
    if (!control) return nullptr;
    const std::wstring caption = widen(control->caption);
    for (HWND child : children_of(app.window())) {
        if (control->kind == ControlKind::text_box
                ? lstrcmpiW(class_of(child).c_str(), L"Edit") == 0
                : text_of(child) == caption)
            return child;
    }
    return nullptr;
}

bool install_from(const Player& app, const std::wstring& path) {
    return app.choose_after(control_of(app, "comInstall"), path);
}

// --- game folders ------------------------------------------------------------

std::vector<unsigned char> filler(std::size_t size, unsigned char first) {
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<unsigned char>(first + i * 13);
    return bytes;
}

std::wstring join(const std::wstring& folder, const std::wstring& name) {
    return folder.back() == L'\\' ? folder + name : folder + L"\\" + name;
}

struct Layout {
    bool fe = true, gui = true, fonts = true;
};

// A game folder: the two data folders, the superseded fonts and an older,
// longer eng.db than the patch's.
void make_game_folder(const std::wstring& folder, Layout layout = {}) {
    CreateDirectoryW(folder.c_str(), nullptr);
    if (!layout.fe && !layout.gui) return;
    CreateDirectoryW(join(folder, L"data").c_str(), nullptr);
    if (layout.fe) {
        CreateDirectoryW(join(folder, L"data\\cmn").c_str(), nullptr);
        CreateDirectoryW(join(folder, L"data\\cmn\\fe").c_str(), nullptr);
        test::write_raw(join(folder, L"data\\cmn\\fe\\eng.db"),
                        filler(read_file(test_paths::payload_101).size() + 777, 5));
    }
    if (layout.gui) {
        CreateDirectoryW(join(folder, L"data\\gui").c_str(), nullptr);
        if (layout.fonts) {
            test::write_raw(join(folder, L"data\\gui\\ZQ05_Tit.ttf"), filler(3000, 1));
            test::write_raw(join(folder, L"data\\gui\\ZQSSanCB.ttf"), filler(4000, 2));
        }
    }
}

// Every folder (ending in '\') and file below `folder`, with its contents.
using Tree = std::map<std::wstring, std::vector<unsigned char>>;
void snapshot(const std::wstring& folder, const std::wstring& prefix, Tree& tree) {
    for (const std::wstring& name : test::list_folder(folder)) {
        const std::wstring path = join(folder, name);
        if (GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            tree[prefix + name + L"\\"] = {};
            snapshot(path, prefix + name + L"\\", tree);
        } else {
            tree[prefix + name] = read_file(path);
        }
    }
}
Tree snapshot(const std::wstring& folder) {
    Tree tree;
    snapshot(folder, L"", tree);
    return tree;
}

// What a complete installation leaves: the layout and the four payloads.
Tree installed_tree() {
    return {{L"config.dat", read_file(test_paths::payload_104)},
            {L"data\\", {}},
            {L"data\\cmn\\", {}},
            {L"data\\cmn\\fe\\", {}},
            {L"data\\cmn\\fe\\chi.db", read_file(test_paths::payload_103)},
            {L"data\\cmn\\fe\\eng.db", read_file(test_paths::payload_101)},
            {L"data\\gui\\", {}},
            {L"data\\gui\\ZQ05_Bod.ttf", read_file(test_paths::payload_102)}};
}

const std::wstring completion = widen("安装完毕");
const std::wstring failure = widen("路径错误");
const std::wstring title = widen(application_title);

class EndToEnd : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(second_drive.empty() || root_drive.empty()) << "run through run.sh";
        ASSERT_NE(app.window(), nullptr) << "the window did not appear";
    }

    // Answers the one box the last action should show, and checks it.
    void expect_one_box(const std::wstring& text, bool stop_icon) {
        const auto box = app.answer_message_box();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(box->text, text);
        EXPECT_EQ(box->caption, title);
        EXPECT_EQ(box->icon, stop_icon);
        EXPECT_EQ(box->stop_icon, stop_icon);
    }
    void expect_window_stays() {
        Sleep(quiet_ms);
        EXPECT_TRUE(app.idle()) << "the program ended or showed another dialog";
    }

    Player app{test_paths::program, widen(main_window.caption)};
};

TEST_F(EndToEnd, WindowMatchesTheTableAndKeysMoveAsPlanned) {
    HWND window = app.window();
    const double dpi = [] {
        HDC screen = GetDC(nullptr);
        const int value = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        return value;
    }();
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, twips_to_pixels(main_window.client_width, dpi));
    EXPECT_EQ(client.bottom, twips_to_pixels(main_window.client_height, dpi));
    if (dpi == 96) {
        EXPECT_EQ(client.right, 443);
        EXPECT_EQ(client.bottom, 194);
    }

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    wchar_t caption[64] = {};
    GetWindowTextW(window, caption, 64);
    EXPECT_EQ(caption, widen(main_window.caption));

    for (const Control& control : controls) {
        SCOPED_TRACE(std::string(control.name));
        HWND child = control_of(app, control.name);
        ASSERT_NE(child, nullptr);
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ(r.left, twips_to_pixels(control.twips.left, dpi));
        EXPECT_EQ(r.top, twips_to_pixels(control.twips.top, dpi));
        EXPECT_EQ(r.right - r.left, twips_to_pixels(control.twips.width, dpi));
        EXPECT_EQ(r.bottom - r.top, twips_to_pixels(control.twips.height, dpi));
        const LONG child_style = GetWindowLongW(child, GWL_STYLE);
        EXPECT_EQ((child_style & WS_TABSTOP) != 0, takes_focus(control));
        if (control.kind == ControlKind::push_button) {
            EXPECT_EQ(child_style & BS_TYPEMASK, BS_PUSHBUTTON) << "a default button";
        }
        if (control.kind == ControlKind::text_box) {
            EXPECT_EQ(child_style & (ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                      ES_MULTILINE | ES_READONLY | WS_VSCROLL);
            EXPECT_EQ(text_of(child), widen(control.caption));
        }
    }

    // Focus starts on Install; Tab walks the focus order and wraps, also out
    // of the note box; the dialog manager agrees backwards.
    std::vector<HWND> order;
    for (const Control* control : focus_order()) order.push_back(control_of(app, control->name));
    ASSERT_TRUE(wait_until([&] { return app.focus() == order.front(); }));
    for (std::size_t i = 1; i <= order.size(); ++i) {
        HWND expected = order[i % order.size()];
        app.press(WM_KEYDOWN, VK_TAB);
        EXPECT_TRUE(wait_until([&] { return app.focus() == expected; }, 3000)) << i;
        EXPECT_EQ(GetNextDlgTabItem(window, expected, TRUE), order[i - 1]) << i;
    }

    // Enter and Escape in the note box start nothing and keep the window.
    HWND note = control_of(app, "Text");
    while (app.focus() != note && app.focus() != nullptr) {
        app.press(WM_KEYDOWN, VK_TAB);
        Sleep(50);
        if (app.focus() == order.front()) break;
    }
    ASSERT_EQ(app.focus(), note);
    app.press(WM_KEYDOWN, VK_RETURN);
    app.press(WM_KEYDOWN, VK_ESCAPE);
    expect_window_stays();
    EXPECT_EQ(app.focus(), note);

    // About, by click and by Alt+A: the About text, no icon, twice.
    const std::wstring about = widen(about_text);
    app.click(control_of(app, "comAbout"));
    expect_one_box(about, false);
    expect_window_stays();
    app.press(WM_SYSKEYDOWN, 'A');
    expect_one_box(about, false);
    expect_window_stays();
}

TEST_F(EndToEnd, InstallsOnASecondDriveAndEnds) {
    const std::wstring game = second_drive + L"\\Games-VELDOR";
    make_game_folder(game);
    ASSERT_TRUE(install_from(app, game));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms)) << "the program did not end after 安装完毕";
    EXPECT_EQ(snapshot(game), installed_tree());
}

TEST_F(EndToEnd, InstallsAtTheRootOfADrive) {
    make_game_folder(root_drive + L"\\");
    ASSERT_TRUE(install_from(app, root_drive + L"\\"));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(snapshot(root_drive + L"\\"), installed_tree());
}

TEST_F(EndToEnd, CancelAndWrongFoldersKeepTheWindowThenAThaiNamedFolderInstalls) {
    ASSERT_TRUE(install_from(app, L""));
    expect_window_stays();

    const std::pair<const wchar_t*, Layout> wrong[] = {
        {L"\\no-data", {false, false, false}},
        {L"\\only-fe", {true, false, false}},
        {L"\\only-gui", {false, true, true}},
    };
    for (const auto& [name, layout] : wrong) {
        SCOPED_TRACE(win32::narrow(name));
        const std::wstring folder = second_drive + name;
        make_game_folder(folder, layout);
        const Tree before = snapshot(folder);
        ASSERT_TRUE(install_from(app, folder));
        expect_one_box(failure, true);
        expect_window_stays();
        EXPECT_EQ(snapshot(folder), before);
    }

    const std::wstring thai = second_drive + L"\\ทดสอบ";
    make_game_folder(thai);
    ASSERT_TRUE(install_from(app, thai));
    expect_one_box(completion, false);
    EXPECT_TRUE(app.ended(patience_ms));
    EXPECT_EQ(snapshot(thai), installed_tree());
}

TEST_F(EndToEnd, AFileInUseFailsOnceAndExitLeavesTheRest) {
    const std::wstring game = second_drive + L"\\in-use";
    make_game_folder(game);
    const auto old_chi = filler(2048, 9);
    const std::wstring chi = join(game, L"data\\cmn\\fe\\chi.db");
    ASSERT_TRUE(test::write_raw(chi, old_chi));
    HANDLE held = CreateFileW(chi.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    ASSERT_TRUE(install_from(app, game));
    expect_one_box(failure, true);
    expect_window_stays();
    CloseHandle(held);

    Tree expected = installed_tree();
    expected[L"data\\cmn\\fe\\chi.db"] = old_chi;
    const Tree after = snapshot(game);
    EXPECT_EQ(after, expected);

    app.click(control_of(app, "comExit"));
    EXPECT_TRUE(app.ended(patience_ms)) << "Exit did not end the program";
    EXPECT_EQ(snapshot(game), after);
}

}  // namespace
}  // namespace veldor

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--second-drive=", 0) == 0)
            veldor::second_drive = veldor::win32::widen(arg.substr(15));
        if (arg.rfind("--root-drive=", 0) == 0)
            veldor::root_drive = veldor::win32::widen(arg.substr(13));
    }
    return RUN_ALL_TESTS();
}
