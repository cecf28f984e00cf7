#include "engine/ExternalSetup.h"

#include "platform/Process.h"

namespace qel {

#if defined(__i386__)
static_assert(sizeof(STARTUPINFOA) == 68, "the 32-bit start-up record is 68 bytes");
#endif

std::string LinhaDeComando(const std::string& programa, const std::string& parametros) {
    return "\"" + programa + "\" " + parametros;
}

STARTUPINFOA InformacaoDeInicio(WORD mostraJanela) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = mostraJanela;
    return si;
}

bool ExecutaEAguarda(const std::string& pasta, const std::string& programa, const std::string& parametros,
                     WORD mostraJanela) {
    const std::string caminho = pasta + "\\" + programa;
    std::optional<proc::StartedProcess> programaIniciado =
        proc::Start(caminho, LinhaDeComando(caminho, parametros), InformacaoDeInicio(mostraJanela),
                    kCriacaoDoProcesso, pasta);
    if (!programaIniciado) return false;
    programaIniciado->WaitUntilEnded();
    programaIniciado->Close();
    return true;
}

}  // namespace qel
