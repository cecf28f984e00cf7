// The reference for start-up timing: a Win32 program that only shows an empty window.
//   qel_bare_window [<steps-file>]
// Built a second time as qel_bare_window_ado (QEL_BARE_WINDOW_ADO), it also starts COM
// and creates the ADO connection object before its window, as the wizard's start-up
// does. Built a third time as qel_bare_window_dlls (QEL_BARE_WINDOW_DLLS as well), it
// also imports every system DLL the wizard imports and carries the wizard's manifest
// (version-6 common controls): what any program that loads what the wizard loads pays
// before its first window, without the wizard's own windows. With a file it writes the
// time of its steps there (loading, COM with the ADO object, window, shown; StepClock.h)
// and ends once shown.
#include <windows.h>

#ifdef QEL_BARE_WINDOW_DLLS
#include <commctrl.h>
#include <oleauto.h>
#include <shlobj.h>
#include <uxtheme.h>
#endif

#include "tools/bench/StepClock.h"

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

#ifdef QEL_BARE_WINDOW_DLLS
// One function of each system DLL the wizard imports beyond the bare window's, so the
// loader maps and starts them all.
void* volatile g_imports[] = {reinterpret_cast<void*>(&InitCommonControlsEx),
                              reinterpret_cast<void*>(&SHGetKnownFolderPath),
                              reinterpret_cast<void*>(&SysFreeString),
                              reinterpret_cast<void*>(&IsAppThemed),
                              reinterpret_cast<void*>(&OpenProcessToken),
                              reinterpret_cast<void*>(&CreateCompatibleDC)};
#endif

#ifdef QEL_BARE_WINDOW_ADO
// ADODB.Connection, created in process as the wizard creates it.
constexpr CLSID kClsidAdoConnection = {
    0x00000514, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};
#endif

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    std::vector<double> ends{qel::bench::SinceCreation()};
    const char* stepsFile = __argc > 1 ? __argv[1] : nullptr;
#ifdef QEL_BARE_WINDOW_ADO
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IUnknown* connection = nullptr;
    CoCreateInstance(kClsidAdoConnection, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                     reinterpret_cast<void**>(&connection));
#endif
    ends.push_back(qel::bench::SinceCreation());

    WNDCLASSA wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "BareWindow";
    RegisterClassA(&wc);
    HWND hwnd = CreateWindowA("BareWindow", "Bare window", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              606, 411, nullptr, nullptr, instance, nullptr);
    ends.push_back(qel::bench::SinceCreation());
    ShowWindow(hwnd, show);
    UpdateWindow(hwnd);
    ends.push_back(qel::bench::SinceCreation());
    int rc = 0;
    if (stepsFile) {
        DestroyWindow(hwnd);
        rc = qel::bench::WriteSteps(stepsFile, ends) ? 0 : 1;
    } else {
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
#ifdef QEL_BARE_WINDOW_ADO
    if (connection) connection->Release();
    CoUninitialize();
#endif
    return rc;
}
