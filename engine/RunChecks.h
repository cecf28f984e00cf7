#pragma once
// What both faces check before an installation run: that the medium's first two parts
// arrived, that the install folder exists (made when it does not), and which installation
// type a request means for a folder.
#include <string>

#include "core/UiPort.h"
#include "core/WizardState.h"
#include "platform/MappedDrive.h"

namespace qel {

// Page 1's Continuar: shows page 2, then checks that the first two parts of the medium
// arrived (markers in the installer's own folder, payload files in the current folder).
// A missing part is reported and closes the window; when the medium is on a mapped drive
// that the installation, run as administrator, does not see, that is what is reported.
// Yes when the medium is complete.
bool VerificaMidia(const WizardState& estado, UiPort& ui,
                   const fs::DriveQueries& unidades = fs::PlatformDrives());

// Page 2's Continuar: shows page 3, makes the folder text a full path (shown in the field)
// and makes sure the folder exists, creating it with its missing parents. A folder that
// cannot be created is reported and closes the window; one on a mapped drive that the
// installation does not see is reported with its network path, and page 2 comes back. An
// empty folder text throws "Unable to create directory". Yes when the folder exists.
bool VerificaPastaInstalacao(UiPort& ui, const fs::DriveQueries& unidades = fs::PlatformDrives());

// What was asked for: a fresh install, an update, or whichever the folder calls for.
enum class TipoPedido { Instalacao, Atualizacao, Automatico };

// The installation type a request means for a folder: 0 fresh install, 1 update; auto is
// an update when the folder holds QEL.mdb.
int TipoParaPasta(TipoPedido pedido, const std::string& pasta);

// "Unidade M: não está visível para a instalação, que é executada como administrador."
// and the network path to use instead.
std::string MensagemUnidadeInvisivel(const fs::HiddenDrive& unidade);

// Each pair of consecutive backslashes, left to right without overlap, becomes one. A
// network path keeps the two backslashes it begins with.
std::string ReduzBarrasDuplas(const std::string& caminho);

}  // namespace qel
