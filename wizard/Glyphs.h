#pragma once
// The button glyphs and the browse button's folder picture, loaded from the program's
// resources into image lists. A glyph bitmap holds two images of equal size side by
// side, enabled left and disabled right; the colour of its bottom-left pixel is
// transparent wherever it occurs.
#include <windows.h>
#include <commctrl.h>

#include "platform/GdiHandles.h"

namespace qel {

enum class Glyph { None, Forward, Back, Check, Cross };

// Each picture is loaded when a control that shows it is made (Prepare, Folder), so the
// window's first page loads only the two it shows.
class Glyphs {
public:
    explicit Glyphs(HINSTANCE instance) : instance_(instance) {}

    // Loads a glyph's image list if it is not loaded yet; throws when the program's
    // resources lack it.
    void Prepare(Glyph glyph);
    // Image 0 is drawn while the button is enabled, image 1 while it is disabled; null
    // until the glyph was prepared.
    HIMAGELIST List(Glyph glyph) const;
    // The folder picture, loaded on first use.
    HIMAGELIST Folder();

    // An image list made from a bitmap resource holding `images` images side by side.
    static ImageListHandle Load(HINSTANCE instance, int resourceId, int images);

private:
    HINSTANCE instance_;
    ImageListHandle glyphs_[4];  // by Glyph, from Forward
    ImageListHandle folder_;
};

}  // namespace qel
