#pragma once
// The face of the unattended installation: no window and no dialog, nothing waits for a
// person. Questions are answered Yes (the confirmation), every other message OK; what
// would have been shown reaches the log through LoggedUi.
#include <functional>

#include "core/UiPort.h"

namespace qel {

class SilentUi : public UiPort {
public:
    explicit SilentUi(std::string pasta) : pasta_(std::move(pasta)) {}

    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo, BotoesMensagem botoes) override;
    void MostraFalha(const std::string&) override {}
    void MostraAnimacao(bool) override {}
    void MostraPagina(Pagina pagina) override { pagina_ = pagina; }
    Pagina PaginaAtual() const override { return pagina_; }
    void MostraAguarde() override {}
    void Repinta() override {}
    void Fecha() override {}
    void ComecaAlteracoes() override {
        if (aoAlterar_) aoAlterar_();
    }
    int TipoInstalacao() const override { return tipo_; }
    std::string PastaInstalacao() const override { return pasta_; }
    void DefinePastaInstalacao(const std::string& pasta) override { pasta_ = pasta; }

    void DefineTipoInstalacao(int tipo) { tipo_ = tipo; }
    // What the run's first change does (hold off the end of the session).
    void AoComecarAlteracoes(std::function<void()> aoAlterar) { aoAlterar_ = std::move(aoAlterar); }

private:
    std::string pasta_;
    int tipo_ = 0;
    Pagina pagina_ = Pagina::Inicio;
    std::function<void()> aoAlterar_;
};

}  // namespace qel
