#pragma once
// The unattended run's hidden top-level window. Before a logoff, a restart or a shut down
// the system asks every top-level window, hidden ones too; this one answers for the run,
// which works on a thread of its own while the program's own thread only handles this
// window's messages.
#include <windows.h>

#include <functional>
#include <memory>

#include "core/UiPort.h"
#include "platform/RunThread.h"
#include "platform/SessionBlock.h"

namespace qel {

class JanelaDaSessao {
public:
    // Creates the window on the calling thread; `registro` gets what the log says about
    // the end of the session. A window that cannot be made (no desktop to make it on) is
    // told to the log, and the run then goes on without holding off the end of the session:
    // what the run places is whole at every instant, so a session that ends is no loss.
    explicit JanelaDaSessao(UiPort& registro);
    ~JanelaDaSessao();
    JanelaDaSessao(const JanelaDaSessao&) = delete;
    JanelaDaSessao& operator=(const JanelaDaSessao&) = delete;

    // Runs `trabalho` on a thread of its own (RunThread) and handles this thread's
    // messages until it has ended (without the window: only waits for it); the end of the
    // session is let go again then.
    void Executa(std::function<void()> trabalho);
    // From the run's thread: holds off the end of the session until the run has ended
    // (nothing without the window).
    void BloqueiaFimDaSessao();

    HWND Handle() const { return janela_; }

private:
    static constexpr UINT kFimDaExecucao = WM_APP + 1;
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    UiPort& registro_;
    HWND janela_ = nullptr;
    std::unique_ptr<SessionBlock> bloqueio_;
    bool emExecucao_ = false;
};

}  // namespace qel
