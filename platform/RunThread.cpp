#include "platform/RunThread.h"

#include "platform/Failure.h"
#include "platform/MessageWait.h"

namespace qel {

RunThread::RunThread(std::function<void()> work, HWND notify, UINT done)
    : work_(std::move(work)), notify_(notify), done_(done) {
    thread_.reset(CreateThread(nullptr, 0, &RunThread::Run, this, 0, nullptr));
    if (!thread_) throw Failure("Cannot start the installation's thread");
}

RunThread::~RunThread() { WaitAnswering(thread_.get()); }

DWORD WINAPI RunThread::Run(void* param) {
    auto* self = static_cast<RunThread*>(param);
    {
        ComApartment com;
        // The state belongs to this thread; ES_CONTINUOUS alone clears it again.
        SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED);
        try {
            self->work_();
        } catch (...) {
        }
        SetThreadExecutionState(ES_CONTINUOUS);
    }
    PostMessageA(self->notify_, self->done_, 0, 0);
    return 0;
}

}  // namespace qel
