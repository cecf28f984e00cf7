#include "engine/LoggedUi.h"

namespace qel {
namespace {

const char* Resposta(RespostaMensagem r) {
    switch (r) {
        case RespostaMensagem::Ok: return "OK";
        case RespostaMensagem::Sim: return "Sim";
        case RespostaMensagem::Nao: return "Não";
        case RespostaMensagem::Cancelar: return "fechada sem resposta";
    }
    return "";
}

}  // namespace

const char* LoggedUi::EtapaDaMensagem(TipoMensagem tipo) {
    switch (tipo) {
        case TipoMensagem::Aviso: return "Mensagem (aviso)";
        case TipoMensagem::Erro: return "Mensagem (erro)";
        case TipoMensagem::Informacao: return "Mensagem (informação)";
        case TipoMensagem::Confirmacao: return "Mensagem (confirmação)";
        case TipoMensagem::Simples: return "Mensagem (simples)";
    }
    return "Mensagem";
}

RespostaMensagem LoggedUi::MostraMensagem(const std::string& texto, TipoMensagem tipo, BotoesMensagem botoes) {
    // Logged when it appears: a question may wait a long time for its answer.
    Relata(EtapaDaMensagem(tipo), texto);
    const RespostaMensagem r = face_.MostraMensagem(texto, tipo, botoes);
    if (botoes == BotoesMensagem::SimNao) Relata("Resposta", Resposta(r));
    return r;
}

void LoggedUi::MostraFalha(const std::string& mensagem) {
    Relata("Mensagem (caixa de falha)", TextoDaCaixaDeFalha(mensagem));
    face_.MostraFalha(mensagem);
}

std::string LoggedUi::TextoDaDuracao(std::chrono::milliseconds duracao) {
    const long long decimos = (duracao.count() + 50) / 100;
    return " (" + std::to_string(decimos / 10) + "," + std::to_string(decimos % 10) + " s)";
}

void LoggedUi::RelataEtapa(const std::string& etapa, const std::string& resultado, std::chrono::milliseconds duracao) {
    if (log_) log_->Registra(etapa, resultado + TextoDaDuracao(duracao));
    face_.RelataEtapa(etapa, resultado, duracao);
}

void LoggedUi::Relata(const std::string& etapa, const std::string& resultado) {
    if (log_) log_->Registra(etapa, resultado);
    face_.Relata(etapa, resultado);
}

}  // namespace qel
