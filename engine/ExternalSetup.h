#pragma once
// Running an external setup program (the data-access components' own setup) and waiting
// until it has ended.
#include <windows.h>

#include <string>

namespace qel {

// A new console for the program, at normal priority.
inline constexpr DWORD kCriacaoDoProcesso = CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS;

// The program between double quotes, one blank, then the parameters; nothing escaped or
// trimmed: "C:\TEMP\InstADO\Setup.Exe" /qnt
std::string LinhaDeComando(const std::string& programa, const std::string& parametros);

// The start-up record handed to the program: all zero but its size, the flag that makes
// the show-window field count, and that field.
STARTUPINFOA InformacaoDeInicio(WORD mostraJanela);

// Starts the program `programa` of the folder `pasta` (a full path) by its full path,
// never searched for, with the show-window value (0 hides its window), that folder as its
// current folder (the program's own DLLs are in it too) and this process's environment,
// and waits without a time limit until it has ended. Its command line is the full path
// between double quotes, one blank and the parameters. Yes when the program was started,
// no when it could not be (the thread's last error then says why); how it ended is not
// looked at. The wait answers the messages other threads and programs send to this
// thread (a setup that broadcasts a setting change waits for every top-level window).
bool ExecutaEAguarda(const std::string& pasta, const std::string& programa, const std::string& parametros,
                     WORD mostraJanela);

}  // namespace qel
