#pragma once
// The port the installation run works with on its thread of its own: each call is carried
// to the wizard window's thread and made there through the window's port (the log behind
// it included), the run waiting for the answer, so dialogs, pages and the clip belong to
// the window's thread as always. Progress is handed over without waiting: the window shows
// the latest it was given.
#include <windows.h>

#include <mutex>
#include <optional>
#include <string>

#include "core/UiPort.h"

namespace qel {

// The progress the run's thread hands over, until the window's thread takes it. Only one
// notice is ever waiting in the window's queue, however fast the run goes.
class CaixaDeAndamento {
public:
    // Any thread: keeps `andamento` and tells `janela` with `mensagem` unless a notice is
    // already on its way.
    void Entrega(HWND janela, UINT mensagem, const Andamento& andamento);
    // The window's thread: the progress handed over since the last time, if any.
    std::optional<Andamento> Retira();

private:
    std::mutex trava_;
    std::optional<Andamento> pendente_;
};

class PortaDaExecucao final : public UiPort {
public:
    // janela: the wizard window; porta: its port, used on its thread only; caixa and
    // mensagem: where progress goes and how the window is told.
    PortaDaExecucao(HWND janela, UiPort& porta, CaixaDeAndamento& caixa, UINT mensagem)
        : janela_(janela), porta_(porta), caixa_(caixa), mensagem_(mensagem) {}

    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo, BotoesMensagem botoes) override;
    void MostraFalha(const std::string& mensagem) override;
    void Relata(const std::string& etapa, const std::string& resultado) override;
    void RelataEtapa(const std::string& etapa, const std::string& resultado,
                     std::chrono::milliseconds duracao) override;
    void MostraAndamento(const Andamento& andamento) override { caixa_.Entrega(janela_, mensagem_, andamento); }
    void ComecaAlteracoes() override;
    void MostraAnimacao(bool ligada) override;
    void MostraPagina(Pagina pagina) override;
    Pagina PaginaAtual() const override;
    void MostraAguarde() override;
    void Repinta() override;
    void Fecha() override;
    int TipoInstalacao() const override;
    std::string PastaInstalacao() const override;
    void DefinePastaInstalacao(const std::string& pasta) override;

private:
    // Makes the call on the window's thread and gives back its result.
    template <class Chamada>
    auto NaJanela(Chamada chamada) const;

    HWND janela_;
    UiPort& porta_;
    CaixaDeAndamento& caixa_;
    UINT mensagem_;
};

}  // namespace qel
