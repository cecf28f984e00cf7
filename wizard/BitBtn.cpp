#include "wizard/BitBtn.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "platform/GdiHandles.h"

namespace qel {

RECT PaintButtonFace(HWND button, HDC dc, RECT r, const ButtonLook& look) {
    if (IsAppThemed()) {
        if (HTHEME theme = OpenThemeData(button, L"BUTTON")) {
            int state = look.disabled ? PBS_DISABLED
                        : look.pressed ? PBS_PRESSED
                        : look.defaultLook ? PBS_DEFAULTED
                                           : PBS_NORMAL;
            DrawThemeParentBackground(button, dc, &r);
            DrawThemeBackground(theme, dc, BP_PUSHBUTTON, state, &r, nullptr);
            RECT content = r;
            GetThemeBackgroundContentRect(theme, dc, BP_PUSHBUTTON, state, &r, &content);
            CloseThemeData(theme);
            return content;
        }
    }
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (look.defaultLook) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
        InflateRect(&r, -1, -1);
    }
    if (look.pressed && look.defaultLook) {
        // A pressed default button sinks flat inside its dark frame.
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    } else {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (look.pressed ? DFCS_PUSHED : 0));
    }
    InflateRect(&r, -2, -2);
    return r;
}

BitBtnPlacement PlaceBitBtn(int buttonWidth, int glyphWidth, int textWidth, int gap) {
    if (glyphWidth == 0 || textWidth == 0) gap = 0;
    const int total = glyphWidth + gap + textWidth;
    const int left = (buttonWidth - total) / 2;
    return {left, left + glyphWidth + gap};
}

void PaintBitBtn(const DRAWITEMSTRUCT& item, HIMAGELIST glyph, bool defaultLook, int gap) {
    HWND button = item.hwndItem;
    HDC dc = item.hDC;
    ButtonLook look;
    look.pressed = (item.itemState & ODS_SELECTED) != 0;
    look.disabled = (item.itemState & ODS_DISABLED) != 0;
    look.focused = (item.itemState & ODS_FOCUS) != 0;
    look.showFocus = (item.itemState & ODS_NOFOCUSRECT) == 0;
    look.hideAccelerators = (item.itemState & ODS_NOACCEL) != 0;
    look.defaultLook = defaultLook;

    const RECT bounds = item.rcItem;
    const RECT inside = PaintButtonFace(button, dc, bounds, look);

    char caption[256];
    const int length = GetWindowTextA(button, caption, sizeof caption);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0));
    Selected selectedFont(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));

    RECT textSize{0, 0, 0, 0};
    if (length > 0) DrawTextA(dc, caption, length, &textSize, DT_CALCRECT | DT_SINGLELINE);
    int glyphWidth = 0, glyphHeight = 0;
    if (glyph) ImageList_GetIconSize(glyph, &glyphWidth, &glyphHeight);

    const int shift = look.pressed ? 1 : 0;
    const BitBtnPlacement at =
        PlaceBitBtn(bounds.right - bounds.left, glyphWidth, textSize.right - textSize.left, gap);
    if (glyph) {
        const int y = bounds.top + (bounds.bottom - bounds.top - glyphHeight) / 2 + shift;
        ImageList_Draw(glyph, look.disabled ? 1 : 0, dc, bounds.left + at.glyphLeft + shift, y,
                       ILD_TRANSPARENT);
    }
    if (length > 0) {
        RECT text{bounds.left + at.textLeft + shift, bounds.top + shift, bounds.right,
                  bounds.bottom + shift};
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(look.disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        DrawTextA(dc, caption, length, &text,
                  DT_SINGLELINE | DT_VCENTER | DT_LEFT | (look.hideAccelerators ? DT_HIDEPREFIX : 0));
    }
    if (look.focused && look.showFocus) {
        RECT focus = inside;
        InflateRect(&focus, -1, -1);
        DrawFocusRect(dc, &focus);
    }
}

}  // namespace qel
