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

class Glyphs {
public:
    explicit Glyphs(HINSTANCE instance);

    // Image 0 is drawn while the button is enabled, image 1 while it is disabled.
    HIMAGELIST List(Glyph glyph) const;
    HIMAGELIST Folder() const { return folder_.get(); }

    // An image list made from a bitmap resource holding `images` images side by side.
    static ImageListHandle Load(HINSTANCE instance, int resourceId, int images);

private:
    ImageListHandle forward_, back_, check_, cross_, folder_;
};

}  // namespace qel
