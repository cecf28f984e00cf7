#include "wizard/StartupFailure.h"

#include <windows.h>

namespace qel {

void ReportStartupFailure(const std::string& message) {
    // A window destroyed on the way out has posted the end of the loop; the box must not
    // take that as its own end.
    MSG quit;
    while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    MessageBoxA(nullptr, FailureBoxText(message).c_str(), "Application Error",
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace qel
