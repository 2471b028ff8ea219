#include "platform/gtk/embedded_payloads.h"

#include <algorithm>
#include <cctype>

namespace veldor {

std::optional<Bytes> embedded_resource(std::string_view type, unsigned id) {
    const auto same_letter = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    if (!std::ranges::equal(type, embedded_payload_type, same_letter)) return std::nullopt;
    for (const EmbeddedPayload& p : embedded_payloads)
        if (p.id == id) return Bytes(p.begin, p.end);
    return std::nullopt;
}

}  // namespace veldor
