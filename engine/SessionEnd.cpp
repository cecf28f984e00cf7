#include "engine/SessionEnd.h"

#include "platform/Text.h"

namespace qel {

void BloqueiaFimDaSessao(SessionBlock& bloqueio) { bloqueio.Hold(text::Widen(kMotivoDoBloqueio)); }

bool TrataFimDaSessao(UINT msg, WPARAM wp, LPARAM lp, const SessionBlock& bloqueio, bool emExecucao,
                      UiPort& registro, LRESULT& resposta) {
    switch (msg) {
    case WM_QUERYENDSESSION:
        resposta = bloqueio.AnswerQuery(lp);
        if (bloqueio.Held())
            registro.Relata("Fim da sessão do Windows",
                            resposta ? "forçado pelo sistema durante a instalação" : "recusado: a instalação está em andamento");
        return true;
    case WM_ENDSESSION:
        // Once this is answered the process may be ended at any moment.
        if (wp && emExecucao)
            registro.Relata("Instalação interrompida", "a sessão do Windows foi encerrada antes do fim da instalação");
        resposta = 0;
        return true;
    }
    return false;
}

}  // namespace qel
