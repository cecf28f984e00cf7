#pragma once
// For a fresh install: makes sure the machine can open the database through ADO before the
// application is put in place, running the data-access setup of the medium when it cannot.
#include <windows.h>

#include <array>
#include <string>

#include "engine/ProbeConnection.h"
#include "core/UiPort.h"
#include "core/WizardState.h"

namespace qel {

// The data-access setup files, staged from the medium in this order.
inline constexpr std::array<const char*, 18> ArquivosADO = {
    "adot.mdb",     "advpack.dll", "cabinet.dll", "cfgmgr32.dll", "Cliconf.gid",  "dasetup.exe",
    "dasetup.ini",  "dasetupr.dll", "mdaceula.txt", "mdacone.cab", "mdactwo.cab", "msvcrt.cab",
    "mtxfiles.cab", "oleaut.cab",  "setup.exe",   "setupapi.DLL", "w95inf16.DLL", "w95inf32.DLL",
};

// The data-access setup program, started by its full path in AdoStagingDir.
inline constexpr const char* kProgramaDoAdo = "Setup.Exe";

// How the prerequisite ended; true when the run may go on.
struct ResultadoAdo {
    enum class Fim {
        BancoAbre,         // the staged database opens: nothing was installed
        SetupExecutado,    // the data-access setup ran (the machine wants a restart)
        PastaNaoCriada,     // the staging folder could not be made
        PastaNaoRemovida,   // an earlier staging folder could not be removed
        ArquivoNaoCopiado,  // a file of the medium could not be staged
        DiscoAusente,       // a data-access part of the medium is missing
        SetupNaoIniciado,   // the data-access setup could not be started
    } fim;
    explicit operator bool() const { return fim == Fim::BancoAbre || fim == Fim::SetupExecutado; }
};

// Stages the data-access setup files from the current folder (the medium) into
// AdoStagingDir, made anew (StagingFolder.h) and held while it is used, probes the staged
// database, and when the probe fails checks the medium's data-access parts and runs the
// staged setup silently, by its full path, waiting for it. A file missing from the medium
// is not staged (the setup works with what is there); one that is there and cannot be
// staged stops the run. A setup that could not be started (missing, blocked, not a
// program) is reported with the system's reason. Every error is reported (the result then
// says which) and closes the window, except an earlier staging folder that cannot be
// removed and a copy that fails: those stop the animation and leave the window open, so
// that Instalar can be pressed again once the file is free. Leaves AdoStagingDir as the
// current folder when the run may go on.
ResultadoAdo InstalaADO(const WizardState& estado, ProbeConnection& dm, UiPort& ui);

// The error text when the data-access setup could not be started, with the system's
// reason for the error code.
std::string MensagemAdoNaoIniciado(DWORD erro);

}  // namespace qel
