#pragma once
// How the faces answer the end of the Windows session while an installation run works: the
// run's changes to the install folder and the system folder are not cut in half by a
// logoff or a restart for updates. Idle, the program lets the session end.
#include <windows.h>

#include "core/UiPort.h"
#include "platform/SessionBlock.h"

namespace qel {

// What Windows shows, in the list of programs holding off the end of the session.
inline constexpr const char* kMotivoDoBloqueio = "Instalando ou atualizando o QEL. Não desligue o computador.";

// Holds off the end of the session with the program's reason (the first change of a run).
void BloqueiaFimDaSessao(SessionBlock& bloqueio);

// For a face's top-level window: answers WM_QUERYENDSESSION (no while `bloqueio` is held,
// unless the end is forced; a refusal is logged) and, for WM_ENDSESSION that ends the
// session while a run works (`emExecucao`), writes the log's line that the run was
// interrupted. True when the message was one of the two, with the answer in `resposta`.
bool TrataFimDaSessao(UINT msg, WPARAM wp, LPARAM lp, const SessionBlock& bloqueio, bool emExecucao,
                      UiPort& registro, LRESULT& resposta);

}  // namespace qel
