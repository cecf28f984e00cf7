#pragma once
// Waiting a moment for a file another program holds. On an office PC antivirus and
// indexing services open a file right after it was written, without sharing its deletion,
// and keep it for a moment; renaming, replacing or deleting it fails meanwhile, and so
// does writing over it. Those operations are tried again, 100 ms apart, for up to about
// 5 s; a file that is still held then (an application that has it open) is reported as
// before. Nothing else is ever tried twice.
#include <windows.h>

#include <string>

namespace qel::fs {

inline constexpr DWORD kHoldWaitMs = 5000;
inline constexpr DWORD kHoldRetryEveryMs = 100;

// The errors an operation gets while another program holds the file: a sharing or lock
// violation, or access denied (what renaming over or deleting a held file gives).
bool IsMomentaryHold(DWORD error);
// The same for an operation on `path`, where access denied counts only while `path` is
// neither a folder nor a read-only file: those are refused for good.
bool IsMomentaryHold(DWORD error, const std::string& path);

// How long operations may wait for held files. One budget can be shared by several
// operations (a whole cleanup), so that together they never wait longer than it.
class RetryBudget {
public:
    explicit RetryBudget(DWORD totalMs = kHoldWaitMs, DWORD everyMs = kHoldRetryEveryMs)
        : total_(totalMs), every_(everyMs) {}

    // After a failed attempt: no at once unless its error was a momentary hold; then,
    // while the budget lasts (counted from its first wait), waits one interval and says
    // yes.
    bool WaitAgain(bool momentaryHold);
    // Time spent waiting so far, in milliseconds.
    DWORD WaitedMs() const { return started_ ? GetTickCount() - start_ : 0; }

private:
    DWORD total_, every_;
    DWORD start_ = 0;
    bool started_ = false;
};

// Repeats an attempt (success as true, failure through the thread's last error) while it
// fails with a momentary hold on `path` and the budget lasts. The last error is the last
// attempt's.
template <class Attempt>
bool Retrying(RetryBudget& budget, const std::string& path, Attempt attempt) {
    for (;;) {
        if (attempt()) return true;
        const DWORD error = GetLastError();
        if (!budget.WaitAgain(IsMomentaryHold(error, path))) {
            SetLastError(error);
            return false;
        }
    }
}

// The same with a budget of its own.
template <class Attempt>
bool Retrying(const std::string& path, Attempt attempt) {
    RetryBudget budget;
    return Retrying(budget, path, attempt);
}

}  // namespace qel::fs
