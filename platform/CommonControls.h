#pragma once
// The common controls library (comctl32), loaded when first needed instead of imported.
// It is no KnownDLL: as an import the loader would look for it, and its own start-up
// would look for what it loads, beside the program before any code of the program runs.
// Loaded once the program has narrowed its DLL search to the system folder, it comes from
// the side-by-side assembly the manifest names (version 6; the loader looks there before
// any folder), and everything it loads comes from the system folder. Loading it also
// registers its window classes, which the platform's controls of version 6 need.
#include <windows.h>
#include <commctrl.h>

namespace qel::comctl {

// Each as the function of that name; when the library cannot be loaded, each fails as
// that function does (false, null, -1).
bool InitCommonControlsEx(const INITCOMMONCONTROLSEX& classes);
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
bool ImageList_Destroy(HIMAGELIST list);
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
bool ImageList_Draw(HIMAGELIST list, int index, HDC dc, int x, int y, UINT style);
bool ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);

}  // namespace qel::comctl
