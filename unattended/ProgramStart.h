#pragma once
// What both faces do with the command line before any installation, and the log's last
// line after it.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/Desfecho.h"
#include "core/UiPort.h"
#include "engine/InstallLog.h"
#include "unattended/CommandLine.h"

namespace qel {

// Shows a message of the program's start (the usage, what was wrong); the unattended
// installation shows nothing.
using MostraNaPartida = std::function<void(const std::string& texto, TipoMensagem tipo)>;

// Opens the log when one is asked for and writes the run's first lines; answers /? with
// the usage and a line not understood with what was wrong and the usage. Returns the exit
// code when the program ends here: 1 when the log cannot be written (said through
// `mostra`, since no log has it) or the line was not understood, 0 after the usage.
std::optional<int> Preliminares(const Opcoes& linha, const std::string& argumentos,
                                std::unique_ptr<InstallLog>& log, const MostraNaPartida& mostra);

// "Fim: código de saída <n> - <what it means>".
void RegistraFim(InstallLog* log, Desfecho desfecho);

}  // namespace qel
