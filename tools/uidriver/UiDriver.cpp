#include "tools/uidriver/UiDriver.h"

#include <cstring>
#include <fstream>

namespace qel::uidriver {
namespace {

struct TopSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(h, &owner);
    if (owner == s->pid && IsWindowVisible(h)) s->found.push_back(h);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND h, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(h);
    return TRUE;
}

template <class Probe>
auto Poll(DWORD timeoutMs, Probe probe) -> decltype(probe()) {
    DWORD start = GetTickCount();
    for (;;) {
        if (auto found = probe()) return found;
        if (GetTickCount() - start >= timeoutMs) return {};
        Sleep(30);
    }
}

}  // namespace

Program Program::Start(const std::string& exe, const std::string& folder, const std::string& arguments) {
    std::string commandLine = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        throw DriverError("cannot start " + commandLine + " (error " + std::to_string(GetLastError()) + ")");
    CloseHandle(pi.hThread);
    Program p;
    p.process_.reset(pi.hProcess);
    p.pid_ = pi.dwProcessId;
    // Let it reach its event loop before anyone looks for its windows.
    WaitForInputIdle(pi.hProcess, 10000);
    return p;
}

Program::~Program() {
    if (process_ && Running()) {
        TerminateProcess(process_.get(), 255);
        WaitForSingleObject(process_.get(), 10000);
    }
}

bool Program::Running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

DWORD Program::WaitExit(DWORD timeoutMs) const {
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0)
        throw DriverError("the program is still running after " + std::to_string(timeoutMs) + " ms");
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

std::vector<HWND> VisibleWindowsOf(DWORD pid) {
    TopSearch s{pid, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<HWND> Program::Windows() const { return VisibleWindowsOf(pid_); }

HWND Program::FindWindow(const std::string& caption, const char* className) const {
    for (HWND h : Windows())
        if (Text(h) == caption && (!className || ClassName(h) == className)) return h;
    return nullptr;
}

HWND Program::WaitWindow(const std::string& caption, DWORD timeoutMs, const char* className) const {
    HWND h = Poll(timeoutMs, [&] { return FindWindow(caption, className); });
    if (!h) {
        std::string seen;
        for (HWND w : Windows()) seen += " \"" + Text(w) + "\"";
        throw DriverError("no window \"" + caption + "\" appeared; showing:" + (seen.empty() ? " none" : seen));
    }
    return h;
}

std::string Text(HWND hwnd) {
    char buf[4096];
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                             5000, &got))
        return {};
    return std::string(buf, strnlen(buf, got));
}

std::string ClassName(HWND hwnd) {
    char buf[256];
    int n = GetClassNameA(hwnd, buf, sizeof buf);
    return std::string(buf, n > 0 ? n : 0);
}

bool Showing(HWND hwnd) { return IsWindow(hwnd) && IsWindowVisible(hwnd); }

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND Find(HWND parent, const char* className, const std::string& text) {
    for (HWND h : Descendants(parent))
        if (Showing(h) && (!className || _stricmp(ClassName(h).c_str(), className) == 0) && Text(h) == text)
            return h;
    return nullptr;
}

HWND WaitFor(HWND parent, const char* className, const std::string& text, DWORD timeoutMs) {
    HWND h = Poll(timeoutMs, [&] { return Find(parent, className, text); });
    if (!h) throw DriverError("no control \"" + text + "\" showing in \"" + Text(parent) + "\"");
    return h;
}

std::vector<std::string> Labels(HWND parent) {
    std::vector<std::string> texts;
    for (HWND h : Descendants(parent))
        if (Showing(h) && _stricmp(ClassName(h).c_str(), "Static") == 0) {
            std::string t = Text(h);
            if (!t.empty()) texts.push_back(t);
        }
    return texts;
}

void Press(HWND button) { PostMessageA(button, BM_CLICK, 0, 0); }

void PressButton(HWND window, const std::string& caption, DWORD timeoutMs) {
    // Any class: the wizard's glyph buttons are buttons of a class of their own.
    Press(WaitFor(window, nullptr, caption, timeoutMs));
}

void SetText(HWND edit, const std::string& text) {
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
}

void ClickAndTurnWheel(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    INPUT in[4] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    in[3].mi.dwFlags |= MOUSEEVENTF_WHEEL;
    in[3].mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
    SendInput(4, in, sizeof(INPUT));
}

void Key(HWND window, WORD virtualKey, bool shift, bool ctrl, bool alt) {
    SetForegroundWindow(window);
    Sleep(50);
    std::vector<INPUT> in;
    auto add = [&](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    if (shift) add(VK_SHIFT, false);
    if (ctrl) add(VK_CONTROL, false);
    if (alt) add(VK_MENU, false);
    add(virtualKey, false);
    add(virtualKey, true);
    if (alt) add(VK_MENU, true);
    if (ctrl) add(VK_CONTROL, true);
    if (shift) add(VK_SHIFT, true);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

void WaitGone(HWND hwnd, DWORD timeoutMs) {
    HWND still = Poll(timeoutMs, [&]() -> HWND { return Showing(hwnd) ? nullptr : hwnd; });
    if (!still) throw DriverError("window \"" + Text(hwnd) + "\" is still showing");
}

bool SaveScreenshot(HWND hwnd, const std::string& bmpPath) {
    RECT r;
    return GetWindowRect(hwnd, &r) && SaveScreenArea(r, bmpPath);
}

std::vector<char> ScreenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<char> pixels;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = w > 0 && h > 0 ? CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (dib) {
        HGDIOBJ old = SelectObject(mem, dib);
        const bool ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != 0;
        SelectObject(mem, old);
        GdiFlush();
        if (ok) pixels.assign(static_cast<const char*>(bits), static_cast<const char*>(bits) + ((w * 3 + 3) / 4) * 4 * h);
        DeleteObject(dib);
    }
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pixels;
}

bool SaveScreenArea(const RECT& r, const std::string& bmpPath) {
    const std::vector<char> pixels = ScreenPixels(r);
    if (pixels.empty()) return false;
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = r.right - r.left;
    info.biHeight = r.bottom - r.top;
    info.biPlanes = 1;
    info.biBitCount = 24;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof info;
    fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
    std::ofstream f(bmpPath, std::ios::binary);
    f.write(reinterpret_cast<const char*>(&fh), sizeof fh);
    f.write(reinterpret_cast<const char*>(&info), sizeof info);
    f.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
    return static_cast<bool>(f);
}

}  // namespace qel::uidriver
