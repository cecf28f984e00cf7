#pragma once
// A face of the run with its log: every call passes to the face unchanged, and every
// message, failure and step is written to the installation log as well. Without a log it
// only passes the calls on, so the faces use it whether or not a log was asked for.
#include "core/UiPort.h"
#include "engine/InstallLog.h"

namespace qel {

class LoggedUi : public UiPort {
public:
    LoggedUi(UiPort& face, InstallLog* log) : face_(face), log_(log) {}

    // "Mensagem (erro)", "Mensagem (confirmação)", ...: the step under which a message of
    // that kind is logged.
    static const char* EtapaDaMensagem(TipoMensagem tipo);
    // " (12,3 s)": a step's duration as the log gives it after its result.
    static std::string TextoDaDuracao(std::chrono::milliseconds duracao);

    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo, BotoesMensagem botoes) override;
    void MostraFalha(const std::string& mensagem) override;
    void Relata(const std::string& etapa, const std::string& resultado) override;
    // The result is logged with the duration, in seconds.
    void RelataEtapa(const std::string& etapa, const std::string& resultado,
                     std::chrono::milliseconds duracao) override;
    void MostraAndamento(const Andamento& andamento) override { face_.MostraAndamento(andamento); }
    void ComecaAlteracoes() override { face_.ComecaAlteracoes(); }

    void MostraAnimacao(bool ligada) override { face_.MostraAnimacao(ligada); }
    void MostraPagina(Pagina pagina) override { face_.MostraPagina(pagina); }
    Pagina PaginaAtual() const override { return face_.PaginaAtual(); }
    void MostraAguarde() override { face_.MostraAguarde(); }
    void Repinta() override { face_.Repinta(); }
    void Fecha() override { face_.Fecha(); }
    int TipoInstalacao() const override { return face_.TipoInstalacao(); }
    std::string PastaInstalacao() const override { return face_.PastaInstalacao(); }
    void DefinePastaInstalacao(const std::string& pasta) override { face_.DefinePastaInstalacao(pasta); }

private:
    UiPort& face_;
    InstallLog* log_;
};

}  // namespace qel
