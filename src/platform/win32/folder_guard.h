// The game folder and its layout folders, held open for one attempt of an
// elevated run: without delete sharing, none can be renamed, removed or
// swapped for a link between the check and the last file written. Each is
// opened as itself (a link as the link), so a link found is the one held.
// Wine 8 keeps them from being renamed too.
#pragma once

#include <windows.h>

#include <array>
#include <string>

#include "platform/win32/handles.h"

namespace veldor::win32 {

class FolderGuard {
public:
    // Lets go of what it held, then holds those of `folder` (UTF-8, none
    // when empty) and its layout folders that exist.
    void hold(const std::string& folder);

private:
    std::array<Handle, 5> held_;
};

}  // namespace veldor::win32
