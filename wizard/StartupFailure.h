#pragma once
// The last-resort report of a failure that ends start-up before the event loop runs.
#include <string>

namespace qel {

// The text the failure box shows for a failure message: a "." is appended when the
// message's last character sorts after "." in the character order.
std::string FailureBoxText(const std::string& message);

// Shows the start-up failure in a system message box titled "Application Error".
void ReportStartupFailure(const std::string& message);

}  // namespace qel
