#include "wizard/AnimationHost.h"

#include <commctrl.h>

#include "platform/Failure.h"
#include "platform/MessageWait.h"
#include "wizard/ControlClasses.h"

namespace qel {
namespace {

LRESULT CALLBACK HostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CTLCOLORSTATIC:
        // The clip's background shows in the page's colour.
        SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    case WM_SETCURSOR:
        // Answered here: the default would ask the parent, whose thread may be busy.
        SetCursor(LoadCursor(nullptr, IDC_ARROW));
        return TRUE;
    case WM_SIZE:
        if (HWND player = GetWindow(hwnd, GW_CHILD))
            MoveWindow(player, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

AnimationHost::AnimationHost(HWND parent, const RECT& box, int id) : parent_(parent), box_(box), id_(id) {
    RegisterWindowClass(reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(parent, GWLP_HINSTANCE)), kAnimateClass,
                        HostProc);
    ready_.reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (ready_) thread_.reset(CreateThread(nullptr, 0, &AnimationHost::Run, this, 0, &threadId_));
    if (!thread_) throw Failure("Cannot create the control anmIntala");
    // Making a child of parent may send parent's thread, this one, a message.
    WaitAnswering(ready_.get());
    if (!window_) {
        WaitAnswering(thread_.get());
        throw Failure("Cannot create the control anmIntala");
    }
}

AnimationHost::~AnimationHost() {
    PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
    WaitAnswering(thread_.get());
}

DWORD WINAPI AnimationHost::Run(void* param) {
    auto* self = static_cast<AnimationHost*>(param);
    const RECT& box = self->box_;
    const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(self->parent_, GWLP_HINSTANCE));
    // No parent notification: it would wait for the parent's thread.
    HWND window = CreateWindowExA(WS_EX_NOPARENTNOTIFY, kAnimateClass, "", WS_CHILD | WS_CLIPSIBLINGS, box.left,
                                  box.top, box.right - box.left, box.bottom - box.top, self->parent_,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(self->id_)), instance, nullptr);
    // A timer of this thread plays the clip, in both versions of the control (the
    // version-6 control always uses one).
    HWND player = window ? CreateWindowExA(0, ANIMATE_CLASSA, "",
                                           WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT | ACS_CENTER | ACS_TIMER, 0,
                                           0, box.right - box.left, box.bottom - box.top, window, nullptr,
                                           instance, nullptr)
                         : nullptr;
    if (window && !player) {
        DestroyWindow(window);
        window = nullptr;
    }
    self->window_ = window;
    self->player_ = player;
    SetEvent(self->ready_.get());
    if (!window) return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    DestroyWindow(window);
    return 0;
}

}  // namespace qel
