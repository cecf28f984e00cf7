#pragma once
// Staging the payload: the medium's five payload files copied into the staging folder
// under the names they carry once installed, each copy made writable.
#include <array>

#include "core/WizardState.h"
#include "platform/KeepAlive.h"

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

// Copies each file of the table from the current folder (the medium) into
// state.StagingDir, replacing an earlier copy, and clears the read-only bit of each copy.
// Nothing is reported: a source that is missing or a copy that fails leaves that staged
// path as it was, and the run finds out when it installs from the staging folder. The
// current folder is left as it was. aCadaPorcao is called as the copies go on.
void PreparaArquivos(const WizardState& state, const KeepAlive& aCadaPorcao = {});

}  // namespace qel
