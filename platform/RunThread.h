#pragma once
// Work on a thread of its own, so that the thread whose windows must keep answering never
// waits for it.
#include <windows.h>

#include <functional>

#include "platform/Handles.h"

namespace qel {

class RunThread {
public:
    // Starts `work` on a new thread with a COM apartment of its own, single-threaded: the
    // COM objects it makes live on it and are called there. While it works the system is
    // kept from sleeping (SetThreadExecutionState), and nothing of that is left set after.
    // When it has returned, `done` is posted to `notify`. An exception `work` lets escape
    // ends it too, unreported: the work reports its own failures. Throws when the thread
    // cannot be started.
    RunThread(std::function<void()> work, HWND notify, UINT done);
    // Waits for the thread to end, answering meanwhile what other threads send to this
    // one (the work may be carrying a call to a window of this thread).
    ~RunThread();
    RunThread(const RunThread&) = delete;
    RunThread& operator=(const RunThread&) = delete;

private:
    static DWORD WINAPI Run(void* self);

    std::function<void()> work_;
    HWND notify_;
    UINT done_;
    UniqueHandle thread_;
};

}  // namespace qel
