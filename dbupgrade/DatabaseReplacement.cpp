#include "dbupgrade/DatabaseReplacement.h"

#include <cstdio>

#include "platform/DurableFile.h"
#include "platform/Handles.h"

namespace qel {

namespace {

// A file made by the replacement, removed again unless it is kept.
class ArquivoProprio {
public:
    explicit ArquivoProprio(std::string caminho) : caminho_(std::move(caminho)) {}
    ~ArquivoProprio() {
        if (!mantido_) DeleteFileA(caminho_.c_str());
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
UniqueHandle AbreParaLeitura(const std::string& caminho) {
    return UniqueHandle(CreateFileA(caminho.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
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

ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const KeepAlive& aCadaPorcao) {
    SYSTEMTIME agora;
    GetLocalTime(&agora);
    return SubstituiBanco(estado, agora, [] {}, aCadaPorcao);
}

ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora) {
    return SubstituiBanco(estado, agora, [] {});
}

ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora,
                                     const std::function<void()>& aposEtapa, const KeepAlive& aCadaPorcao) {
    const std::string pasta = estado.TargetDir + "\\";
    const std::string instalado = pasta + "QEL.mdb";
    const std::string backup = pasta + NomeBackup("QEL.mdb", agora);
    const std::string novoProvisorio = pasta + kNovoProvisorio;
    const std::string backupProvisorio = pasta + kBackupProvisorio;

    // 1. The new database beside the installed one, on the disk, under a name of its own.
    ArquivoProprio novo(novoProvisorio);
    {
        UniqueHandle preparado = AbreParaLeitura(estado.StagingDir + "\\" + "QEL.mdb");
        if (!preparado || !fs::CopyFlushed(preparado.get(), novoProvisorio, aCadaPorcao))
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
        if (!fs::CopyFlushed(atual.get(), backupProvisorio, aCadaPorcao) ||
            !fs::MoveWriteThrough(backupProvisorio, backup, false))
            return ResultadoSubstituicao::BackupRecusado;
        copia.Mantem();
    }
    ArquivoProprio feito(backup);
    aposEtapa();
    atual.reset();

    // 3. The new database takes the name "QEL.mdb" in one step. A read-only installed
    // database is replaced as well (the platform refuses to replace it otherwise).
    const DWORD atributos = GetFileAttributesA(instalado.c_str());
    const bool somenteLeitura = atributos != INVALID_FILE_ATTRIBUTES && (atributos & FILE_ATTRIBUTE_READONLY);
    if (somenteLeitura) SetFileAttributesA(instalado.c_str(), atributos & ~FILE_ATTRIBUTE_READONLY);
    if (!fs::MoveWriteThrough(novoProvisorio, instalado, true)) {
        if (somenteLeitura) SetFileAttributesA(instalado.c_str(), atributos);
        // The installed database is unchanged, so its backup goes again.
        return ResultadoSubstituicao::NovoNaoColocado;
    }
    novo.Mantem();
    feito.Mantem();
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
        case ResultadoSubstituicao::Substituido: break;
    }
    return nullptr;
}

}  // namespace qel
