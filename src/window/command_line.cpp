#include "window/command_line.h"

#include <algorithm>
#include <array>

#include "install/report.h"
#include "platform/ascii.h"

namespace veldor {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view skip_blanks(std::string_view text) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    return text;
}

// Switches are ASCII; a folder's own letters are never compared.
bool starts_with(std::string_view text, std::string_view prefix) {
    return ascii_iequal(text.substr(0, prefix.size()), prefix);
}

// No Windows name holds a quote, and none ends in a blank: quotes a script
// put around a folder are dropped, and so are trailing blanks. A folder
// written `/DIR="C:\Games\"` reads, by the quoting rules, as ending in a
// quote its backslash escaped, with no quote before it to close: that
// backslash is what was meant.
std::string folder_from(std::string_view text) {
    std::string folder;
    for (char c : text)
        if (c != '"') folder += c;
    if (!text.empty() && text.back() == '"' && std::ranges::count(text, '"') % 2 == 1)
        folder += '\\';
    while (!folder.empty() && blank(folder.back())) folder.pop_back();
    return folder;
}

constexpr std::array<std::string_view, 3> silent_switches{"/S", "/SILENT", "/VERYSILENT"};

// `/REPORT=pipe`, named as the window names it: letters, digits and '-',
// nothing that could lead elsewhere.
bool is_report_switch(std::string_view argument) {
    if (!starts_with(argument, "/REPORT=") || argument.size() == 8) return false;
    for (std::size_t i = 8; i < argument.size(); ++i) {
        const char c = argument[i];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
              c == '-'))
            return false;
    }
    return true;
}

}  // namespace

std::string NextArgument(std::string_view& rest) {
    std::string argument;
    bool quoted = false;
    std::size_t backslashes = 0;
    for (; !rest.empty() && (quoted || !blank(rest.front())); rest.remove_prefix(1)) {
        const char c = rest.front();
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count only before a quote: in pairs, each pair one
        // backslash; an odd one left over makes the quote a plain character.
        argument.append(c == '"' ? backslashes / 2 : backslashes, '\\');
        const bool escaped = c == '"' && backslashes % 2 == 1;
        backslashes = 0;
        if (c != '"' || escaped) {
            argument += c;
        } else if (quoted && rest.size() > 1 && rest[1] == '"') {
            argument += '"';  // "" inside quotes: one quote, still quoted
            rest.remove_prefix(1);
        } else {
            quoted = !quoted;
        }
    }
    argument.append(backslashes, '\\');
    return argument;
}

CommandLine ParseWindowsCommandLine(std::string_view arguments) {
    CommandLine command;
    bool folder_given = false;
    const auto take_folder = [&](std::string_view text) {
        command.folder = folder_from(text);
        command.malformed |= command.folder.empty() || folder_given;
        folder_given = true;
    };
    for (std::string_view rest = skip_blanks(arguments); !rest.empty(); rest = skip_blanks(rest)) {
        // `/D=` takes the rest of the line, spaces and all. A blank followed
        // by a switch cannot be part of a folder's name: /D= was not last.
        // Scripts that quote each argument write "/D=folder" whole.
        const bool whole = starts_with(rest, "\"/D=");
        if (starts_with(rest, "/D=") || whole) {
            std::size_t end = rest.size();
            for (std::size_t i = 3; i + 1 < rest.size(); ++i)
                if (blank(rest[i]) && rest[i + 1] == '/') {
                    end = i;
                    break;
                }
            const std::size_t from = whole ? 4 : 3;
            std::string_view folder(rest.data() + from, end - from);
            if (whole && !folder.empty() && folder.back() == '"') folder.remove_suffix(1);
            take_folder(folder);
            command.malformed |= end != rest.size();
            rest.remove_prefix(end);
            continue;
        }
        const std::string argument = NextArgument(rest);
        if (std::any_of(silent_switches.begin(), silent_switches.end(),
                        [&](std::string_view name) { return ascii_iequal(argument, name); })) {
            command.silent = true;
        } else if (argument == "/?") {
            command.help = true;
        } else if (ascii_iequal(argument, "/RESTORE")) {
            command.restore = true;
        } else if (is_report_switch(argument)) {
            command.report_to = argument.substr(8);
        } else if (starts_with(argument, "/DIR=")) {
            take_folder(std::string_view(argument.data() + 5, argument.size() - 5));
        } else {
            if (command.unrecognised.empty()) command.unrecognised = argument;
            command.malformed = true;
        }
    }
    return command;
}

std::string UsageMessage(const CommandLine& command) {
    std::string text;
    if (!command.unrecognised.empty())
        text.append("无法识别的参数：").append(command.unrecognised).append("\r\n\r\n");
    return text.append(windows_usage).append(exit_codes_text);
}

}  // namespace veldor
