#include "unattended/SilentUi.h"

namespace qel {

RespostaMensagem SilentUi::MostraMensagem(const std::string&, TipoMensagem, BotoesMensagem botoes) {
    return botoes == BotoesMensagem::SimNao ? RespostaMensagem::Sim : RespostaMensagem::Ok;
}

}  // namespace qel
