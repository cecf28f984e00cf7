#include "platform/MessageWait.h"

namespace qel {

bool WaitAnswering(HANDLE object) {
    for (;;) {
        switch (MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE)) {
        case WAIT_OBJECT_0:
            return true;
        case WAIT_OBJECT_0 + 1: {
            // Peeking delivers what other threads sent; nothing is taken from the queue.
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            break;
        }
        default:
            return false;
        }
    }
}

}  // namespace qel
