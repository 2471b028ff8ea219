#include "platform/gtk/libcrypto_sha256.h"

#include <openssl/evp.h>

namespace veldor {

// One call over the payload where it lies: EVP_Digest takes a size_t.
std::optional<Digest> libcrypto_sha256(Bytes bytes) {
    Digest digest{};
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_sha256(), nullptr) !=
            1 ||
        length != digest.size())
        return std::nullopt;
    return digest;
}

}  // namespace veldor
