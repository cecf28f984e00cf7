#pragma once
// The window layout is written in pixels at 96 dots per inch. At another DPI every
// position, size and font of the layout is multiplied by DPI / 96, so the window keeps
// its proportions and no text is cut.
#include <windows.h>

namespace qel {

class LayoutScale {
public:
    explicit LayoutScale(int dpi = 96) : dpi_(dpi > 0 ? dpi : 96) {}

    int operator()(int pixelsAt96) const { return MulDiv(pixelsAt96, dpi_, 96); }
    int Dpi() const { return dpi_; }
    // Character height in pixels of a font of the given point size.
    int FontHeight(int points) const { return MulDiv(points, dpi_, 72); }

    // The screen's DPI as the platform reports it to this process.
    static int SystemDpi() {
        HDC dc = GetDC(nullptr);
        int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
        if (dc) ReleaseDC(nullptr, dc);
        return dpi > 0 ? dpi : 96;
    }

private:
    int dpi_;
};

}  // namespace qel
