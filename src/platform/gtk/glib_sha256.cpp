#include "platform/gtk/glib_sha256.h"

#include <glib.h>

#include <algorithm>
#include <memory>

namespace veldor {

// GLib's own SHA-256, fed the payload where it lies, in pieces a gssize holds.
std::optional<Digest> glib_sha256(Bytes bytes) {
    std::unique_ptr<GChecksum, decltype(&g_checksum_free)> checksum(
        g_checksum_new(G_CHECKSUM_SHA256), &g_checksum_free);
    if (!checksum) return std::nullopt;
    constexpr std::size_t piece = 1 << 30;
    for (std::size_t done = 0; done < bytes.size(); done += piece) {
        const std::size_t size = std::min(piece, bytes.size() - done);
        g_checksum_update(checksum.get(), bytes.data() + done, static_cast<gssize>(size));
    }
    Digest digest{};
    gsize length = digest.size();
    g_checksum_get_digest(checksum.get(), digest.data(), &length);
    if (length != digest.size()) return std::nullopt;
    return digest;
}

}  // namespace veldor
