#pragma once
// The copy animation's window (TAnimate) and the platform's animation control inside it,
// owned by a thread of their own.
//
// The version-6 animation control plays a clip with a timer of the thread that owns it,
// and the installation run keeps the window's thread busy for whole steps at a time;
// owned by that thread, the clip would stand still. This thread does nothing but handle
// these two windows' messages, so the clip moves whatever the window's thread is doing.
// Nothing these windows do waits for the window's thread: the control's notifications and
// colour queries go to the TAnimate window, which answers them itself.
#include <windows.h>

#include "platform/Handles.h"

namespace qel {

class AnimationHost {
public:
    // Creates both windows, hidden, the TAnimate window as a child of parent at box
    // (parent's client coordinates) with the control identifier id; throws when they
    // cannot be made. The calling thread answers what the new thread sends it meanwhile.
    AnimationHost(HWND parent, const RECT& box, int id);
    // Destroys the windows and ends their thread.
    ~AnimationHost();
    AnimationHost(const AnimationHost&) = delete;
    AnimationHost& operator=(const AnimationHost&) = delete;

    // The TAnimate window: what the layout names anmIntala.
    HWND Window() const { return window_; }
    // The platform's animation control, filling the TAnimate window.
    HWND Player() const { return player_; }

private:
    static DWORD WINAPI Run(void* self);

    HWND parent_;
    RECT box_;
    int id_;
    HWND window_ = nullptr;
    HWND player_ = nullptr;
    DWORD threadId_ = 0;
    UniqueHandle ready_;
    UniqueHandle thread_;
};

}  // namespace qel
