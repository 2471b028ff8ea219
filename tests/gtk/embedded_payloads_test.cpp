// The payloads linked into the Linux build, found as Windows finds resources.
#include "platform/gtk/embedded_payloads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "payload/payloads.h"
#include "platform/gtk/glib_sha256.h"

namespace veldor {
namespace {

// The digest the build compiled in is GLib's SHA-256 of the embedded bytes.
TEST(EmbeddedPayloads, EachIsItsFileByteForByteUnderAnyCaseOfItsTypeAndHashesToItsDigest) {
    for (const Payload& p : payloads) {
        SCOPED_TRACE(p.file_name);
        std::ifstream in(std::filesystem::path(VELDOR_PAYLOAD_DIR) / p.file_name, std::ios::binary);
        const std::vector<unsigned char> expected{std::istreambuf_iterator<char>(in), {}};
        ASSERT_FALSE(expected.empty());
        for (const char* type : {"custom", "CUSTOM", "Custom"}) {
            const auto bytes = embedded_resource(type, p.id);
            ASSERT_TRUE(bytes);
            EXPECT_TRUE(std::ranges::equal(*bytes, expected));
        }
        const auto digest = std::ranges::find(payload_digests, p.id, &PayloadDigest::id);
        ASSERT_NE(digest, payload_digests.end());
        EXPECT_EQ(glib_sha256(*embedded_resource("custom", p.id)), digest->sha256);
    }
}

TEST(EmbeddedPayloads, NothingElseIsFound) {
    EXPECT_FALSE(embedded_resource("custom", 105));
    EXPECT_FALSE(embedded_resource("icon", 101));
    EXPECT_FALSE(embedded_resource("customs", 101));
}

}  // namespace
}  // namespace veldor
