// The window's fonts, made from the control table's entries: one maker for
// the program, its tests and its benchmark, so they measure the same text.
#pragma once

#include <windows.h>

#include "window/form.h"

namespace veldor::win32 {

// `font` at `dpi` dots per inch; the caller owns the handle.
HFONT make_font(const Font& font, UINT dpi);

}  // namespace veldor::win32
