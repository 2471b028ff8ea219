// SHA-256 by GLib's own implementation (GChecksum).
#pragma once

#include <optional>

#include "platform/platform.h"

namespace veldor {

std::optional<Digest> glib_sha256(Bytes bytes);

}  // namespace veldor
