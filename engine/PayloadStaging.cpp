#include "engine/PayloadStaging.h"

#include <windows.h>

#include <string>

#include "platform/FileSystem.h"

namespace qel {

namespace {

// An earlier attempt's copy goes first (its read-only bit cleared, as the staging of
// that attempt would have left it). Yes when the name is free.
bool LiberaNome(const std::string& copia) {
    if (fs::Attributes(copia) == INVALID_FILE_ATTRIBUTES) return true;
    fs::ClearReadOnly(copia);
    return fs::Remove(copia);
}

}  // namespace

ResultadoPreparo PreparaArquivos(const WizardState& state) {
    ResultadoPreparo resultado;
    for (std::size_t i = 0; i < kArquivosPreparados.size(); ++i) {
        const ArquivoPreparado& arquivo = kArquivosPreparados[i];
        const std::string copia = state.StagingDir + arquivo.copia;
        resultado.ausente[i] = !fs::FileExists(arquivo.origem);
        resultado.copiado[i] = LiberaNome(copia) && fs::CopyOver(arquivo.origem, copia);
        // A medium on read-only disks gives read-only copies; the run must be able to
        // replace and remove them later. Hidden, archive and the rest stay as copied.
        fs::ClearReadOnly(copia);
    }
    return resultado;
}

}  // namespace qel
