#include "wizard/PageFlow.h"

namespace qel {

void ConfirmaCancelamento(UiPort& ui) {
    if (ui.MostraMensagem("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao,
                          BotoesMensagem::SimNao) == RespostaMensagem::Sim)
        ui.Fecha();
}

}  // namespace qel
