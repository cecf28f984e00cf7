#include "unattended/SilentUi.h"

#include "wizard/EventLoop.h"

namespace qel {

RespostaMensagem SilentUi::MostraMensagem(const std::string&, TipoMensagem, BotoesMensagem botoes) {
    return botoes == BotoesMensagem::SimNao ? RespostaMensagem::Sim : RespostaMensagem::Ok;
}

// The wizard's pass over the pending messages, without a wizard window to give keys to.
void SilentUi::ProcessaMensagens() { ProcessPendingMessages(nullptr); }

}  // namespace qel
