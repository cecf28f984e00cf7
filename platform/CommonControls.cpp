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

template <class Function>
void Find(Function& function, const char* name) {
    function = sys::SystemFunction<Function>(L"comctl32.dll", name);
}

const Functions& Library() {
    static const Functions functions = [] {
        Functions f{};
        Find(f.init, "InitCommonControlsEx");
        Find(f.create, "ImageList_Create");
        Find(f.destroy, "ImageList_Destroy");
        Find(f.addMasked, "ImageList_AddMasked");
        Find(f.draw, "ImageList_Draw");
        Find(f.iconSize, "ImageList_GetIconSize");
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
