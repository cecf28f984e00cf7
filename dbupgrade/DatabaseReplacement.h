#pragma once
// Putting the new database, with the installed data carried into it, in the installed
// one's place, keeping the installed one as a dated backup beside it.
#include <windows.h>

#include <functional>
#include <string>

#include "core/WizardState.h"

namespace qel {

enum class ResultadoSubstituicao {
    Substituido,      // the new database is "QEL.mdb", the installed one its backup
    BackupRecusado,   // the installed database could not be backed up; nothing replaced
    NovoNaoColocado,  // the new database could not be put in place; the installed one is
                      // still "QEL.mdb", unchanged, and no backup of it is left
    Incerto,          // the final rename reported failure and what took the name could not
                      // be told: nothing was removed, the backup is kept
};

// The backup name of a database file name for a moment: the name up to its first ".",
// "_", the moment as yyyymmddhhmmss, and ".md_" ("QEL.mdb" -> "QEL_20070315143005.md_").
std::string NomeBackup(const std::string& arquivo, const SYSTEMTIME& momento);

// Names the replacement gives its files in the install folder on their way in; a file
// left under one of them by an interrupted replacement is replaced by the next.
inline constexpr const char* kNovoProvisorio = "QEL_novo.tmp";
inline constexpr const char* kBackupProvisorio = "QEL_backup.tmp";

// Replaces TargetDir\QEL.mdb by StagingDir\QEL.mdb, keeping the installed database as
// TargetDir\<NomeBackup> with the clock read once. At every moment the install folder
// holds the installed database as "QEL.mdb", or the new one as "QEL.mdb" and the
// installed one as the backup, whatever happens to the machine; no file of its own is left
// behind when it returns, unless the final rename reported failure and neither database
// can be recognised under "QEL.mdb" afterwards (Incerto): then everything stays. A rename
// that reported failure but did happen counts as done. The staged database is left where
// it is. Neither the new database nor the backup keeps a download mark.
ResultadoSubstituicao SubstituiBanco(const WizardState& estado);
ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora);
// The same, calling aposEtapa after each step that changed the install folder (tests
// look at the folder between the steps).
ResultadoSubstituicao SubstituiBanco(const WizardState& estado, const SYSTEMTIME& agora,
                                     const std::function<void()>& aposEtapa);

// The error text for a failed replacement (two lines joined by a carriage return);
// nullptr for Substituido.
const char* MensagemSubstituicao(ResultadoSubstituicao r);

}  // namespace qel
