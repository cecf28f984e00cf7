// The real InstalaQEL.exe inspected and driven from outside, as a person or a checking
// tool does: every control of the page tables found by class and text where the tables
// put it, the taskbar entry with the application title and its Close, keys typed into
// the running program, and the layout at 144 DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/gui/PageTables.h"
#include "tests/support/Gui.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"

namespace qel {
namespace {

using namespace test::tables;

constexpr const char* kCaption = "Quelvara - Instalação";

struct Running {
    test::Launched process;
    HWND wizard = nullptr;
    HWND entry = nullptr;
};

Running Start(const std::string& exe, const std::string& folder) {
    Running r;
    r.process = test::Launch(exe, "", folder);
    r.wizard = test::WaitForTopWindow(r.process.pid, kCaption, 20000, "TfrmInstala");
    if (r.wizard) r.entry = GetWindow(r.wizard, GW_OWNER);
    return r;
}

HWND PageOf(HWND wizard, int index) {
    HWND pgc = test::FindDescendant(wizard, "TPageControl", "");
    HWND page = pgc ? GetWindow(pgc, GW_CHILD) : nullptr;
    for (int i = 0; i < index && page; ++i) page = GetWindow(page, GW_HWNDNEXT);
    return page;
}

// The control of that class and text on the page (there are three of each header label);
// the nth in window order when several on the page share them (the empty progress labels).
HWND Find(HWND page, const char* cls, const std::string& text, int nth = 0) {
    for (HWND h : test::Descendants(page))
        if (test::ClassOf(h) == cls && test::WindowText(h) == text && GetParent(h) == page && nth-- == 0) return h;
    return nullptr;
}

// Every control of the page tables on one page, found by class and text where the tables
// put it.
void ExpectPageAsInTheTables(HWND wizard, int index) {
    HWND page = PageOf(wizard, index);
    ASSERT_NE(page, nullptr);
    const std::vector<Wanted> tables = PageTables();
    for (const Wanted& c : tables) {
        if (c.page != index) continue;
        SCOPED_TRACE(c.name);
        int nth = 0;
        for (const Wanted* before = tables.data(); before != &c; ++before)
            nth += before->page == index && std::string(before->cls) == c.cls && std::string(before->text) == c.text;
        HWND h = Find(page, c.cls, c.text, nth);
        if (std::string(c.cls) == "TImage" || std::string(c.cls) == "TAnimate") {
            // No text: the one of its class on the page.
            h = nullptr;
            for (HWND k : test::Descendants(page))
                if (test::ClassOf(k) == c.cls) h = k;
        }
        ASSERT_NE(h, nullptr) << c.cls << " \"" << c.text << "\" not found";
        RECT r = test::RectIn(h, page);
        EXPECT_EQ(r.left, c.left);
        EXPECT_EQ(r.top, c.top);
        EXPECT_EQ(r.right - r.left, c.width == kOwnWidth ? TextExtent(c.font, c.text).cx : c.width);
        EXPECT_EQ(r.bottom - r.top, c.height);
        EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & WS_VISIBLE) != 0, c.visible);
        EXPECT_EQ((GetWindowLongA(h, GWL_STYLE) & WS_TABSTOP) != 0, c.tabStop);
        if (c.id) {
            EXPECT_EQ(GetDlgCtrlID(h), c.id) << "its Default or Cancel role";
        }
    }
}

// Presses the page's Continuar and waits for the next page.
bool Continue(HWND wizard, int from) {
    HWND button = Find(PageOf(wizard, from), "TBitBtn", "Continuar");
    if (!button) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return test::PumpUntil([&] { return IsWindowVisible(PageOf(wizard, from + 1)) != 0; }, 10000);
}

TEST(Program, EveryControlOfThePageTablesIsFoundByClassAndTextInItsPlace) {
    // A medium whose first two parts arrived, so page 1's Continuar passes its check.
    test::TempFolder medium("prog");
    const std::string exe = medium / "InstalaQEL.exe";
    ASSERT_TRUE(CopyFileA(test::WizardExe().c_str(), exe.c_str(), FALSE));
    for (const char* f : {"disk.1", "disk.2", "QEL.md_", "QEL.ex_"}) test::WriteFile(medium / f, f);
    Running run = Start(exe, medium.Path());
    ASSERT_NE(run.wizard, nullptr);
    RECT client;
    GetClientRect(run.wizard, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 386);
    ExpectPageAsInTheTables(run.wizard, 0);
    EXPECT_TRUE(IsWindowVisible(PageOf(run.wizard, 0)));
    EXPECT_FALSE(IsWindowVisible(PageOf(run.wizard, 1)));
    EXPECT_FALSE(IsWindowVisible(PageOf(run.wizard, 2)));
    // The pages not shown yet are made when first shown: the first one shows sooner.
    EXPECT_EQ(GetWindow(PageOf(run.wizard, 1), GW_CHILD), nullptr);
    EXPECT_EQ(GetWindow(PageOf(run.wizard, 2), GW_CHILD), nullptr);

    ASSERT_TRUE(Continue(run.wizard, 0));
    ExpectPageAsInTheTables(run.wizard, 1);
    HWND field = test::FindDescendant(PageOf(run.wizard, 1), "TDirectoryEdit", "C:\\Arquivos de Programas\\ZAV\\QEL");
    ASSERT_NE(field, nullptr);
    SendMessageA(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(medium.Path().c_str()));
    ASSERT_TRUE(Continue(run.wizard, 1));
    ExpectPageAsInTheTables(run.wizard, 2);
    EXPECT_FALSE(IsWindowVisible(PageOf(run.wizard, 0)));
    EXPECT_FALSE(IsWindowVisible(PageOf(run.wizard, 1)));

    PostMessageA(run.entry, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(test::WaitForExit(run.process.process.get(), 15000));
}

TEST(Program, TaskbarEntryCarriesTheApplicationTitleAndCloseEndsItWithoutAQuestion) {
    test::TempFolder cwd("taskbar");
    Running run = Start(test::WizardExe(), cwd.Path());
    ASSERT_NE(run.wizard, nullptr);
    ASSERT_NE(run.entry, nullptr) << "the wizard is owned by its taskbar entry";
    EXPECT_EQ(test::WindowText(run.entry), "Instalaqel");
    EXPECT_TRUE(IsWindowVisible(run.entry));
    EXPECT_EQ(GetWindow(run.entry, GW_OWNER), nullptr);
    // (Its icon is checked inside a test program: Wine answers no icon query between
    // processes.)

    PostMessageA(run.entry, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindowVisible(run.wizard); }, 5000));
    PostMessageA(run.entry, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(run.wizard) != 0; }, 5000));

    PostMessageA(run.entry, WM_SYSCOMMAND, SC_CLOSE, 0);
    bool asked = false;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(run.process.process.get(), 50) == WAIT_TIMEOUT && GetTickCount() - start < 15000)
        for (HWND h : test::TopWindowsOf(run.process.pid))
            if (test::WindowText(h) == "Confirm") asked = true;
    DWORD code = 99;
    ASSERT_TRUE(test::WaitForExit(run.process.process.get(), 0, &code)) << "still running after Close";
    EXPECT_EQ(code, 1602u) << "closed before any run ended";
    EXPECT_FALSE(asked);
}

TEST(Program, TheApplicationTitleComesFromTheProgramFileName) {
    test::TempFolder medium("titulo");
    const std::string exe = medium / "INSTALA.QEL.exe";
    ASSERT_TRUE(CopyFileA(test::WizardExe().c_str(), exe.c_str(), FALSE));
    Running run = Start(exe, medium.Path());
    ASSERT_NE(run.entry, nullptr);
    EXPECT_EQ(test::WindowText(run.entry), "Instala") << "cut at the first full stop";
    PostMessageA(run.wizard, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::WaitForExit(run.process.process.get(), 15000));
}

TEST(Program, KeysTypedIntoTheRunningProgramFollowTheWizardsRules) {
    // A medium whose first two parts arrived, so Continuar passes its check.
    test::TempFolder medium("teclas");
    const std::string exe = medium / "InstalaQEL.exe";
    ASSERT_TRUE(CopyFileA(test::WizardExe().c_str(), exe.c_str(), FALSE));
    for (const char* f : {"disk.1", "disk.2", "QEL.md_", "QEL.ex_"}) test::WriteFile(medium / f, f);
    Running run = Start(exe, medium.Path());
    ASSERT_NE(run.wizard, nullptr);
    test::TypeKeyInto(run.wizard, VK_RETURN);
    EXPECT_TRUE(test::PumpUntil([&] { return IsWindowVisible(PageOf(run.wizard, 1)) != 0; }, 5000))
        << "Enter at start pressed Continuar";
    test::TypeKeyInto(run.wizard, VK_ESCAPE);
    HWND confirm = test::WaitForTopWindow(run.process.pid, "Confirm", 10000);
    ASSERT_NE(confirm, nullptr) << "Escape pressed Cancelar";
    EXPECT_NE(test::FindDescendant(confirm, "Static", "Cancelar a instalação :Quelvara"), nullptr);
    test::TypeKeyInto(confirm, VK_ESCAPE);
    EXPECT_TRUE(test::PumpUntil([&] { return !IsWindow(confirm); }, 5000));
    EXPECT_EQ(WaitForSingleObject(run.process.process.get(), 300), static_cast<DWORD>(WAIT_TIMEOUT))
        << "No keeps the program running";
    EXPECT_TRUE(IsWindowVisible(PageOf(run.wizard, 1)));

    test::TypeKeyInto(run.wizard, VK_ESCAPE);
    confirm = test::WaitForTopWindow(run.process.pid, "Confirm", 10000);
    ASSERT_NE(confirm, nullptr);
    test::TypeKeyInto(confirm, 'Y');
    DWORD code = 99;
    EXPECT_TRUE(test::WaitForExit(run.process.process.get(), 15000, &code)) << "Yes ends the program";
    EXPECT_EQ(code, 1602u) << "cancelled by the user";
}

// Sets the screen's DPI for programs started while it lives, and puts it back.
class SystemDpi {
public:
    explicit SystemDpi(DWORD dpi) {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                        nullptr);
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_, "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
    }
    ~SystemDpi() {
        if (had_) RegSetValueExA(key_, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueA(key_, "LogPixels");
        RegCloseKey(key_);
    }

private:
    HKEY key_ = nullptr;
    DWORD old_ = 0;
    bool had_ = false;
};

TEST(Program, At144DpiTheWholeLayoutIsScaledByHalfAgain) {
    test::TempFolder cwd("dpi");
    Running run;
    {
        SystemDpi dpi(144);
        run = Start(test::WizardExe(), cwd.Path());
    }
    ASSERT_NE(run.wizard, nullptr);
    RECT client;
    GetClientRect(run.wizard, &client);
    EXPECT_EQ(client.right, 900);
    EXPECT_EQ(client.bottom, 579);
    HWND continuar = Find(PageOf(run.wizard, 0), "TBitBtn", "Continuar");
    ASSERT_NE(continuar, nullptr);
    RECT r = test::RectIn(continuar, PageOf(run.wizard, 0));
    EXPECT_EQ(r.left, 576);
    EXPECT_EQ(r.top, 480);
    EXPECT_EQ(r.right - r.left, 134);
    EXPECT_EQ(r.bottom - r.top, 44);
    PostMessageA(run.wizard, WM_CLOSE, 0, 0);
    EXPECT_TRUE(test::WaitForExit(run.process.process.get(), 15000));
}

}  // namespace
}  // namespace qel
