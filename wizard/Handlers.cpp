// The handlers of the wizard's eight buttons. Each runs through the failure box's
// wrapper (TfrmInstala::ExecutaManipulador), which also keeps a second handler from
// starting while one runs or while an installation run works.
#include "wizard/Instalador_NEW.h"

#include "engine/InstallationRun.h"
#include "platform/Failure.h"
#include "engine/RunChecks.h"
#include "wizard/PageFlow.h"
#include "engine/udmInstaladorQel.h"

namespace qel {

// Cancelar on any page: asks, and closes the window on Yes only.
void TfrmInstala::ConfirmaCancelamento() { qel::ConfirmaCancelamento(Porta()); }

void TfrmInstala::BitBtn1Click() { ConfirmaCancelamento(); }
void TfrmInstala::BitBtn2Click() { ConfirmaCancelamento(); }
void TfrmInstala::BitBtn5Click() { ConfirmaCancelamento(); }

// Continuar on page 1: the medium check. A check that closes the window gives the
// program's exit code, as a run does.
void TfrmInstala::BitBtn3Click() {
    if (!VerificaMidia(estado_, Porta())) desfecho_ = Desfecho::MidiaIncompleta;
}
// Continuar on page 2: the install folder check.
void TfrmInstala::BitBtn4Click() {
    if (!VerificaPastaInstalacao(Porta()) && closeRequested_) desfecho_ = Desfecho::PastaInadequada;
}
// Voltar on page 2 and on page 3: no check going back.
void TfrmInstala::BitBtn8Click() { MostraPagina(Pagina::Inicio); }
void TfrmInstala::BitBtn7Click() { MostraPagina(Pagina::Diretorio); }

// Instalar on page 3: the run works on a thread of its own, with a probe connection of
// its own: every ADO object it uses is made there. The data module made at start-up stays
// what it is, the start-up's check that the ADO run-time is there.
void TfrmInstala::BitBtn6Click() {
    if (!dm_) throw Failure("The data module does not exist yet");
    ExecutaEmLinhaPropria([this](UiPort& porta) {
        TdmInstalaQel dm;
        desfecho_ = ExecutaInstalacao(estado_, dm, porta);
    });
}

}  // namespace qel
