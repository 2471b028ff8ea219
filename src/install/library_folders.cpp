#include "install/library_folders.h"

#include <algorithm>
#include <utility>

#include "platform/ascii.h"

namespace veldor {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool is_number(std::string_view key) {
    if (key.empty() || key.size() > 10) return false;
    for (char c : key)
        if (c < '0' || c > '9') return false;
    return true;
}

enum class Kind { open, close, text, end, damaged };

// A quoted token's text still holds its escapes: keys are compared as they
// stand (none of the keys looked for has a backslash or a quote), and only a
// folder that is kept is unescaped.
struct Token {
    Kind kind;
    std::string_view text;
    bool quoted = false;
};

// "C:\\Steam" is C:\Steam; an unknown escape keeps its backslash.
std::string unescaped(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c == '\\' && at + 1 < text.size()) {
            const char e = text[at + 1];
            if (e == '\\' || e == '"') {
                c = e;
                ++at;
            } else if (e == 'n' || e == 't') {
                c = e == 'n' ? '\n' : '\t';
                ++at;
            }
        }
        out += c;
    }
    return out;
}

// Splits the text into braces and strings, one token at a time.
class Tokens {
public:
    explicit Tokens(std::string_view text)
        : text_(text.data(), std::min(text.size(), library_list_size_limit)) {
        if (text_.starts_with("\xEF\xBB\xBF")) at_ = 3;
    }

    Token next() {
        skip_space_and_comments();
        if (at_ >= text_.size()) return {Kind::end, {}};
        const char c = text_[at_];
        if (c == '{' || c == '}') {
            ++at_;
            return {c == '{' ? Kind::open : Kind::close, {}};
        }
        if (c == '"') return quoted();
        return bare();
    }

private:
    void skip_space_and_comments() {
        while (at_ < text_.size()) {
            if (is_space(text_[at_])) {
                ++at_;
            } else if (text_[at_] == '/' && at_ + 1 < text_.size() && text_[at_ + 1] == '/') {
                while (at_ < text_.size() && text_[at_] != '\n') ++at_;
            } else {
                return;
            }
        }
    }

    // Up to the closing quote; an escaped quote does not close.
    Token quoted() {
        const std::size_t start = ++at_;
        for (; at_ < text_.size(); ++at_) {
            if (text_[at_] == '"')
                return {Kind::text, std::string_view(text_.data() + start, at_++ - start), true};
            if (text_[at_] == '\\' && at_ + 1 < text_.size()) ++at_;
        }
        return {Kind::damaged, {}};  // the closing quote is missing
    }

    Token bare() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !is_space(text_[at_]) && text_[at_] != '"' &&
               text_[at_] != '{' && text_[at_] != '}')
            ++at_;
        return {Kind::text, std::string_view(text_.data() + start, at_ - start)};
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// A condition such as [$WIN32] after a value; the list never depends on one.
bool is_condition(std::string_view text) {
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

// A network share ("\\\\server\\share", "//server/share", "\\\\?\\UNC\\..."): looking
// into it would hand the player's network credentials to whoever wrote the
// path. Local libraries begin with a drive letter (Windows) or one '/'.
bool on_a_share(std::string_view path) {
    const auto separator = [](char c) { return c == '\\' || c == '/'; };
    return path.size() >= 2 && separator(path[0]) && separator(path[1]);
}

}  // namespace

std::vector<std::string> library_folders(std::string_view vdf) {
    std::vector<std::string> found;
    // How deep the open blocks go, and what their keys say: the list is the
    // block "libraryfolders", each library in it a numbered block.
    std::size_t depth = 0;
    bool in_list = false, numbered = false;
    // The key waiting for its value or block, when `keyed`.
    std::string_view key;
    bool keyed = false;
    Tokens tokens(vdf);
    while (found.size() < library_count_limit) {
        const Token token = tokens.next();
        if (token.kind == Kind::end || token.kind == Kind::damaged) break;
        if (token.kind == Kind::open) {
            if (!keyed || depth == library_list_depth_limit) break;
            if (depth == 0) in_list = ascii_iequal(key, "libraryfolders");
            if (depth == 1) numbered = is_number(key);
            ++depth;
            keyed = false;
        } else if (token.kind == Kind::close) {
            if (keyed || depth == 0) break;
            --depth;
        } else if (!keyed) {
            key = token.text;
            keyed = !is_condition(key);
        } else {
            const bool old_form = in_list && depth == 1 && is_number(key);
            const bool new_form = in_list && depth == 2 && numbered && ascii_iequal(key, "path");
            if (old_form || new_form) {
                std::string path = token.quoted ? unescaped(token.text) : std::string(token.text);
                if (!path.empty() && !on_a_share(path)) found.push_back(std::move(path));
            }
            keyed = false;
        }
    }
    return found;
}

}  // namespace veldor
