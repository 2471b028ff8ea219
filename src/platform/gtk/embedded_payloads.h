// The payloads, linked into the Linux executable as read-only data and found
// the way Windows finds a resource: by type name, in any letter case, and id.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "platform/platform.h"

namespace veldor {

struct EmbeddedPayload {
    unsigned id;
    const unsigned char* begin;
    const unsigned char* end;
};

// Made by the build from the payload folder.
extern const std::string_view embedded_payload_type;
extern const std::span<const EmbeddedPayload> embedded_payloads;

std::optional<Bytes> embedded_resource(std::string_view type, unsigned id);

}  // namespace veldor
