#include "wizard/BitBtn.h"

#include <uxtheme.h>
#include <vssym32.h>

#include <string>

#include "platform/CommonControls.h"
#include "platform/GdiHandles.h"
#include "platform/SystemLibrary.h"

namespace qel {

namespace {

// The visual style's functions, from the system folder's uxtheme.dll (not a KnownDLL, so
// never imported); all null when it cannot be loaded, and the buttons are then drawn
// the classic way.
struct Themes {
    decltype(&::IsAppThemed) isAppThemed;
    decltype(&::OpenThemeData) open;
    decltype(&::DrawThemeParentBackground) drawParentBackground;
    decltype(&::DrawThemeBackground) drawBackground;
    decltype(&::GetThemeBackgroundContentRect) contentRect;
    decltype(&::CloseThemeData) close;

    bool Complete() const {
        return isAppThemed && open && drawParentBackground && drawBackground && contentRect && close;
    }
};

const Themes& ThemeFunctions() {
    static const Themes themes = [] {
        const wchar_t* const dll = L"uxtheme.dll";
        Themes t{};
        sys::LookUp(t.isAppThemed, dll, "IsAppThemed");
        sys::LookUp(t.open, dll, "OpenThemeData");
        sys::LookUp(t.drawParentBackground, dll, "DrawThemeParentBackground");
        sys::LookUp(t.drawBackground, dll, "DrawThemeBackground");
        sys::LookUp(t.contentRect, dll, "GetThemeBackgroundContentRect");
        sys::LookUp(t.close, dll, "CloseThemeData");
        return t;
    }();
    return themes;
}

}  // namespace

RECT PaintButtonFace(HWND button, HDC dc, RECT r, const ButtonLook& look) {
    const Themes& themes = ThemeFunctions();
    if (themes.Complete() && themes.isAppThemed()) {
        if (HTHEME theme = themes.open(button, L"BUTTON")) {
            int state = look.disabled ? PBS_DISABLED
                        : look.pressed ? PBS_PRESSED
                        : look.defaultLook ? PBS_DEFAULTED
                                           : PBS_NORMAL;
            themes.drawParentBackground(button, dc, &r);
            themes.drawBackground(theme, dc, BP_PUSHBUTTON, state, &r, nullptr);
            RECT content = r;
            themes.contentRect(theme, dc, BP_PUSHBUTTON, state, &r, &content);
            themes.close(theme);
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
    if (glyph) comctl::ImageList_GetIconSize(glyph, &glyphWidth, &glyphHeight);

    const int shift = look.pressed ? 1 : 0;
    const BitBtnPlacement at =
        PlaceBitBtn(bounds.right - bounds.left, glyphWidth, textSize.right - textSize.left, gap);
    if (glyph) {
        const int y = bounds.top + (bounds.bottom - bounds.top - glyphHeight) / 2 + shift;
        comctl::ImageList_Draw(glyph, look.disabled ? 1 : 0, dc, bounds.left + at.glyphLeft + shift, y,
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
