#pragma once
// The event loop of the wizard: every message goes to its window, key messages for the
// wizard window first get their wizard meaning (TfrmInstala::TrataTecla).
#include <windows.h>

namespace qel {

class TfrmInstala;

// Runs until the end of the loop is posted (the wizard window closed); returns its code.
int RunEventLoop(TfrmInstala* wizard);

// Handles every message waiting now, then returns. An end of the loop met on the way is
// posted again for the outer loop; the user's input to the wizard window while one of
// its handlers runs is dropped (TfrmInstala::EntradaIgnorada). Without a wizard (null),
// every message is dispatched as it comes.
void ProcessPendingMessages(TfrmInstala* wizard);

}  // namespace qel
