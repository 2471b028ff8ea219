#include "payload/payloads.h"

namespace veldor {

bool payloads_intact(Platform& platform) {
    for (const PayloadDigest& expected : payload_digests) {
        const auto bytes = platform.read_resource("custom", expected.id);
        const auto digest = bytes ? platform.sha256(*bytes) : std::nullopt;
        if (digest != expected.sha256) return false;
    }
    return true;
}

}  // namespace veldor
