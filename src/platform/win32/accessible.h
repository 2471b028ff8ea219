// What screen readers are told of two controls beyond what the system's
// standard accessible objects say: the note box's name (the standard object
// would name an edit after the label created before it, the site address)
// and the site label as a link whose default action is a click. A control's
// window procedure answers WM_GETOBJECT with the standard object, amended.
//
// oleacc.dll (and oleaut32.dll for its strings) is loaded at run time by full
// path from the system folder, so the program gains no static import. The
// Dynamic Annotation API would do for the name alone, but it can give no
// action, and Wine 8 does not implement it; this works on both.
#pragma once

#include <windows.h>

#include <string>

namespace veldor::win32 {

struct Annotation {
    std::wstring name;  // empty: the standard object's
    bool link = false;  // role link, state linked; the default action clicks it
};

// The reply to WM_GETOBJECT sent to `control`, or 0 to leave it to the
// control's own procedure.
LRESULT answer_get_object(HWND control, const Annotation& annotation, WPARAM wparam, LPARAM lparam);

}  // namespace veldor::win32
