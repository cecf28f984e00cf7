#pragma once
// The staging folders of a run (InstQEL and InstADO in the temporary folder), made anew
// for every run: whatever an earlier run or another program left under those names is
// removed first, and the new folder can be neither read nor changed by the user's own
// programs (platform/ProtectedFolder.h). Everything the run installs or starts is taken
// from these folders, so they hold exactly what the run copied into them.
#include <optional>
#include <string>

#include "platform/ProtectedFolder.h"

namespace qel {

struct PastaTemporaria {
    enum class Falha {
        Nenhuma,      // made and held
        NaoRemovida,  // what was there under the name could not be removed
        NaoCriada,    // the folder could not be made
    } falha = Falha::Nenhuma;
    std::optional<fs::ProtectedFolder> pasta;  // held while the run uses it

    explicit operator bool() const { return pasta.has_value(); }
};

// Removes what stands at `caminho` (a full path) as the cleanup removes a staging folder,
// never through a link, makes the missing folders above it and then the folder itself,
// admin-only and held. Should another program put something under the name in between,
// that is removed again (twice at most).
PastaTemporaria CriaPastaTemporaria(const std::string& caminho);

// An earlier staging folder that could not be removed, named by its path.
std::string MensagemPastaNaoRemovida(const std::string& caminho);
// A file that could not be copied into a staging folder: "Arquivo <nome> não pode ser
// copiado para <pasta>." and "Verifique se o arquivo está em uso.".
std::string MensagemArquivoNaoPreparado(const std::string& nome, const std::string& pasta);

}  // namespace qel
