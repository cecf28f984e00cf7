#include "tests/support/ScriptedUi.h"

#include <gtest/gtest.h>

#include "platform/Failure.h"

namespace qel::test {

void ScriptedUi::NaoDepoisDeFechar(const std::string& what) {
    if (fechada) ADD_FAILURE() << what << " after the window was closed";
}

RespostaMensagem ScriptedUi::MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                            BotoesMensagem botoes) {
    NaoDepoisDeFechar("dialog \"" + texto + "\"");
    RespostaMensagem r;
    if (respostas_.empty()) {
        ADD_FAILURE() << "unexpected dialog: \"" << texto << "\"";
        r = botoes == BotoesMensagem::Ok ? RespostaMensagem::Ok : RespostaMensagem::Nao;
    } else {
        r = respostas_.front();
        respostas_.pop_front();
    }
    dialogos.push_back({texto, tipo, botoes, r});
    eventos.push_back("dialogo:" + texto);
    return r;
}

void ScriptedUi::MostraFalha(const std::string& mensagem) {
    NaoDepoisDeFechar("failure box \"" + mensagem + "\"");
    eventos.push_back("falha:" + mensagem);
}

void ScriptedUi::MostraAnimacao(bool ligada) {
    NaoDepoisDeFechar("animation");
    if (ligada && !animacaoLigada && animacaoFalha) throw Failure("Cannot open AVI");
    animacaoLigada = ligada;
    animacaoVisivel = ligada;
    eventos.push_back(ligada ? "animacao:on" : "animacao:off");
}

void ScriptedUi::MostraPagina(Pagina p) {
    NaoDepoisDeFechar("page switch");
    pagina = p;
    eventos.push_back("pagina:" + std::to_string(static_cast<int>(p)));
}

void ScriptedUi::MostraAguarde() {
    aguardeVisivel = true;
    eventos.push_back("aguarde");
}

void ScriptedUi::Repinta() {
    ++repinturas;
    eventos.push_back("repinta");
}

void ScriptedUi::ComecaAlteracoes() {
    eventos.push_back("alteracoes");
    if (aoAlterar) aoAlterar();
}

void ScriptedUi::DefinePastaInstalacao(const std::string& p) {
    NaoDepoisDeFechar("folder text");
    pasta = p;
    eventos.push_back("pasta:" + p);
}

void ScriptedUi::Fecha() {
    NaoDepoisDeFechar("close");
    fechada = true;
    eventos.push_back("fecha");
}

}  // namespace qel::test
