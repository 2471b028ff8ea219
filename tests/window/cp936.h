// Measures text the way the game's world sees it: in code page 936 (GBK).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace veldor::test {

// The CP936 encoding of UTF-8 `text`; nullopt if any character has none.
std::optional<std::string> to_cp936(std::string_view text);

}  // namespace veldor::test
