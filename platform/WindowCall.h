#pragma once
// Calls carried from another thread to the thread that owns a window: the caller sends the
// window a message carrying the call and waits until that thread has made it. Windows
// belong to the thread that made them, and so does much of what they do (dialogs owned by
// them, the shutdown block reason); a worker reaches them only this way.
#include <windows.h>

#include <functional>

namespace qel {

// The message that carries a call; a window that takes calls hands it to AnswerWindowCall.
inline constexpr UINT kWindowCall = WM_APP + 0x3A0;

// Makes `call` on the thread of `window` and returns once it has been made; what it
// throws is thrown here. On that thread itself it is simply called. A window that is gone
// (or goes meanwhile) makes it throw a Failure. The window's thread must not be waiting
// for the caller: it answers the call only while it handles messages.
void CallOnWindowThread(HWND window, const std::function<void()>& call);

// The window procedure's part, for kWindowCall: makes the call the message carries.
LRESULT AnswerWindowCall(LPARAM lp);

}  // namespace qel
