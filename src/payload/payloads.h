// The four files the installer carries, and the routine that writes one.
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

// The one failure text of the installer.
inline constexpr std::string_view failure_message = "路径错误";

// Writes payload `vntResourceID` of type `sType` to `sFileName` in the current
// directory, all or nothing. A failure is shown to the player here, once, and
// answered with false.
bool SaveFileFromRes(Platform& platform, std::uint16_t vntResourceID, std::string_view sType,
                     const std::string& sFileName);

}  // namespace veldor
