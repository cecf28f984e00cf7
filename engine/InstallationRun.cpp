#include "engine/InstallationRun.h"

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/DatabaseReplacement.h"
#include "dbupgrade/VersionCheck.h"
#include "engine/DataAccessPrerequisite.h"
#include "engine/FolderCleanup.h"
#include "engine/PayloadStaging.h"
#include "platform/FileSystem.h"

namespace qel {
namespace {

constexpr int kInstalacaoNova = 0;
constexpr int kAtualizacao = 1;

void Erro(UiPort& ui, const std::string& texto) {
    ui.MostraMensagem(texto, TipoMensagem::Erro, BotoesMensagem::Ok);
}

void ErroEFecha(UiPort& ui, const std::string& texto) {
    Erro(ui, texto);
    ui.Fecha();
}

// The database in the install folder must match the installation type: an update needs
// one, a fresh install must not overwrite one.
bool BancoConfereComTipo(const std::string& banco, int tipo, UiPort& ui) {
    const char* aviso = nullptr;
    if (tipo == kAtualizacao && !fs::FileExists(banco)) aviso = mensagens::kBancoNaoLocalizado;
    if (tipo == kInstalacaoNova && fs::FileExists(banco)) aviso = mensagens::kExisteBanco;
    if (!aviso) return true;
    ui.MostraMensagem(aviso, TipoMensagem::Aviso, BotoesMensagem::Ok);
    ui.MostraAnimacao(false);
    ui.MostraPagina(Pagina::Diretorio);
    return false;
}

bool PastaDeTrabalhoExiste(const std::string& pasta) {
    return fs::DirectoryExists(pasta) || fs::ForceDirectories(pasta);
}

// The update's database step. Returns false when the run must end here with the window
// left open (the failure has been reported).
bool AtualizaBanco(const WizardState& estado, UiPort& ui) {
    ui.MantemResponsiva();
    if (ComparaVersaoBanco(estado) == 1) {
        if (!MigraDados(estado, ui)) return false;
        ui.MantemResponsiva();
        ResultadoSubstituicao r = SubstituiBanco(estado, [&ui] { ui.MantemResponsiva(); });
        if (r != ResultadoSubstituicao::Substituido) {
            Erro(ui, MensagemSubstituicao(r));
            ui.MostraAnimacao(false);
            return false;
        }
        return true;
    }
    // Asked again on purpose: only a database still of the same version gets the stamp.
    if (ComparaVersaoBanco(estado) == 0) AtualizaVersaoSistema(estado);
    return true;
}

}  // namespace

std::string MensagemArquivoNaoInstalado(const std::string& nome) {
    return "Arquivo " + nome + " não pode ser instalado.\rVerifique se o arquivo está em uso.";
}

void ExecutaInstalacao(WizardState& estado, ProbeConnection& dm, UiPort& ui) {
    estado.TargetDir = ui.PastaInstalacao();
    if (ui.MostraMensagem(mensagens::kConfirma, TipoMensagem::Confirmacao, BotoesMensagem::SimNao) !=
        RespostaMensagem::Sim)
        return;

    const int tipo = ui.TipoInstalacao();
    if (!BancoConfereComTipo(estado.TargetDir + "\\" + "QEL.mdb", tipo, ui)) return;

    ui.MostraAguarde();
    ui.Repinta();
    ui.ProcessaMensagens();
    ui.MostraAnimacao(true);

    if (!fs::ChangeDir(estado.SourceDir)) return ErroEFecha(ui, mensagens::kPastaNaoEncontrada);
    estado.StagingDir = estado.TempDir + "InstQEL";
    if (!PastaDeTrabalhoExiste(estado.StagingDir)) return ErroEFecha(ui, mensagens::kTemporarioNaoCriado);

    // Every long step below keeps the window answering (painting, the system's queries,
    // the animation) through this call.
    const KeepAlive vivo = [&ui] { ui.MantemResponsiva(); };
    PreparaArquivos(estado, vivo);
    if (tipo == kInstalacaoNova && !InstalaADO(estado, dm, ui)) return;

    ui.Repinta();
    fs::ChangeDir(estado.SourceDir);
    estado.StagingDir = estado.TempDir + "InstQEL";
    if (!fs::ChangeDir(estado.StagingDir)) return ErroEFecha(ui, mensagens::kPastaNaoEncontrada);

    if (!fs::CopyOver("QEL.exe", estado.TargetDir + "\\" + "QEL.exe", vivo))
        return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.exe"));
    // The support library is never replaced once the system folder has one.
    if (!fs::FileExists(estado.SystemDir + "\\midas.dll")) fs::CopyOver("midas.dll", estado.SystemDir + "\\midas.dll", vivo);

    if (tipo == kInstalacaoNova) {
        if (!fs::CopyOver("QEL.mdb", estado.TargetDir + "\\" + "QEL.mdb", vivo))
            return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.mdb"));
    } else if (!AtualizaBanco(estado, ui)) {
        return;
    }

    for (const char* ajuda : {"zav2003.chm", "zav2005.chm"})
        if (!fs::CopyOver(ajuda, estado.TargetDir + "\\" + ajuda, vivo)) Erro(ui, MensagemArquivoNaoInstalado(ajuda));

    fs::ChangeDir(estado.TempDir);
    if (tipo == kInstalacaoNova) LimpaPasta(estado.AdoStagingDir(), ui);
    LimpaPasta("InstQEL", ui);

    ui.MostraAnimacao(false);
    ui.MostraMensagem(mensagens::kConcluida, TipoMensagem::Informacao, BotoesMensagem::Ok);
    ui.Fecha();
}

}  // namespace qel
