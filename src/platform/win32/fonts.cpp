#include "platform/win32/fonts.h"

#include "platform/win32/wide.h"

namespace veldor::win32 {

HFONT make_font(const Font& font, UINT dpi) {
    LOGFONTW description{};
    // Tenths of a point, so 10.5 pt stays exact; rounded as MulDiv does
    // (both factors are positive and small).
    const int tenths = static_cast<int>(font.points * 10 + 0.5);
    description.lfHeight = -((tenths * static_cast<int>(dpi) + 360) / 720);
    description.lfWeight = font.weight;
    description.lfUnderline = font.underline;
    description.lfCharSet = static_cast<BYTE>(font.charset);
    const std::wstring face = widen(font.face);
    face.copy(description.lfFaceName, LF_FACESIZE - 1);  // the rest stays zero
    return CreateFontIndirectW(&description);
}

}  // namespace veldor::win32
