// Keyboard and focus of the wizard window, driven by keys and clicks typed into the
// platform's input queue: the first focus, Tab through each page, Enter and Escape with
// and without modifiers, hidden pages, the radio group's arrows, the focus after a page
// switch and after a dialog, and what a close request does while a handler or a run works.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>

#include "engine/InstallLog.h"
#include "engine/LoggedUi.h"
#include "platform/Text.h"
#include "tests/support/Gui.h"
#include "tests/support/Windows.h"
#include "wizard/Instalador_NEW.h"

namespace qel {
namespace {

using test::kAlt;
using test::kCtrl;
using test::kShift;

class Keyboard : public test::ShownWizard {
protected:
    // Page 2's Continuar makes sure the install folder exists: let it be one of the test's.
    void SetUp() override {
        ShownWizard::SetUp();
        frm->diredInstala().SetText(target.Path());
    }

    test::TempFolder target{"teclado"};
    void Type(WORD vk, int modifiers = test::kNone) {
        test::TypeKeyInto(frm->Handle(), vk, modifiers);
        test::PumpInput(frm.get());
    }
    void Click(const char* name) {
        SetForegroundWindow(frm->Handle());
        test::PumpFor(50, frm.get());
        test::ClickOn(C(name));
        test::PumpFor(250, frm.get());
    }
    HWND Item(int i) const { return frm->ItensTipoInstalacao()[i]; }
    bool DialogOpen() const { return !test::DialogsOf(GetCurrentThreadId()).empty(); }
};

TEST_F(Keyboard, EnterRightAfterStartPressesContinuarAndTheFocusStaysOnThePageControl) {
    ASSERT_EQ(GetFocus(), C("pgcInstala"));
    Type(VK_RETURN);
    EXPECT_EQ(frm->PaginaVisivel(), 1);
    EXPECT_EQ(GetFocus(), C("pgcInstala"));
    Type(VK_RETURN);  // page 2's Default button
    EXPECT_EQ(frm->PaginaVisivel(), 2);
    std::string asked;
    {
        // Instalar asks first; No leaves everything on page 3.
        test::ModalWatcher answer("Confirm", [&](HWND d) {
            asked = test::ChildTexts(d, "Static").back();
            test::TypeKeyInto(d, 'N');
        });
        Type(VK_RETURN);
        EXPECT_TRUE(test::PumpUntil([&] { return answer.Ran(); }, 15000, frm.get()));
    }
    EXPECT_EQ(asked, "Confirma a instalação do QEL ?");
    EXPECT_EQ(frm->PaginaVisivel(), 2);
    EXPECT_TRUE(frm->Alive());
}

TEST_F(Keyboard, TabGoesThroughEachPageInTabOrderWithThePageControlAsOneMoreStop) {
    const std::vector<HWND> page1 = {C("BitBtn3"), C("BitBtn1"), Item(1), C("pgcInstala")};
    for (HWND expected : page1) {
        Type(VK_TAB);
        EXPECT_EQ(GetFocus(), expected) << test::WindowText(expected);
    }
    const std::vector<HWND> back = {Item(1), C("BitBtn1"), C("BitBtn3"), C("pgcInstala")};
    for (HWND expected : back) {
        Type(VK_TAB, kShift);
        EXPECT_EQ(GetFocus(), expected) << test::WindowText(expected);
    }

    frm->MostraPagina(Pagina::Diretorio);
    for (HWND expected : {C("BitBtn8"), C("BitBtn4"), C("BitBtn2"), C("pgcInstala")}) {
        Type(VK_TAB);
        EXPECT_EQ(GetFocus(), expected) << test::WindowText(expected);
    }
    frm->MostraPagina(Pagina::Instala);
    for (HWND expected : {C("BitBtn5"), C("BitBtn6"), C("BitBtn7"), C("pgcInstala")}) {
        Type(VK_TAB);
        EXPECT_EQ(GetFocus(), expected) << test::WindowText(expected);
    }
}

TEST_F(Keyboard, AfterAClickOnContinuarVoltarHasTheFocusAndEnterPressesIt) {
    Click("BitBtn3");
    ASSERT_EQ(frm->PaginaVisivel(), 1);
    EXPECT_EQ(GetFocus(), C("BitBtn8")) << "the first tab stop of page 2";
    Type(VK_RETURN);
    EXPECT_EQ(frm->PaginaVisivel(), 0) << "Enter pressed the focused Voltar";
    EXPECT_EQ(GetFocus(), C("BitBtn3")) << "the first tab stop of page 1";
}

TEST_F(Keyboard, EnterPressesTheFocusedButtonOtherwiseTheDefault) {
    Type(VK_TAB);  // BitBtn3
    Type(VK_TAB);  // BitBtn1, Cancelar
    bool asked = false;
    {
        test::ModalWatcher answer("Confirm", [&](HWND d) {
            asked = true;
            test::TypeKeyInto(d, VK_ESCAPE);
        });
        Type(VK_RETURN);
    }
    EXPECT_TRUE(asked) << "Enter pressed the focused Cancelar";
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    test::PumpFor(100, frm.get());
    EXPECT_EQ(GetFocus(), C("BitBtn1")) << "the focus comes back after the dialog";

    Type(VK_TAB);  // the radio item: not a button, so Enter presses the Default
    ASSERT_EQ(GetFocus(), Item(1));
    Type(VK_RETURN);
    EXPECT_EQ(frm->PaginaVisivel(), 1);
}

TEST_F(Keyboard, EscapePressesThePageCancelButtonAndNoKeepsEverything) {
    frm->MostraPagina(Pagina::Diretorio);
    Type(VK_TAB);  // Voltar has the focus; Escape still presses Cancelar
    std::string text;
    {
        test::ModalWatcher answer("Confirm", [&](HWND d) {
            text = test::ChildTexts(d, "Static").back();
            test::TypeKeyInto(d, VK_ESCAPE);
        });
        Type(VK_ESCAPE);
    }
    EXPECT_EQ(text, "Cancelar a instalação :Quelvara");
    EXPECT_TRUE(frm->Alive());
    EXPECT_EQ(frm->PaginaVisivel(), 1);
    EXPECT_EQ(frm->TextoDiredInstala(), target.Path());
}

TEST_F(Keyboard, YesToCancelClosesTheWindow) {
    frm->MostraPagina(Pagina::Instala);
    {
        test::ModalWatcher answer("Confirm", [](HWND d) { test::TypeKeyInto(d, VK_RETURN); });
        Type(VK_ESCAPE);
    }
    EXPECT_TRUE(test::PumpUntil([&] { return !frm->Alive(); }, 2000));
}

TEST_F(Keyboard, EnterAndEscapeWithAModifierHeldDoNothing) {
    Type(VK_RETURN, kShift);
    Type(VK_RETURN, kCtrl);
    Type(VK_RETURN, kAlt);
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    Type(VK_ESCAPE, kShift);
    test::PumpFor(300, frm.get());
    EXPECT_FALSE(DialogOpen());
    EXPECT_TRUE(frm->Alive());
    Type(VK_RETURN);
    EXPECT_EQ(frm->PaginaVisivel(), 1) << "and without one Enter works";
}

TEST_F(Keyboard, CtrlTabChangesNeitherPageNorFocus) {
    Type(VK_TAB, kCtrl);
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    EXPECT_EQ(GetFocus(), C("pgcInstala"));
    Type(VK_TAB, kCtrl | kShift);
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    EXPECT_EQ(GetFocus(), C("pgcInstala"));
    Type(VK_RIGHT);  // nor do the arrows on the page control
    EXPECT_EQ(frm->PaginaVisivel(), 0);
}

TEST_F(Keyboard, ButtonsOfHiddenPagesNeverReact) {
    SendMessageA(C("BitBtn4"), BM_CLICK, 0, 0);  // page 2's Continuar
    SendMessageA(C("BitBtn6"), BM_CLICK, 0, 0);  // page 3's Instalar
    test::PumpFor(100, frm.get());
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    PostMessageA(C("BitBtn2"), BM_CLICK, 0, 0);  // page 2's Cancelar
    test::PumpFor(300, frm.get());
    EXPECT_FALSE(DialogOpen());
}

TEST_F(Keyboard, ArrowsMoveTheSelectionInsideTheRadioGroup) {
    for (int i = 0; i < 3; ++i) Type(VK_TAB);
    ASSERT_EQ(GetFocus(), Item(1));
    Type(VK_UP);
    EXPECT_EQ(GetFocus(), Item(0));
    EXPECT_EQ(frm->TipoInstalacao(), 0);
    EXPECT_TRUE(GetWindowLongA(Item(0), GWL_STYLE) & WS_TABSTOP) << "the selection is the tab stop";
    Type(VK_DOWN);
    EXPECT_EQ(frm->TipoInstalacao(), 1);
    Type(VK_DOWN);
    EXPECT_EQ(frm->TipoInstalacao(), 0) << "round to the first item";
    Type(VK_TAB);
    Type(VK_TAB);
    EXPECT_EQ(GetFocus(), C("BitBtn3"));
    Type(VK_TAB, kShift);
    Type(VK_TAB, kShift);
    EXPECT_EQ(GetFocus(), Item(0)) << "Tab comes back to the selected item";
}

TEST_F(Keyboard, TheFolderFieldTakesTypingAndGivesEnterAndEscapeToThePage) {
    frm->MostraPagina(Pagina::Diretorio);
    Click("diredInstala");
    ASSERT_EQ(GetFocus(), C("diredInstala")) << "a click enters the field";
    SendMessageA(C("diredInstala"), EM_SETSEL, 0, -1);
    // "c:\\" passes the folder check without creating anything.
    for (WORD vk : std::initializer_list<WORD>{'C', VK_OEM_1, VK_OEM_5}) Type(vk, vk == VK_OEM_1 ? kShift : test::kNone);
    EXPECT_EQ(frm->PastaInstalacao(), "c:\\");
    Type(VK_RETURN);
    EXPECT_EQ(frm->PaginaVisivel(), 2) << "Enter pressed page 2's Continuar";
    EXPECT_EQ(frm->PastaInstalacao(), "c:\\");

    frm->MostraPagina(Pagina::Diretorio);
    SetFocus(C("diredInstala"));
    Type(VK_TAB);
    EXPECT_EQ(GetFocus(), C("BitBtn8")) << "Tab leaves the field for the next stop after its box";
}

TEST_F(Keyboard, SpacePressesTheFocusedButton) {
    Type(VK_TAB);
    Type(VK_SPACE);
    EXPECT_EQ(frm->PaginaVisivel(), 1);
}

TEST_F(Keyboard, APressWhileAHandlerRunsIsNotActedOn) {
    {
        test::ModalWatcher answer("Confirm", [&](HWND d) {
            // The dialog's loop still dispatches what is posted to the wizard's buttons.
            PostMessageA(C("BitBtn3"), BM_CLICK, 0, 0);
            Sleep(300);
            test::TypeKeyInto(d, 'N');
        });
        frm->ExecutaManipulador(&TfrmInstala::BitBtn1Click);
    }
    test::PumpFor(200, frm.get());
    EXPECT_EQ(frm->PaginaVisivel(), 0);
    EXPECT_TRUE(frm->Alive());
}

TEST_F(Keyboard, ACloseAskedWhileAHandlerRunsHappensWhenItReturns) {
    bool aliveWhileAsking = false;
    {
        test::ModalWatcher answer("Confirm", [&](HWND d) {
            PostMessageA(frm->Handle(), WM_CLOSE, 0, 0);  // as the taskbar entry's Close does
            Sleep(300);
            aliveWhileAsking = IsWindow(d) && frm->Alive();
            test::TypeKeyInto(d, 'N');
        });
        frm->ExecutaManipulador(&TfrmInstala::BitBtn1Click);
    }
    EXPECT_TRUE(aliveWhileAsking) << "the running handler's dialog is not torn away";
    EXPECT_FALSE(frm->Alive()) << "closed without asking once the handler returned";
}

TEST_F(Keyboard, WhileARunWorksTheKeysAndClicksStartNothingAndACloseWaitsForItsEnd) {
    frm->MostraPagina(Pagina::Instala);
    InstallLog log(target / "registro.txt");
    LoggedUi comRegistro(*frm, &log);
    frm->UsaPorta(&comRegistro);
    auto fimDaSessao = [&](LPARAM lp) { return SendMessageA(frm->Handle(), WM_QUERYENDSESSION, 0, lp); };
    EXPECT_EQ(fimDaSessao(0), TRUE) << "idle, the session may end";
    const HANDLE altera = CreateEventA(nullptr, TRUE, FALSE, nullptr), solta = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    frm->ExecutaManipulador([&] {
        frm->ExecutaEmLinhaPropria([&](UiPort& porta) {
            porta.MostraAguarde();
            WaitForSingleObject(altera, 10000);
            porta.ComecaAlteracoes();
            WaitForSingleObject(solta, 10000);
        });
    });
    test::PumpFor(100, frm.get());
    EXPECT_EQ(fimDaSessao(0), TRUE) << "nothing changed yet";
    SetEvent(altera);
    EXPECT_TRUE(test::PumpUntil([&] { return frm->FimDaSessaoBloqueado(); }, 3000, frm.get()));
    EXPECT_EQ(fimDaSessao(0), FALSE) << "a restart for updates";
    EXPECT_EQ(fimDaSessao(ENDSESSION_LOGOFF), FALSE);
    EXPECT_EQ(fimDaSessao(ENDSESSION_CRITICAL), TRUE) << "a forced end is not refused";
    // The user presses Instalar again, clicks Voltar and Cancelar, and closes the program
    // from its taskbar entry.
    Type(VK_TAB);
    Type(VK_RETURN);
    test::ClickOn(C("BitBtn7"));
    test::ClickOn(C("BitBtn5"));
    PostMessageA(frm->Handle(), WM_CLOSE, 0, 0);
    test::PumpFor(400, frm.get());
    EXPECT_EQ(frm->PaginaVisivel(), 2) << "no page change";
    EXPECT_FALSE(DialogOpen()) << "Cancelar asked nothing";
    EXPECT_TRUE(IsWindowVisible(C("lblMsgInstala"))) << "the run's call was made on the window's thread";
    EXPECT_TRUE(frm->Alive()) << "the close waits for the run";
    EXPECT_TRUE(frm->ExecucaoEmCurso());
    // The session ends anyway: the log says the run was cut.
    SendMessageA(frm->Handle(), WM_ENDSESSION, TRUE, ENDSESSION_CRITICAL);
    SetEvent(solta);
    EXPECT_TRUE(test::PumpUntil([&] { return !frm->Alive(); }, 5000, frm.get())) << "closed once the run ended";
    EXPECT_FALSE(frm->FimDaSessaoBloqueado()) << "let go when the run ended";
    for (HANDLE h : {altera, solta}) CloseHandle(h);
    const std::string registrado = test::ReadFile(log.Arquivo());
    for (const char* linha : {"Fim da sessão do Windows: recusado: a instalação está em andamento\r\n",
                              "Fim da sessão do Windows: forçado pelo sistema durante a instalação\r\n",
                              "Instalação interrompida: a sessão do Windows foi encerrada antes do fim da instalação\r\n"})
        EXPECT_NE(registrado.find(text::ToUtf8(linha)), std::string::npos) << linha << registrado;
}

}  // namespace
}  // namespace qel
