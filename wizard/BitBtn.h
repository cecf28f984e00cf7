#pragma once
// Painting of the push buttons with a glyph (kind TBitBtn): the glyph stands left of the
// caption with 4 pixels (at 96 DPI) between them, and the pair is centred in the button.
#include <windows.h>
#include <commctrl.h>

namespace qel {

struct ButtonLook {
    bool pressed = false;
    bool disabled = false;
    bool focused = false;
    bool showFocus = true;
    bool hideAccelerators = false;
    // Drawn with the dark frame of the button Enter would press.
    bool defaultLook = false;
};

// The button's face and frame: the visual style's push button when one is active,
// otherwise the classic raised or pressed frame. Returns the area inside the frame.
RECT PaintButtonFace(HWND button, HDC dc, RECT bounds, const ButtonLook& look);

// Paints a whole glyph button from its owner-draw request.
void PaintBitBtn(const DRAWITEMSTRUCT& item, HIMAGELIST glyph, bool defaultLook, int gap);

// Where the glyph and the caption go in a button of that width: the left edge of the
// glyph and of the caption, for a glyph of glyphWidth and a caption of textWidth.
struct BitBtnPlacement {
    int glyphLeft;
    int textLeft;
};
BitBtnPlacement PlaceBitBtn(int buttonWidth, int glyphWidth, int textWidth, int gap);

}  // namespace qel
