// Measures the install command (the payloads proved, then the transaction)
// on a game folder against the floor: the same four files written from the
// same embedded bytes with the same durability (each written, fsynced and
// renamed, each folder fsynced once after) and the fonts deleted, by the
// plainest code. The folder lies beside this program, in the build tree:
// a temporary folder may be in memory, where no flush costs anything.
// Prints, never fails.
//
//   install_bench [rounds]          time ratio, medians of the rounds
//   install_bench --memory MODE     peak resident memory after MODE:
//                                   none | floor | install
#include <fcntl.h>
#include <linux/magic.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "install/install.h"
#include "payload/payloads.h"
#include "platform/gtk/embedded_payloads.h"
#include "platform/gtk/gtk_platform.h"

namespace fs = std::filesystem;
using veldor::Bytes;

namespace {

// The Linux platform with its dialogs answered and the end of the program
// turned into a flag, so the install can run in a loop.
class Unattended : public veldor::GtkPlatform {
public:
    explicit Unattended(std::string folder) : GtkPlatform(""), folder_(std::move(folder)) {}
    bool completed = false;

    void message_box(std::string_view text, veldor::Icon) override {
        completed = text == "安装完毕";
    }
    std::optional<std::string> browse_for_folder(const veldor::FolderRequest&) override {
        return folder_;
    }
    void end_program(int) override {}

private:
    std::string folder_;
};

fs::path make_game_folder() {
    const fs::path beside = fs::canonical("/proc/self/exe").parent_path();
    std::string pattern = (beside / "veldor-bench-XXXXXX").string();
    const fs::path root = mkdtemp(pattern.data());
    fs::create_directories(root / "data" / "cmn" / "fe");
    fs::create_directories(root / "data" / "gui");
    struct statfs disk {};
    if (statfs(root.c_str(), &disk) == 0 &&
        (disk.f_type == TMPFS_MAGIC || disk.f_type == RAMFS_MAGIC))
        std::fprintf(stderr, "note: %s is in memory; flushes cost nothing there\n", root.c_str());
    return root;
}

void put_fonts(const fs::path& root) {
    for (const char* font : {"ZQ05_Tit.ttf", "ZQSSanCB.ttf"})
        std::ofstream(root / "data" / "gui" / font) << "old";
}

void floor_write(const fs::path& target, Bytes bytes) {
    const std::string temp = target.string() + ".tmp";
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temp.c_str(), target.c_str()) != 0)
        std::abort();
}

void floor_flush(const fs::path& folder) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (dir < 0 || ::fsync(dir) != 0) std::abort();
    ::close(dir);
}

// The plainest code doing the same: delete two fonts, write four files.
void floor_install(const fs::path& root) {
    fs::remove(root / "data" / "gui" / "ZQ05_Tit.ttf");
    fs::remove(root / "data" / "gui" / "ZQSSanCB.ttf");
    const fs::path fe = root / "data" / "cmn" / "fe", gui = root / "data" / "gui";
    floor_write(fe / "eng.db", *veldor::embedded_resource("CUSTOM", 101));
    floor_write(fe / "chi.db", *veldor::embedded_resource("CUSTOM", 103));
    floor_write(gui / "ZQ05_Bod.ttf", *veldor::embedded_resource("CUSTOM", 102));
    floor_write(root / "config.dat", *veldor::embedded_resource("CUSTOM", 104));
    for (const fs::path& folder : {fe, gui, root}) floor_flush(folder);
}

void program_install(const fs::path& root) {
    Unattended platform(root.string());
    std::string path_buffer;
    veldor::Install(platform, path_buffer);
    if (!platform.completed) std::abort();
}

double seconds_of(void (*step)(const fs::path&), const fs::path& root) {
    put_fonts(root);
    const auto start = std::chrono::steady_clock::now();
    step(root);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void prove(const fs::path& root) {
    Unattended platform(root.string());
    if (!veldor::payloads_intact(platform)) std::abort();
}

double median(std::vector<double> v) {
    std::ranges::sort(v);
    return v[v.size() / 2];
}

long peak_rss_kib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path root = make_game_folder();
    const fs::path cwd = fs::current_path();
    if (argc == 3 && std::string(argv[1]) == "--memory") {
        const std::string mode = argv[2];
        put_fonts(root);
        if (mode == "floor") floor_install(root);
        if (mode == "install") program_install(root);
        std::printf("%ld\n", peak_rss_kib());
    } else {
        const int rounds = argc > 1 ? std::atoi(argv[1]) : 15;
        std::vector<double> floor, program, proof;
        for (int i = 0; i < rounds; ++i) {
            floor.push_back(seconds_of(floor_install, root));
            program.push_back(seconds_of(program_install, root));
            proof.push_back(seconds_of(prove, root));
            fs::current_path(cwd);
        }
        // The proof is work the floor has no part of: shown apart as well.
        const double f = median(floor), p = median(program), v = median(proof);
        std::printf(
            "install: %.2f ms  floor: %.2f ms  ratio: %.2fx (goal <= 1.5x, medians of %d)\n"
            "  of which proving the payloads: %.2f ms; the rest against the floor: %.2fx\n",
            p * 1e3, f * 1e3, p / f, rounds, v * 1e3, (p - v) / f);
    }
    fs::current_path(cwd);
    fs::remove_all(root);
}
