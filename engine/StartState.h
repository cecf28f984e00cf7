#pragma once
// The wizard state as the program's start gives it, the same for the wizard window and
// the unattended installation.
#include "core/WizardState.h"

namespace qel {

// The two versions, the installer's own folder (SourceDir, the medium), the temporary,
// system and VirtualStore folders; the install and staging folders stay empty until a
// run sets them.
WizardState EstadoDaPartida();

}  // namespace qel
