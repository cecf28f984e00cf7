#include "wizard/Glyphs.h"

#include "platform/Failure.h"
#include "resources/resource.h"

namespace qel {

ImageListHandle Glyphs::Load(HINSTANCE instance, int resourceId, int images) {
    GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
        LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    if (!bitmap) throw Failure("A button picture is missing from the program's resources");
    BITMAP bm{};
    GetObjectA(bitmap.get(), sizeof bm, &bm);

    COLORREF transparent;
    {
        MemoryDc dc(nullptr);
        Selected s(dc.get(), bitmap.get());
        transparent = GetPixel(dc.get(), 0, bm.bmHeight - 1);
    }
    ImageListHandle list(ImageList_Create(bm.bmWidth / images, bm.bmHeight, ILC_COLOR24 | ILC_MASK,
                                          images, 0));
    if (!list.get() || ImageList_AddMasked(list.get(), bitmap.get(), transparent) < 0)
        throw Failure("Cannot prepare a button picture");
    return list;
}

Glyphs::Glyphs(HINSTANCE instance)
    : forward_(Load(instance, IDB_GLYPH_FORWARD, 2)),
      back_(Load(instance, IDB_GLYPH_BACK, 2)),
      check_(Load(instance, IDB_GLYPH_CHECK, 2)),
      cross_(Load(instance, IDB_GLYPH_CROSS, 2)),
      folder_(Load(instance, IDB_FOLDER, 1)) {}

HIMAGELIST Glyphs::List(Glyph glyph) const {
    switch (glyph) {
    case Glyph::Forward: return forward_.get();
    case Glyph::Back: return back_.get();
    case Glyph::Check: return check_.get();
    case Glyph::Cross: return cross_.get();
    case Glyph::None: break;
    }
    return nullptr;
}

}  // namespace qel
