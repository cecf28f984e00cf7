// The demo medium's application program: a small window that tells which QEL version it is.
// The build makes two of them, the version on the medium and an older installed one.
#include <windows.h>

#include <string>

#ifndef QEL_APP_VERSION
#error "QEL_APP_VERSION must name the version this program shows"
#endif

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show) {
    const std::string version = QEL_APP_VERSION;
    // "/versao" writes the version to the standard output and ends: scripts check what was installed.
    if (std::string(commandLine).find("/versao") != std::string::npos) {
        DWORD written = 0;
        std::string line = version + "\r\n";
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &written,
                  nullptr);
        return 0;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "QelDemoApp";
    RegisterClassA(&wc);
    const std::string caption = "QEL " + version;
    HWND hwnd = CreateWindowA("QelDemoApp", caption.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 360, 140, nullptr, nullptr, instance, nullptr);
    const std::string text = "Quelvara - sistema QEL, vers\xE3o " + version;
    CreateWindowA("STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_CENTER, 10, 30, 330, 20, hwnd,
                  nullptr, instance, nullptr);
    ShowWindow(hwnd, show);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
