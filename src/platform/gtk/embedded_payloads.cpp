#include "platform/gtk/embedded_payloads.h"

#include "platform/ascii.h"

namespace veldor {

std::optional<Bytes> embedded_resource(std::string_view type, unsigned id) {
    if (!ascii_iequal(type, embedded_payload_type)) return std::nullopt;
    for (const EmbeddedPayload& p : embedded_payloads)
        if (p.id == id) return Bytes(p.begin, p.end);
    return std::nullopt;
}

}  // namespace veldor
