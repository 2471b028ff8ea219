#include "install/originals.h"

#include "install/game_files.h"
#include "payload/payloads.h"

namespace veldor {
namespace {

constexpr std::string_view header = "VELDOR汉化 originals 1\n";
constexpr std::string_view hex = "0123456789abcdef";

// The next `prefix` of `text`, taken off it; false when it is not there.
bool take(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

std::optional<Digest> take_digest(std::string_view& text) {
    Digest digest{};
    for (unsigned char& byte : digest) {
        const auto high = text.size() >= 2 ? hex.find(text[0]) : std::string_view::npos;
        const auto low = text.size() >= 2 ? hex.find(text[1]) : std::string_view::npos;
        if (high == std::string_view::npos || low == std::string_view::npos) return std::nullopt;
        byte = static_cast<unsigned char>(high * 16 + low);
        text.remove_prefix(2);
    }
    return digest;
}

}  // namespace

std::string replaced_name(std::size_t slot) {
    if (slot < superseded_fonts.size()) return std::string(superseded_fonts[slot]);
    const PayloadStep& step = payload_steps[slot - superseded_fonts.size()];
    for (const Payload& p : payloads)
        if (p.id == step.payload) return joined(std::string(step.directory), p.file_name);
    return {};
}

std::string manifest_text(const Kept& kept) {
    std::string text(header);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (!kept[i]) text += '-';
        for (unsigned char byte : kept[i].value_or(Digest{}))
            if (kept[i]) text.append({hex[byte >> 4], hex[byte & 15]});
        text.append(" ").append(std::string_view(replaced_name(i)).substr(1)).append("\n");
    }
    return text;
}

std::optional<Kept> read_manifest(std::string_view text) {
    if (text.size() > manifest_limit || !take(text, header)) return std::nullopt;
    Kept kept;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        if (!take(text, "-") && !(kept[i] = take_digest(text))) return std::nullopt;
        const std::string name = replaced_name(i);
        if (!take(text, " ") || !take(text, std::string_view(name).substr(1)) || !take(text, "\n"))
            return std::nullopt;
    }
    if (!text.empty()) return std::nullopt;
    return kept;
}

}  // namespace veldor
