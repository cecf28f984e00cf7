// Start-up: what the window's creation puts into the wizard state, the data module's
// connection, and the real program starting (or refusing to start without ADO).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/DllOverrides.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"
#include "wizard/Instalador_NEW.h"
#include "engine/udmInstaladorQel.h"

namespace qel {
namespace {

std::string PlatformTempPath() {
    char buf[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof buf, buf);
    return std::string(buf, n);
}

std::string PlatformSystemPath() {
    char buf[MAX_PATH + 1];
    UINT n = GetSystemDirectoryA(buf, sizeof buf);
    return std::string(buf, n);
}

TEST(FormCreate, FillsTheWizardStateFromThePlatform) {
    TfrmInstala frm(GetModuleHandleA(nullptr));
    const WizardState& s = frm.Estado();
    EXPECT_EQ(s.VersaoSistema, "3.2.3");
    EXPECT_EQ(s.VersaoBanco, "3.2.0");
    EXPECT_EQ(s.SourceDir, test::TestProgramDir());
    EXPECT_EQ(s.SourceDir.back(), '\\');
    EXPECT_EQ(s.TempDir, PlatformTempPath());
    EXPECT_EQ(s.TempDir.back(), '\\');
    EXPECT_EQ(s.SystemDir, PlatformSystemPath());
    EXPECT_NE(s.SystemDir.back(), '\\');
    EXPECT_TRUE(s.TargetDir.empty());
    EXPECT_TRUE(s.StagingDir.empty());
    // Staging folders are direct children of the temporary folder.
    EXPECT_EQ(s.AdoStagingDir(), s.TempDir + "InstADO");
}

TEST(FormCreate, SetsTheDefaultFolderAndShowsPageOneOfAFixedHiddenWindow) {
    TfrmInstala frm(GetModuleHandleA(nullptr));
    EXPECT_EQ(frm.TextoDiredInstala(), "C:\\Arquivos de Programas\\ZAV\\QEL");
    EXPECT_EQ(frm.PastaInicialDiredInstala(), "C:\\Arquivos de Programas\\ZAV\\QEL");
    EXPECT_EQ(frm.PaginaVisivel(), 0);
    EXPECT_FALSE(IsWindowVisible(frm.Handle())) << "shown only once the data module exists";

    RECT client;
    GetClientRect(frm.Handle(), &client);
    EXPECT_EQ(client.right - client.left, 600);
    EXPECT_EQ(client.bottom - client.top, 386);
    LONG style = GetWindowLongA(frm.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_EQ(test::WindowText(frm.Handle()), "Quelvara - Instala\xE7\xE3o");
}

// Restores an environment variable when it goes out of scope.
class EnvironmentOverride {
public:
    EnvironmentOverride(const char* name, const std::string& value) : name_(name) {
        char buf[32768];
        DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
        had_ = n > 0 && n < sizeof buf;
        if (had_) old_.assign(buf, n);
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~EnvironmentOverride() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

TEST(FormCreate, TakesATemporaryFolderLongerThan143CharactersWhole) {
    test::TempFolder base("longtmp");
    std::string deep = base.Path();
    while (deep.size() < 200) {
        deep += "\\pasta tempor\xE1ria longa";
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr)) << deep;
    }
    EnvironmentOverride tmp("TMP", deep);
    EnvironmentOverride temp("TEMP", deep);
    char small[144];
    ASSERT_GT(GetTempPathA(sizeof small, small), sizeof small) << "a 144-character buffer holds it";

    TfrmInstala frm(GetModuleHandleA(nullptr));
    EXPECT_EQ(frm.Estado().TempDir, deep + "\\");
    EXPECT_GT(frm.Estado().TempDir.size(), 143u);
}

TEST(DataModule, HoldsAClosedProbeConnectionThatSharesTheFileAndNeverPrompts) {
    TdmInstalaQel dm;
    EXPECT_FALSE(dm.adoInstalaQel().LoginPrompt());
    EXPECT_EQ(dm.adoInstalaQel().Mode(), db::ShareMode::DenyNone);
    EXPECT_FALSE(dm.adoInstalaQel().Connected());
    EXPECT_TRUE(dm.adoInstalaQel().ConnectionString().empty());

    dm.ConfiguraConexao("C:\\Temp\\InstQEL\\qel.mdb");
    EXPECT_EQ(dm.adoInstalaQel().ConnectionString(),
              L"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\Temp\\InstQEL\\qel.mdb;"
              L"Persist Security Info=False");
    dm.ConfiguraConexao("C:\\Usu\xE1rio\\qel.mdb");
    EXPECT_NE(dm.adoInstalaQel().ConnectionString().find(L"C:\\Usu\u00E1rio\\qel.mdb"),
              std::wstring::npos);
    EXPECT_FALSE(dm.adoInstalaQel().Connected()) << "configuring does not open";
}

TEST(Program, StartsWithItsWizardWindowAndEndsWhenItCloses) {
    test::TempFolder cwd("startcwd");
    auto p = test::Launch(test::WizardExe(), "", cwd.Path());
    HWND w = test::WaitForTopWindow(p.pid, "Quelvara - Instala\xE7\xE3o", 20000, "TfrmInstala");
    ASSERT_NE(w, nullptr) << "no wizard window appeared";
    RECT client;
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 600);
    EXPECT_EQ(client.bottom, 386);
    EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_SYSMENU);

    PostMessageA(w, WM_CLOSE, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(test::WaitForExit(p.process.get(), 15000, &code)) << "still running after close";
    EXPECT_EQ(code, 1602u) << "closed before any run ended: cancelled by the user";
}

TEST(Program, WithoutTheAdoRunTimeReportsItAndNeverShowsTheWizard) {
    test::TempFolder medium("noado");
    const std::string exe = medium / "InstalaSemAdo.exe";
    ASSERT_TRUE(CopyFileA(test::WizardExe().c_str(), exe.c_str(), FALSE));
    // A copy of the wizard under its own name gets ADO disabled.
    test::DllOverrides disabled("InstalaSemAdo.exe", {{"msado15", ""}});
    auto p = test::Launch(exe, "", medium.Path());
    HWND box = test::WaitForTopWindow(p.pid, "Application Error", 20000);
    ASSERT_NE(box, nullptr) << "no start-up failure shown";
    HWND text = test::FindDescendant(
        box, "Static",
        "Error creating object.  Please verify that the Microsoft Data Access Components 2.1 "
        "(or later) have been properly installed.");
    EXPECT_NE(text, nullptr) << "the box does not carry the ADO message";
    for (HWND h : test::TopWindowsOf(p.pid)) EXPECT_NE(test::ClassOf(h), "TfrmInstala");

    HWND ok = test::FindDescendant(box, "Button", "OK");
    ASSERT_NE(ok, nullptr);
    PostMessageA(ok, BM_CLICK, 0, 0);
    DWORD code = 99;
    ASSERT_TRUE(test::WaitForExit(p.process.get(), 15000, &code));
    EXPECT_EQ(code, 9u);
}

}  // namespace
}  // namespace qel

namespace qel {
namespace {

std::string VersionString(const std::vector<char>& block, const char* name) {
    std::string path = std::string("\\StringFileInfo\\041604E4\\") + name;
    char* value = nullptr;
    UINT len = 0;
    if (!VerQueryValueA(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &len))
        return "<missing>";
    return len ? std::string(value, strnlen(value, len)) : std::string();
}

TEST(Program, CarriesItsVersionRecordAndIcon) {
    const std::string exe = test::WizardExe();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &len));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00030000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);

    struct Translation { WORD language, codePage; }* t = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&t), &len));
    EXPECT_EQ(t->language, 0x0416);  // Portuguese (Brazil)
    EXPECT_EQ(t->codePage, 1252);

    EXPECT_EQ(VersionString(block, "FileVersion"), "3.0.0.0");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "1.0.0.0");
    for (const char* empty : {"CompanyName", "FileDescription", "InternalName", "LegalCopyright",
                              "LegalTrademarks", "OriginalFilename", "ProductName", "Comments"})
        EXPECT_EQ(VersionString(block, empty), "") << empty;

    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC group = FindResourceA(module, "MAINICON", MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(group, nullptr) << "no program icon";
    // One image: 32 x 32 in 16 colours.
    const BYTE* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    ASSERT_NE(dir, nullptr);
    EXPECT_EQ(*reinterpret_cast<const WORD*>(dir + 4), 1);
    EXPECT_EQ(dir[6], 32);
    EXPECT_EQ(dir[7], 32);
    EXPECT_EQ(dir[8], 16);
    FreeLibrary(module);
}

}  // namespace
}  // namespace qel
