#pragma once
// What the wizard's Cancelar buttons do: the confirmed cancel of every page. The checks
// on the way forward are those both faces make (engine/RunChecks.h).
#include "core/UiPort.h"

namespace qel {

// Asks "Cancelar a instalação :Quelvara"; only Yes closes the window.
void ConfirmaCancelamento(UiPort& ui);

}  // namespace qel
