#pragma once
// The installed database's schema version against the one on the medium, and the
// application version recorded in the installed database.
#include <string>

#include "core/WizardState.h"

namespace qel {

// The comparison value of a version text: every "." removed, the rest read as one signed
// 32-bit decimal number (leading blanks and a sign accepted, nothing after the digits).
// "3.2.0" gives 320, "3.10.0" 3100. Anything else fails with
// "'<text without dots>' is not a valid integer value".
int ValorVersao(const std::string& versao);

// Reads DE_VERSAO_BANCO of the first row of TA_SISTEMA in TargetDir\QEL.mdb, sharing the
// file with other programs, and compares it with VersaoBanco: 1 when the installed one is
// older, 0 when equal, 2 when newer. Every failure passes to the caller.
int ComparaVersaoBanco(const WizardState& estado);

// Writes VersaoSistema into DE_VERSAO_SISTEMA of every row of TA_SISTEMA in
// TargetDir\QEL.mdb, holding the file for exclusive use (refused while any other program
// has it open). Every failure passes to the caller.
void AtualizaVersaoSistema(const WizardState& estado);

}  // namespace qel
