#pragma once
// The wizard state: the folders every step works with and the two version constants.
// One instance, owned by the wizard window and handed to the operations that read it.
// All values are 8-bit Windows-1252 text.
#include <string>

namespace qel {

struct WizardState {
    std::string SourceDir;   // the installer's own folder, always ending with "\"
    std::string TempDir;     // the temporary folder as the platform gives it (ends with "\")
    std::string SystemDir;   // the Windows system folder, no trailing backslash
    std::string TargetDir;   // the install folder as typed, set when Instalar is pressed
    std::string StagingDir;  // TempDir + "InstQEL", set by the installation run
    // Where Windows keeps, for this user, what programs without rights wrote into
    // protected folders (%LOCALAPPDATA%\VirtualStore); empty when unknown.
    std::string VirtualStoreDir;

    std::string VersaoSistema;  // version of the application being installed
    std::string VersaoBanco;    // schema version of the database on the medium

    // TempDir + "InstADO": where the data-access setup files are staged.
    std::string AdoStagingDir() const { return TempDir + "InstADO"; }
};

// The values the window's creation gives the state.
inline constexpr const char* kVersaoSistema = "3.2.3";
inline constexpr const char* kVersaoBanco = "3.2.0";
inline constexpr const char* kPastaPadrao = "C:\\Arquivos de Programas\\ZAV\\QEL";

}  // namespace qel
