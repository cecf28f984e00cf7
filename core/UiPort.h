#pragma once
// The one door through which the installation engine and the database upgrade reach the
// user: message dialogs, the copy animation, the pages and the window itself. The wizard
// window implements it, the unattended installation answers it without any window, and
// tests use a scripted implementation that records every call.
//
// The installation run calls it from a thread of its own; the wizard carries each call to
// the window's thread and waits for the answer there (MostraAndamento excepted, which is
// only posted), so an implementation is only ever called on one thread at a time.
#include <chrono>
#include <string>

namespace qel {

enum class TipoMensagem { Aviso, Erro, Informacao, Confirmacao, Simples };
enum class BotoesMensagem { Ok, SimNao };
// Cancelar: the dialog was closed from its title bar instead of by a button.
enum class RespostaMensagem { Ok, Sim, Nao, Cancelar };
// The three pages of the wizard, in their order: tbsInicio, tbsDiretorio, tbsInstala.
enum class Pagina { Inicio, Diretorio, Instala };

// How far a run is, as page 3 shows it under the busy label.
struct Andamento {
    std::string etapa;    // the step under way, in words
    std::string detalhe;  // during the carry-over: the table and its rows so far; "" otherwise
    int milesimos = 0;    // how much of the whole run is done, 0 to 1000
};

class UiPort {
public:
    virtual ~UiPort() = default;

    // A modal message dialog; returns the button pressed.
    virtual RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                            BotoesMensagem botoes) = 0;
    // The failure box: a failure that no step handled, shown with TextoDaCaixaDeFalha; the
    // operation that met it has ended.
    virtual void MostraFalha(const std::string& mensagem) = 0;
    // A step of the run and how it went, for the installation log; nothing is shown.
    virtual void Relata(const std::string& /*etapa*/, const std::string& /*resultado*/) {}
    // The same for a step that took `duracao`, which the log gives beside the result.
    virtual void RelataEtapa(const std::string& etapa, const std::string& resultado,
                             std::chrono::milliseconds /*duracao*/) {
        Relata(etapa, resultado);
    }
    // How far the run is; called often (a face shows the latest it was given).
    virtual void MostraAndamento(const Andamento& /*andamento*/) {}
    // Called right before the run first changes a file in the install folder or in the
    // system folder (again later: nothing more happens): from here until the run has
    // ended, the faces hold off the end of the Windows session.
    virtual void ComecaAlteracoes() {}
    // Starts and shows (true) or stops and hides (false) the copy animation; a failure to
    // open the clip is thrown.
    virtual void MostraAnimacao(bool ligada) = 0;
    virtual void MostraPagina(Pagina pagina) = 0;
    virtual Pagina PaginaAtual() const = 0;
    // Makes the busy label of page 3 visible.
    virtual void MostraAguarde() = 0;
    virtual void Repinta() = 0;
    // Closes the wizard window, which ends the program. The caller returns at once.
    virtual void Fecha() = 0;

    // What the user chose: the selected index of the installation type (0 fresh install,
    // 1 update) and the text of the install folder field, exactly as typed.
    virtual int TipoInstalacao() const = 0;
    virtual std::string PastaInstalacao() const = 0;
    // Replaces the text of the install folder field (with the folder as a full path).
    virtual void DefinePastaInstalacao(const std::string& pasta) = 0;
};

// The text the failure box shows for a failure's message: a "." is appended when the
// message's last character sorts after "." in the character order.
inline std::string TextoDaCaixaDeFalha(const std::string& mensagem) {
    if (!mensagem.empty() && static_cast<unsigned char>(mensagem.back()) > '.') return mensagem + ".";
    return mensagem;
}

}  // namespace qel
