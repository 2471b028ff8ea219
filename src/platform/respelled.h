// A replaced file keeps the name the player's folder has for it. The
// installer's own names are the target's name plus a suffix; a file made or
// moved under one takes the existing file's spelling of the part they share.
#pragma once

#include <algorithm>
#include <string>
#include <string_view>

#include "platform/ascii.h"

namespace veldor {

// `to`, a name that extends `asked` or that `asked` extends (letter case
// apart), spelled as `real`, the folder's own name for `asked`: for ENG.DB,
// "eng.db.veldor-old" is ENG.DB.veldor-old and back "eng.db" is ENG.DB.
// Any other `to` stays as it is.
inline std::string respelled(std::string_view to, std::string_view asked, std::string_view real) {
    const std::size_t shared = std::min(to.size(), asked.size());
    if (real.size() != asked.size() || !ascii_iequal(to.substr(0, shared), asked.substr(0, shared)))
        return std::string(to);
    return std::string(real.substr(0, shared)).append(to.substr(shared));
}

}  // namespace veldor
