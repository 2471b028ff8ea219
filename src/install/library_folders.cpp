#include "install/library_folders.h"

#include <algorithm>
#include <optional>

namespace veldor {
namespace {

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Keys are compared as Steam compares them, without regard to ASCII case.
bool same_key(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

bool is_number(std::string_view key) {
    if (key.empty() || key.size() > 10) return false;
    for (char c : key)
        if (c < '0' || c > '9') return false;
    return true;
}

enum class Kind { open, close, text, end, damaged };

struct Token {
    Kind kind;
    std::string text;
};

// Splits the text into braces and strings, one token at a time.
class Tokens {
public:
    // No substr: its out-of-range error is not linked into the Windows program.
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
                const std::size_t end = text_.find('\n', at_);
                at_ = end == std::string_view::npos ? text_.size() : end + 1;
            } else {
                return;
            }
        }
    }

    // "C:\\Steam" is C:\Steam; an unknown escape keeps its backslash.
    Token quoted() {
        std::string out;
        for (++at_; at_ < text_.size(); ++at_) {
            char c = text_[at_];
            if (c == '"') {
                ++at_;
                return {Kind::text, std::move(out)};
            }
            if (c == '\\' && at_ + 1 < text_.size()) {
                const char e = text_[at_ + 1];
                if (e == '\\' || e == '"') {
                    c = e;
                    ++at_;
                } else if (e == 'n' || e == 't') {
                    c = e == 'n' ? '\n' : '\t';
                    ++at_;
                }
            }
            out += c;
        }
        return {Kind::damaged, {}};  // the closing quote is missing
    }

    Token bare() {
        const std::size_t start = at_;
        while (at_ < text_.size() && !is_space(text_[at_]) && text_[at_] != '"' &&
               text_[at_] != '{' && text_[at_] != '}')
            ++at_;
        return {Kind::text, std::string(text_.data() + start, at_ - start)};
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// A condition such as [$WIN32] after a value; the list never depends on one.
bool is_condition(const std::string& text) {
    return text.size() >= 2 && text.front() == '[' && text.back() == ']';
}

}  // namespace

std::vector<std::string> library_folders(std::string_view vdf) {
    std::vector<std::string> found;
    // The keys of the open blocks; the list is the block "libraryfolders".
    std::vector<std::string> open;
    std::optional<std::string> key;
    Tokens tokens(vdf);
    while (found.size() < library_count_limit) {
        Token token = tokens.next();
        if (token.kind == Kind::end || token.kind == Kind::damaged) break;
        if (token.kind == Kind::open) {
            if (!key || open.size() == library_list_depth_limit) break;
            open.push_back(std::move(*key));
            key.reset();
        } else if (token.kind == Kind::close) {
            if (key || open.empty()) break;
            open.pop_back();
        } else if (!key) {
            if (!is_condition(token.text)) key = std::move(token.text);
        } else {
            const bool in_list = !open.empty() && same_key(open[0], "libraryfolders");
            const bool old_form = in_list && open.size() == 1 && is_number(*key);
            const bool new_form =
                in_list && open.size() == 2 && is_number(open[1]) && same_key(*key, "path");
            if ((old_form || new_form) && !token.text.empty())
                found.push_back(std::move(token.text));
            key.reset();
        }
    }
    return found;
}

}  // namespace veldor
