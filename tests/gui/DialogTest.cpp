// The message dialog's five kinds (title, icon, buttons, default and cancel buttons,
// focus, result of Enter, Escape, accelerators, the close box and Alt+F4), its layout
// (lines, wrapping, equal centred buttons, centred on the screen), its modality, and the
// failure box with its full-stop rule.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "tests/support/Gui.h"
#include "tests/support/Windows.h"
#include "wizard/ApplicationTitle.h"
#include "wizard/FailureBox.h"
#include "wizard/Instalador_NEW.h"
#include "wizard/MessageDialog.h"

namespace qel {
namespace {

struct Seen {
    std::string title;
    std::vector<std::string> buttons;
    std::vector<std::string> statics;
    HICON icon = nullptr;
    bool hasIcon = false;
    std::string focused;
    std::string defaultButton;
    bool ownerEnabled = true;
    bool closeBox = false;
    RECT text{}, window{}, client{};
    std::vector<RECT> buttonRects;
};

// Reads a dialog from the watcher's thread.
Seen Inspect(HWND d, HWND owner) {
    Seen s;
    s.title = test::WindowText(d);
    s.ownerEnabled = owner && IsWindowEnabled(owner);
    s.closeBox = (GetWindowLongA(d, GWL_STYLE) & WS_SYSMENU) != 0;
    GetWindowRect(d, &s.window);
    GetClientRect(d, &s.client);
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    GetGUIThreadInfo(GetWindowThreadProcessId(d, nullptr), &gui);
    for (HWND h = GetWindow(d, GW_CHILD); h; h = GetWindow(h, GW_HWNDNEXT)) {
        const std::string cls = test::ClassOf(h);
        if (cls == "Button") {
            s.buttons.push_back(test::WindowText(h));
            s.buttonRects.push_back(test::RectIn(h, d));
            if ((GetWindowLongA(h, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON) s.defaultButton = test::WindowText(h);
            if (gui.hwndFocus == h) s.focused = test::WindowText(h);
        } else if (cls == "Static") {
            if (GetWindowLongA(h, GWL_STYLE) & SS_ICON) {
                s.hasIcon = true;
                s.icon = reinterpret_cast<HICON>(SendMessageA(h, STM_GETICON, 0, 0));
            } else {
                s.statics.push_back(test::WindowText(h));
                s.text = test::RectIn(h, d);
            }
        }
    }
    return s;
}

class Dialogs : public test::ShownWizard {
protected:
    // Shows a dialog, lets `answer` act on it, and returns what was seen and the result.
    RespostaMensagem Ask(const std::string& text, TipoMensagem kind, BotoesMensagem buttons,
                         const std::function<void(HWND)>& answer, Seen* seen = nullptr,
                         const std::string& title = "") {
        const std::string caption = title.empty() ? MessageTitle(kind) : title;
        HWND owner = frm->Handle();
        test::ModalWatcher watcher(caption, [&](HWND d) {
            if (seen) *seen = Inspect(d, owner);
            answer(d);
        });
        return frm->MostraMensagem(text, kind, buttons);
    }
};

auto Press(WORD vk, int modifiers = test::kNone) {
    return [vk, modifiers](HWND d) { test::TypeKeyInto(d, vk, modifiers); };
}
auto CloseBox() {
    return [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); };
}

TEST_F(Dialogs, EachKindHasItsTitleIconAndButtons) {
    struct Kind {
        TipoMensagem kind;
        BotoesMensagem buttons;
        const char* title;
        LPCSTR icon;
        std::vector<std::string> captions;
    };
    const std::string app = ApplicationTitle();
    const Kind kinds[] = {
        {TipoMensagem::Aviso, BotoesMensagem::Ok, "Warning", IDI_WARNING, {"OK"}},
        {TipoMensagem::Erro, BotoesMensagem::Ok, "Error", IDI_ERROR, {"OK"}},
        {TipoMensagem::Informacao, BotoesMensagem::Ok, "Information", IDI_INFORMATION, {"OK"}},
        {TipoMensagem::Confirmacao, BotoesMensagem::SimNao, "Confirm", IDI_QUESTION, {"&Yes", "&No"}},
        {TipoMensagem::Simples, BotoesMensagem::Ok, app.c_str(), nullptr, {"OK"}},
    };
    for (const Kind& k : kinds) {
        SCOPED_TRACE(k.title);
        Seen s;
        Ask("Mensagem de teste", k.kind, k.buttons, Press(VK_RETURN), &s, k.title);
        EXPECT_EQ(s.title, k.title);
        EXPECT_EQ(s.buttons, k.captions);
        EXPECT_EQ(s.statics, std::vector<std::string>{"Mensagem de teste"}) << "the text is a window of its own";
        EXPECT_EQ(s.hasIcon, k.icon != nullptr);
        if (k.icon) {
            EXPECT_EQ(s.icon, LoadIconA(nullptr, k.icon));
        }
        EXPECT_EQ(s.focused, k.captions.front()) << "the focus starts on the first button";
        EXPECT_EQ(s.defaultButton, k.captions.front() == "&Yes" ? "&Yes" : "OK");
        EXPECT_FALSE(s.ownerEnabled) << "modal: the wizard takes no input";
        EXPECT_TRUE(s.closeBox);
    }
    EXPECT_TRUE(IsWindowEnabled(frm->Handle())) << "the wizard takes input again afterwards";
}

// The platform's dialog manager sets a dialog's keyboard cues once WM_INITDIALOG has
// returned, hiding them when the last input came from the mouse (Wine leaves them alone).
// These hooks do the same and note when a change that shows the underlines reaches the
// dialog through its queue.
bool g_initialised = false, g_shownAfterwards = false;

LRESULT CALLBACK HidesCuesAfterInitialisation(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const CWPRETSTRUCT*>(lp);
    if (code == HC_ACTION && m->message == WM_INITDIALOG) {
        g_initialised = true;
        SendMessageA(m->hwnd, WM_CHANGEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEACCEL | UISF_HIDEFOCUS), 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

LRESULT CALLBACK NotesPostedCues(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const MSG*>(lp);
    if (code == HC_ACTION && m->message == WM_CHANGEUISTATE && LOWORD(m->wParam) == UIS_CLEAR &&
        (HIWORD(m->wParam) & UISF_HIDEACCEL))
        g_shownAfterwards = g_initialised;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(Dialogs, TheUnderlinedLettersShowAlsoWhenTheQuestionCameFromAClick) {
    HHOOK afterInit = SetWindowsHookExA(WH_CALLWNDPROCRET, HidesCuesAfterInitialisation, nullptr, GetCurrentThreadId());
    HHOOK queue = SetWindowsHookExA(WH_GETMESSAGE, NotesPostedCues, nullptr, GetCurrentThreadId());
    ASSERT_TRUE(afterInit && queue);
    LRESULT state = -1;
    Ask("Confirma a instala\xE7\xE3o do QEL ?", TipoMensagem::Confirmacao, BotoesMensagem::SimNao, [&](HWND d) {
        Sleep(200);  // the dialog's loop has handled what was posted to it
        state = SendMessageA(GetDlgItem(d, IDYES), WM_QUERYUISTATE, 0, 0);
        test::TypeKeyInto(d, 'N');
    });
    UnhookWindowsHookEx(afterInit);
    UnhookWindowsHookEx(queue);
    EXPECT_TRUE(g_shownAfterwards) << "no change showing the underlines came after the initialisation";
    ASSERT_NE(state, -1);
    EXPECT_FALSE(state & UISF_HIDEACCEL) << "the underlines of &Yes and &No are hidden";
}

TEST_F(Dialogs, AnOkDialogGivesOkForEnterAndEscapeAndCancelForTheCloseBox) {
    EXPECT_EQ(Ask("Aviso", TipoMensagem::Aviso, BotoesMensagem::Ok, Press(VK_RETURN)), RespostaMensagem::Ok);
    EXPECT_EQ(Ask("Aviso", TipoMensagem::Erro, BotoesMensagem::Ok, Press(VK_ESCAPE)), RespostaMensagem::Ok);
    EXPECT_EQ(Ask("Aviso", TipoMensagem::Informacao, BotoesMensagem::Ok, CloseBox()),
              RespostaMensagem::Cancelar);
    EXPECT_EQ(Ask("Aviso", TipoMensagem::Simples, BotoesMensagem::Ok, Press(VK_F4, test::kAlt)),
              RespostaMensagem::Cancelar);
}

TEST_F(Dialogs, AConfirmationGivesYesNoOrCancel) {
    const auto ask = [&](const std::function<void(HWND)>& answer) {
        return Ask("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao, BotoesMensagem::SimNao, answer);
    };
    EXPECT_EQ(ask(Press(VK_RETURN)), RespostaMensagem::Sim);
    EXPECT_EQ(ask(Press(VK_ESCAPE)), RespostaMensagem::Nao);
    EXPECT_EQ(ask(CloseBox()), RespostaMensagem::Cancelar);
    EXPECT_EQ(ask(Press(VK_F4, test::kAlt)), RespostaMensagem::Cancelar);
    EXPECT_EQ(ask(Press('N')), RespostaMensagem::Nao) << "the underlined letter presses its button";
    EXPECT_EQ(ask(Press('Y')), RespostaMensagem::Sim);
    EXPECT_EQ(ask([](HWND d) {
                  test::TypeKeyInto(d, VK_TAB);
                  Sleep(100);
                  test::TypeKey(VK_RETURN);
              }),
              RespostaMensagem::Nao)
        << "Enter presses the focused button";
}

TEST_F(Dialogs, ACarriageReturnStartsASecondLine) {
    Seen one, two;
    Ask("Instalação concluída!", TipoMensagem::Informacao, BotoesMensagem::Ok, Press(VK_RETURN), &one);
    Ask("Instalação concluída!\rReinicialize seu computador para executar o sistema.", TipoMensagem::Informacao,
        BotoesMensagem::Ok, Press(VK_RETURN), &two);
    const int lineHeight = one.text.bottom - one.text.top;
    EXPECT_GT(lineHeight, 8);
    EXPECT_EQ(two.text.bottom - two.text.top, 2 * lineHeight);
    EXPECT_EQ(two.statics.front(), "Instalação concluída!\rReinicialize seu computador para executar o sistema.");
}

TEST_F(Dialogs, ALongMessageWrapsWithinHalfTheScreen) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += "palavra" + std::to_string(i) + " ";
    Seen s;
    Ask(text, TipoMensagem::Simples, BotoesMensagem::Ok, Press(VK_RETURN), &s);
    const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
    EXPECT_LE(s.text.right - s.text.left, half);
    EXPECT_GT(s.text.right - s.text.left, half * 3 / 4) << "it uses the room it has";
    EXPECT_GE(s.text.bottom - s.text.top, 3 * 10) << "several lines";
    // The text is laid out as the static control draws it: every word is inside the box.
    EXPECT_EQ(s.statics.front(), text);
}

TEST_F(Dialogs, ButtonsAreEqualCentredInOneRowBelowTheTextAndTheDialogIsCentred) {
    Seen s;
    Ask("Cancelar a instalação :Quelvara", TipoMensagem::Confirmacao, BotoesMensagem::SimNao, Press(VK_ESCAPE),
        &s);
    ASSERT_EQ(s.buttonRects.size(), 2u);
    const RECT& yes = s.buttonRects[0];
    const RECT& no = s.buttonRects[1];
    EXPECT_EQ(yes.right - yes.left, no.right - no.left);
    EXPECT_EQ(yes.top, no.top);
    EXPECT_LT(yes.right, no.left) << "Yes left of No";
    EXPECT_GE(yes.top, s.text.bottom);
    EXPECT_GE(yes.right - yes.left, 70) << "never narrower than a standard button";
    EXPECT_NEAR((yes.left + no.right) / 2, s.client.right / 2, 1) << "the row is centred";
    EXPECT_NEAR((s.window.left + s.window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((s.window.top + s.window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
}

TEST_F(Dialogs, TheIconStandsLeftOfTheTextAndTheSimpleKindHasNone) {
    Seen withIcon, plain;
    Ask("Disco nº 1 não foi descompactado corretamente", TipoMensagem::Erro, BotoesMensagem::Ok,
        Press(VK_RETURN), &withIcon);
    Ask("Disco nº 1 não foi descompactado corretamente", TipoMensagem::Simples, BotoesMensagem::Ok,
        Press(VK_RETURN), &plain);
    EXPECT_GE(withIcon.text.left, 32 + 8) << "the text stands right of the 32 x 32 icon";
    EXPECT_LT(plain.text.left, withIcon.text.left);
    EXPECT_LT(plain.client.right, withIcon.client.right);
}

TEST_F(Dialogs, FailureBoxAddsAFullStopOnlyAfterCharactersSortingAfterIt) {
    const std::string app = ApplicationTitle();
    struct Case {
        const char* message;
        const char* shown;
    } cases[] = {
        {"Unable to create directory", "Unable to create directory."},
        {"Arquivo copiado.", "Arquivo copiado."},
        {"Diretório não pôde ser criado!", "Diretório não pôde ser criado!"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::vector<std::string> statics, buttons;
        bool ownerEnabled = true;
        bool hasIcon = false;
        HWND owner = frm->Handle();
        {
            test::ModalWatcher watcher(app, [&](HWND d) {
                ownerEnabled = IsWindowEnabled(owner) != 0;
                for (HWND h : test::Descendants(d)) {
                    if (test::ClassOf(h) == "Button") buttons.push_back(test::WindowText(h));
                    if (test::ClassOf(h) == "Static") {
                        if (GetWindowLongA(h, GWL_STYLE) & SS_ICON) hasIcon = true;
                        else if (!test::WindowText(h).empty()) statics.push_back(test::WindowText(h));
                    }
                }
                test::TypeKeyInto(d, VK_RETURN);
            });
            RunHandler(owner, [&] { throw Failure(c.message); });
        }
        EXPECT_EQ(statics, std::vector<std::string>{c.shown});
        EXPECT_EQ(buttons, std::vector<std::string>{"OK"});
        EXPECT_TRUE(hasIcon);
        EXPECT_FALSE(ownerEnabled);
    }
}

TEST_F(Dialogs, AFailureInAHandlerLeavesTheWizardOnItsPageAndWorking) {
    frm->MostraPagina(Pagina::Instala);
    SendMessageA(frm->ItensTipoInstalacao()[0], BM_CLICK, 0, 0);
    {
        test::ModalWatcher watcher(ApplicationTitle(), Press(VK_RETURN));
        RunHandler(frm->Handle(), [&] {
            frm->MostraAguarde();
            throw Failure("Unable to create directory");
        });
    }
    EXPECT_TRUE(frm->Alive());
    EXPECT_EQ(frm->PaginaVisivel(), 2);
    EXPECT_EQ(frm->TipoInstalacao(), 0);
    EXPECT_TRUE(IsWindowEnabled(frm->Handle()));
    frm->ExecutaManipulador(&TfrmInstala::BitBtn7Click);
    EXPECT_EQ(frm->PaginaVisivel(), 1) << "Voltar still works";
}

}  // namespace
}  // namespace qel
