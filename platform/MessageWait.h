#pragma once
// Waiting for a kernel object on a thread that owns windows (a COM apartment has one),
// without making anyone who sends that thread a message wait for us in turn.
#include <windows.h>

namespace qel {

// Waits without a time limit until the object is signalled. Messages other threads send
// to this one meanwhile are answered at once (a broadcast, the system's queries, a call
// carried to a window of this thread); the thread's queue is otherwise left alone. False
// when the wait itself failed.
bool WaitAnswering(HANDLE object);

}  // namespace qel
