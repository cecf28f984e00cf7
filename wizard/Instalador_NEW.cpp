#include "wizard/Instalador_NEW.h"

#include <commctrl.h>

#include <stdexcept>

#include "platform/FileSystem.h"
#include "platform/Failure.h"

namespace qel {
namespace {

constexpr const char* kPageControlClass = "TPageControl";
constexpr const char* kTabSheetClass = "TTabSheet";

void RegisterClasses(HINSTANCE instance, WNDPROC frameProc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExA(instance, TfrmInstala::kClassName, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = frameProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        wc.hIcon = LoadIconA(instance, "MAINICON");
        wc.lpszClassName = TfrmInstala::kClassName;
        if (!RegisterClassExA(&wc)) throw Failure("Cannot register the wizard window class");
    }
    for (const char* name : {kPageControlClass, kTabSheetClass}) {
        WNDCLASSEXA c{};
        c.cbSize = sizeof c;
        if (GetClassInfoExA(instance, name, &c)) continue;
        c = {};
        c.cbSize = sizeof c;
        c.lpfnWndProc = DefWindowProcA;
        c.hInstance = instance;
        c.hCursor = LoadCursor(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = name;
        if (!RegisterClassExA(&c)) throw Failure("Cannot register the wizard window class");
    }
}

// A fixed single frame with a caption and no title-bar buttons.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

}  // namespace

TfrmInstala::TfrmInstala(HINSTANCE instance) : instance_(instance) {
    RegisterClasses(instance, &TfrmInstala::WindowProc);
    RECT r{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&r, kFrameStyle, FALSE, kFrameExStyle);
    hwnd_ = CreateWindowExA(kFrameExStyle, kClassName, kCaption, kFrameStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, r.right - r.left, r.bottom - r.top, nullptr, nullptr,
                            instance, this);
    if (!hwnd_) throw Failure("Cannot create the wizard window");
}

TfrmInstala::~TfrmInstala() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TfrmInstala::Show() {
    RECT r;
    GetWindowRect(hwnd_, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2;
    int y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
    SetFocus(pgcInstala_);
}

LRESULT CALLBACK TfrmInstala::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TfrmInstala* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TfrmInstala*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TfrmInstala*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    return self->Handle(msg, wp, lp);
}

LRESULT TfrmInstala::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        try {
            CreateControls();
            FormCreate();
        } catch (...) {
            return -1;  // creation fails; the constructor reports it
        }
        return 0;
    case WM_CLOSE:
        DestroyWindow(hwnd_);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        return 0;
    }
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

void TfrmInstala::CreateControls() {
    pgcInstala_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPageControlClass, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0,
                                  kClientWidth, kClientHeight, hwnd_, nullptr, instance_, nullptr);
    for (auto& page : pages_) {
        page = CreateWindowExA(WS_EX_CONTROLPARENT, kTabSheetClass, "", WS_CHILD | WS_CLIPCHILDREN,
                               0, 0, kClientWidth, kClientHeight, pgcInstala_, nullptr, instance_,
                               nullptr);
    }
    // The install folder field of page 2; the full page layout is built on top of this.
    diredInstala_ = CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL,
                                    24, 256, 361, 21, pages_[1], nullptr, instance_, nullptr);
    // The layout names page 3 as the active page; creation switches to page 1.
    MostraPagina(2);
}

void TfrmInstala::FormCreate() {
    estado_.VersaoSistema = kVersaoSistema;
    estado_.VersaoBanco = kVersaoBanco;
    diredInitialDir_ = kPastaPadrao;
    SetWindowTextA(diredInstala_, kPastaPadrao);
    // The pages carry no tabs: they change only through the wizard's buttons.
    MostraPagina(0);
    estado_.SourceDir = fs::ExtractFilePath(fs::ModuleFileName());
    estado_.TempDir = fs::TempPath();
    estado_.SystemDir = fs::SystemPath();
}

void TfrmInstala::MostraPagina(int index) {
    for (int i = 0; i < 3; ++i) ShowWindow(pages_[i], i == index ? SW_SHOW : SW_HIDE);
}

int TfrmInstala::PaginaVisivel() const {
    for (int i = 0; i < 3; ++i)
        if (GetWindowLongA(pages_[i], GWL_STYLE) & WS_VISIBLE) return i;
    return -1;
}

std::string TfrmInstala::TextoDiredInstala() const {
    int n = GetWindowTextLengthA(diredInstala_);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(diredInstala_, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

}  // namespace qel
