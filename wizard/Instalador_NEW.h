#pragma once
// The wizard window frmInstala: a fixed-size window holding three pages, the wizard
// state and the handlers of its buttons. It is the user-interface port through which
// the installation run and the database upgrade reach the user. The run works on a thread
// of its own; the window's thread only handles messages, making what the run asks for.
#include <windows.h>

#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Desfecho.h"
#include "core/UiPort.h"
#include "core/WizardState.h"
#include "platform/RunThread.h"
#include "platform/SessionBlock.h"
#include "wizard/Banner.h"
#include "wizard/ControlClasses.h"
#include "wizard/CopyAnimation.h"
#include "wizard/DirectoryEdit.h"
#include "wizard/Glyphs.h"
#include "wizard/LayoutScale.h"
#include "wizard/PageLayout.h"
#include "wizard/RunPort.h"
#include "wizard/TaskbarEntry.h"
#include "wizard/WizardFonts.h"

namespace qel {

class TdmInstalaQel;

class TfrmInstala : public UiPort, private ControlHost {
public:
    static constexpr const char* kClassName = "TfrmInstala";
    static constexpr const char* kCaption = "Quelvara - Instala\xE7\xE3o";
    static constexpr int kClientWidth = 600;
    static constexpr int kClientHeight = 386;

    // Creates the window, hidden, laid out for the given DPI; FormCreate runs during the
    // creation. Throws when the window cannot be built.
    explicit TfrmInstala(HINSTANCE instance, int dpi = LayoutScale::SystemDpi());
    ~TfrmInstala() override;
    TfrmInstala(const TfrmInstala&) = delete;
    TfrmInstala& operator=(const TfrmInstala&) = delete;

    // Shows the window, which is made centred on the screen, with the focus on the page
    // control.
    void Show();
    HWND Handle() const { return hwnd_; }
    bool Alive() const { return hwnd_ != nullptr; }
    HWND TaskbarWindow() const { return taskbar_.Handle(); }

    // The data module is created after the window; it is handed over once it exists.
    void SetDataModule(TdmInstalaQel* dm) { dm_ = dm; }
    TdmInstalaQel* DataModule() const { return dm_; }

    const WizardState& Estado() const { return estado_; }
    WizardState& Estado() { return estado_; }
    // The folder field's text and initial folder, also before page 2 was first shown.
    std::string TextoDiredInstala() const;
    std::string PastaInicialDiredInstala() const;
    // The folder field and the copy animation; asking for one makes its page if it was
    // not made yet (see Controle).
    DirectoryEdit& diredInstala();
    CopyAnimation& anmIntala();

    // The controls by their names in the layout (pgcInstala, tbsInicio, BitBtn3,
    // tpinstal, diredInstala, ...); null for an unknown name. Page 1 is made with the
    // window, the controls of pages 2 and 3 when their page is first shown: a control
    // asked for before that is made at once, with the rest of its page, so a caller finds
    // every control by its name.
    HWND Controle(const std::string& nome);
    // A page, with its controls made.
    HWND JanelaDaPagina(int index);
    int PaginaVisivel() const;
    // The radio items of tpinstal, in their order.
    const std::vector<HWND>& ItensTipoInstalacao() const { return tipoItens_; }

    // Gives a key message its meaning in the wizard (Tab, Enter, Escape, arrows in the
    // radio group) before it is dispatched; true when it was used up.
    bool TrataTecla(const MSG& msg);

    // Runs a handler as a button does: through the failure box's wrapper, with a close
    // requested meanwhile carried out once it returns. A handler asked for while another
    // runs (or while the folder browser is open, or a run works) is not run.
    void ExecutaManipulador(void (TfrmInstala::*handler)());
    void ExecutaManipulador(const std::function<void()>& handler);
    // Starts `trabalho` on a thread of its own (RunThread) with a port that carries its
    // calls to this window's thread. Until it has ended it counts as a running handler: no
    // handler runs, a close waits for its end. A failure it lets escape is shown in the
    // failure box. Only from a handler, on the window's thread.
    void ExecutaEmLinhaPropria(std::function<void(UiPort&)> trabalho);
    bool ExecucaoEmCurso() const { return execucao_ != nullptr; }
    // Whether the end of the Windows session is held off (a run is changing files).
    bool FimDaSessaoBloqueado() const { return bloqueio_ && bloqueio_->Held(); }
    // Closes the window now, or when the running handler returns.
    void PedeFechamento();
    bool FechamentoPedido() const { return closeRequested_; }

    // The port the handlers hand to the operations: the window itself, or the window
    // seen through the installation log.
    void UsaPorta(UiPort* porta) { porta_ = porta; }
    UiPort& Porta() { return *porta_; }
    // How the last installation run (or a check that closed the window) ended; Cancelada
    // when none has.
    Desfecho DesfechoFinal() const { return desfecho_.value_or(Desfecho::Cancelada); }

    // UiPort.
    RespostaMensagem MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                    BotoesMensagem botoes) override;
    void MostraFalha(const std::string& mensagem) override;
    void MostraAnimacao(bool ligada) override;
    void MostraPagina(Pagina pagina) override;
    Pagina PaginaAtual() const override;
    void MostraAguarde() override;
    void Repinta() override;
    void MostraAndamento(const Andamento& andamento) override;
    void ComecaAlteracoes() override;
    void Fecha() override;
    int TipoInstalacao() const override;
    std::string PastaInstalacao() const override;
    void DefinePastaInstalacao(const std::string& pasta) override;
    // Selects the installation type: 0 fresh install, 1 update.
    void DefineTipoInstalacao(int tipo);

    // Handlers.
    void FormCreate();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    void ConfirmaCancelamento();

private:
    struct ControlInfo {
        const ControlEntry* entry;
        HWND hwnd;
    };

    // What the run's thread posts: it has ended; progress waits in andamentos_.
    static constexpr UINT kFimDaExecucao = WM_APP + 1;
    static constexpr UINT kAndamento = WM_APP + 2;

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    bool Notification(HWND container, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

    void CreateControls();
    // The run's thread has ended (its notice arrived): the handler slot is free again and
    // a close asked for meanwhile is carried out.
    void ExecucaoTerminou();
    // Hides the step, the table and the bar of page 3.
    void EscondeAndamento();
    void BuildPage(int page);
    HWND CreateControl(const ControlEntry& entry, HWND parent, int id);
    void CreateRadioItems(const ControlEntry& entry, HWND group, int firstId);
    void ShowPage(int index);
    void Click(HWND button);
    const ControlInfo* InfoOf(HWND hwnd) const;
    bool IsBitBtn(HWND hwnd) const;
    bool LooksDefault(HWND button) const;
    HWND RoleButton(int page, ButtonRole role) const;

    // Keyboard and focus.
    std::vector<HWND> TabCycle(int page) const;
    HWND FocusTarget(HWND entry) const;
    HWND FirstTabStop(int page) const;
    void MoveFocus(bool forward);
    bool MoveInRadioGroup(HWND item, bool forward);
    void MarkSelectedRadioAsTabStop();

    HINSTANCE instance_;
    LayoutScale scale_;
    WizardFonts fonts_;
    Glyphs glyphs_;
    Picture banner_;
    TaskbarEntry taskbar_;
    HWND hwnd_ = nullptr;
    HWND pgcInstala_ = nullptr;
    HWND pages_[3] = {};
    std::map<std::string, HWND> byName_;
    std::map<HWND, ControlInfo> controls_;
    std::vector<HWND> tipoItens_;
    bool built_[3] = {};
    std::unique_ptr<DirectoryEdit> diredInstala_;
    // The folder field's values until the field is made with page 2.
    std::string pastaTexto_, pastaInicial_;
    std::unique_ptr<CopyAnimation> anmIntala_;
    int page_ = -1;
    HWND savedFocus_ = nullptr;
    int handlerDepth_ = 0;
    bool closeRequested_ = false;
    std::exception_ptr creationFailure_;
    WizardState estado_;
    TdmInstalaQel* dm_ = nullptr;
    UiPort* porta_ = this;
    std::optional<Desfecho> desfecho_;
    CaixaDeAndamento andamentos_;
    std::optional<SessionBlock> bloqueio_;
    // Last, so that it goes first: its thread ends before anything it uses.
    std::unique_ptr<RunThread> execucao_;
};

}  // namespace qel
