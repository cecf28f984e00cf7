#pragma once
// The unattended installation (/silent): the wizard's checks and the same installation
// run, answered without a person, with no window and no dialog at any point.
#include "core/Desfecho.h"
#include "engine/InstallLog.h"
#include "unattended/CommandLine.h"

namespace qel {

// The whole program for /silent: the command line's answers, the installation, the log's
// last line. Returns the process's exit code.
int InstalacaoSilenciosa(const Opcoes& linha, const std::string& argumentos);

// The installation itself for an understood command line: the medium is the program's
// own folder (made current), the folder /dir or the wizard's default, the type /type
// (auto by default); the medium check and the folder check come first, as in the wizard.
Desfecho InstalaSemJanela(const Opcoes& linha, InstallLog* log);

}  // namespace qel
