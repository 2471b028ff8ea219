#include "window/command_line.h"

#include <algorithm>
#include <array>

// No substr here: the installer's lean runtime has no out_of_range to throw.
namespace veldor {
namespace {

bool blank(char c) { return c == ' ' || c == '\t'; }

std::string_view skip_blanks(std::string_view text) {
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    return text;
}

// Switches are ASCII; a folder's own letters are never compared.
bool starts_with(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
               return p == (t >= 'a' && t <= 'z' ? static_cast<char>(t - 'a' + 'A') : t);
           });
}

bool is(std::string_view text, std::string_view name) {
    return text.size() == name.size() && starts_with(text, name);
}

// No Windows name holds a quote, and none ends in a blank: quotes a script
// put around a folder are dropped, and so are trailing blanks.
std::string folder_from(std::string_view text) {
    std::string folder;
    for (char c : text)
        if (c != '"') folder += c;
    while (!folder.empty() && blank(folder.back())) folder.pop_back();
    return folder;
}

// The next argument: up to a blank outside quotes, quotes included.
std::string_view next_argument(std::string_view& rest) {
    bool quoted = false;
    std::size_t end = 0;
    for (; end < rest.size() && (quoted || !blank(rest[end])); ++end)
        if (rest[end] == '"') quoted = !quoted;
    const std::string_view argument(rest.data(), end);
    rest.remove_prefix(end);
    return argument;
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
            take_folder(std::string_view(rest.data() + from, end - from));
            command.malformed |= end != rest.size();
            rest.remove_prefix(end);
            continue;
        }
        const std::string_view argument = next_argument(rest);
        if (std::any_of(silent_switches.begin(), silent_switches.end(),
                        [&](std::string_view name) { return is(argument, name); }))
            command.silent = true;
        else if (argument == "/?")
            command.help = true;
        else if (is(argument, "/RESTORE"))
            command.restore = true;
        else if (is_report_switch(argument))
            for (std::size_t i = 8; i < argument.size(); ++i) command.report_to += argument[i];
        else if (const std::string unquoted = folder_from(argument); starts_with(unquoted, "/DIR="))
            take_folder(std::string_view(unquoted).data() + 5);
        else
            command.malformed = true;
    }
    return command;
}

}  // namespace veldor
