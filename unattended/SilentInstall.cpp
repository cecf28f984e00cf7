#include "unattended/SilentInstall.h"

#include <windows.h>

#include <exception>
#include <memory>

#include "engine/InstallationRun.h"
#include "engine/LoggedUi.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "unattended/ProgramStart.h"
#include "unattended/SessionWindow.h"
#include "unattended/SilentUi.h"
#include "engine/RunChecks.h"
#include "engine/StartState.h"
#include "engine/udmInstaladorQel.h"

namespace qel {
namespace {

const char* NomeDoTipo(int tipo) { return tipo == 1 ? "atualização" : "instalação nova"; }

}  // namespace

int InstalacaoSilenciosa(const Opcoes& linha, const std::string& argumentos) {
    // Nor does the system show anything on the program's behalf: no "insert a disk" box
    // for a drive without its medium, no box when a file cannot be opened, no crash dialog.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    std::unique_ptr<InstallLog> log;
    if (const auto codigo = Preliminares(linha, argumentos, log, {})) return *codigo;
    const Desfecho desfecho = InstalaSemJanela(linha, log.get());
    RegistraFim(log.get(), desfecho);
    return CodigoDeSaida(desfecho);
}

Desfecho InstalaSemJanela(const Opcoes& linha, InstallLog* log) {
    ComApartment com;
    WizardState estado = EstadoDaPartida();
    SilentUi face(linha.pasta.value_or(kPastaPadrao));
    LoggedUi ui(face, log);
    // The payload is looked for where the markers are, not in whatever folder the
    // deployment tool started the program in.
    fs::ChangeDir(estado.SourceDir);
    try {
        // The start-up's check that the ADO run-time is there, as the wizard's.
        TdmInstalaQel dm;
        if (!VerificaMidia(estado, ui)) return Desfecho::MidiaIncompleta;
        if (!VerificaPastaInstalacao(ui)) return Desfecho::PastaInadequada;
        const TipoPedido pedido = linha.tipo.value_or(TipoPedido::Automatico);
        face.DefineTipoInstalacao(TipoParaPasta(pedido, face.PastaInstalacao()));
        ui.Relata("Tipo de instalação", std::string(NomeDoTipo(face.TipoInstalacao())) +
                                            (pedido != TipoPedido::Automatico ? ""
                                             : face.TipoInstalacao() == 1 ? " (auto: a pasta tem QEL.mdb)"
                                                                          : " (auto: a pasta não tem QEL.mdb)"));
        // The run works on a thread of its own, every ADO object it uses made there; this
        // thread answers the system's questions before the end of the session.
        JanelaDaSessao janela(ui);
        face.AoComecarAlteracoes([&janela] { janela.BloqueiaFimDaSessao(); });
        Desfecho desfecho = Desfecho::OutraFalha;
        janela.Executa([&] {
            try {
                TdmInstalaQel dmDaExecucao;
                desfecho = ExecutaInstalacao(estado, dmDaExecucao, ui);
            } catch (const std::exception& falha) {
                ui.MostraFalha(falha.what());
            }
        });
        return desfecho;
    } catch (const std::exception& falha) {
        // The data module without the ADO run-time, or a check's own failure.
        ui.MostraFalha(falha.what());
        return Desfecho::OutraFalha;
    }
}

}  // namespace qel
