#include "platform/CommonControls.h"

#include "platform/SystemLibrary.h"

namespace qel::comctl {

namespace {

struct Functions {
    decltype(&::InitCommonControlsEx) init;
    decltype(&::ImageList_Create) create;
    decltype(&::ImageList_Destroy) destroy;
    decltype(&::ImageList_AddMasked) addMasked;
    decltype(&::ImageList_Draw) draw;
    decltype(&::ImageList_GetIconSize) iconSize;
};

const Functions& Library() {
    static const Functions functions = [] {
        const wchar_t* const dll = L"comctl32.dll";
        Functions f{};
        sys::LookUp(f.init, dll, "InitCommonControlsEx");
        sys::LookUp(f.create, dll, "ImageList_Create");
        sys::LookUp(f.destroy, dll, "ImageList_Destroy");
        sys::LookUp(f.addMasked, dll, "ImageList_AddMasked");
        sys::LookUp(f.draw, dll, "ImageList_Draw");
        sys::LookUp(f.iconSize, dll, "ImageList_GetIconSize");
        return f;
    }();
    return functions;
}

}  // namespace

bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& classes) {
    return Library().init && Library().init(&classes);
}

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow) {
    return Library().create ? Library().create(cx, cy, flags, initial, grow) : nullptr;
}

bool ImageList_Destroy(HIMAGELIST list) { return Library().destroy && Library().destroy(list); }

int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask) {
    return Library().addMasked ? Library().addMasked(list, image, mask) : -1;
}

bool ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style) {
    return Library().draw && Library().draw(list, index, dc, x, y, style);
}

bool ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy) {
    return Library().iconSize && Library().iconSize(list, cx, cy);
}

}  // namespace qel::comctl
