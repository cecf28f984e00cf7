#pragma once
// The event loop of the wizard: every message goes to its window, key messages for the
// wizard window first get their wizard meaning (TfrmInstala::TrataTecla).
#include <windows.h>

namespace qel {

class TfrmInstala;

// Runs until the end of the loop is posted (the wizard window closed); returns its code.
int RunEventLoop(TfrmInstala* wizard);

}  // namespace qel
