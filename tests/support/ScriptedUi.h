#pragma once
// A UI port for integration tests: records every dialog and every change of the window
// in order, and answers dialogs from a script.
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/UiPort.h"
#include "core/WizardState.h"

namespace qel::test {

struct Dialogo {
    std::string texto;
    TipoMensagem tipo;
    BotoesMensagem botoes;
    RespostaMensagem resposta;
};

class ScriptedUi : public UiPort {
public:
    // Queues the answer of the next dialog. A dialog with no queued answer is a test
    // failure and is answered with OK (OK dialogs) or No (questions).
    void Responde(RespostaMensagem r) { respostas_.push_back(r); }

    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                    BotoesMensagem botoes) override;
    void MostraFalha(const std::string& mensagem) override;
    void Relata(const std::string& etapa, const std::string& resultado) override {
        relatos.push_back(etapa + ": " + resultado);
    }
    void MostraAnimacao(bool ligada) override;
    void MostraPagina(Pagina pagina) override;
    Pagina PaginaAtual() const override { return pagina; }
    void MostraAguarde() override;
    void Repinta() override;
    void MostraAndamento(const Andamento& a) override { andamentos.push_back(a); }
    void ComecaAlteracoes() override;
    void Fecha() override;
    int TipoInstalacao() const override { return tipoInstalacao; }
    std::string PastaInstalacao() const override { return pasta; }
    void DefinePastaInstalacao(const std::string& p) override;

    // Everything that happened, one entry per call, for order checks:
    // "dialogo:<texto>", "animacao:on|off", "pagina:0|1|2", "aguarde", "repinta",
    // "alteracoes", "fecha", "pasta:<texto>", "falha:<mensagem>".
    std::vector<std::string> eventos;
    std::vector<Dialogo> dialogos;
    // The steps told for the log, "<etapa>: <resultado>", kept out of eventos.
    std::vector<std::string> relatos;
    // The progress shown, in order, kept out of eventos.
    std::vector<Andamento> andamentos;

    // The window as the calls left it.
    Pagina pagina = Pagina::Inicio;
    bool fechada = false;
    bool animacaoLigada = false;
    bool animacaoVisivel = false;
    bool aguardeVisivel = false;
    int repinturas = 0;

    // What the user chose.
    int tipoInstalacao = 1;
    std::string pasta = kPastaPadrao;

    // When set, starting the animation fails as a missing clip does.
    bool animacaoFalha = false;
    // Runs when the run says its first change comes.
    std::function<void()> aoAlterar;

private:
    void NaoDepoisDeFechar(const std::string& what);
    std::deque<RespostaMensagem> respostas_;
};

}  // namespace qel::test
