// The install folder field's browse algorithm: where the shell's folder browser starts,
// what it offers, and what the field takes from it; the button and Alt+Down open it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <memory>
#include <string>

#include "platform/FileSystem.h"
#include "tests/support/Gui.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Instalador_NEW.h"

namespace qel {
namespace {

TEST(BrowseStartFolder, TextThenInitialFolderThenTheCurrentDrivesRoot) {
    test::TempFolder t("browse");
    const std::string folder = t.Path();
    const std::string missing = t / "nao existe";
    test::WriteFile(t / "arquivo.txt", "x");
    EXPECT_EQ(BrowseStartFolder(folder, ""), folder);
    EXPECT_EQ(BrowseStartFolder("", folder), folder) << "an empty field starts at the initial folder";
    EXPECT_EQ(BrowseStartFolder("", ""), "\\");
    EXPECT_EQ(BrowseStartFolder(missing, folder), "\\") << "a missing folder starts at the root, not the initial";
    EXPECT_EQ(BrowseStartFolder("", missing), "\\");
    EXPECT_EQ(BrowseStartFolder(t / "arquivo.txt", ""), "\\") << "a file is no folder";
}

TEST(FieldTextFor, DropsTheTrailingBackslashExceptOfADriveRoot) {
    EXPECT_EQ(FieldTextFor("D:\\"), "D:\\");
    EXPECT_EQ(FieldTextFor("D:\\QEL"), "D:\\QEL");
    EXPECT_EQ(FieldTextFor("D:\\QEL\\"), "D:\\QEL");
    EXPECT_EQ(FieldTextFor("C:\\Arquivos de Programas\\ZAV"), "C:\\Arquivos de Programas\\ZAV");
}

struct Browser {
    std::string title;
    std::string selected;
    bool okEnabled = false;
    std::string instruction;
    bool ownerEnabled = true;
    RECT window{};
};

HWND TreeOf(HWND browser) {
    for (HWND h : test::Descendants(browser))
        if (test::ClassOf(h) == "SysTreeView32") return h;
    return nullptr;
}

Browser Look(HWND d, HWND owner) {
    Browser b;
    b.title = test::WindowText(d);
    b.ownerEnabled = owner && IsWindowEnabled(owner);
    GetWindowRect(d, &b.window);
    HWND ok = GetDlgItem(d, IDOK);
    b.okEnabled = ok && IsWindowEnabled(ok);
    for (HWND h : test::Descendants(d))
        if (test::ClassOf(h) == "Static") b.instruction += test::WindowText(h);
    if (HWND tree = TreeOf(d)) {
        HTREEITEM item = TreeView_GetSelection(tree);
        char text[MAX_PATH] = {};
        TVITEMA tv{};
        tv.mask = TVIF_TEXT;
        tv.hItem = item;
        tv.pszText = text;
        tv.cchTextMax = sizeof text;
        if (item && SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv))) b.selected = text;
    }
    return b;
}

// The text of the tree's selected item, once it has one (the browser fills its tree as
// it goes).
std::string SelectedWhenThere(HWND d) {
    std::string selected;
    for (int i = 0; i < 100 && selected.empty(); ++i) {
        selected = Look(d, nullptr).selected;
        if (selected.empty()) Sleep(50);
    }
    return selected;
}

// Selects a folder in the browser as a person would by clicking it; asked again while
// the browser has not got there (Wine's browser can miss a request while it fills).
void Select(HWND d, const std::string& path, const std::string& label) {
    for (int i = 0; i < 100 && Look(d, nullptr).selected != label; ++i) {
        if (i % 10 == 0) SendMessageA(d, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(path.c_str()));
        Sleep(50);
    }
}

void PressButton(HWND d, int id) { SendMessageA(GetDlgItem(d, id), BM_CLICK, 0, 0); }

class FolderField : public test::ShownWizard {
protected:
    void SetUp() override {
        // The current drive is C:, where the test folders are.
        SetCurrentDirectoryA(folder.Path().c_str());
        ShownWizard::SetUp();
        frm->MostraPagina(Pagina::Diretorio);
    }

    // Opens the browser through the browse button and lets `act` look and answer.
    void BrowseWith(const std::function<void(HWND)>& act) {
        test::ModalWatcher watcher("", [&](HWND d) {
            SelectedWhenThere(d);  // the tree fills and selects the start folder
            act(d);
        });
        SetForegroundWindow(frm->Handle());
        test::PumpFor(50, frm.get());
        test::ClickOn(frm->diredInstala().Button());
        EXPECT_TRUE(test::PumpUntil([&] { return watcher.Ran(); }, 15000, frm.get()));
    }

    test::TempFolder folder{"pastas"};
};

TEST_F(FolderField, AMissingFolderStartsTheBrowserAtTheCurrentDrivesRootAndCancelChangesNothing) {
    Browser seen;
    HWND owner = frm->Handle();
    BrowseWith([&](HWND d) {
        seen = Look(d, owner);
        PressButton(d, IDCANCEL);
    });
    EXPECT_NE(seen.selected.find("C:"), std::string::npos) << "selected: " << seen.selected;
    EXPECT_TRUE(seen.okEnabled);
    EXPECT_EQ(seen.instruction, "") << "no instruction text";
    EXPECT_FALSE(seen.ownerEnabled) << "modal";
    EXPECT_NEAR((seen.window.left + seen.window.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((seen.window.top + seen.window.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(frm->TextoDiredInstala(), "C:\\Arquivos de Programas\\ZAV\\QEL");
    EXPECT_EQ(frm->PastaInicialDiredInstala(), "C:\\Arquivos de Programas\\ZAV\\QEL");
    EXPECT_EQ(GetFocus(), frm->Controle("diredInstala")) << "the field takes the focus";
}

TEST_F(FolderField, AnExistingFolderIsSelectedAndOkPutsItsPathIntoTheField) {
    const std::string target = folder / "Pasta Teste";
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    frm->diredInstala().SetText(target);
    Browser seen;
    HWND owner = frm->Handle();
    BrowseWith([&](HWND d) {
        seen = Look(d, owner);
        PressButton(d, IDOK);
    });
    EXPECT_EQ(seen.selected, "Pasta Teste");
    EXPECT_EQ(lstrcmpiA(frm->TextoDiredInstala().c_str(), target.c_str()), 0) << frm->TextoDiredInstala();
    EXPECT_EQ(frm->PastaInicialDiredInstala(), frm->TextoDiredInstala()) << "an existing folder becomes the initial";
}

TEST_F(FolderField, ADriveRootKeepsItsBackslashAFolderBelowItHasNone) {
    // The field names no existing folder: the browser starts at C:\, the current drive's root.
    BrowseWith([&](HWND d) { PressButton(d, IDOK); });
    EXPECT_EQ(frm->TextoDiredInstala(), "C:\\");
    EXPECT_EQ(frm->PastaInicialDiredInstala(), "C:\\");

    const std::string below = folder / "Abaixo";
    ASSERT_TRUE(CreateDirectoryA(below.c_str(), nullptr));
    frm->diredInstala().SetText(below + "\\");
    std::string selected;
    BrowseWith([&](HWND d) {
        selected = Look(d, nullptr).selected;
        PressButton(d, IDOK);
    });
    EXPECT_EQ(selected, "Abaixo");
    EXPECT_EQ(lstrcmpiA(frm->TextoDiredInstala().c_str(), below.c_str()), 0) << frm->TextoDiredInstala();
}

TEST_F(FolderField, OkIsEnabledOnlyForExistingFileSystemFolders) {
    HWND owner = frm->Handle();
    bool okOnComputer = true, okOnFolder = false;
    BrowseWith([&](HWND d) {
        LPITEMIDLIST computer = nullptr;
        SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer);
        SendMessageA(d, BFFM_SETSELECTIONA, FALSE, reinterpret_cast<LPARAM>(computer));
        Sleep(200);
        okOnComputer = Look(d, owner).okEnabled;
        CoTaskMemFree(computer);
        Select(d, folder.Path(), folder.Path().substr(folder.Path().rfind('\\') + 1));
        okOnFolder = Look(d, owner).okEnabled;
        PressButton(d, IDCANCEL);
    });
    EXPECT_FALSE(okOnComputer) << "My Computer is no folder of the file system";
    EXPECT_TRUE(okOnFolder);
}

TEST_F(FolderField, AnEmptyFieldStartsAtTheInitialFolder) {
    const std::string start = folder / "Inicial";
    ASSERT_TRUE(CreateDirectoryA(start.c_str(), nullptr));
    frm->diredInstala().SetInitialFolder(start);
    frm->diredInstala().SetText("");
    Browser seen;
    HWND owner = frm->Handle();
    BrowseWith([&](HWND d) {
        seen = Look(d, owner);
        PressButton(d, IDCANCEL);
    });
    EXPECT_EQ(seen.selected, "Inicial");
    EXPECT_EQ(frm->TextoDiredInstala(), "") << "Cancel changes nothing";
}

TEST_F(FolderField, AltDownInTheFieldOpensTheBrowser) {
    bool opened = false;
    {
        test::ModalWatcher watcher("", [&](HWND d) {
            opened = TreeOf(d) != nullptr;
            PressButton(d, IDCANCEL);
        });
        SetForegroundWindow(frm->Handle());
        SetFocus(frm->Controle("diredInstala"));
        test::TypeKey(VK_DOWN, test::kAlt);
        EXPECT_TRUE(test::PumpUntil([&] { return watcher.Ran(); }, 15000, frm.get()));
    }
    EXPECT_TRUE(opened);
    EXPECT_EQ(GetFocus(), frm->Controle("diredInstala"));
}

TEST_F(FolderField, ACloseFromTheTaskbarWhileTheBrowserIsOpenWaitsUntilTheBrowserIsGone) {
    const HWND wizard = frm->Handle();
    bool wizardThere = false, browserThere = false, buttonsIgnored = false;
    BrowseWith([&](HWND d) {
        // The entry's Close, as its menu sends it; the browser's own loop receives it.
        PostMessageA(frm->TaskbarWindow(), WM_SYSCOMMAND, SC_CLOSE, 0);
        // A press of Voltar meanwhile is not acted on either.
        PostMessageA(frm->Controle("BitBtn8"), BM_CLICK, 0, 0);
        Sleep(600);
        wizardThere = IsWindow(wizard) != 0;
        browserThere = IsWindow(d) && IsWindowVisible(d);
        buttonsIgnored = IsWindowVisible(frm->JanelaDaPagina(1)) != 0;
        PressButton(d, IDCANCEL);
    });
    EXPECT_TRUE(wizardThere) << "the window was destroyed under the browser";
    EXPECT_TRUE(browserThere);
    EXPECT_TRUE(buttonsIgnored) << "page 2 stays while the browser is open";
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(wizard); }, 5000)) << "the close follows the browser";
    EXPECT_FALSE(frm->Alive());
}

}  // namespace
}  // namespace qel
