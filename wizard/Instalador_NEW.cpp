#include "wizard/Instalador_NEW.h"

#include <commctrl.h>

#include <algorithm>

#include "engine/SessionEnd.h"
#include "platform/Failure.h"
#include "platform/GdiHandles.h"
#include "platform/WindowCall.h"
#include "wizard/ApplicationTitle.h"
#include "wizard/BitBtn.h"
#include "wizard/FailureBox.h"
#include "wizard/MessageDialog.h"
#include "engine/StartState.h"

namespace qel {
namespace {

// A fixed single frame (a caption, a one-line border, no sizing border) and no title-bar
// buttons.
constexpr DWORD kFrameStyle = WS_OVERLAPPED | WS_CAPTION | WS_CLIPCHILDREN;
constexpr DWORD kFrameExStyle = WS_EX_CONTROLPARENT;

// Control identifiers: the Default and Cancel buttons carry the platform's OK and
// Cancel identifiers, so tools that look for a page's default and cancel buttons find
// them; the other controls are numbered from here.
constexpr int kFirstControlId = 100;

void RegisterWizardClass(HINSTANCE instance, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, TfrmInstala::kClassName, &wc)) return;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    wc.hIcon = LoadIconA(instance, "MAINICON");
    wc.lpszClassName = TfrmInstala::kClassName;
    if (!RegisterClassExA(&wc)) throw Failure("Cannot register the wizard window class");
}

// Width and height of a text in a font, on the screen. A memory device context of the
// screen measures as the screen's own does, without the round trip of taking the
// screen's (a quarter of a millisecond under Wine, for every label).
SIZE TextSize(HFONT font, const char* text) {
    MemoryDc dc(nullptr);
    Selected s(dc.get(), font);
    SIZE size{0, 0};
    GetTextExtentPoint32A(dc.get(), text, lstrlenA(text), &size);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc.get(), &tm);
    size.cy = tm.tmHeight;
    return size;
}

}  // namespace

TfrmInstala::TfrmInstala(HINSTANCE instance, int dpi)
    : instance_(instance),
      scale_(dpi),
      fonts_(scale_),
      glyphs_(instance),
      banner_(LoadBanner(instance)),
      taskbar_(instance, ApplicationTitle(), [this] { PedeFechamento(); }) {
    RegisterControlClasses(instance);
    RegisterWizardClass(instance, &TfrmInstala::WindowProc);
    RECT r{0, 0, scale_(kClientWidth), scale_(kClientHeight)};
    AdjustWindowRectEx(&r, kFrameStyle, FALSE, kFrameExStyle);
    // Owned by the taskbar entry's window, so the entry is the program's only one. Made
    // where it will show, centred on the screen: moving it later costs a round trip.
    const int w = r.right - r.left, h = r.bottom - r.top;
    CreateWindowExA(kFrameExStyle, kClassName, kCaption, kFrameStyle, (GetSystemMetrics(SM_CXSCREEN) - w) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - h) / 2, w, h, taskbar_.Handle(), nullptr, instance, this);
    if (!hwnd_) {
        if (creationFailure_) std::rethrow_exception(creationFailure_);
        throw Failure("Cannot create the wizard window");
    }
    taskbar_.SetMainWindow(hwnd_);
}

TfrmInstala::~TfrmInstala() {
    if (hwnd_) DestroyWindow(hwnd_);
}

void TfrmInstala::Show() {
    taskbar_.Show();
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    UpdateWindow(hwnd_);
    SetFocus(pgcInstala_);
}

LRESULT CALLBACK TfrmInstala::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    TfrmInstala* self;
    if (msg == WM_NCCREATE) {
        self = static_cast<TfrmInstala*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->hwnd_ = hwnd;
    } else {
        self = reinterpret_cast<TfrmInstala*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    }
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    return self->Handle(msg, wp, lp);
}

LRESULT TfrmInstala::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        try {
            bloqueio_.emplace(hwnd_);
            AttachHost(hwnd_, this);
            CreateControls();
            FormCreate();
        } catch (...) {
            creationFailure_ = std::current_exception();
            return -1;  // the constructor reports it
        }
        return 0;
    case WM_ACTIVATE:
        // A plain window forgets its focused control when it is deactivated (a dialog
        // opens over it); the wizard keeps it and gives it back.
        if (LOWORD(wp) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(hwnd_, focus)) savedFocus_ = focus;
        } else if (!HIWORD(wp)) {
            HWND target = savedFocus_;
            if (!target || !IsChild(hwnd_, target) || !IsWindowVisible(target)) target = pgcInstala_;
            SetFocus(target);
        }
        return 0;
    case WM_SETFOCUS:
        if (savedFocus_ && IsChild(hwnd_, savedFocus_) && IsWindowVisible(savedFocus_))
            SetFocus(savedFocus_);
        else
            SetFocus(pgcInstala_);
        return 0;
    case WM_SYSCOMMAND:
        // No window menu and no title-bar buttons: Alt+F4 and Alt do nothing here. The
        // program is closed by the wizard's buttons or by the taskbar entry's menu.
        if ((wp & 0xFFF0) == SC_CLOSE || (wp & 0xFFF0) == SC_KEYMENU) return 0;
        break;
    case WM_CLOSE:
        PedeFechamento();
        return 0;
    case kWindowCall:
        return AnswerWindowCall(lp);
    case kAndamento:
        if (const auto andamento = andamentos_.Retira(); andamento && execucao_) Porta().MostraAndamento(*andamento);
        return 0;
    case kFimDaExecucao:
        ExecucaoTerminou();
        return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION: {
        LRESULT resposta = 0;
        if (bloqueio_ && TrataFimDaSessao(msg, wp, lp, *bloqueio_, ExecucaoEmCurso(), Porta(), resposta))
            return resposta;
        break;
    }
    case WM_DESTROY:
        anmIntala_.reset();
        DetachHost(hwnd_);
        if (closeRequested_) PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        pgcInstala_ = nullptr;
        taskbar_.Destroy();
        return 0;
    }
    LRESULT result = 0;
    if (Notification(hwnd_, msg, wp, lp, result)) return result;
    return DefWindowProcA(hwnd_, msg, wp, lp);
}

HWND TfrmInstala::CreateControl(const ControlEntry& entry, HWND parent, int id) {
    HFONT font = fonts_.Font(entry.font);
    int x = scale_(entry.left), y = scale_(entry.top);
    int w = scale_(entry.width), h = scale_(entry.height);
    const DWORD visible = entry.visible ? WS_VISIBLE : 0;
    const DWORD tabStop = entry.tabOrder >= 0 ? WS_TABSTOP : 0;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | visible;
    DWORD exStyle = 0;
    const char* cls = nullptr;
    switch (entry.kind) {
    case ControlKind::Label: {
        // A label takes the width of its text; one with a width of its own keeps it, as
        // long as its text fits. Its height is never less than the font's.
        const SIZE text = TextSize(font, entry.text);
        w = entry.width == kTextWidth ? text.cx : std::max<int>(w, text.cx);
        h = std::max<int>(h, text.cy);
        cls = kLabelClass;
        style |= SS_LEFTNOWORDWRAP | SS_NOPREFIX;
        break;
    }
    case ControlKind::Image:
        cls = kImageClass;
        break;
    case ControlKind::BitBtn:
        cls = kBitBtnClass;
        style |= BS_OWNERDRAW | tabStop;
        break;
    case ControlKind::RadioGroup:
    case ControlKind::GroupBox:
        cls = entry.kind == ControlKind::RadioGroup ? kRadioGroupClass : kGroupBoxClass;
        style |= BS_GROUPBOX | WS_CLIPCHILDREN;
        exStyle |= WS_EX_CONTROLPARENT;
        break;
    case ControlKind::DirectoryEdit:
        cls = DirectoryEdit::kClassName;
        style |= ES_AUTOHSCROLL | ES_LEFT;
        exStyle |= WS_EX_CLIENTEDGE;
        break;
    case ControlKind::Progress:
        cls = PROGRESS_CLASSA;
        break;
    case ControlKind::Animate:
        throw Failure("The copy animation is made by CopyAnimation");
    }
    HWND hwnd = CreateWindowExA(exStyle, cls, entry.text, style, x, y, w, h, parent,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    if (!hwnd) throw Failure(std::string("Cannot create the control ") + entry.name);
    SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (entry.kind == ControlKind::Progress) SendMessageA(hwnd, PBM_SETRANGE32, 0, 1000);
    return hwnd;
}

void TfrmInstala::CreateControls() {
    const int width = scale_(kClientWidth), height = scale_(kClientHeight);
    pgcInstala_ = CreateWindowExA(WS_EX_CONTROLPARENT, kPageControlClass, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN, 0, 0, width,
                                  height, hwnd_, reinterpret_cast<HMENU>(1), instance_, nullptr);
    if (!pgcInstala_) throw Failure("Cannot create the page control");
    byName_[kPageControlName] = pgcInstala_;
    for (int i = 0; i < 3; ++i) {
        // The pages carry no tabs, so each one fills the page control.
        pages_[i] = CreateWindowExA(WS_EX_CONTROLPARENT, kTabSheetClass, "", WS_CHILD | WS_CLIPCHILDREN,
                                    0, 0, width, height, pgcInstala_,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(i + 1)), instance_,
                                    nullptr);
        if (!pages_[i]) throw Failure("Cannot create a page");
        byName_[kPageNames[i]] = pages_[i];
    }
    // The layout names page 3 as the active page; FormCreate shows page 1 instead, before
    // the window can be seen, so page 3 is not made for that.
}

// Makes the controls of a page. The pages not shown at start are made when they are
// first shown (or one of their controls is asked for), so that the first page shows
// sooner: under Wine every window costs a few server round trips, and the copy animation
// of page 3 loads the platform's video modules. Control identifiers
// are those of the whole layout made in its order, whichever page is made first.
void TfrmInstala::BuildPage(int page) {
    if (built_[page] || !hwnd_) return;
    built_[page] = true;
    int nextId = kFirstControlId;
    for (const ControlEntry& entry : WizardLayout()) {
        const int id = entry.role == ButtonRole::Default  ? IDOK
                       : entry.role == ButtonRole::Cancel ? IDCANCEL
                                                         : nextId++;
        const int firstItemId = nextId;
        nextId += static_cast<int>(entry.items.size());
        if (entry.page != page) continue;
        HWND parent = entry.box ? byName_.at(entry.box) : pages_[entry.page];
        HWND hwnd = nullptr;
        if (entry.kind == ControlKind::Animate) {
            const RECT box{scale_(entry.left), scale_(entry.top), scale_(entry.left + entry.width),
                           scale_(entry.top + entry.height)};
            anmIntala_ = std::make_unique<CopyAnimation>(parent, box, id, CopyAnimation::WizardClips(instance_));
            hwnd = anmIntala_->Window();
        } else {
            if (entry.kind == ControlKind::BitBtn) glyphs_.Prepare(entry.glyph);
            hwnd = CreateControl(entry, parent, id);
        }
        byName_[entry.name] = hwnd;
        controls_[hwnd] = {&entry, hwnd};
        switch (entry.kind) {
        case ControlKind::Image:
            SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&banner_));
            break;
        case ControlKind::RadioGroup:
            CreateRadioItems(entry, hwnd, firstItemId);
            break;
        case ControlKind::DirectoryEdit:
            diredInstala_ = std::make_unique<DirectoryEdit>(hwnd, glyphs_.Folder(), scale_(20));
            // The browser is open as long as a handler runs: no button acts meanwhile, and
            // a close waits until it is gone instead of destroying the window under it.
            diredInstala_->SetRunner([this](const std::function<void()>& browse) { ExecutaManipulador(browse); });
            diredInstala_->SetInitialFolder(pastaInicial_);
            diredInstala_->SetText(pastaTexto_);
            break;
        default:
            break;
        }
    }
}

void TfrmInstala::CreateRadioItems(const ControlEntry& entry, HWND group, int firstId) {
    // The items share the box below its caption, one above the other, evenly.
    RECT box;
    GetClientRect(group, &box);
    const int captionHeight = TextSize(fonts_.Font(entry.font), entry.text).cy;
    const int top = captionHeight + scale_(1);
    const int count = static_cast<int>(entry.items.size());
    const int slot = (box.bottom - top - scale_(4)) / count;
    for (int i = 0; i < count; ++i) {
        DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP : 0);
        HWND item = CreateWindowExA(0, "Button", entry.items[i], style, scale_(8), top + i * slot,
                                    box.right - scale_(16), slot, group,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId + i)), instance_,
                                    nullptr);
        if (!item) throw Failure("Cannot create a radio item");
        SendMessageA(item, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Font(entry.font)), FALSE);
        SendMessageA(item, BM_SETCHECK, i == entry.selected ? BST_CHECKED : BST_UNCHECKED, 0);
        tipoItens_.push_back(item);
    }
    MarkSelectedRadioAsTabStop();
}

CopyAnimation& TfrmInstala::anmIntala() {
    BuildPage(2);
    if (!anmIntala_) throw Failure("The wizard window is closed");
    return *anmIntala_;
}

DirectoryEdit& TfrmInstala::diredInstala() {
    BuildPage(1);
    if (!diredInstala_) throw Failure("The wizard window is closed");
    return *diredInstala_;
}

std::string TfrmInstala::TextoDiredInstala() const { return diredInstala_ ? diredInstala_->Text() : pastaTexto_; }

std::string TfrmInstala::PastaInicialDiredInstala() const {
    return diredInstala_ ? diredInstala_->InitialFolder() : pastaInicial_;
}

void TfrmInstala::FormCreate() {
    // The folder field is made with page 2 and takes these values then.
    pastaInicial_ = pastaTexto_ = kPastaPadrao;
    // The pages carry no tabs: they change only through the wizard's buttons.
    ShowPage(0);
    // The versions and the folders, as the unattended installation takes them too.
    estado_ = EstadoDaPartida();
}

HWND TfrmInstala::Controle(const std::string& nome) {
    auto it = byName_.find(nome);
    if (it != byName_.end()) return it->second;
    for (const ControlEntry& entry : WizardLayout()) {
        if (nome != entry.name) continue;
        BuildPage(entry.page);
        it = byName_.find(nome);
        return it == byName_.end() ? nullptr : it->second;
    }
    return nullptr;
}

HWND TfrmInstala::JanelaDaPagina(int index) {
    BuildPage(index);
    return pages_[index];
}

int TfrmInstala::PaginaVisivel() const {
    for (int i = 0; i < 3; ++i)
        if (pages_[i] && (GetWindowLongA(pages_[i], GWL_STYLE) & WS_VISIBLE)) return i;
    return -1;
}

const TfrmInstala::ControlInfo* TfrmInstala::InfoOf(HWND hwnd) const {
    auto it = controls_.find(hwnd);
    return it == controls_.end() ? nullptr : &it->second;
}

bool TfrmInstala::IsBitBtn(HWND hwnd) const {
    const ControlInfo* info = InfoOf(hwnd);
    return info && info->entry->kind == ControlKind::BitBtn;
}

HWND TfrmInstala::RoleButton(int page, ButtonRole role) const {
    for (const auto& [hwnd, info] : controls_)
        if (info.entry->page == page && info.entry->role == role) return hwnd;
    return nullptr;
}

bool TfrmInstala::LooksDefault(HWND button) const {
    // The button Enter would press: the focused button, or the page's Default button
    // while the focus is on no button.
    HWND focus = GetFocus();
    if (IsBitBtn(focus)) return focus == button;
    const ControlInfo* info = InfoOf(button);
    return info && info->entry->role == ButtonRole::Default;
}

bool TfrmInstala::Notification(HWND, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED && lp) {
            HWND from = reinterpret_cast<HWND>(lp);
            if (IsBitBtn(from)) Click(from);
            else if (std::find(tipoItens_.begin(), tipoItens_.end(), from) != tipoItens_.end())
                MarkSelectedRadioAsTabStop();
            result = 0;
            return true;
        }
        return false;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        const ControlInfo* info = InfoOf(item->hwndItem);
        if (!info || info->entry->kind != ControlKind::BitBtn) return false;
        PaintBitBtn(*item, glyphs_.List(info->entry->glyph), LooksDefault(item->hwndItem), scale_(4));
        result = TRUE;
        return true;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN: {
        // Labels, boxes and radio items share the window's colour; the title and acronym
        // labels write in their fonts' colour.
        HDC dc = reinterpret_cast<HDC>(wp);
        const ControlInfo* info = InfoOf(reinterpret_cast<HWND>(lp));
        SetTextColor(dc, WizardFonts::TextColour(info ? info->entry->font : FontRole::Window));
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        return true;
    }
    }
    return false;
}

void TfrmInstala::ShowPage(int index) {
    if (index == page_ || !pages_[index]) return;
    BuildPage(index);
    // When the switch hides the control that has the focus, the focus moves to the first
    // tab stop of the new page; a focus elsewhere (the page control) stays where it is.
    HWND focus = GetFocus();
    const bool focusOnOldPage = page_ >= 0 && focus && IsChild(pages_[page_], focus);
    const bool savedOnOldPage = page_ >= 0 && savedFocus_ && IsChild(pages_[page_], savedFocus_);
    ShowWindow(pages_[index], SW_SHOW);
    const int old = page_;
    page_ = index;
    if (focusOnOldPage) SetFocus(FirstTabStop(index));
    if (savedOnOldPage) savedFocus_ = FirstTabStop(index);
    for (int i = 0; i < 3; ++i)
        if (i != index) ShowWindow(pages_[i], SW_HIDE);
    if (old >= 0) InvalidateRect(pages_[index], nullptr, TRUE);
}

void TfrmInstala::Click(HWND button) {
    // Buttons of hidden pages never react, nor does anything once the window is closing.
    if (!IsWindowVisible(button) || closeRequested_) return;
    static const std::map<std::string, void (TfrmInstala::*)()> kHandlers = {
        {"BitBtn1", &TfrmInstala::BitBtn1Click}, {"BitBtn2", &TfrmInstala::BitBtn2Click},
        {"BitBtn3", &TfrmInstala::BitBtn3Click}, {"BitBtn4", &TfrmInstala::BitBtn4Click},
        {"BitBtn5", &TfrmInstala::BitBtn5Click}, {"BitBtn6", &TfrmInstala::BitBtn6Click},
        {"BitBtn7", &TfrmInstala::BitBtn7Click}, {"BitBtn8", &TfrmInstala::BitBtn8Click},
    };
    const ControlInfo* info = InfoOf(button);
    if (!info) return;
    auto it = kHandlers.find(info->entry->name);
    if (it != kHandlers.end()) ExecutaManipulador(it->second);
}

void TfrmInstala::ExecutaManipulador(void (TfrmInstala::*handler)()) {
    ExecutaManipulador([this, handler] { (this->*handler)(); });
}

void TfrmInstala::ExecutaManipulador(const std::function<void()>& handler) {
    // A press that arrives while a handler runs (a dialog's loop handles the window's
    // messages) or while a run works is not acted on: one handler, and so one
    // installation run, at a time.
    if (handlerDepth_ > 0) return;
    ++handlerDepth_;
    // A failure the handler leaves is shown through the port, so the log has it too.
    RunHandler(hwnd_, [this, &handler] {
        try {
            handler();
        } catch (const std::exception& falha) {
            Porta().MostraFalha(falha.what());
        }
    });
    --handlerDepth_;
    if (closeRequested_ && handlerDepth_ == 0 && hwnd_) DestroyWindow(hwnd_);
}

void TfrmInstala::PedeFechamento() {
    closeRequested_ = true;
    if (handlerDepth_ == 0 && hwnd_) DestroyWindow(hwnd_);
}

// UiPort.

RespostaMensagem TfrmInstala::MostraMensagem(const std::string& texto, TipoMensagem tipo,
                                             BotoesMensagem botoes) {
    return qel::MostraMensagem(hwnd_, texto, tipo, botoes);
}

void TfrmInstala::MostraFalha(const std::string& mensagem) { ShowFailureBox(hwnd_, mensagem); }

void TfrmInstala::MostraAnimacao(bool ligada) {
    // An animation not made yet has never run nor shown: stopping it changes nothing.
    if (!hwnd_ || (!ligada && !anmIntala_)) return;
    anmIntala().Show(ligada);
}

void TfrmInstala::MostraPagina(Pagina pagina) { ShowPage(static_cast<int>(pagina)); }

Pagina TfrmInstala::PaginaAtual() const { return static_cast<Pagina>(page_ < 0 ? 0 : page_); }

void TfrmInstala::MostraAguarde() { ShowWindow(Controle("lblMsgInstala"), SW_SHOWNA); }

void TfrmInstala::Repinta() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void TfrmInstala::Fecha() { PedeFechamento(); }

int TfrmInstala::TipoInstalacao() const {
    for (size_t i = 0; i < tipoItens_.size(); ++i)
        if (SendMessageA(tipoItens_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
    return -1;
}

std::string TfrmInstala::PastaInstalacao() const { return TextoDiredInstala(); }

void TfrmInstala::DefinePastaInstalacao(const std::string& pasta) {
    if (diredInstala_) diredInstala_->SetText(pasta);
    else pastaTexto_ = pasta;
}

void TfrmInstala::DefineTipoInstalacao(int tipo) {
    for (size_t i = 0; i < tipoItens_.size(); ++i)
        SendMessageA(tipoItens_[i], BM_SETCHECK, static_cast<int>(i) == tipo ? BST_CHECKED : BST_UNCHECKED, 0);
    MarkSelectedRadioAsTabStop();
}

}  // namespace qel
