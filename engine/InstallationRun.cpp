#include "engine/InstallationRun.h"

#include <cctype>
#include <cstdio>
#include <exception>

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

// When QEL wrote into a protected install folder without the rights to, Windows kept its
// writes for that user under VirtualStore: the user's current data may be a second
// QEL.mdb there. An update then stops before anything changes and names both files.
bool SemCopiaVirtual(const WizardState& estado, UiPort& ui) {
    const std::string copia = CopiaVirtualDoBanco(estado);
    if (copia.empty()) return true;
    ui.MostraMensagem(MensagemCopiaVirtual(estado.TargetDir + "\\" + "QEL.mdb", copia), TipoMensagem::Aviso,
                      BotoesMensagem::Ok);
    ui.MostraAnimacao(false);
    return false;
}

// The replacement copies the new database beside the installed one and the installed one
// for its backup; both must fit on the install folder's volume at once.
bool HaEspacoParaSubstituir(const WizardState& estado, UiPort& ui) {
    const auto instalado = fs::FileSize(estado.TargetDir + "\\" + "QEL.mdb");
    const auto novo = fs::FileSize(estado.StagingDir + "\\" + "QEL.mdb");
    const auto livre = fs::FreeSpace(estado.TargetDir);
    if (!instalado || !novo || !livre) return true;  // nothing to measure: the replacement finds out itself
    const std::uint64_t necessario = *instalado + *novo;
    if (*livre >= necessario) return true;
    Erro(ui, MensagemEspaco(necessario, *livre, estado.TargetDir));
    ui.MostraAnimacao(false);
    return false;
}

// Whether the update will replace the database: the installed schema is older. A database
// that cannot be read is left to the version check of the database step, which reports it.
bool SeraSubstituido(const WizardState& estado) {
    try {
        return ComparaVersaoBanco(estado) == 1;
    } catch (const std::exception&) {
        return false;
    }
}

bool PastaDeTrabalhoExiste(const std::string& pasta) {
    return fs::DirectoryExists(pasta) || fs::ForceDirectories(pasta);
}

// A copy into the install folder or the system folder, without the download mark the
// medium's file may carry.
bool Coloca(const std::string& origem, const std::string& destino, const KeepAlive& vivo) {
    if (!fs::CopyOver(origem, destino, vivo)) return false;
    fs::RemoveZoneMark(destino);
    return true;
}

// The update's database step. Returns false when the run must end here with the window
// left open (the failure has been reported).
bool AtualizaBanco(const WizardState& estado, UiPort& ui) {
    ui.MantemResponsiva();
    if (ComparaVersaoBanco(estado) == 1) {
        if (!MigraDados(estado, ui)) return false;
        // Measured again with the rows carried into the new database.
        if (!HaEspacoParaSubstituir(estado, ui)) return false;
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

std::string MensagemBancoNaoPreparado(const std::string& pastaTemporaria) {
    return "Arquivo QEL.mdb não pode ser copiado para " + pastaTemporaria + ".\rVerifique se o arquivo está em uso.";
}

std::string MensagemCopiaVirtual(const std::string& instalado, const std::string& copia) {
    return "Existe outra cópia do banco de dados, gravada pelo Windows para este usuário:\r" + copia +
           "\rBanco de dados da pasta de instalação:\r" + instalado +
           "\rVerifique qual delas contém os dados atuais. A atualização não foi feita.";
}

std::string TextoDeTamanho(std::uint64_t bytes, bool paraCima) {
    constexpr std::uint64_t kKb = 1024, kMb = 1024 * 1024;
    char texto[48];
    if (bytes < kMb) {
        const std::uint64_t kb = paraCima ? (bytes + kKb - 1) / kKb : bytes / kKb;
        std::snprintf(texto, sizeof texto, "%llu KB", static_cast<unsigned long long>(kb));
    } else {
        const std::uint64_t decimos = paraCima ? (bytes * 10 + kMb - 1) / kMb : bytes * 10 / kMb;
        std::snprintf(texto, sizeof texto, "%llu,%llu MB", static_cast<unsigned long long>(decimos / 10),
                      static_cast<unsigned long long>(decimos % 10));
    }
    return texto;
}

std::string MensagemEspaco(std::uint64_t necessario, std::uint64_t livre, const std::string& pasta) {
    return "Espaço em disco insuficiente para atualizar o banco de dados.\rSão necessários " +
           TextoDeTamanho(necessario, true) + " livres em " + pasta + " (disponíveis: " +
           TextoDeTamanho(livre, false) + ").";
}

std::string CopiaVirtualDoBanco(const WizardState& estado) {
    if (estado.VirtualStoreDir.empty() || estado.SystemDir.size() < 2) return {};
    const std::string pasta = fs::FullPath(estado.TargetDir);
    // Windows keeps such copies only for the system drive, under the path without its drive.
    auto letra = [](char c) { return std::toupper(static_cast<unsigned char>(c)); };
    if (pasta.size() < 3 || pasta[1] != ':' || pasta[2] != '\\' || letra(pasta[0]) != letra(estado.SystemDir[0]))
        return {};
    std::string resto = pasta.substr(3);
    while (!resto.empty() && resto.back() == '\\') resto.pop_back();
    const std::string copia = estado.VirtualStoreDir + "\\" + (resto.empty() ? "" : resto + "\\") + "QEL.mdb";
    return fs::FileExists(copia) ? copia : std::string();
}

void ExecutaInstalacao(WizardState& estado, ProbeConnection& dm, UiPort& ui) {
    estado.TargetDir = ui.PastaInstalacao();
    if (ui.MostraMensagem(mensagens::kConfirma, TipoMensagem::Confirmacao, BotoesMensagem::SimNao) !=
        RespostaMensagem::Sim)
        return;

    const int tipo = ui.TipoInstalacao();
    if (!BancoConfereComTipo(estado.TargetDir + "\\" + "QEL.mdb", tipo, ui)) return;
    if (tipo == kAtualizacao && !SemCopiaVirtual(estado, ui)) return;

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
    // Never an earlier attempt's database, into which rows may already have been carried.
    if (!PreparaArquivos(estado, vivo).BancoCopiado()) {
        Erro(ui, MensagemBancoNaoPreparado(estado.StagingDir));
        ui.MostraAnimacao(false);
        return;
    }
    if (tipo == kInstalacaoNova && !InstalaADO(estado, dm, ui)) return;

    ui.Repinta();
    fs::ChangeDir(estado.SourceDir);
    estado.StagingDir = estado.TempDir + "InstQEL";
    if (!fs::ChangeDir(estado.StagingDir)) return ErroEFecha(ui, mensagens::kPastaNaoEncontrada);

    // Checked before the first file in the install folder changes.
    if (tipo == kAtualizacao && SeraSubstituido(estado) && !HaEspacoParaSubstituir(estado, ui)) return;

    if (!Coloca("QEL.exe", estado.TargetDir + "\\" + "QEL.exe", vivo))
        return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.exe"));
    // The support library is never replaced once the system folder has one.
    if (!fs::FileExists(estado.SystemDir + "\\midas.dll")) Coloca("midas.dll", estado.SystemDir + "\\midas.dll", vivo);

    if (tipo == kInstalacaoNova) {
        if (!Coloca("QEL.mdb", estado.TargetDir + "\\" + "QEL.mdb", vivo))
            return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.mdb"));
    } else if (!AtualizaBanco(estado, ui)) {
        return;
    }

    for (const char* ajuda : {"zav2003.chm", "zav2005.chm"})
        if (!Coloca(ajuda, estado.TargetDir + "\\" + ajuda, vivo)) Erro(ui, MensagemArquivoNaoInstalado(ajuda));

    fs::ChangeDir(estado.TempDir);
    if (tipo == kInstalacaoNova) LimpaPasta(estado.AdoStagingDir(), ui);
    LimpaPasta("InstQEL", ui);

    ui.MostraAnimacao(false);
    ui.MostraMensagem(mensagens::kConcluida, TipoMensagem::Informacao, BotoesMensagem::Ok);
    ui.Fecha();
}

}  // namespace qel
