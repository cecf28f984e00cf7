#pragma once
// The face of the unattended installation: no window and no dialog, nothing waits for a
// person. Questions are answered Yes (the confirmation), every other message OK; what
// would have been shown reaches the log through LoggedUi.
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
    // Handles what is sent to this thread's hidden windows (COM's), nothing else.
    void ProcessaMensagens() override;
    void MantemResponsiva() override {}
    void Fecha() override {}
    int TipoInstalacao() const override { return tipo_; }
    std::string PastaInstalacao() const override { return pasta_; }
    void DefinePastaInstalacao(const std::string& pasta) override { pasta_ = pasta; }

    void DefineTipoInstalacao(int tipo) { tipo_ = tipo; }

private:
    std::string pasta_;
    int tipo_ = 0;
    Pagina pagina_ = Pagina::Inicio;
};

}  // namespace qel
