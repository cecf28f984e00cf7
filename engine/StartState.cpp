#include "engine/StartState.h"

#include "platform/FileSystem.h"

namespace qel {

WizardState EstadoDaPartida() {
    WizardState estado;
    estado.VersaoSistema = kVersaoSistema;
    estado.VersaoBanco = kVersaoBanco;
    estado.SourceDir = fs::ExtractFilePath(fs::ModuleFileName());
    estado.TempDir = fs::TempPath();
    estado.SystemDir = fs::SystemPath();
    estado.VirtualStoreDir = fs::VirtualStorePath();
    return estado;
}

}  // namespace qel
