#pragma once
// Staging the payload: the medium's five payload files copied into the staging folder
// under the names they carry once installed, each copy made writable.
#include <array>

#include "core/WizardState.h"

namespace qel {

struct ArquivoPreparado {
    const char* origem;  // bare name on the medium, looked up in the current folder
    const char* copia;   // appended to StagingDir
};

// In the order they are staged.
inline constexpr std::array<ArquivoPreparado, 5> kArquivosPreparados{{
    {"QEL.ex_", "\\QEL.exe"},
    {"QEL.md_", "\\QEL.mdb"},
    {"midas.dl_", "\\midas.dll"},
    {"zav2003.chm", "\\zav2003.chm"},
    {"zav2005.chm", "\\zav2005.chm"},
}};

// The database's row, which the run cannot do without.
inline constexpr std::size_t kLinhaDoBanco = 1;

// Which rows of the table were staged: a fresh copy of the medium's file is in place.
struct ResultadoPreparo {
    std::array<bool, kArquivosPreparados.size()> copiado{};
    std::array<bool, kArquivosPreparados.size()> ausente{};  // not on the medium: nothing to copy
    // The database: the carry-over adds rows to it, so an earlier attempt's copy must
    // never stand in for a fresh one.
    bool BancoCopiado() const { return copiado[kLinhaDoBanco]; }
    // The staged name of the first row that failed: a file of the medium that could not
    // be staged, or the database, which the run cannot do without; null when none. A
    // file missing from the medium is left to the step that needs it.
    const char* Falhou() const {
        for (std::size_t i = 0; i < copiado.size(); ++i)
            if (!copiado[i] && (!ausente[i] || i == kLinhaDoBanco)) return kArquivosPreparados[i].copia + 1;
        return nullptr;
    }
};

// Copies each file of the table from the current folder (the medium) into
// state.StagingDir and clears the read-only bit of each copy. An earlier attempt's copy
// is removed first, so a copy that fails leaves that staged path absent, never holding
// what the earlier attempt left there (a database with rows already carried into it); a
// staged copy that cannot be removed is not copied over. Nothing is reported here: the
// result says which rows were staged, and the run finds out about the others when it
// installs from the staging folder. The current folder is left as it was.
ResultadoPreparo PreparaArquivos(const WizardState& state);

}  // namespace qel
