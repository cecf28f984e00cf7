#include "engine/FilePlacement.h"

#include <utility>

#include "platform/DurableFile.h"
#include "platform/ErrorText.h"
#include "platform/FileSystem.h"
#include "platform/Retry.h"
#include "platform/TemporaryFiles.h"

namespace qel {

namespace {

constexpr const char* kBiblioteca = "midas.dll";

void Relata(UiPort& ui, const std::string& nome, const std::string& resultado) {
    ui.Relata("Cópia de " + nome, resultado);
}

std::string Falhou(const std::string& onde, DWORD erro) {
    return "falhou, em " + onde + ": " + text::SystemErrorText(erro, onde);
}

}  // namespace

ColocacaoDeArquivos::ColocacaoDeArquivos(std::string pasta, KeepAlive vivo, UiPort& ui,
                                         const std::vector<std::string>& tambem)
    : pasta_(std::move(pasta)), vivo_(std::move(vivo)), ui_(ui) {
    std::string removidos;
    for (const std::string& nome : fs::RemoveLeftovers(pasta_, tambem)) removidos += (removidos.empty() ? "" : ", ") + nome;
    if (!removidos.empty()) ui_.Relata("Arquivos temporários de uma instalação interrompida", "removidos de " + pasta_ + ": " + removidos);
}

ColocacaoDeArquivos::~ColocacaoDeArquivos() {
    reservas_.clear();
    for (const auto& [nome, estado] : arquivos_)
        if (estado == Estado::Preparado) fs::Remove(Provisorio(nome));
}

std::string ColocacaoDeArquivos::Provisorio(const std::string& nome) const { return fs::TemporaryName(pasta_, nome); }

void ColocacaoDeArquivos::Falha(const std::string& nome, DWORD erro) {
    arquivos_[nome] = Estado::Falhou;
    Relata(ui_, nome, Falhou(Destino(nome), erro));
}

bool ColocacaoDeArquivos::Prepara(const std::string& nome) {
    const UniqueHandle origem = fs::OpenForReading(nome, FILE_SHARE_READ);
    if (origem && fs::CopyFlushed(origem.get(), Provisorio(nome), vivo_)) {
        arquivos_[nome] = Estado::Preparado;
        return true;
    }
    Falha(nome, GetLastError());
    return false;
}

bool ColocacaoDeArquivos::Reserva(const std::string& nome) {
    if (fs::Attributes(Destino(nome)) == INVALID_FILE_ATTRIBUTES) return true;  // nothing there to hold
    UniqueHandle arquivo = fs::OpenToReplace(Destino(nome), vivo_);
    if (!arquivo) {
        const DWORD erro = GetLastError();
        fs::Remove(Provisorio(nome));
        Falha(nome, erro);
        return false;
    }
    reservas_[nome] = std::move(arquivo);
    return true;
}

DWORD ColocacaoDeArquivos::Renomeia(const std::string& nome, bool substitui) {
    // Let go of the file to be replaced at the last moment: the rename needs it free.
    reservas_.erase(nome);
    if (!fs::MoveWriteThrough(Provisorio(nome), Destino(nome), substitui)) return GetLastError();
    arquivos_[nome] = Estado::Colocado;
    // The file replaced may have carried a download mark; the new one must not.
    fs::RemoveZoneMark(Destino(nome));
    return 0;
}

bool ColocacaoDeArquivos::RenomeiaNoReinicio(const std::string& nome) {
    if (!fs::MoveAtRestart(Provisorio(nome), Destino(nome))) return false;
    arquivos_[nome] = Estado::NoReinicio;
    return true;
}

bool ColocacaoDeArquivos::Coloca(const std::string& nome, bool substitui) {
    const auto visto = arquivos_.find(nome);
    if (visto == arquivos_.end() ? !Prepara(nome) : visto->second == Estado::Falhou) return false;
    if (const DWORD erro = Renomeia(nome, substitui)) {
        fs::Remove(Provisorio(nome));
        Falha(nome, erro);
        return false;
    }
    Relata(ui_, nome, "ok, em " + Destino(nome));
    return true;
}

ResultadoBiblioteca ColocaBiblioteca(const WizardState& estado, const KeepAlive& vivo, UiPort& ui) {
    ColocacaoDeArquivos sistema(estado.SystemDir, vivo, ui);
    const std::string destino = sistema.Destino(kBiblioteca);
    const std::string mantida = "mantida a de " + estado.SystemDir;
    if (fs::FileExists(destino)) {
        Relata(ui, kBiblioteca, mantida);
        return ResultadoBiblioteca::Mantida;
    }
    if (!sistema.Prepara(kBiblioteca)) return ResultadoBiblioteca::Falhou;
    DWORD erro = sistema.Renomeia(kBiblioteca, false);
    if (erro == 0) {
        Relata(ui, kBiblioteca, "ok, em " + destino);
        return ResultadoBiblioteca::Colocada;
    }
    // Another setup put one there meanwhile: never replaced.
    if (fs::FileExists(destino)) {
        Relata(ui, kBiblioteca, mantida + " (colocada por outro programa durante a instalação)");
        return ResultadoBiblioteca::Mantida;
    }
    // The name is taken by a file that cannot be seen or had: a library deleted while a
    // running program still has it loaded keeps its name until that program ends.
    const bool emUso = erro == ERROR_ALREADY_EXISTS || erro == ERROR_FILE_EXISTS || fs::IsMomentaryHold(erro);
    if (emUso) {
        if (sistema.RenomeiaNoReinicio(kBiblioteca)) {
            Relata(ui, kBiblioteca,
                   "em uso em " + estado.SystemDir + " (" + text::SystemErrorText(erro, destino) +
                       "): a nova fica em " + sistema.Provisorio(kBiblioteca) +
                       " e será colocada no lugar ao reiniciar o computador");
            return ResultadoBiblioteca::NoReinicio;
        }
        erro = GetLastError();
    }
    Relata(ui, kBiblioteca, Falhou(destino, erro));
    return ResultadoBiblioteca::Falhou;
}

}  // namespace qel
