#pragma once
// The one door through which the installation engine and the database upgrade reach the
// user: message dialogs, the copy animation, the pages and the window itself. The wizard
// window implements it, the unattended installation answers it without any window, and
// tests use a scripted implementation that records every call.
#include <string>

namespace qel {

enum class TipoMensagem { Aviso, Erro, Informacao, Confirmacao, Simples };
enum class BotoesMensagem { Ok, SimNao };
// Cancelar: the dialog was closed from its title bar instead of by a button.
enum class RespostaMensagem { Ok, Sim, Nao, Cancelar };
// The three pages of the wizard, in their order: tbsInicio, tbsDiretorio, tbsInstala.
enum class Pagina { Inicio, Diretorio, Instala };

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
    // Starts and shows (true) or stops and hides (false) the copy animation; a failure to
    // open the clip is thrown.
    virtual void MostraAnimacao(bool ligada) = 0;
    virtual void MostraPagina(Pagina pagina) = 0;
    virtual Pagina PaginaAtual() const = 0;
    // Makes the busy label of page 3 visible.
    virtual void MostraAguarde() = 0;
    virtual void Repinta() = 0;
    // Handles all pending window messages once, then returns.
    virtual void ProcessaMensagens() = 0;
    // Keeps the window answering during a long step: handles the pending window messages
    // when the last pass is older than a few tens of milliseconds, and otherwise returns
    // at once after a clock read, so that it can be called for every row of a carry-over.
    // Painting, the system's queries and the copy animation go on; the user's input does
    // not start anything while a step of the run is under way.
    virtual void MantemResponsiva() = 0;
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
