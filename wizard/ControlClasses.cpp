#include "wizard/ControlClasses.h"


#include "platform/Failure.h"
#include "wizard/Banner.h"
#include "wizard/DirectoryEdit.h"

namespace qel {
namespace {

constexpr const char* kHostProperty = "QelControlHost";

WNDPROC g_buttonProc = nullptr;
WNDPROC g_staticProc = nullptr;

ControlHost* HostOf(HWND hwnd) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    return root ? static_cast<ControlHost*>(GetPropA(root, kHostProperty)) : nullptr;
}

bool IsNotification(UINT msg) {
    return msg == WM_COMMAND || msg == WM_DRAWITEM || msg == WM_CTLCOLORSTATIC ||
           msg == WM_CTLCOLORBTN;
}

bool Forward(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    if (!IsNotification(msg)) return false;
    ControlHost* host = HostOf(container);
    return host && host->Notification(container, msg, wp, lp, result);
}

// The page control and its pages: plain containers in the window's colour.
LRESULT CALLBACK ContainerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Forward(hwnd, msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

// The framed boxes: the platform's group box, which leaves its inside unpainted and
// would send its controls' notifications nowhere.
LRESULT CALLBACK BoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (Forward(hwnd, msg, wp, lp, result)) return result;
    if (msg == WM_ERASEBKGND) {
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(reinterpret_cast<HDC>(wp), &r, GetSysColorBrush(COLOR_WINDOW));
        return 1;
    }
    return CallWindowProcA(g_buttonProc, hwnd, msg, wp, lp);
}

// The glyph buttons: when the focus comes or goes, the button Enter would press may
// change, so every glyph button of the page is repainted.
BOOL CALLBACK RepaintIfBitBtn(HWND hwnd, LPARAM) {
    if (IsOfClass(hwnd, kBitBtnClass)) InvalidateRect(hwnd, nullptr, FALSE);
    return TRUE;
}

LRESULT CALLBACK BitBtnProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = CallWindowProcA(g_buttonProc, hwnd, msg, wp, lp);
    if (msg == WM_SETFOCUS || msg == WM_KILLFOCUS) {
        if (HWND page = GetParent(hwnd)) EnumChildWindows(page, RepaintIfBitBtn, 0);
    }
    return r;
}

LRESULT CALLBACK LabelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(g_staticProc, hwnd, msg, wp, lp);
}

}  // namespace

void RegisterWindowClass(HINSTANCE instance, const char* name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, name, &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc)) throw Failure(std::string("Cannot register the window class ") + name);
}

namespace {

// A class that is the platform's control base under another name, with proc in front.
void RegisterSuper(HINSTANCE instance, const char* base, const char* name, WNDPROC proc,
                   WNDPROC& baseProc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(nullptr, base, &wc))
        throw Failure(std::string("Cannot find the platform's control ") + base);
    baseProc = wc.lpfnWndProc;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(instance, name, &existing)) return;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.style &= ~CS_GLOBALCLASS;
    if (!RegisterClassExA(&wc)) throw Failure(std::string("Cannot register the window class ") + name);
}

}  // namespace

void AttachHost(HWND topLevel, ControlHost* host) { SetPropA(topLevel, kHostProperty, host); }

void DetachHost(HWND topLevel) { RemovePropA(topLevel, kHostProperty); }

bool IsOfClass(HWND hwnd, const char* className) {
    char name[64];
    return hwnd && GetClassNameA(hwnd, name, sizeof name) > 0 && lstrcmpiA(name, className) == 0;
}

void RegisterControlClasses(HINSTANCE instance) {
    RegisterWindowClass(instance, kPageControlClass, ContainerProc);
    RegisterWindowClass(instance, kTabSheetClass, ContainerProc);
    RegisterPictureBoxClass(instance, kImageClass);
    RegisterSuper(instance, "Static", kLabelClass, LabelProc, g_staticProc);
    RegisterSuper(instance, "Button", kBitBtnClass, BitBtnProc, g_buttonProc);
    RegisterSuper(instance, "Button", kRadioGroupClass, BoxProc, g_buttonProc);
    RegisterSuper(instance, "Button", kGroupBoxClass, BoxProc, g_buttonProc);
    DirectoryEdit::RegisterClasses(instance);
}

}  // namespace qel
