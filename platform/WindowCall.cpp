#include "platform/WindowCall.h"

#include <exception>

#include "platform/Failure.h"

namespace qel {
namespace {

struct Carried {
    const std::function<void()>* call;
    std::exception_ptr failure;
    bool made = false;
};

}  // namespace

void CallOnWindowThread(HWND window, const std::function<void()>& call) {
    if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        call();
        return;
    }
    Carried carried{&call, nullptr};
    SendMessageA(window, kWindowCall, 0, reinterpret_cast<LPARAM>(&carried));
    if (!carried.made) throw Failure("The window is closed");
    if (carried.failure) std::rethrow_exception(carried.failure);
}

LRESULT AnswerWindowCall(LPARAM lp) {
    auto* carried = reinterpret_cast<Carried*>(lp);
    try {
        (*carried->call)();
    } catch (...) {
        carried->failure = std::current_exception();
    }
    carried->made = true;
    return 1;
}

}  // namespace qel
