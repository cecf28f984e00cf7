#include "wizard/FailureBox.h"

#include <exception>

#include "core/UiPort.h"
#include "wizard/ApplicationTitle.h"

namespace qel {

std::string FailureBoxText(const std::string& message) { return TextoDaCaixaDeFalha(message); }

void ShowFailureBox(HWND owner, const std::string& message) {
    if (owner && !IsWindow(owner)) owner = nullptr;
    MessageBoxA(owner, FailureBoxText(message).c_str(), ApplicationTitle().c_str(),
                MB_OK | MB_ICONERROR | (owner ? MB_APPLMODAL : MB_TASKMODAL));
}

void RunHandler(HWND owner, const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const std::exception& e) {
        ShowFailureBox(owner, e.what());
    } catch (...) {
        ShowFailureBox(owner, "Unexpected failure");
    }
}

}  // namespace qel
