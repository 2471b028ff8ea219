// The player's original files an installation keeps in the game folder, and
// the manifest that records them: for each of the six names the installation
// replaces or removes, the SHA-256 of the file kept, or nothing where the
// folder had none. The manifest is read back as untrusted input: its names
// are only ever compared with the six fixed ones, never used as paths.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace veldor {

inline constexpr std::size_t kept_count = 6;
using Kept = std::array<std::optional<Digest>, kept_count>;

// The manifest is never longer than this; anything longer is not one.
inline constexpr std::size_t manifest_limit = 1024;

// A name an installation replaces or removes, below the game folder
// ("\data\gui\ZQ05_Tit.ttf"), in commit order: the two fonts, then payloads 101,
// 103, 102, 104.
std::string replaced_name(std::size_t slot);

// A header line, then one line per name in that order: the digest in lower-case
// hex or "-", a blank, the name without its leading '\'.
std::string manifest_text(const Kept& kept);
// The record, where `text` is exactly what manifest_text makes of one.
std::optional<Kept> read_manifest(std::string_view text);

}  // namespace veldor
