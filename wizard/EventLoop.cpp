#include "wizard/EventLoop.h"

#include "wizard/Instalador_NEW.h"

namespace qel {
namespace {

void Dispatch(TfrmInstala* wizard, const MSG& msg) {
    if (wizard && wizard->TrataTecla(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
}

}  // namespace

int RunEventLoop(TfrmInstala* wizard) {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) Dispatch(wizard, msg);
    return static_cast<int>(msg.wParam);
}

}  // namespace qel
