#pragma once
// One installation at a time per folder, across every process and session of the machine:
// a named mutex whose name comes from the folder's full path. A second run for a folder
// that one already works in ends at once instead of waiting or mixing its files in.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Handles.h"

namespace qel {

class InstallGuard {
public:
    // Takes the guard of every folder, or of none: empty, with `ocupada` set to the folder
    // another run holds, when one is taken. A guard left behind by a run that ended
    // without letting go (it crashed) is taken over. Throws a Failure when the platform
    // refuses to make the mutex at all.
    static std::optional<InstallGuard> Take(const std::vector<std::string>& pastas, std::string& ocupada);

    InstallGuard(InstallGuard&&) = default;
    InstallGuard& operator=(InstallGuard&&) = default;
    ~InstallGuard();

private:
    InstallGuard() = default;
    std::vector<UniqueHandle> mutexes_;
};

// The mutex's name for a folder: one name whatever the spelling (case, a trailing
// backslash, a relative name, a short 8.3 name of an existing folder), in the machine's
// global namespace ("Global\InstalaQEL-<hash of the full path>").
std::wstring GuardName(const std::string& pasta);

// "Outra instalação do QEL está em andamento para a pasta <pasta>." and what to do.
std::string MensagemOutraInstalacao(const std::string& pasta);

}  // namespace qel
