#include "tests/support/Gui.h"

#include "platform/FileSystem.h"
#include "tests/support/Windows.h"

namespace qel::test {

void PumpFor(DWORD ms, TfrmInstala* wizard) {
    PumpUntil([] { return false; }, ms, wizard);
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs, TfrmInstala* wizard) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // a closed wizard's; the test goes on
            if (wizard && wizard->TrataTecla(msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (condition()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void PumpInput(TfrmInstala* wizard) {
    PumpUntil([] { return GetQueueStatus(QS_ALLINPUT) == 0; }, 2000, wizard);
    PumpFor(30, wizard);
}

void DropQuit() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

namespace {

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

}  // namespace

void TypeKey(WORD vk, int modifiers) {
    std::vector<INPUT> keys;
    if (modifiers & kCtrl) keys.push_back(Key(VK_CONTROL, false));
    if (modifiers & kShift) keys.push_back(Key(VK_SHIFT, false));
    if (modifiers & kAlt) keys.push_back(Key(VK_MENU, false));
    keys.push_back(Key(vk, false));
    keys.push_back(Key(vk, true));
    if (modifiers & kAlt) keys.push_back(Key(VK_MENU, true));
    if (modifiers & kShift) keys.push_back(Key(VK_SHIFT, true));
    if (modifiers & kCtrl) keys.push_back(Key(VK_CONTROL, true));
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
}

void TypeKeyInto(HWND window, WORD vk, int modifiers) {
    if (GetForegroundWindow() != window) {
        SetForegroundWindow(window);
        Sleep(50);
    }
    TypeKey(vk, modifiers);
}

void ClickOn(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    INPUT in[3] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
        i.mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    }
    in[1].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
    in[2].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
    SendInput(3, in, sizeof(INPUT));
}

RECT RectIn(HWND window, HWND reference) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

namespace {

struct DialogSearch {
    std::string caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialog(HWND h, LPARAM lp) {
    auto* s = reinterpret_cast<DialogSearch*>(lp);
    if (IsWindowVisible(h) && ClassOf(h) == "#32770" && (s->caption.empty() || WindowText(h) == s->caption))
        s->found.push_back(h);
    return TRUE;
}

}  // namespace

std::vector<HWND> DialogsOf(DWORD threadId, const std::string& caption) {
    DialogSearch s{caption, {}};
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

std::vector<std::string> ChildTexts(HWND parent, const char* className) {
    std::vector<std::string> texts;
    for (HWND h = GetWindow(parent, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT))
        if (ClassOf(h) == className) texts.push_back(WindowText(h));
    return texts;
}

ModalWatcher::ModalWatcher(std::string caption, std::function<void(HWND)> action, DWORD timeoutMs) {
    const DWORD owner = GetCurrentThreadId();
    thread_ = std::thread([this, owner, caption, action, timeoutMs] {
        const DWORD start = GetTickCount();
        HWND dialog = nullptr;
        while (!dialog && GetTickCount() - start < timeoutMs) {
            Sleep(30);
            auto found = DialogsOf(owner, caption);
            if (!found.empty()) dialog = found.front();
        }
        if (!dialog) {
            ADD_FAILURE() << "no dialog \"" << caption << "\" appeared";
            return;
        }
        Sleep(100);  // let it finish taking the focus
        action(dialog);
        ran_ = true;
        const DWORD closing = GetTickCount();
        while (IsWindow(dialog) && IsWindowVisible(dialog) && GetTickCount() - closing < 5000) Sleep(20);
        if (IsWindow(dialog) && IsWindowVisible(dialog)) {
            ADD_FAILURE() << "the dialog \"" << caption << "\" stayed open";
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        }
    });
}

ModalWatcher::~ModalWatcher() {
    if (thread_.joinable()) thread_.join();
}

void ShownWizard::SetUp() {
    for (const char* f : {"disk.1", "disk.2", "QEL.md_", "QEL.ex_"}) WriteFile(medium / f, f);
    savedFolder = fs::CurrentDir();
    fs::ChangeDir(medium.Path());
    frm = std::make_unique<TfrmInstala>(GetModuleHandleA(nullptr), 96);
    frm->Estado().SourceDir = medium.Path() + "\\";
    dm = std::make_unique<TdmInstalaQel>();
    frm->SetDataModule(dm.get());
    frm->Show();
    PumpFor(150, frm.get());
}

void ShownWizard::TearDown() {
    frm.reset();
    DropQuit();
    fs::ChangeDir(savedFolder);
}

}  // namespace qel::test
