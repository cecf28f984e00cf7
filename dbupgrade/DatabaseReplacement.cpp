#include "dbupgrade/DatabaseReplacement.h"

#include <cstdio>

#include "platform/DurableFile.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"

namespace qel {

namespace {

// A file made by the replacement, removed again unless it is kept.
class ArquivoProprio {
public:
    explicit ArquivoProprio(std::string caminho) : caminho_(std::move(caminho)) {}
    ~ArquivoProprio() {
        if (!mantido_) fs::Remove(caminho_);
    }
    ArquivoProprio(const ArquivoProprio&) = delete;
    ArquivoProprio& operator=(const ArquivoProprio&) = delete;
    void Mantem() { mantido_ = true; }

private:
    std::string caminho_;
    bool mantido_ = false;
};

// Reading, sharing the file with readers only: refused while anyone has it open for
// writing, and keeps writers out while held.
UniqueHandle AbreParaLeitura(const std::string& caminho) { return fs::OpenForReading(caminho, FILE_SHARE_READ); }

// What the install folder holds after the final rename reported failure. On a network
// share the rename may have happened all the same (the answer was lost, or only the
// flush after it failed), so what is there is looked at before anything is removed.
enum class NoLugar { Anterior, Novo, Incerto };

NoLugar OQueEstaNoLugar(const std::string& instalado, const std::string& backup, const std::string& preparado) {
    // The installed data is still "QEL.mdb" itself: the backup is a spare copy.
    if (fs::SameContents(instalado, backup) == std::optional<bool>(true)) return NoLugar::Anterior;
    if (fs::SameContents(instalado, preparado) == std::optional<bool>(true)) return NoLugar::Novo;
    return NoLugar::Incerto;
}

}  // namespace

std::string NomeBackup(const std::string& arquivo, const SYSTEMTIME& momento) {
    char carimbo[16];
    std::snprintf(carimbo, sizeof carimbo, "%04u%02u%02u%02u%02u%02u", momento.wYear, momento.wMonth, momento.wDay,
                  momento.wHour, momento.wMinute, momento.wSecond);
    // The dated name (base + "_" + stamp + the name's extension) with its extension
    // changed: whatever the extension was, only ".md_" remains.
    return arquivo.substr(0, arquivo.find('.')) + "_" + carimbo + ".md_";
}

ResultadoSubstituicao SubstituiBanco(const WizardState& estado) {
    SYSTEMTIME agora;
    GetLocalTime(&agora);
    return SubstituiBanco(estado, agora);
}

ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora) {
    return SubstituiBanco(estado, agora, [] {});
}

ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora,
                                     const std::function<void()>& aposEtapa) {
    const std::string pasta = estado.TargetDir + "\\";
    const std::string instalado = pasta + "QEL.mdb";
    const std::string backup = pasta + NomeBackup("QEL.mdb", agora);
    const std::string novoProvisorio = pasta + kNovoProvisorio;
    const std::string backupProvisorio = pasta + kBackupProvisorio;

    // 1. The new database beside the installed one, on the disk, under a name of its own.
    ArquivoProprio novo(novoProvisorio);
    {
        UniqueHandle preparado = AbreParaLeitura(estado.StagingDir + "\\" + "QEL.mdb");
        if (!preparado || !fs::CopyFlushed(preparado.get(), novoProvisorio))
            return ResultadoSubstituicao::NovoNaoColocado;
    }
    aposEtapa();

    // 2. The backup: a flushed copy of the installed database, made while no program can
    // write to it, that takes its dated name only once it is whole. "QEL.mdb" itself
    // stays where it is.
    UniqueHandle atual = AbreParaLeitura(instalado);
    if (!atual) return ResultadoSubstituicao::BackupRecusado;
    {
        ArquivoProprio copia(backupProvisorio);
        if (!fs::CopyFlushed(atual.get(), backupProvisorio) ||
            !fs::MoveWriteThrough(backupProvisorio, backup, false))
            return ResultadoSubstituicao::BackupRecusado;
        copia.Mantem();
    }
    ArquivoProprio feito(backup);
    fs::RemoveZoneMark(backup);
    aposEtapa();
    atual.reset();

    // 3. The new database takes the name "QEL.mdb" in one step. A read-only installed
    // database is replaced as well (the platform refuses to replace it otherwise).
    const DWORD atributos = fs::Attributes(instalado);
    const bool somenteLeitura = atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY);
    if (somenteLeitura) fs::SetAttributes(instalado, atributos & ~FILE_ATTRIBUTE_READONLY);
    if (!fs::MoveWriteThrough(novoProvisorio, instalado, true)) {
        switch (OQueEstaNoLugar(instalado, backup, estado.StagingDir + "\\" + "QEL.mdb")) {
            case NoLugar::Anterior:
                if (somenteLeitura) fs::SetAttributes(instalado, atributos);
                // The installed database is unchanged, so its backup goes again.
                return ResultadoSubstituicao::NovoNaoColocado;
            case NoLugar::Novo:
                break;  // it did take the name; a copy still left beside it goes
            case NoLugar::Incerto:
                // Neither can be told: nothing is removed, the backup least of all.
                novo.Mantem();
                feito.Mantem();
                return ResultadoSubstituicao::Incerto;
        }
    } else {
        novo.Mantem();
    }
    feito.Mantem();
    fs::RemoveZoneMark(instalado);
    aposEtapa();
    return ResultadoSubstituicao::Substituido;
}

const char* MensagemSubstituicao(ResultadoSubstituicao r) {
    switch (r) {
        case ResultadoSubstituicao::BackupRecusado:
            return "Cópia de segurança do banco de dados não pode ser criada.\r"
                   "Banco de dados não foi atualizado. Verifique se o arquivo está em uso.";
        case ResultadoSubstituicao::NovoNaoColocado:
            return "Novo banco de dados não pode ser instalado.\r"
                   "Banco de dados anterior foi mantido. Verifique se o arquivo está em uso.";
        case ResultadoSubstituicao::Incerto:
            return "Não foi possível confirmar a instalação do novo banco de dados.\r"
                   "A cópia de segurança QEL_<data e hora>.md_ foi mantida na pasta de instalação. "
                   "Verifique o banco de dados antes de usar o sistema.";
        case ResultadoSubstituicao::Substituido: break;
    }
    return nullptr;
}

}  // namespace qel
