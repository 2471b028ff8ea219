// SHA-256 by the system's OpenSSL libcrypto (EVP), which uses the CPU's SHA
// instructions where it has them.
#pragma once

#include <optional>

#include "platform/platform.h"

namespace veldor {

std::optional<Digest> libcrypto_sha256(Bytes bytes);

}  // namespace veldor
