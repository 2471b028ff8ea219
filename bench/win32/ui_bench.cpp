// Times the installer as a player meets it, under Wine: from process start to
// its window shown, and from the folder chosen (OK in the folder dialog) to
// the completion message; beside the same for the two floor windows (bare,
// and showing the installer's texts in its fonts). Medians of several runs.
// Prints; never fails.
//   ui_bench.exe FLOOR.exe CJK-FLOOR.exe [runs]
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/player.h"
#include "platform/win32/wide.h"
#include "test_paths.h"
#include "window/form.h"

namespace {

using veldor::test::Player;

double now_ms() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

struct Sample {
    double shown = -1, done = -1;
};

Sample measure(const std::wstring& program, const std::wstring& caption,
               const std::wstring& button_caption, const std::wstring& folder) {
    Sample sample;
    const double start = now_ms();
    Player app(program, caption);
    if (!app.window()) return sample;
    sample.shown = now_ms() - start;
    app.click(FindWindowExW(app.window(), nullptr, nullptr, button_caption.c_str()));
    HWND dialog = app.wait_for_dialog(true);
    if (!dialog || !app.choose_folder(dialog, folder)) return sample;
    const double chosen = now_ms();
    app.click(GetDlgItem(dialog, IDOK));
    if (!app.wait_for_dialog(false)) return sample;
    sample.done = now_ms() - chosen;
    app.answer_message_box();
    app.ended(veldor::test::patience_ms);
    return sample;
}

double median(std::vector<double> values) {
    std::erase_if(values, [](double v) { return v < 0; });
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Prints the medians; answers the start-to-window one.
double report(const char* name, const std::vector<Sample>& samples) {
    std::vector<double> shown, done;
    for (const Sample& s : samples) {
        shown.push_back(s.shown);
        done.push_back(s.done);
    }
    std::printf("%-16s start -> window shown %8.1f ms   folder chosen -> message %8.1f ms\n", name,
                median(shown), median(done));
    return median(shown);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::puts("usage: ui_bench FLOOR.exe CJK-FLOOR.exe [runs]");
        return 0;
    }
    const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 7;
    const std::wstring floor = veldor::win32::widen(argv[1]);
    const std::wstring cjk_floor = veldor::win32::widen(argv[2]);

    // A game folder the installer accepts again and again.
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring game = std::wstring(temp) + L"veldor-ui-bench";
    for (const wchar_t* sub : {L"", L"\\data", L"\\data\\cmn", L"\\data\\cmn\\fe", L"\\data\\gui"})
        CreateDirectoryW((game + sub).c_str(), nullptr);

    const veldor::Control* install = veldor::find_control("comInstall");
    std::vector<Sample> installer, floor_samples, cjk_samples;
    for (int i = 0; i < runs; ++i) {
        installer.push_back(measure(test_paths::program,
                                    veldor::win32::widen(veldor::main_window.caption),
                                    veldor::win32::widen(install->caption), game));
        floor_samples.push_back(measure(floor, L"floor", L"&Go", game));
        cjk_samples.push_back(measure(cjk_floor, L"floor", L"&Go", game));
    }
    std::error_code ignored;
    std::filesystem::remove_all(game, ignored);

    std::printf("medians of %d runs under Wine (-1: did not complete)\n", runs);
    const double program = report("VELDOR汉化.exe", installer);
    report("floor window", floor_samples);
    const double cjk = report("floor, its texts", cjk_samples);
    if (program > 0 && cjk > 0)
        std::printf("start -> window: %.2fx the floor showing the same texts in the same fonts\n",
                    program / cjk);
    return 0;
}
