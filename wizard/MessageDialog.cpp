#include "wizard/MessageDialog.h"

#include <algorithm>
#include <vector>

#include "platform/GdiHandles.h"
#include "wizard/ApplicationTitle.h"

namespace qel {
namespace {

struct ButtonKind {
    int id;
    const char* caption;
};

constexpr ButtonKind kYes{IDYES, "&Yes"};
constexpr ButtonKind kNo{IDNO, "&No"};
constexpr ButtonKind kOk{IDOK, "OK"};

// What the dialog procedure needs, and what it hands back.
struct Request {
    std::string text;
    TipoMensagem kind;
    BotoesMensagem buttons;
    GdiObject<HFONT> font;
};

// Dialog results: never 0 or -1, which DialogBox keeps for its own failures.
constexpr INT_PTR kResultOk = 1, kResultYes = 2, kResultNo = 3, kResultCancel = 4;

LPCSTR IconOf(TipoMensagem kind) {
    switch (kind) {
    case TipoMensagem::Aviso: return IDI_WARNING;
    case TipoMensagem::Erro: return IDI_ERROR;
    case TipoMensagem::Informacao: return IDI_INFORMATION;
    case TipoMensagem::Confirmacao: return IDI_QUESTION;
    case TipoMensagem::Simples: break;
    }
    return nullptr;
}

// Dialog units of the message font turned into pixels.
struct Units {
    int baseX, baseY;
    int X(int dlu) const { return MulDiv(dlu, baseX, 4); }
    int Y(int dlu) const { return MulDiv(dlu, baseY, 8); }
};

Units UnitsOf(HDC dc) {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE s{};
    GetTextExtentPoint32A(dc, kAlphabet, 52, &s);
    return {(s.cx / 26 + 1) / 2, static_cast<int>(tm.tmHeight)};
}

HWND Child(HWND dialog, const char* cls, const char* text, DWORD style, int id, const RECT& r,
           HFONT font) {
    HWND h = CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE | style, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, dialog,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dialog, GWLP_HINSTANCE)),
                             nullptr);
    if (h && font) SendMessageA(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

// Builds the dialog's children and gives it its size and place.
void Layout(HWND dialog, Request& req) {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    req.font.reset(CreateFontIndirectA(&metrics.lfMessageFont));
    HFONT font = req.font.get();

    WindowDc dc(dialog);
    Selected selected(dc.get(), font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    const Units u = UnitsOf(dc.get());
    const int margin = u.X(8), marginY = u.Y(8);
    const int spacing = u.X(10), spacingY = u.Y(10);
    const int gap = u.X(4);
    const int buttonHeight = u.Y(14);

    // The text wraps within half the screen's width; a word longer than that is broken
    // rather than cut.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const UINT textFormat = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;
    RECT textBox{0, 0, screenWidth / 2, 0};
    const std::string shown = req.text.empty() ? std::string(" ") : req.text;
    DrawTextA(dc.get(), shown.c_str(), -1, &textBox, DT_CALCRECT | textFormat);

    LPCSTR icon = IconOf(req.kind);
    const int iconSize = icon ? GetSystemMetrics(SM_CXICON) : 0;
    const int iconSpace = icon ? iconSize + spacing : 0;

    std::vector<ButtonKind> buttons;
    if (req.buttons == BotoesMensagem::SimNao) buttons = {kYes, kNo};
    else buttons = {kOk};
    int buttonWidth = u.X(50);  // a standard button
    for (const ButtonKind& b : buttons) {
        RECT caption{0, 0, 0, 0};
        DrawTextA(dc.get(), b.caption, -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        buttonWidth = std::max<int>(buttonWidth, caption.right + 2 * margin);
    }
    const int count = static_cast<int>(buttons.size());
    const int rowWidth = count * buttonWidth + (count - 1) * gap;

    const int textWidth = textBox.right, textHeight = textBox.bottom;
    const int clientWidth = std::max(iconSpace + textWidth, rowWidth) + 2 * margin;
    const int buttonsTop = marginY + std::max(textHeight, iconSize) + spacingY;
    const int clientHeight = buttonsTop + buttonHeight + marginY;

    if (icon) {
        HWND picture = Child(dialog, "Static", "", SS_ICON, -1,
                             {margin, marginY, margin + iconSize, marginY + iconSize}, nullptr);
        SendMessageA(picture, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconA(nullptr, icon)), 0);
    }
    Child(dialog, "Static", req.text.c_str(), SS_LEFT | SS_NOPREFIX | SS_EDITCONTROL, -1,
          {margin + iconSpace, marginY, margin + iconSpace + textWidth, marginY + textHeight}, font);

    const int defaultId = req.buttons == BotoesMensagem::SimNao ? IDYES : IDOK;
    int x = (clientWidth - rowWidth) / 2;
    HWND first = nullptr;
    for (const ButtonKind& b : buttons) {
        DWORD style = WS_TABSTOP | (b.id == defaultId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        if (!first) style |= WS_GROUP;
        HWND h = Child(dialog, "Button", b.caption, style, b.id,
                       {x, buttonsTop, x + buttonWidth, buttonsTop + buttonHeight}, font);
        if (!first) first = h;
        x += buttonWidth + gap;
    }
    SendMessageA(dialog, DM_SETDEFID, defaultId, 0);

    RECT frame{0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE)));
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    SetWindowTextA(dialog, MessageTitle(req.kind).c_str());
    // The underlined letters of "&Yes" and "&No" are shown from the start. The dialog
    // manager sets the state itself once WM_INITDIALOG has returned, hiding them when
    // the last input came from the mouse; the posted change comes after that.
    SendMessageA(dialog, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    PostMessageA(dialog, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEACCEL), 0);
    SetFocus(first);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp) {
    auto* req = reinterpret_cast<Request*>(GetWindowLongPtrA(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lp);
        Layout(dialog, *reinterpret_cast<Request*>(lp));
        return FALSE;  // the focus is already on the first button
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: EndDialog(dialog, kResultOk); return TRUE;
        case IDYES: EndDialog(dialog, kResultYes); return TRUE;
        case IDNO: EndDialog(dialog, kResultNo); return TRUE;
        case IDCANCEL:
            // Escape presses No when the dialog has it, otherwise OK.
            if (req) EndDialog(dialog, req->buttons == BotoesMensagem::SimNao ? kResultNo : kResultOk);
            return TRUE;
        }
        break;
    case WM_CLOSE:
        // The close box and Alt+F4: closed from the title bar, not by a button.
        EndDialog(dialog, kResultCancel);
        return TRUE;
    }
    return FALSE;
}

// An in-memory dialog template without controls; the procedure builds them in pixels.
struct alignas(4) EmptyTemplate {
    DLGTEMPLATE header;
    WORD menu = 0, windowClass = 0, title = 0;
};

}  // namespace

std::string MessageTitle(TipoMensagem tipo) {
    switch (tipo) {
    case TipoMensagem::Aviso: return "Warning";
    case TipoMensagem::Erro: return "Error";
    case TipoMensagem::Informacao: return "Information";
    case TipoMensagem::Confirmacao: return "Confirm";
    case TipoMensagem::Simples: break;
    }
    return ApplicationTitle();
}

RespostaMensagem MostraMensagem(HWND owner, const std::string& texto, TipoMensagem tipo,
                                BotoesMensagem botoes) {
    if (owner && !IsWindow(owner)) owner = nullptr;
    EmptyTemplate tpl{};
    tpl.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
    tpl.header.dwExtendedStyle = owner ? 0 : WS_EX_APPWINDOW;
    Request req{texto, tipo, botoes, {}};
    INT_PTR r = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), &tpl.header, owner, DialogProc,
                                        reinterpret_cast<LPARAM>(&req));
    switch (r) {
    case kResultOk: return RespostaMensagem::Ok;
    case kResultYes: return RespostaMensagem::Sim;
    case kResultNo: return RespostaMensagem::Nao;
    default: return RespostaMensagem::Cancelar;
    }
}

}  // namespace qel
