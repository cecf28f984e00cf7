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

std::string Falhou(const std::string& onde, DWORD erro) {
    return "falhou, em " + onde + ": " + text::SystemErrorText(erro, onde);
}

}  // namespace

ColocacaoDeArquivos::ColocacaoDeArquivos(std::string pasta, UiPort& ui, const std::vector<std::string>& tambem)
    : pasta_(std::move(pasta)), ui_(ui) {
    const Cronometro cronometro;
    std::string removidos;
    for (const std::string& nome : fs::RemoveLeftovers(pasta_, tambem)) removidos += (removidos.empty() ? "" : ", ") + nome;
    if (!removidos.empty())
        ui_.RelataEtapa("Arquivos temporários de uma instalação interrompida", "removidos de " + pasta_ + ": " + removidos,
                        cronometro.Decorrido());
}

ColocacaoDeArquivos::~ColocacaoDeArquivos() {
    reservas_.clear();
    for (const auto& [nome, estado] : arquivos_)
        if (estado == Estado::Preparado) fs::Remove(Provisorio(nome));
}

std::string ColocacaoDeArquivos::Provisorio(const std::string& nome) const { return fs::TemporaryName(pasta_, nome); }

void ColocacaoDeArquivos::Relata(const std::string& nome, const std::string& resultado) {
    ui_.RelataEtapa("Cópia de " + nome, resultado, gasto_[nome]);
}

void ColocacaoDeArquivos::Falha(const std::string& nome, DWORD erro) {
    arquivos_[nome] = Estado::Falhou;
    Relata(nome, Falhou(Destino(nome), erro));
}

bool ColocacaoDeArquivos::Prepara(const std::string& nome) {
    const Cronometro cronometro;
    bool preparado = false;
    DWORD erro = 0;
    {
        const UniqueHandle origem = fs::OpenForReading(nome, FILE_SHARE_READ);
        preparado = origem && fs::CopyFlushed(origem.get(), Provisorio(nome));
        if (!preparado) erro = GetLastError();
    }
    Conta(nome, cronometro);
    if (preparado) {
        arquivos_[nome] = Estado::Preparado;
        return true;
    }
    Falha(nome, erro);
    return false;
}

bool ColocacaoDeArquivos::Reserva(const std::string& nome) {
    if (fs::Attributes(Destino(nome)) == INVALID_FILE_ATTRIBUTES) return true;  // nothing there to hold
    const Cronometro cronometro;
    UniqueHandle arquivo = fs::OpenToReplace(Destino(nome));
    if (!arquivo) {
        const DWORD erro = GetLastError();
        fs::Remove(Provisorio(nome));
        Conta(nome, cronometro);
        Falha(nome, erro);
        return false;
    }
    reservas_[nome] = std::move(arquivo);
    Conta(nome, cronometro);
    return true;
}

DWORD ColocacaoDeArquivos::Renomeia(const std::string& nome, bool substitui) {
    const Cronometro cronometro;
    // Let go of the file to be replaced at the last moment: the rename needs it free.
    reservas_.erase(nome);
    DWORD erro = 0;
    if (!fs::MoveWriteThrough(Provisorio(nome), Destino(nome), substitui)) {
        erro = GetLastError();
    } else {
        arquivos_[nome] = Estado::Colocado;
        // The file replaced may have carried a download mark; the new one must not.
        fs::RemoveZoneMark(Destino(nome));
    }
    Conta(nome, cronometro);
    return erro;
}

bool ColocacaoDeArquivos::RenomeiaNoReinicio(const std::string& nome) {
    const Cronometro cronometro;
    const bool registrado = fs::MoveAtRestart(Provisorio(nome), Destino(nome));
    const DWORD erro = GetLastError();
    if (registrado) arquivos_[nome] = Estado::NoReinicio;
    Conta(nome, cronometro);
    SetLastError(erro);  // why, for the caller
    return registrado;
}

bool ColocacaoDeArquivos::Coloca(const std::string& nome, bool substitui) {
    const auto visto = arquivos_.find(nome);
    if (visto == arquivos_.end() ? !Prepara(nome) : visto->second == Estado::Falhou) return false;
    if (const DWORD erro = Renomeia(nome, substitui)) {
        fs::Remove(Provisorio(nome));
        Falha(nome, erro);
        return false;
    }
    Relata(nome, "ok, em " + Destino(nome));
    return true;
}

ResultadoBiblioteca ColocaBiblioteca(const WizardState& estado, UiPort& ui) {
    ColocacaoDeArquivos sistema(estado.SystemDir, ui);
    const std::string destino = sistema.Destino(kBiblioteca);
    const std::string mantida = "mantida a de " + estado.SystemDir;
    if (fs::FileExists(destino)) {
        // Nothing done: no time to tell.
        ui.Relata(std::string("Cópia de ") + kBiblioteca, mantida);
        return ResultadoBiblioteca::Mantida;
    }
    if (!sistema.Prepara(kBiblioteca)) return ResultadoBiblioteca::Falhou;
    DWORD erro = sistema.Renomeia(kBiblioteca, false);
    if (erro == 0) {
        sistema.Relata(kBiblioteca, "ok, em " + destino);
        return ResultadoBiblioteca::Colocada;
    }
    // Another setup put one there meanwhile: never replaced.
    if (fs::FileExists(destino)) {
        sistema.Relata(kBiblioteca, mantida + " (colocada por outro programa durante a instalação)");
        return ResultadoBiblioteca::Mantida;
    }
    // The name is taken by a file that cannot be seen or had: a library deleted while a
    // running program still has it loaded keeps its name until that program ends.
    const bool emUso = erro == ERROR_ALREADY_EXISTS || erro == ERROR_FILE_EXISTS || fs::IsMomentaryHold(erro);
    if (emUso) {
        if (sistema.RenomeiaNoReinicio(kBiblioteca)) {
            sistema.Relata(kBiblioteca, "em uso em " + estado.SystemDir + " (" + text::SystemErrorText(erro, destino) +
                                            "): a nova fica em " + sistema.Provisorio(kBiblioteca) +
                                            " e será colocada no lugar ao reiniciar o computador");
            return ResultadoBiblioteca::NoReinicio;
        }
        erro = GetLastError();
    }
    sistema.Relata(kBiblioteca, Falhou(destino, erro));
    return ResultadoBiblioteca::Falhou;
}

}  // namespace qel
