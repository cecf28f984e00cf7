#pragma once
// The last-resort report of a failure that ends start-up before the event loop runs.
#include <string>

#include "wizard/FailureBox.h"

namespace qel {

// Shows the start-up failure in a system message box titled "Application Error".
void ReportStartupFailure(const std::string& message);

}  // namespace qel
