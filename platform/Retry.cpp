#include "platform/Retry.h"

namespace qel::fs {

bool IsMomentaryHold(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
}

bool IsMomentaryHold(DWORD error, const std::string& path) {
    if (!IsMomentaryHold(error)) return false;
    if (error != ERROR_ACCESS_DENIED || path.empty()) return true;
    const DWORD a = GetFileAttributesA(path.c_str());
    return a == INVALID_FILE_ATTRIBUTES || (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

bool RetryBudget::WaitAgain(bool momentaryHold) {
    if (!momentaryHold) return false;
    if (!started_) {
        started_ = true;
        start_ = GetTickCount();
    } else if (GetTickCount() - start_ >= total_) {
        return false;
    }
    Sleep(every_);
    return true;
}

}  // namespace qel::fs
