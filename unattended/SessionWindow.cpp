#include "unattended/SessionWindow.h"

#include "engine/SessionEnd.h"
#include "platform/ErrorText.h"
#include "platform/WindowCall.h"

namespace qel {
namespace {

constexpr const char* kClasse = "TInstalaQELSemJanela";

}  // namespace

JanelaDaSessao::JanelaDaSessao(UiPort& registro) : registro_(registro) {
    const HINSTANCE instancia = GetModuleHandleA(nullptr);
    WNDCLASSA classe{};
    if (!GetClassInfoA(instancia, kClasse, &classe)) {
        classe = {};
        classe.lpfnWndProc = Proc;
        classe.hInstance = instancia;
        classe.lpszClassName = kClasse;
        RegisterClassA(&classe);
    }
    // Top-level (not message-only): only top-level windows are asked before the session ends.
    janela_ = CreateWindowExA(0, kClasse, "InstalaQEL", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instancia, this);
    if (!janela_) {
        // Taken at once: making the log's text may change the thread's last error.
        const DWORD erro = GetLastError();
        registro_.Relata("Fim da sessão do Windows",
                         "não será adiado: a janela oculta não pôde ser criada (" + text::SystemErrorText(erro, "InstalaQEL") + ")");
        return;
    }
    bloqueio_ = std::make_unique<SessionBlock>(janela_);
}

JanelaDaSessao::~JanelaDaSessao() {
    bloqueio_.reset();
    if (janela_) DestroyWindow(janela_);
}

void JanelaDaSessao::Executa(std::function<void()> trabalho) {
    if (!janela_) {
        RunThread execucao(std::move(trabalho), nullptr, 0);
        return;  // its end waits for the thread
    }
    emExecucao_ = true;
    {
        RunThread execucao(std::move(trabalho), janela_, kFimDaExecucao);
        MSG msg;
        while (emExecucao_ && GetMessageA(&msg, nullptr, 0, 0) > 0) DispatchMessageA(&msg);
    }  // waits for the thread, which has posted its end as its last act
    emExecucao_ = false;
    bloqueio_->Release();
}

void JanelaDaSessao::BloqueiaFimDaSessao() {
    if (!janela_) return;
    CallOnWindowThread(janela_, [this] { qel::BloqueiaFimDaSessao(*bloqueio_); });
}

LRESULT CALLBACK JanelaDaSessao::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams));
    auto* self = reinterpret_cast<JanelaDaSessao*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcA(hwnd, msg, wp, lp);
    switch (msg) {
    case kWindowCall:
        return AnswerWindowCall(lp);
    case kFimDaExecucao:
        self->emExecucao_ = false;
        return 0;
    }
    LRESULT resposta = 0;
    if (self->bloqueio_ &&
        TrataFimDaSessao(msg, wp, lp, *self->bloqueio_, self->emExecucao_, self->registro_, resposta))
        return resposta;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace qel
