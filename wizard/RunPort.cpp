#include "wizard/RunPort.h"

#include <type_traits>
#include <utility>

#include "platform/WindowCall.h"

namespace qel {

void CaixaDeAndamento::Entrega(HWND janela, UINT mensagem, const Andamento& andamento) {
    bool avisar;
    {
        std::lock_guard<std::mutex> trava(trava_);
        avisar = !pendente_;
        pendente_ = andamento;
    }
    if (avisar) PostMessageA(janela, mensagem, 0, 0);
}

std::optional<Andamento> CaixaDeAndamento::Retira() {
    std::lock_guard<std::mutex> trava(trava_);
    return std::exchange(pendente_, std::nullopt);
}

template <class Chamada>
auto PortaDaExecucao::NaJanela(Chamada chamada) const {
    using Resultado = decltype(chamada());
    if constexpr (std::is_void_v<Resultado>) {
        CallOnWindowThread(janela_, chamada);
    } else {
        Resultado resultado{};
        CallOnWindowThread(janela_, [&] { resultado = chamada(); });
        return resultado;
    }
}

RespostaMensagem PortaDaExecucao::MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                                 BotoesMensagem botoes) {
    return NaJanela([&] { return porta_.MostraMensagem(texto, tipo, botoes); });
}

void PortaDaExecucao::MostraFalha(const std::string& mensagem) {
    NaJanela([&] { porta_.MostraFalha(mensagem); });
}

void PortaDaExecucao::Relata(const std::string& etapa, const std::string& resultado) {
    NaJanela([&] { porta_.Relata(etapa, resultado); });
}

void PortaDaExecucao::RelataEtapa(const std::string& etapa, const std::string& resultado,
                                  std::chrono::milliseconds duracao) {
    NaJanela([&] { porta_.RelataEtapa(etapa, resultado, duracao); });
}

void PortaDaExecucao::ComecaAlteracoes() {
    NaJanela([&] { porta_.ComecaAlteracoes(); });
}

void PortaDaExecucao::MostraAnimacao(bool ligada) {
    NaJanela([&] { porta_.MostraAnimacao(ligada); });
}

void PortaDaExecucao::MostraPagina(Pagina pagina) {
    NaJanela([&] { porta_.MostraPagina(pagina); });
}

Pagina PortaDaExecucao::PaginaAtual() const {
    return NaJanela([&] { return porta_.PaginaAtual(); });
}

void PortaDaExecucao::MostraAguarde() {
    NaJanela([&] { porta_.MostraAguarde(); });
}

void PortaDaExecucao::Repinta() {
    NaJanela([&] { porta_.Repinta(); });
}

void PortaDaExecucao::Fecha() {
    NaJanela([&] { porta_.Fecha(); });
}

int PortaDaExecucao::TipoInstalacao() const {
    return NaJanela([&] { return porta_.TipoInstalacao(); });
}

std::string PortaDaExecucao::PastaInstalacao() const {
    return NaJanela([&] { return porta_.PastaInstalacao(); });
}

void PortaDaExecucao::DefinePastaInstalacao(const std::string& pasta) {
    NaJanela([&] { porta_.DefinePastaInstalacao(pasta); });
}

}  // namespace qel
