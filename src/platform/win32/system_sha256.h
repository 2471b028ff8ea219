// SHA-256 by Windows' own implementation (CNG, bcrypt.dll).
#pragma once

#include <optional>

#include "platform/platform.h"

namespace veldor::win32 {

std::optional<Digest> system_sha256(Bytes bytes);

}  // namespace veldor::win32
