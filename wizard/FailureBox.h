#pragma once
// The failure box: the platform's message box that shows a failure no handler dealt
// with, and the one wrapper every button handler runs through so that such a failure
// ends only that handler and the wizard keeps running.
#include <windows.h>

#include <functional>
#include <string>

namespace qel {

// The text the failure box shows for a failure message: a "." is appended when the
// message's last character sorts after "." in the character order.
std::string FailureBoxText(const std::string& message);

// Shows the failure box (application title, error icon, one OK button), modal over
// owner, and returns when the user closes it.
void ShowFailureBox(HWND owner, const std::string& message);

// Runs a button handler. A failure that escapes it is shown in the failure box over
// owner; nothing escapes this call.
void RunHandler(HWND owner, const std::function<void()>& handler) noexcept;

}  // namespace qel
