#include "wizard/Glyphs.h"

#include "platform/CommonControls.h"
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
    ImageListHandle list(comctl::ImageList_Create(bm.bmWidth / images, bm.bmHeight, ILC_COLOR24 | ILC_MASK,
                                          images, 0));
    if (!list.get() || comctl::ImageList_AddMasked(list.get(), bitmap.get(), transparent) < 0)
        throw Failure("Cannot prepare a button picture");
    return list;
}

namespace {

// The bitmap resource of each glyph, in the order of Glyph from Forward.
constexpr int kGlyphResources[4] = {IDB_GLYPH_FORWARD, IDB_GLYPH_BACK, IDB_GLYPH_CHECK, IDB_GLYPH_CROSS};

int IndexOf(Glyph glyph) { return static_cast<int>(glyph) - static_cast<int>(Glyph::Forward); }

}  // namespace

void Glyphs::Prepare(Glyph glyph) {
    if (glyph == Glyph::None || glyphs_[IndexOf(glyph)].get()) return;
    glyphs_[IndexOf(glyph)] = Load(instance_, kGlyphResources[IndexOf(glyph)], 2);
}

HIMAGELIST Glyphs::List(Glyph glyph) const {
    return glyph == Glyph::None ? nullptr : glyphs_[IndexOf(glyph)].get();
}

HIMAGELIST Glyphs::Folder() {
    if (!folder_.get()) folder_ = Load(instance_, IDB_FOLDER, 1);
    return folder_.get();
}

}  // namespace qel
