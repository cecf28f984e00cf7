#include "unattended/SilentUi.h"

#include <windows.h>

namespace qel {

RespostaMensagem SilentUi::MostraMensagem(const std::string&, TipoMensagem, BotoesMensagem botoes) {
    return botoes == BotoesMensagem::SimNao ? RespostaMensagem::Sim : RespostaMensagem::Ok;
}

void SilentUi::ProcessaMensagens() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        DispatchMessageA(&msg);
    }
}

}  // namespace qel
