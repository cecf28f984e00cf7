#pragma once
// Holding off the end of the Windows session while work is under way that must not be cut
// in half. The system asks every top-level window before a logoff, a restart or a shut
// down (WM_QUERYENDSESSION); one that answers no, and has registered a reason, is listed
// with that reason and the user chooses. A forced end (ENDSESSION_CRITICAL) is not asked.
#include <windows.h>

#include <string>

namespace qel {

class SessionBlock {
public:
    // For `window`, a top-level window of the calling thread, which answers the system's
    // questions; every call below is made on that thread (the reason belongs to it).
    explicit SessionBlock(HWND window) : window_(window) {}
    ~SessionBlock() { Release(); }
    SessionBlock(const SessionBlock&) = delete;
    SessionBlock& operator=(const SessionBlock&) = delete;

    // From now on the session is held off: the reason is registered for the window
    // (without it a process with no visible window is ended anyway) and the process is
    // asked before the applications, so that a refusal comes before they have closed.
    // While held, nothing more.
    void Hold(const std::wstring& reason);
    // The session may end again; the reason and the process's place in the order go.
    void Release();
    bool Held() const { return held_; }
    // The answer to WM_QUERYENDSESSION with its lParam: no while held, unless forced.
    BOOL AnswerQuery(LPARAM lp) const { return held_ && !(lp & ENDSESSION_CRITICAL) ? FALSE : TRUE; }

private:
    HWND window_;
    bool held_ = false;
    DWORD level_ = 0x280, flags_ = 0;  // the process's place in the order before
};

}  // namespace qel
