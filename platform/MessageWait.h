#pragma once
// Waiting for a kernel object on a thread that owns windows, without making anyone who
// sends that thread a message wait for us in turn.
#include <windows.h>

#include "platform/KeepAlive.h"

namespace qel {

// Waits without a time limit until the object is signalled. Messages other threads send
// to this one meanwhile are answered at once (a broadcast, the system's queries, a window
// of another thread of ours); whenever new messages of the kinds in wakeMask arrive, and
// every intervalMs besides, onMessages is called as well. The thread's queue is otherwise
// left alone. False when the wait itself failed.
bool WaitAnswering(HANDLE object, DWORD wakeMask = QS_SENDMESSAGE, const KeepAlive& onMessages = {},
                   DWORD intervalMs = INFINITE);

}  // namespace qel
