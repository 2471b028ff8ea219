// The four files the installer carries, the proof that they are whole, and
// the routine that produces one of them beside its target.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace veldor {

struct Payload {
    std::uint16_t id;
    std::string_view file_name;
};

// Each payload is installed under its file name.
inline constexpr std::array<Payload, 4> payloads{{
    {101, "eng.db"},
    {102, "ZQ05_Bod.ttf"},
    {103, "chi.db"},
    {104, "config.dat"},
}};

// Each payload's SHA-256, computed from the payload files by the build.
struct PayloadDigest {
    std::uint16_t id;
    Digest sha256;
};
extern const std::array<PayloadDigest, 4> payload_digests;

// Whether every embedded payload hashes, by the system's own SHA-256, to the
// digest the build compiled in. Reads the payloads where they lie.
bool payloads_intact(Platform& platform);

// The name a payload's file has while it waits beside its target: the
// target's name and this.
inline constexpr std::string_view staged_suffix = ".veldor-new";

// Produces payload `vntResourceID` of type `sType` for `sFileName` in the
// current directory: a new file `sFileName` + staged_suffix holding exactly
// the payload, flushed to disk, with the mode `sFileName` has, ready to be
// moved in. Answers false, leaving nothing, on any failure; the caller asks
// the platform why and tells the player.
bool SaveFileFromRes(Platform& platform, std::uint16_t vntResourceID, std::string_view sType,
                     const std::string& sFileName);

}  // namespace veldor
