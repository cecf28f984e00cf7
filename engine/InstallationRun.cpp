#include "engine/InstallationRun.h"

#include <cctype>
#include <cstdio>
#include <exception>

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/DatabaseReplacement.h"
#include "dbupgrade/VersionCheck.h"
#include "engine/DataAccessPrerequisite.h"
#include "engine/FilePlacement.h"
#include "engine/FolderCleanup.h"
#include "engine/InstallGuard.h"
#include "engine/PayloadStaging.h"
#include "engine/RunProgress.h"
#include "engine/StagingFolder.h"
#include "platform/ErrorText.h"
#include "platform/FileSystem.h"

namespace qel {
namespace {

constexpr int kInstalacaoNova = 0;
constexpr int kAtualizacao = 1;
constexpr const char* kAjudas[] = {"zav2003.chm", "zav2005.chm"};

void Erro(UiPort& ui, const std::string& texto) {
    ui.MostraMensagem(texto, TipoMensagem::Erro, BotoesMensagem::Ok);
}

Desfecho ErroEFecha(UiPort& ui, const std::string& texto, Desfecho desfecho) {
    Erro(ui, texto);
    ui.Fecha();
    return desfecho;
}

// An error of the run after which the window stays open on page 3, the animation stopped.
Desfecho ErroEPara(UiPort& ui, const std::string& texto, Desfecho desfecho) {
    Erro(ui, texto);
    ui.MostraAnimacao(false);
    return desfecho;
}

// A database step that failed: the installed database is in use when another program
// has it open now, otherwise it is the database's own failure.
Desfecho DesfechoDoBanco(const WizardState& estado) {
    return fs::HeldByAnother(estado.TargetDir + "\\" + "QEL.mdb") ? Desfecho::BancoEmUso : Desfecho::FalhaNoBanco;
}

Desfecho DesfechoDoAdo(ResultadoAdo ado) {
    switch (ado.fim) {
        case ResultadoAdo::Fim::DiscoAusente: return Desfecho::MidiaIncompleta;
        case ResultadoAdo::Fim::SetupNaoIniciado: return Desfecho::AcessoADadosNaoInstalado;
        case ResultadoAdo::Fim::ArquivoNaoCopiado: return Desfecho::ArquivoNaoInstalado;
        default: return Desfecho::OutraFalha;
    }
}

// Which files of the medium the staging copied, for the log.
std::string ArquivosPreparados(const ResultadoPreparo& preparo, const std::string& pasta) {
    std::string faltam;
    for (size_t i = 0; i < kArquivosPreparados.size(); ++i)
        if (!preparo.copiado[i]) faltam += std::string(faltam.empty() ? "" : ", ") + kArquivosPreparados[i].origem;
    return faltam.empty() ? "ok, em " + pasta : "não copiados para " + pasta + ": " + faltam;
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
    ErroEPara(ui, MensagemEspaco(necessario, *livre, estado.TargetDir), Desfecho::BancoNaoSubstituido);
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

// The update's database step. Anything but Concluida ends the run with the window left
// open (the failure has been reported). `aviso` gets the completion message's line about
// texts the carry-over cut, when it cut any.
Desfecho AtualizaBanco(const WizardState& estado, UiPort& ui, AndamentoDaExecucao& andamento, std::string& aviso) {
    andamento.Comeca(Etapa::VersaoDoBanco);
    if (ComparaVersaoBanco(estado) == 1) {
        andamento.Relata("Versão do banco", "mais antiga que " + estado.VersaoBanco + ": os dados serão migrados");
        andamento.Comeca(Etapa::Migracao);
        bool emUso = false;
        std::vector<TextosEncurtados> encurtados;
        const auto avanco = [&andamento](std::size_t tabela, long lidas, long total) {
            andamento.Tabela(tabela, kTabelasMigradas.size(), kTabelasMigradas[tabela], lidas, total);
        };
        if (!MigraDados(estado, ui, &emUso, &encurtados, avanco))
            return emUso ? Desfecho::BancoEmUso : Desfecho::FalhaNoBanco;
        // Measured again with the rows carried into the new database.
        if (!HaEspacoParaSubstituir(estado, ui)) return Desfecho::BancoNaoSubstituido;
        andamento.Comeca(Etapa::Substituicao);
        SYSTEMTIME agora;
        GetLocalTime(&agora);
        const std::string backup = NomeBackup("QEL.mdb", agora);
        const ResultadoSubstituicao r = SubstituiBanco(estado, agora);
        if (r == ResultadoSubstituicao::Incerto) andamento.Relata("Cópia de segurança do banco", backup + " (mantida)");
        if (r != ResultadoSubstituicao::Substituido)
            // Uncertain: the installed database cannot be said to be unchanged.
            return ErroEPara(ui, MensagemSubstituicao(r),
                             r == ResultadoSubstituicao::Incerto ? Desfecho::OutraFalha : Desfecho::BancoNaoSubstituido);
        andamento.Relata("Cópia de segurança do banco", backup);
        andamento.Relata("Substituição do banco", "ok");
        if (!encurtados.empty()) aviso = AvisoDeTextosEncurtados(backup);
        return Desfecho::Concluida;
    }
    // Asked again on purpose: only a database still of the same version gets the stamp.
    if (ComparaVersaoBanco(estado) == 0) {
        AtualizaVersaoSistema(estado);
        andamento.Relata("Versão do banco", "igual a " + estado.VersaoBanco + ": versão do sistema " +
                                                estado.VersaoSistema + " registrada");
    } else {
        andamento.Relata("Versão do banco", "mais nova que " + estado.VersaoBanco + ": banco mantido");
    }
    return Desfecho::Concluida;
}

// The run; `seFalhar` tells what a failure that escapes the step under way means.
Desfecho Instala(WizardState& estado, ProbeConnection& dm, UiPort& ui, Desfecho& seFalhar) {
    estado.TargetDir = ui.PastaInstalacao();
    if (ui.MostraMensagem(mensagens::kConfirma, TipoMensagem::Confirmacao, BotoesMensagem::SimNao) !=
        RespostaMensagem::Sim)
        return Desfecho::Cancelada;

    const int tipo = ui.TipoInstalacao();
    ui.Relata("Instalação", (tipo == kAtualizacao ? "atualização em " : "instalação nova em ") + estado.TargetDir);
    // One run at a time for the install folder, and for the staging folder all runs of
    // this user share, whichever process or face started it.
    std::string ocupada;
    const auto trava = InstallGuard::Take({estado.TargetDir, estado.TempDir + "InstQEL"}, ocupada);
    if (!trava) return ErroEFecha(ui, MensagemOutraInstalacao(ocupada), Desfecho::OutraInstalacao);

    if (!BancoConfereComTipo(estado.TargetDir + "\\" + "QEL.mdb", tipo, ui)) return Desfecho::PastaInadequada;
    if (tipo == kAtualizacao && !SemCopiaVirtual(estado, ui)) return Desfecho::PastaInadequada;

    ui.MostraAguarde();
    ui.Repinta();
    ui.MostraAnimacao(true);
    AndamentoDaExecucao andamento(ui, tipo == kAtualizacao);

    if (!fs::ChangeDir(estado.SourceDir))
        return ErroEFecha(ui, mensagens::kPastaNaoEncontrada, Desfecho::MidiaIncompleta);
    estado.StagingDir = estado.TempDir + "InstQEL";
    // Made anew and held until the cleanup: nothing but this run's copies is ever in it.
    PastaTemporaria pastaDeTrabalho = CriaPastaTemporaria(estado.StagingDir);
    if (pastaDeTrabalho.falha == PastaTemporaria::Falha::NaoRemovida)
        return ErroEPara(ui, MensagemPastaNaoRemovida(estado.StagingDir), Desfecho::OutraFalha);
    if (!pastaDeTrabalho) return ErroEFecha(ui, mensagens::kTemporarioNaoCriado, Desfecho::OutraFalha);

    andamento.Comeca(Etapa::Preparacao);
    const ResultadoPreparo preparo = PreparaArquivos(estado);
    andamento.Relata("Preparação dos arquivos", ArquivosPreparados(preparo, estado.StagingDir));
    // Everything the run installs comes from the staging folder, as copied just now.
    if (const char* falhou = preparo.Falhou())
        return ErroEPara(ui, MensagemArquivoNaoPreparado(falhou, estado.StagingDir), Desfecho::ArquivoNaoInstalado);
    bool reiniciar = false;
    bool alterando = false;  // the faces were told that the changes began
    if (tipo == kInstalacaoNova) {
        andamento.Comeca(Etapa::AcessoADados);
        const ResultadoAdo ado = InstalaADO(estado, dm, ui);
        if (!ado) return DesfechoDoAdo(ado);
        // A setup that ran changed the system folder, and told the faces before it started.
        alterando = reiniciar = ado.fim == ResultadoAdo::Fim::SetupExecutado;
    }

    ui.Repinta();
    fs::ChangeDir(estado.SourceDir);
    estado.StagingDir = estado.TempDir + "InstQEL";
    if (!fs::ChangeDir(estado.StagingDir))
        return ErroEFecha(ui, mensagens::kPastaNaoEncontrada, Desfecho::OutraFalha);

    // Checked before the first file in the install folder changes.
    if (tipo == kAtualizacao && SeraSubstituido(estado) && !HaEspacoParaSubstituir(estado, ui))
        return Desfecho::BancoNaoSubstituido;

    // From here the install folder and the system folder change (what an interrupted run
    // left goes first): the faces hold off the end of the Windows session until the run
    // has ended.
    if (!alterando) ui.ComecaAlteracoes();
    // Every file is written whole beside its place first. In an update the program and the
    // help files take their names only once the database step has succeeded, and nobody
    // can start the old program meanwhile; in a fresh install the database goes in last: a
    // folder without it is an installation that did not happen.
    andamento.Comeca(Etapa::Programa);
    ColocacaoDeArquivos novos(estado.TargetDir, ui, {kNovoProvisorio, kBackupProvisorio});
    if (!novos.Prepara("QEL.exe") || !(tipo == kAtualizacao ? novos.Reserva("QEL.exe") : novos.Coloca("QEL.exe")))
        return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.exe"), Desfecho::ArquivoNaoInstalado);
    for (const char* ajuda : kAjudas) novos.Prepara(ajuda);
    andamento.Comeca(Etapa::Biblioteca);
    if (ColocaBiblioteca(estado, ui) == ResultadoBiblioteca::NoReinicio) reiniciar = true;

    std::string aviso;  // a further line of the completion message
    // A help file that cannot be placed is reported and the run goes on, but it did not
    // install everything.
    Desfecho desfecho = reiniciar ? Desfecho::ConcluidaReiniciar : Desfecho::Concluida;
    auto colocaAjudas = [&] {
        andamento.Comeca(Etapa::Ajuda);
        for (const char* ajuda : kAjudas)
            if (!novos.Coloca(ajuda)) {
                Erro(ui, MensagemArquivoNaoInstalado(ajuda));
                desfecho = Desfecho::ArquivoNaoInstalado;
            }
    };
    if (tipo == kInstalacaoNova) {
        colocaAjudas();
        // Never over a database that appeared meanwhile.
        andamento.Comeca(Etapa::Banco);
        if (!novos.Coloca("QEL.mdb", false))
            return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.mdb"), Desfecho::ArquivoNaoInstalado);
    } else {
        seFalhar = Desfecho::FalhaNoBanco;
        const Desfecho banco = AtualizaBanco(estado, ui, andamento, aviso);
        if (banco != Desfecho::Concluida) return banco;
        seFalhar = Desfecho::OutraFalha;
        // The program written before the database step takes its name now.
        andamento.Comeca(Etapa::Programa);
        if (!novos.Coloca("QEL.exe"))
            return ErroEFecha(ui, MensagemArquivoNaoInstalado("QEL.exe"), Desfecho::ArquivoNaoInstalado);
        colocaAjudas();
    }

    andamento.Comeca(Etapa::Limpeza);
    fs::ChangeDir(estado.TempDir);
    pastaDeTrabalho.pasta->Release();
    if (tipo == kInstalacaoNova) LimpaPasta(estado.AdoStagingDir());
    LimpaPasta("InstQEL");
    andamento.Relata("Limpeza das pastas temporárias", "ok");

    ui.MostraAnimacao(false);
    ui.MostraMensagem(aviso.empty() ? mensagens::kConcluida : mensagens::kConcluida + ("\r" + aviso),
                      TipoMensagem::Informacao, BotoesMensagem::Ok);
    ui.Fecha();
    return desfecho;
}

}  // namespace

std::string MensagemArquivoNaoInstalado(const std::string& nome) {
    return "Arquivo " + nome + " não pode ser instalado.\rVerifique se o arquivo está em uso.";
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

Desfecho ExecutaInstalacao(WizardState& estado, ProbeConnection& dm, UiPort& ui) {
    Desfecho seFalhar = Desfecho::OutraFalha;
    // Told before the failure box, which may stay open while another program lets go.
    auto desfecho = [&] { return seFalhar == Desfecho::FalhaNoBanco ? DesfechoDoBanco(estado) : seFalhar; };
    try {
        return Instala(estado, dm, ui, seFalhar);
    } catch (const std::exception& falha) {
        const Desfecho d = desfecho();
        ui.MostraFalha(falha.what());
        return d;
    } catch (...) {
        const Desfecho d = desfecho();
        ui.MostraFalha("Unexpected failure");
        return d;
    }
}

}  // namespace qel
