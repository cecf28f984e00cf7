#include "engine/StagingFolder.h"

#include <windows.h>

#include "engine/FolderCleanup.h"
#include "platform/FileSystem.h"

namespace qel {

PastaTemporaria CriaPastaTemporaria(const std::string& caminho) {
    using Falha = PastaTemporaria::Falha;
    for (int vez = 0; vez < 3; ++vez) {
        if (!RemoveEntrada(caminho)) return {Falha::NaoRemovida, std::nullopt};
        const std::string acima = fs::ExtractFilePath(caminho);
        if (!fs::DirectoryExists(acima) && !fs::ForceDirectories(acima)) return {Falha::NaoCriada, std::nullopt};
        if (auto pasta = fs::ProtectedFolder::Create(caminho)) return {Falha::Nenhuma, std::move(pasta)};
        if (GetLastError() != ERROR_ALREADY_EXISTS) return {Falha::NaoCriada, std::nullopt};
    }
    return {Falha::NaoRemovida, std::nullopt};
}

std::string MensagemPastaNaoRemovida(const std::string& caminho) {
    return "A pasta temporária " + caminho + ", de uma instalação anterior, não pôde ser removida.\r"
           "Feche os programas que estejam usando arquivos dessa pasta e tente novamente.";
}

std::string MensagemArquivoNaoPreparado(const std::string& nome, const std::string& pasta) {
    return "Arquivo " + nome + " não pode ser copiado para " + pasta + ".\rVerifique se o arquivo está em uso.";
}

}  // namespace qel
