#include "wizard/DirectoryEdit.h"

#include <windowsx.h>

#include "platform/CommonControls.h"
#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "wizard/BitBtn.h"
#include "wizard/FolderBrowser.h"

namespace qel {
namespace {

WNDPROC g_editProc = nullptr;

DirectoryEdit* FieldOf(HWND field) {
    return reinterpret_cast<DirectoryEdit*>(GetWindowLongPtrA(field, GWLP_USERDATA));
}

}  // namespace

void DirectoryEdit::RegisterClasses(HINSTANCE instance) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, kClassName, &wc)) {
        // The field is the platform's edit control under a name of its own, so it types,
        // selects and reads out as one.
        WNDCLASSEXA edit{};
        edit.cbSize = sizeof edit;
        if (!GetClassInfoExA(nullptr, "Edit", &edit)) throw Failure("Cannot find the edit control");
        g_editProc = edit.lpfnWndProc;
        edit.lpfnWndProc = FieldProc;
        edit.hInstance = instance;
        edit.lpszClassName = kClassName;
        if (!RegisterClassExA(&edit)) throw Failure("Cannot register the folder field window class");
    }
    wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, kButtonClassName, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = ButtonProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kButtonClassName;
        if (!RegisterClassExA(&wc)) throw Failure("Cannot register the browse button window class");
    }
}

DirectoryEdit::DirectoryEdit(HWND field, HIMAGELIST folderPicture, int buttonWidth)
    : field_(field), picture_(folderPicture), buttonWidth_(buttonWidth) {
    SetWindowLongPtrA(field_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    // The button is no tab stop and never takes the focus: a click browses, and the
    // browse algorithm gives the focus to the field.
    button_ = CreateWindowExA(0, kButtonClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0,
                              0, 0, field_, nullptr,
                              reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(field_, GWLP_HINSTANCE)),
                              nullptr);
    if (!button_) throw Failure("Cannot create the browse button");
    SetWindowLongPtrA(button_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    PlaceButton();
}

DirectoryEdit::~DirectoryEdit() {
    if (IsWindow(field_) && FieldOf(field_) == this) SetWindowLongPtrA(field_, GWLP_USERDATA, 0);
    if (IsWindow(button_)) SetWindowLongPtrA(button_, GWLP_USERDATA, 0);
}

std::string DirectoryEdit::Text() const {
    int n = GetWindowTextLengthA(field_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(field_, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

void DirectoryEdit::SetText(const std::string& text) { SetWindowTextA(field_, text.c_str()); }

void DirectoryEdit::PlaceButton() {
    RECT client;
    GetClientRect(field_, &client);
    const int width = buttonWidth_ < client.right ? buttonWidth_ : client.right;
    SetWindowPos(button_, nullptr, client.right - width, 0, width, client.bottom,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Typed text stops short of the button.
    SendMessageA(field_, EM_SETMARGINS, EC_RIGHTMARGIN, MAKELPARAM(0, width + 1));
}

void DirectoryEdit::Browse() {
    if (runner_)
        runner_([this] { BrowseNow(); });
    else
        BrowseNow();
}

void DirectoryEdit::BrowseNow() {
    const std::string start = BrowseStartFolder(Text(), initialFolder_);
    std::optional<std::string> chosen = BrowseForFolder(GetAncestor(field_, GA_ROOT), start);
    SetFocus(field_);
    if (!chosen) return;
    const std::string text = FieldTextFor(*chosen);
    SetText(text);
    if (fs::DirectoryExists(text)) initialFolder_ = text;
}

LRESULT CALLBACK DirectoryEdit::FieldProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    DirectoryEdit* self = FieldOf(hwnd);
    if (self) {
        switch (msg) {
        case WM_SYSKEYDOWN:
            if (wp == VK_DOWN) {  // Alt+Down
                self->Browse();
                return 0;
            }
            break;
        case WM_SIZE: {
            LRESULT r = CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
            self->PlaceButton();
            return r;
        }
        case WM_SETFONT: {
            // The edit resets its margins when it takes a font.
            LRESULT r = CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
            self->PlaceButton();
            return r;
        }
        }
    }
    return CallWindowProcA(g_editProc, hwnd, msg, wp, lp);
}

void DirectoryEdit::PaintButton(HDC dc) {
    RECT r;
    GetClientRect(button_, &r);
    ButtonLook look;
    look.pressed = pressed_;
    PaintButtonFace(button_, dc, r, look);
    int w = 0, h = 0;
    comctl::ImageList_GetIconSize(picture_, &w, &h);
    const int shift = pressed_ ? 1 : 0;
    comctl::ImageList_Draw(picture_, 0, dc, (r.right - w) / 2 + shift, (r.bottom - h) / 2 + shift,
                   ILD_TRANSPARENT);
}

LRESULT CALLBACK DirectoryEdit::ButtonProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* self = reinterpret_cast<DirectoryEdit*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        self->PaintButton(dc);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetCapture(hwnd);
        self->tracking_ = true;
        self->pressed_ = true;
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        if (self->tracking_) {
            RECT r;
            GetClientRect(hwnd, &r);
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            bool inside = PtInRect(&r, p) != 0;
            if (inside != self->pressed_) {
                self->pressed_ = inside;
                InvalidateRect(hwnd, nullptr, FALSE);
            }
        }
        return 0;
    case WM_LBUTTONUP:
        if (self->tracking_) {
            const bool clicked = self->pressed_;
            self->tracking_ = false;
            self->pressed_ = false;
            ReleaseCapture();
            InvalidateRect(hwnd, nullptr, FALSE);
            UpdateWindow(hwnd);
            if (clicked) self->Browse();
        }
        return 0;
    case WM_CAPTURECHANGED:
        if (self->tracking_) {
            self->tracking_ = false;
            self->pressed_ = false;
            InvalidateRect(hwnd, nullptr, FALSE);
        }
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace qel
