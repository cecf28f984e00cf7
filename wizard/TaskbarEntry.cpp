#include "wizard/TaskbarEntry.h"

#include "platform/Failure.h"

namespace qel {
namespace {

// Keeps only Restore, Minimize and Close in a window menu.
void TrimWindowMenu(HWND hwnd) {
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (!menu) return;
    for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
        const UINT id = GetMenuItemID(menu, i);
        if (id != SC_RESTORE && id != SC_MINIMIZE && id != SC_CLOSE) DeleteMenu(menu, i, MF_BYPOSITION);
    }
}

}  // namespace

TaskbarEntry::TaskbarEntry(HINSTANCE instance, const std::string& title, std::function<void()> close)
    : close_(std::move(close)) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, kClassName, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = instance;
        wc.hIcon = LoadIconA(instance, "MAINICON");
        if (!wc.hIcon) wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExA(&wc)) throw Failure("Cannot register the taskbar entry window class");
    }
    // Centred on the screen and of no size: the entry shows in the taskbar only.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    window_.reset(CreateWindowExA(0, kClassName, title.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPSIBLINGS,
                                  x, y, 0, 0, nullptr, nullptr, instance, this));
    if (!window_.get()) throw Failure("Cannot create the taskbar entry window");
    // The entry shows the class's icon (the small one taken from it by the system): a
    // window with no icon set by WM_SETICON has its class's. Setting the same icon again
    // would cost a round trip to the display for each size under Wine.
    TrimWindowMenu(window_.get());
}

TaskbarEntry::~TaskbarEntry() {
    if (window_.get()) SetWindowLongPtrA(window_.get(), GWLP_USERDATA, 0);
}

void TaskbarEntry::Show() {
    SetWindowPos(window_.get(), nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

LRESULT CALLBACK TaskbarEntry::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<TaskbarEntry*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->Handle(hwnd, msg, wp, lp) : DefWindowProcA(hwnd, msg, wp, lp);
}

LRESULT TaskbarEntry::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SYSCOMMAND:
        switch (wp & 0xFFF0) {
        case SC_MINIMIZE:
            if (main_) ShowWindow(main_, SW_HIDE);
            return DefWindowProcA(hwnd, msg, wp, lp);
        case SC_RESTORE: {
            LRESULT r = DefWindowProcA(hwnd, msg, wp, lp);
            if (main_) {
                ShowWindow(main_, SW_SHOW);
                SetForegroundWindow(GetLastActivePopup(main_));
            }
            return r;
        }
        case SC_CLOSE:
            if (close_) close_();
            return 0;
        case SC_MAXIMIZE:
        case SC_SIZE:
        case SC_MOVE:
            return 0;
        }
        break;
    case WM_CLOSE:
        if (close_) close_();
        return 0;
    case WM_ACTIVATE:
        // The entry itself has nothing to show: activating it activates the wizard, or
        // the dialog that is open over it.
        if (LOWORD(wp) != WA_INACTIVE && main_ && IsWindowVisible(main_) && !IsIconic(hwnd)) {
            HWND target = GetLastActivePopup(main_);
            if (!target || !IsWindowVisible(target) || !IsWindowEnabled(target)) target = main_;
            if (IsWindowEnabled(target)) SetActiveWindow(target);
            return 0;
        }
        break;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace qel
