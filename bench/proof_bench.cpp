// The proof alone, as a whole process: the four embedded payloads hashed by
// the Linux program's SHA-256 and compared with the digests compiled in.
// Linked without the window toolkit, so its start costs what a small program
// using libcrypto costs, as `openssl dgst` does. Exits 1 on a mismatch.
#include "payload/payloads.h"
#include "platform/gtk/embedded_payloads.h"
#include "platform/gtk/libcrypto_sha256.h"

int main() {
    for (const veldor::PayloadDigest& expected : veldor::payload_digests) {
        const auto bytes = veldor::embedded_resource("CUSTOM", expected.id);
        if (!bytes || veldor::libcrypto_sha256(*bytes) != expected.sha256) return 1;
    }
    return 0;
}
