// Saves pictures of the wizard for people to look at: the three pages, page 3 during an
// installation, each kind of message dialog, the failure box, the folder browser, and
// page 2 laid out for 144 DPI.
//   qel_screenshots.exe <folder>   (tools/screenshots.sh runs it and makes PNG files)
// Each picture is a 24-bit BMP of the screen area that the window and its dialog cover.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "engine/RunProgress.h"
#include "platform/CommonControls.h"
#include "platform/Failure.h"
#include "platform/Handles.h"
#include "tools/uidriver/UiDriver.h"
#include "wizard/EventLoop.h"
#include "wizard/FailureBox.h"
#include "wizard/Instalador_NEW.h"

namespace {

using namespace qel;

std::string g_folder;

void SaveScreen(RECT r, const std::string& name) {
    if (!qel::uidriver::SaveScreenArea(r, g_folder + "\\" + name + ".bmp"))
        std::printf("could not save %s\n", name.c_str());
    std::printf("%s\n", name.c_str());
}

void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

RECT WindowRect(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

RECT Union(RECT a, RECT b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

struct FindDialog {
    HWND owner;
    HWND found;
};

BOOL CALLBACK FindPopup(HWND h, LPARAM lp) {
    auto* f = reinterpret_cast<FindDialog*>(lp);
    char cls[32];
    GetClassNameA(h, cls, sizeof cls);
    if (IsWindowVisible(h) && std::string(cls) == "#32770") f->found = h;
    return TRUE;
}

// While something modal runs on this thread, another thread waits for its dialog, saves
// the picture and closes it with the given command.
void WhileModal(HWND wizard, const std::string& name, WPARAM command, void (*modal)(TfrmInstala&),
                TfrmInstala& frm) {
    std::atomic<bool> done{false};
    const DWORD thread = GetCurrentThreadId();
    std::thread helper([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog; ++i) {
            Sleep(50);
            FindDialog f{wizard, nullptr};
            EnumThreadWindows(thread, FindPopup, reinterpret_cast<LPARAM>(&f));
            dialog = f.found;
        }
        if (!dialog) {
            std::printf("no dialog for %s\n", name.c_str());
            return;
        }
        Sleep(700);
        SaveScreen(Union(WindowRect(wizard), WindowRect(dialog)), name);
        PostMessageA(dialog, WM_COMMAND, command, 0);
        done = true;
    });
    modal(frm);
    helper.join();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: qel_screenshots <folder>\n");
        return 2;
    }
    g_folder = argv[1];
    ComApartment com;
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_ANIMATE_CLASS};
    comctl::InitCommonControlsEx(icc);
    try {
        TfrmInstala frm(GetModuleHandleA(nullptr));
        frm.Show();
        Pump(800);
        HWND w = frm.Handle();
        SaveScreen(WindowRect(w), "1-pagina-inicio");
        frm.MostraPagina(Pagina::Diretorio);
        Pump(500);
        SaveScreen(WindowRect(w), "2-pagina-diretorio");
        frm.MostraPagina(Pagina::Instala);
        Pump(500);
        SaveScreen(WindowRect(w), "3-pagina-instala");
        frm.MostraAguarde();
        frm.MostraAnimacao(true);
        frm.MostraAndamento({TextoDaEtapa(Etapa::Migracao), TextoDaTabela("TB_ACOMPANHAMENTO", 61234, 150003), 450});
        Pump(800);
        SaveScreen(WindowRect(w), "4-pagina-instala-executando");
        frm.MostraAnimacao(false);

        frm.MostraPagina(Pagina::Inicio);
        Pump(300);
        WhileModal(w, "5-confirmacao", IDNO, [](TfrmInstala& f) {
            f.MostraMensagem("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao,
                             BotoesMensagem::SimNao);
        }, frm);
        WhileModal(w, "6-erro", IDOK, [](TfrmInstala& f) {
            f.MostraMensagem("Disco nº 1 não foi descompactado corretamente", TipoMensagem::Erro,
                             BotoesMensagem::Ok);
        }, frm);
        WhileModal(w, "7-aviso", IDOK, [](TfrmInstala& f) {
            f.MostraMensagem("Banco de dados não foi localizado.\rVerifique pasta de instalação correta.",
                             TipoMensagem::Aviso, BotoesMensagem::Ok);
        }, frm);
        WhileModal(w, "8-informacao", IDOK, [](TfrmInstala& f) {
            f.MostraMensagem("Instalação concluída!\rReinicialize seu computador para executar o sistema.",
                             TipoMensagem::Informacao, BotoesMensagem::Ok);
        }, frm);
        WhileModal(w, "9-simples", IDOK, [](TfrmInstala& f) {
            f.MostraMensagem("O arquivo de banco de dados est\xE1 aberto por outro programa e n\xE3o "
                             "p\xF4" "de ser lido; feche o sistema QEL em todas as esta\xE7\xF5" "es "
                             "e tente a instala\xE7\xE3o outra vez, sem perder nenhum dado.",
                             TipoMensagem::Simples, BotoesMensagem::Ok);
        }, frm);
        WhileModal(w, "10-caixa-de-falha", IDOK, [](TfrmInstala& f) {
            RunHandler(f.Handle(), [] { throw Failure("Unable to create directory"); });
        }, frm);
        frm.MostraPagina(Pagina::Diretorio);
        Pump(300);
        WhileModal(w, "11-procurar-pasta", IDCANCEL, [](TfrmInstala& f) { f.diredInstala().Browse(); },
                   frm);
        Pump(300);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    try {
        TfrmInstala frm(GetModuleHandleA(nullptr), 144);
        frm.Show();
        frm.MostraPagina(Pagina::Diretorio);
        Pump(800);
        SaveScreen(WindowRect(frm.Handle()), "12-pagina-diretorio-144dpi");
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
