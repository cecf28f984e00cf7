#pragma once
// The four fonts of the window layout, made for the screen's DPI.
#include <windows.h>

#include "platform/GdiHandles.h"
#include "wizard/LayoutScale.h"

namespace qel {

enum class FontRole {
    Window,   // "MS Sans Serif" 8 points, window text colour
    Title,    // "MS Sans Serif" 18 points, RGB 0, 100, 100
    Acronym,  // "Times New Roman" 36 points, RGB 0, 100, 100, Windows-1252
    Box,      // "MS Sans Serif" 10 points, window text colour
};
// At a DPI other than 96, "Microsoft Sans Serif" takes the place of "MS Sans Serif".

class WizardFonts {
public:
    explicit WizardFonts(const LayoutScale& scale);

    HFONT Font(FontRole role) const { return fonts_[static_cast<int>(role)].get(); }
    // The colour the text of this font is painted in.
    static COLORREF TextColour(FontRole role);
    // The font's description, as the window creates it.
    static LOGFONTA Describe(FontRole role, const LayoutScale& scale);

private:
    GdiObject<HFONT> fonts_[4];
};

}  // namespace qel
