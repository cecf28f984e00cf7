#pragma once
// What the wizard's buttons do between the pages: the checks of the medium and of the
// install folder on the way forward, and the confirmed cancel of every page.
#include <string>

#include "core/UiPort.h"
#include "core/WizardState.h"

namespace qel {

// Asks "Cancelar a instalação :Quelvara"; only Yes closes the window.
void ConfirmaCancelamento(UiPort& ui);

// Page 1's Continuar: shows page 2, then checks that the first two parts of the medium
// arrived (markers in the installer's own folder, payload files in the current folder).
// A missing part is reported and closes the window.
void VerificaMidia(const WizardState& estado, UiPort& ui);

// Page 2's Continuar: shows page 3, then makes sure the install folder exists, creating it
// with its missing parents. A folder that cannot be created is reported and closes the
// window; an empty folder text throws "Unable to create directory".
void VerificaPastaInstalacao(UiPort& ui);

// Each pair of consecutive backslashes, left to right without overlap, becomes one. A
// network path keeps the two backslashes it begins with.
std::string ReduzBarrasDuplas(const std::string& caminho);

}  // namespace qel
