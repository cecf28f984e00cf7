#include "wizard/PageFlow.h"

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

void ConfirmaCancelamento(UiPort& ui) {
    if (ui.MostraMensagem("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao,
                          BotoesMensagem::SimNao) == RespostaMensagem::Sim)
        ui.Fecha();
}

void VerificaMidia(const WizardState& estado, UiPort& ui) {
    ui.MostraPagina(Pagina::Diretorio);
    if (!ParteChegou(estado, "disk.1", "QEL.md_")) {
        ui.MostraMensagem("Disco nº 1 não foi descompactado corretamente", TipoMensagem::Erro,
                          BotoesMensagem::Ok);
        ui.Fecha();
        return;
    }
    if (!ParteChegou(estado, "disk.2", "QEL.ex_")) {
        ui.MostraMensagem("Disco nº 2 não foi descompactado corretamente", TipoMensagem::Erro,
                          BotoesMensagem::Ok);
        ui.Fecha();
    }
}

void VerificaPastaInstalacao(UiPort& ui) {
    ui.MostraPagina(Pagina::Instala);
    const std::string pasta = ui.PastaInstalacao();
    if (fs::DirectoryExists(pasta)) return;
    if (!fs::ForceDirectories(pasta)) {
        ui.MostraMensagem("Diretório não pôde ser criado!", TipoMensagem::Erro, BotoesMensagem::Ok);
        ui.Fecha();
    }
}

}  // namespace qel
