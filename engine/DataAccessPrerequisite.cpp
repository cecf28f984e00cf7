#include "engine/DataAccessPrerequisite.h"

#include <exception>

#include "core/Cronometro.h"
#include "engine/ExternalSetup.h"
#include "engine/StagingFolder.h"
#include "platform/ErrorText.h"
#include "platform/FileSystem.h"

namespace qel {
namespace {

using Fim = ResultadoAdo::Fim;

ResultadoAdo FalhaComFechamento(UiPort& ui, const std::string& texto, Fim fim) {
    ui.MostraMensagem(texto, TipoMensagem::Erro, BotoesMensagem::Ok);
    ui.Fecha();
    return {fim};
}

ResultadoAdo FalhaComJanelaAberta(UiPort& ui, const std::string& texto, Fim fim) {
    ui.MostraMensagem(texto, TipoMensagem::Erro, BotoesMensagem::Ok);
    ui.MostraAnimacao(false);
    return {fim};
}

// Whether the probe connection opens the staged database. Any failure counts as "no": a
// missing provider and a missing or damaged file are the same to the user.
bool ProvaAbre(db::Connection& conexao) {
    try {
        conexao.Connect();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}  // namespace

std::string MensagemAdoNaoIniciado(DWORD erro) {
    return std::string("Componentes de acesso a dados não foram instalados.\r") + "O programa " + kProgramaDoAdo +
           " não pôde ser executado: " + text::SystemErrorText(erro, kProgramaDoAdo);
}

ResultadoAdo InstalaADO(const WizardState& estado, ProbeConnection& dm, UiPort& ui) {
    const Cronometro cronometro;
    const std::string pastaAdo = estado.AdoStagingDir();
    // Held until the setup has ended: what it runs is what was staged.
    const PastaTemporaria pasta = CriaPastaTemporaria(pastaAdo);
    if (pasta.falha == PastaTemporaria::Falha::NaoRemovida)
        return FalhaComJanelaAberta(ui, MensagemPastaNaoRemovida(pastaAdo), Fim::PastaNaoRemovida);
    if (!pasta)
        return FalhaComFechamento(ui, "Diretório temporário de instalação não pôde ser criado!", Fim::PastaNaoCriada);

    for (const char* nome : ArquivosADO) {
        if (!fs::FileExists(nome)) continue;
        const std::string copia = pastaAdo + "\\" + nome;
        if (!fs::CopyOver(nome, copia))
            return FalhaComJanelaAberta(ui, MensagemArquivoNaoPreparado(nome, pastaAdo), Fim::ArquivoNaoCopiado);
        fs::ClearReadOnly(copia);
    }
    fs::ChangeDir(pastaAdo);

    dm.ConfiguraConexao(estado.TempDir + "InstQEL" + "\\" + "qel.mdb");
    db::Connection& conexao = dm.adoInstalaQel();
    const bool abre = ProvaAbre(conexao);
    if (!abre) {
        if (!fs::FileExists(estado.SourceDir + "disk.3")) {
            fs::ChangeDir(estado.SourceDir);
            return FalhaComFechamento(ui, "Disco nº 1 do ADO não foi descompactado corretamente", Fim::DiscoAusente);
        }
        if (!fs::FileExists(estado.SourceDir + "disk.4")) {
            fs::ChangeDir(estado.SourceDir);
            return FalhaComFechamento(ui, "Disco nº 2 do ADO não foi descompactado corretamente", Fim::DiscoAusente);
        }
        // How the setup ends is its own business; the open is not tried again. One that
        // could not even start leaves a machine that cannot open the database. The setup
        // changes the system folder; every message it sends to this thread is answered
        // while it runs.
        ui.ComecaAlteracoes();
        if (!ExecutaEAguarda(pastaAdo, kProgramaDoAdo, "/qnt", SW_HIDE)) {
            const DWORD erro = GetLastError();
            fs::ChangeDir(estado.SourceDir);
            return FalhaComFechamento(ui, MensagemAdoNaoIniciado(erro), Fim::SetupNaoIniciado);
        }
    }
    ui.RelataEtapa("Componentes de acesso a dados",
                   abre ? "o banco de dados abre, nada a instalar" : std::string(kProgramaDoAdo) + " /qnt executado",
                   cronometro.Decorrido());
    try {
        conexao.Disconnect();
    } catch (const std::exception&) {
        // Closing a probe that may never have opened has nothing to report.
    }
    return {abre ? Fim::BancoAbre : Fim::SetupExecutado};
}

}  // namespace qel
