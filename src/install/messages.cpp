#include "install/messages.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace veldor {
namespace {

struct Entry {
    Cause cause;
    Outcome outcome;
    // The message; "%s" stands for the report's path. A file that cannot
    // be written has its reason here and, in `next`, what to do.
    std::string_view text;
    std::string_view next = {};
};

constexpr std::string_view not_written = "无法写入：%s（";

// In the order of Cause.
constexpr std::array<Entry, 19> table{{
    {Cause::installed, Outcome::installed, "安装完毕"},
    {Cause::restored, Outcome::installed, "已还原为原版文件"},
    {Cause::cancelled, Outcome::left, ""},
    {Cause::not_game_folder, Outcome::refused,
     "路径错误\n请选择游戏的主文件夹（其中有 data 文件夹）。"},
    {Cause::no_folder, Outcome::refused, "路径错误\n文件夹不存在：%s"},
    {Cause::linked, Outcome::refused,
     "路径错误\n以管理员身份运行时不经过链接：%s\n请选择游戏的实际文件夹。"},
    {Cause::nothing_to_restore, Outcome::refused, "此文件夹中没有可还原的原版文件"},
    {Cause::files_changed, Outcome::refused, "游戏文件已被更改，无法还原"},
    {Cause::backup_damaged, Outcome::refused, "备份文件已损坏，无法还原"},
    {Cause::read_only, Outcome::not_written, "只读", "取消该文件的只读属性"},
    {Cause::denied, Outcome::not_written, "拒绝访问", "以管理员身份运行"},
    {Cause::disk_full, Outcome::not_written, "磁盘已满", "腾出磁盘空间"},
    {Cause::ambiguous, Outcome::not_written, "有两个仅大小写不同的同名文件", "删去多余的一个"},
    {Cause::stale_backup, Outcome::not_written, "旁边有不属于本次安装的备份文件",
     "核对并移走该备份文件"},
    {Cause::write_failed, Outcome::not_written, "写入失败", "关闭游戏和杀毒软件"},
    {Cause::declined, Outcome::not_written, "需要管理员权限才能写入此文件夹"},
    {Cause::in_use, Outcome::not_written, "文件被占用，请关闭游戏后重试"},
    {Cause::damaged, Outcome::damaged, "安装程序已损坏，请重新下载"},
    {Cause::left_midway, Outcome::left_midway, "安装未完成，请再次选择此文件夹以完成或撤销"},
}};

constexpr const Entry& entry(Cause cause) { return table[static_cast<std::size_t>(cause)]; }

static_assert([] {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (static_cast<std::size_t>(table[i].cause) != i) return false;
    return true;
}());

}  // namespace

Outcome outcome_of(Cause cause) { return entry(cause).outcome; }

Message message_for(const Report& report, char separator) {
    const Entry& e = entry(report.cause);
    std::string path = report.path;
    for (char& c : path)
        if (c == '\\') c = separator;
    std::string text;
    if (!e.next.empty())
        text.append(not_written).append(e.text).append("）\n").append(e.next).append("后重试。");
    else
        text = e.text;
    if (const auto at = text.find("%s"); at != std::string::npos) text.replace(at, 2, path);
    const bool success = e.outcome == Outcome::installed;
    return {text, success ? Icon::none : Icon::stop};
}

// By hand: std::to_string would bring its digit tables into the installer.
std::string encoded(const Report& report) {
    const int number = static_cast<int>(report.cause);
    std::string text;
    if (number >= 10) text += static_cast<char>('0' + number / 10);
    text += static_cast<char>('0' + number % 10);
    text += '\t';
    return text + report.path;
}
static_assert(table.size() <= 100);

// By hand too: decimal digits, then a tab. A number past the table stays
// past it, however long.
std::optional<Report> decoded(std::string_view text) {
    const auto tab = text.find('\t');
    if (tab == 0 || tab == std::string_view::npos) return std::nullopt;
    std::size_t number = 0;
    for (const char c : text.substr(0, tab)) {
        if (c < '0' || c > '9') return std::nullopt;
        number = std::min(number * 10 + static_cast<std::size_t>(c - '0'), table.size());
    }
    if (number >= table.size()) return std::nullopt;
    return Report{static_cast<Cause>(number), std::string(text.substr(tab + 1))};
}

}  // namespace veldor
