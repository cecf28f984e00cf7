#include "engine/RunChecks.h"

#include "platform/FileSystem.h"

namespace qel {
namespace {

std::string ReduzPares(const std::string& s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        out += s[i];
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\\') ++i;
    }
    return out;
}

// One part of the medium: its marker in the installer's folder and its payload file in the
// current folder. The payload file is looked at only when the marker is there.
bool ParteChegou(const WizardState& estado, const char* marcador, const char* arquivo) {
    return fs::FileExists(ReduzBarrasDuplas(estado.SourceDir + "\\" + marcador)) &&
           fs::FileExists(arquivo);
}

}  // namespace

std::string ReduzBarrasDuplas(const std::string& caminho) {
    if (caminho.rfind("\\\\", 0) == 0) return "\\\\" + ReduzPares(caminho.substr(2));
    return ReduzPares(caminho);
}

int TipoParaPasta(TipoPedido pedido, const std::string& pasta) {
    if (pedido == TipoPedido::Automatico) return fs::FileExists(pasta + "\\QEL.mdb") ? 1 : 0;
    return pedido == TipoPedido::Atualizacao ? 1 : 0;
}

std::string MensagemUnidadeInvisivel(const fs::HiddenDrive& unidade) {
    return "Unidade " + unidade.drive +
           " não está visível para a instalação, que é executada como administrador.\rUtilize o caminho de rede" +
           (unidade.networkPath.empty() ? std::string(" (\\\\servidor\\compartilhamento\\...).")
                                        : ": " + unidade.networkPath);
}

bool VerificaMidia(const WizardState& estado, UiPort& ui, const fs::DriveQueries& unidades) {
    ui.MostraPagina(Pagina::Diretorio);
    const char* falta = !ParteChegou(estado, "disk.1", "QEL.md_")   ? "Disco nº 1 não foi descompactado corretamente"
                        : !ParteChegou(estado, "disk.2", "QEL.ex_") ? "Disco nº 2 não foi descompactado corretamente"
                                                                    : nullptr;
    ui.Relata("Mídia de instalação", (falta ? "incompleta, em " : "ok, em ") + estado.SourceDir);
    if (!falta) return true;
    // A medium on a mapped drive is there for the user, not for the installation.
    const auto invisivel = fs::DriveHiddenByElevation(estado.SourceDir, unidades);
    ui.MostraMensagem(invisivel ? MensagemUnidadeInvisivel(*invisivel) : falta, TipoMensagem::Erro, BotoesMensagem::Ok);
    ui.Fecha();
    return false;
}

bool VerificaPastaInstalacao(UiPort& ui, const fs::DriveQueries& unidades) {
    ui.MostraPagina(Pagina::Instala);
    std::string pasta = ui.PastaInstalacao();
    // A relative name would mean another folder at every step that follows: it becomes
    // the full path it means now, and the field shows that.
    if (!pasta.empty()) {
        const std::string cheia = fs::FullPath(pasta);
        if (cheia != pasta) ui.DefinePastaInstalacao(cheia);
        pasta = cheia;
    }
    if (fs::DirectoryExists(pasta)) {
        ui.Relata("Pasta de instalação", pasta);
        return true;
    }
    const bool criada = fs::ForceDirectories(pasta);
    ui.Relata("Pasta de instalação", pasta + (criada ? " (criada)" : " (não pôde ser criada)"));
    if (!criada) {
        // A mapped drive the installation does not see: its network path works, and the
        // user can type it on page 2.
        if (const auto invisivel = fs::DriveHiddenByElevation(pasta, unidades)) {
            ui.MostraMensagem(MensagemUnidadeInvisivel(*invisivel), TipoMensagem::Erro, BotoesMensagem::Ok);
            ui.MostraPagina(Pagina::Diretorio);
            return false;
        }
        ui.MostraMensagem("Diretório não pôde ser criado!", TipoMensagem::Erro, BotoesMensagem::Ok);
        ui.Fecha();
    }
    return criada;
}

}  // namespace qel
