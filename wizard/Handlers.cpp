// The handlers of the wizard's eight buttons. Each runs through the failure box's
// wrapper (TfrmInstala::ExecutaManipulador).
#include "wizard/Instalador_NEW.h"

namespace qel {

// Cancelar on any page: asks, and closes the window on Yes only.
void TfrmInstala::ConfirmaCancelamento() {
    if (MostraMensagem("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao,
                       BotoesMensagem::SimNao) == RespostaMensagem::Sim)
        Fecha();
}

void TfrmInstala::BitBtn1Click() { ConfirmaCancelamento(); }
void TfrmInstala::BitBtn2Click() { ConfirmaCancelamento(); }
void TfrmInstala::BitBtn5Click() { ConfirmaCancelamento(); }

// Continuar on page 1.
void TfrmInstala::BitBtn3Click() { MostraPagina(Pagina::Diretorio); }
// Continuar on page 2.
void TfrmInstala::BitBtn4Click() { MostraPagina(Pagina::Instala); }
// Voltar on page 2.
void TfrmInstala::BitBtn8Click() { MostraPagina(Pagina::Inicio); }
// Voltar on page 3.
void TfrmInstala::BitBtn7Click() { MostraPagina(Pagina::Diretorio); }

// Instalar on page 3.
void TfrmInstala::BitBtn6Click() {
    // The installation run is started here.
}

}  // namespace qel
