// The program's entry: reads the command line and hands the program to one of the two
// faces of the installation run, the wizard or the unattended installation (/silent).
#include <windows.h>
#include <commctrl.h>

#include <exception>
#include <memory>

#include "engine/LoggedUi.h"
#include "engine/RunChecks.h"
#include "engine/udmInstaladorQel.h"
#include "platform/CommonControls.h"
#include "platform/Handles.h"
#include "unattended/ProgramStart.h"
#include "unattended/SilentInstall.h"
#include "wizard/EventLoop.h"
#include "wizard/Instalador_NEW.h"
#include "wizard/MessageDialog.h"
#include "wizard/StartupFailure.h"

namespace {

// /type and /dir without /silent: the wizard opens with them chosen.
void PreencheAssistente(qel::TfrmInstala& frm, const qel::Opcoes& linha) {
    const std::string pasta = linha.pasta.value_or(qel::kPastaPadrao);
    if (linha.pasta) frm.DefinePastaInstalacao(pasta);
    if (linha.tipo) frm.DefineTipoInstalacao(qel::TipoParaPasta(*linha.tipo, pasta));
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    const std::string argumentos = qel::ArgumentosDoPrograma(GetCommandLineA());
    const qel::Opcoes linha = qel::InterpretaLinhaDeComando(argumentos);
    if (linha.silenciosa) return qel::InstalacaoSilenciosa(linha, argumentos);

    // 1. The user-interface framework: COM for ADO and the shell, the common controls.
    qel::ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    qel::comctl::InitCommonControlsEx(icc);
    // The usage, what was not understood, and the log, when anything was asked for.
    std::unique_ptr<qel::InstallLog> log;
    if (!linha.Vazia()) {
        const auto mostra = [](const std::string& texto, qel::TipoMensagem tipo) {
            qel::MostraMensagem(nullptr, texto, tipo, qel::BotoesMensagem::Ok);
        };
        if (const auto codigo = qel::Preliminares(linha, argumentos, log, mostra)) return *codigo;
    }
    try {
        // 2. The wizard window (FormCreate runs while it is created), not shown yet.
        qel::TfrmInstala frmInstala(instance);
        // 3. The data module, after the window.
        qel::TdmInstalaQel dmInstalaQel;
        frmInstala.SetDataModule(&dmInstalaQel);
        qel::LoggedUi porta(frmInstala, log.get());
        frmInstala.UsaPorta(&porta);
        PreencheAssistente(frmInstala, linha);
        // 4. The event loop, until the window closes.
        frmInstala.Show();
        qel::RunEventLoop(&frmInstala);
        qel::RegistraFim(log.get(), frmInstala.DesfechoFinal());
        return qel::CodigoDeSaida(frmInstala.DesfechoFinal());
    } catch (const std::exception& e) {
        if (log) log->Registra("Mensagem (falha na partida)", qel::TextoDaCaixaDeFalha(e.what()));
        qel::ReportStartupFailure(e.what());
        qel::RegistraFim(log.get(), qel::Desfecho::OutraFalha);
        return qel::CodigoDeSaida(qel::Desfecho::OutraFalha);
    }
}
