#include "engine/PayloadStaging.h"

#include <string>

#include "platform/FileSystem.h"

namespace qel {

void PreparaArquivos(const WizardState& state, const KeepAlive& aCadaPorcao) {
    for (const ArquivoPreparado& arquivo : kArquivosPreparados) {
        const std::string copia = state.StagingDir + arquivo.copia;
        fs::CopyOver(arquivo.origem, copia, aCadaPorcao);
        // A medium on read-only disks gives read-only copies; the run must be able to
        // replace and remove them later. Hidden, archive and the rest stay as copied.
        fs::ClearReadOnly(copia);
    }
}

}  // namespace qel
