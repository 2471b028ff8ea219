// What the player is told at the end of an attempt: one message per cause,
// each saying what happened and, for a failure, what to do next.
#pragma once

#include <string>

#include "install/report.h"
#include "platform/platform.h"

namespace veldor {

struct Message {
    std::string text;  // empty: nothing to say (cancelled)
    Icon icon;
};

// Paths in the text are shown with `separator`.
Message message_for(const Report& report, char separator);

}  // namespace veldor
