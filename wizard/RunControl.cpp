// The installation run as the wizard window sees it: started on a thread of its own, its
// calls made on the window's thread, its progress shown on page 3, its end awaited by the
// handler slot and by a close asked for meanwhile, and the end of the Windows session held
// off while it changes files.
#include <windows.h>
#include <commctrl.h>

#include "engine/SessionEnd.h"
#include "platform/Failure.h"
#include "wizard/Instalador_NEW.h"

namespace qel {

void TfrmInstala::ExecutaEmLinhaPropria(std::function<void(UiPort&)> trabalho) {
    if (execucao_ || !hwnd_) throw Failure("An installation is already running");
    // Made here, on the window's thread: every call the run makes reaches the window's
    // port through it.
    auto porta = std::make_shared<PortaDaExecucao>(hwnd_, Porta(), andamentos_, kAndamento);
    execucao_ = std::make_unique<RunThread>(
        [porta, trabalho = std::move(trabalho)] {
            try {
                trabalho(*porta);
            } catch (const std::exception& falha) {
                try {
                    porta->MostraFalha(falha.what());
                } catch (const std::exception&) {
                    // The window is gone: nobody is left to tell.
                }
            }
        },
        hwnd_, kFimDaExecucao);
    // No handler runs and no close is carried out until the run has ended.
    ++handlerDepth_;
}

void TfrmInstala::ExecucaoTerminou() {
    if (!execucao_) return;
    execucao_.reset();  // its thread has posted this as its last act
    --handlerDepth_;
    andamentos_.Retira();
    EscondeAndamento();
    if (bloqueio_) bloqueio_->Release();
    if (closeRequested_ && handlerDepth_ == 0 && hwnd_) DestroyWindow(hwnd_);
}

void TfrmInstala::MostraAndamento(const Andamento& andamento) {
    if (!hwnd_) return;
    HWND etapa = Controle("lblEtapa"), detalhe = Controle("lblDetalhe"), barra = Controle("pbrInstala");
    SetWindowTextA(etapa, andamento.etapa.c_str());
    SetWindowTextA(detalhe, andamento.detalhe.c_str());
    SendMessageA(barra, PBM_SETPOS, static_cast<WPARAM>(andamento.milesimos), 0);
    for (HWND h : {etapa, detalhe, barra}) ShowWindow(h, SW_SHOWNA);
}

void TfrmInstala::EscondeAndamento() {
    if (!built_[2]) return;
    for (const char* nome : {"lblEtapa", "lblDetalhe", "pbrInstala"}) ShowWindow(Controle(nome), SW_HIDE);
}

void TfrmInstala::ComecaAlteracoes() {
    if (bloqueio_) BloqueiaFimDaSessao(*bloqueio_);
}

}  // namespace qel
