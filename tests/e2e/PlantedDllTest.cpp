// The real program on a medium where DLLs were planted under the names it and the system
// DLLs it uses load, with Wine told to prefer such copies as Windows prefers a DLL beside
// the program: a silent fresh install that runs the data-access setup, and the wizard
// with its folder browser opened carrying out an update, load none of them, and the
// data-access setup that runs is the staged copy.
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/e2e/DemoMedium.h"
#include "tests/e2e/InstallSteps.h"
#include "tests/support/DllOverrides.h"

namespace qel::e2e {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// Names under which a DLL is planted: what the program itself loads (the themes, the
// common controls, the network connections), what system DLLs commonly load by name
// once a program runs (the shell's folder browser, COM), and the DLLs the data-access
// setup files bring under system names. Left out is what Wine's own DLLs import, which
// Wine looks for beside the program whatever the program does: their static imports are
// resolved before any code of the program runs (user32 imports version, zlib1 and
// win32u, for one), and Wine 8's helper for their delay-loaded imports (uxtheme's
// msimg32, comctl32's winmm, shell32's shdocvw, user32's and gdi32's setupapi) searches
// the program's folder although the program narrowed the search to the system folder.
// Windows maps KnownDLLs and what they import from its own copies.
const char* const kPlantadas[] = {
    "uxtheme",  "comctl32", "mpr",     "dwmapi",  "propsys",  "explorerframe", "oleacc",   "userenv", "profapi",
    "netapi32", "actxprxy", "advpack", "cabinet", "cfgmgr32", "dasetupr",      "w95inf16", "w95inf32",
};

// A copy of the demo medium with the DLL planted under every name, and Wine preferring
// those copies for the program while this lives.
class MediumWithPlantedDlls {
public:
    MediumWithPlantedDlls() : overrides_("InstalaQEL.exe", Preferred()) {
        uidriver::CopyFolderFiles(DemoFolder("medium"), folder_.Path());
        for (const char* name : kPlantadas)
            EXPECT_TRUE(CopyFileA((test::TestProgramDir() + "qel_plantada.dll").c_str(),
                                  (folder_ / (std::string(name) + ".dll")).c_str(), FALSE))
                << name;
    }
    const std::string& Path() const { return folder_.Path(); }

    // The planted DLLs some process loaded.
    std::vector<std::string> Loaded() const {
        std::vector<std::string> loaded;
        for (const char* name : kPlantadas)
            if (fs::FileExists(folder_ / (std::string(name) + ".dll.carregada"))) loaded.push_back(name);
        return loaded;
    }

private:
    static std::vector<std::pair<std::string, std::string>> Preferred() {
        std::vector<std::pair<std::string, std::string>> preferred;
        for (const char* name : kPlantadas) preferred.emplace_back(name, "native,builtin");
        return preferred;
    }

    TempFolder folder_{"e2eplantada"};
    test::DllOverrides overrides_;
};

// The stand-in data-access setup's last record (tools/demo/DataAccessSetup.cpp).
std::string LastSetupRecord(std::string all) {
    while (!all.empty() && (all.back() == '\n' || all.back() == '\r')) all.pop_back();
    return all.substr(all.rfind('\n') + 1);  // the whole text when it is one line
}

TEST(PlantedDlls, ASilentFreshInstallLoadsNoneAndRunsTheStagedDataAccessSetup) {
    MediumWithPlantedDlls medium;
    // The staged database does not open, so the data-access setup must run.
    WriteFile(medium.Path() + "\\QEL.md_", "nenhum banco");
    // Staging folders someone else made beforehand: a folder holding a program of theirs,
    // and a file.
    const std::string staging = TempDir() + "InstQEL", adoStaging = TempDir() + "InstADO";
    test::RemoveTree(staging);
    test::RemoveTree(adoStaging);
    ASSERT_TRUE(fs::MakeDir(staging));
    WriteFile(staging + "\\QEL.exe", "programa de outro");
    WriteFile(adoStaging, "arquivo de outro");
    const std::string ran = TempDir() + "qel-setup-ran.txt";
    const std::size_t before = fs::FileExists(ran) ? ReadFile(ran).size() : 0;

    TempFolder base("e2eplantnova");
    const std::string target = base / "QEL";
    auto p = test::Launch(medium.Path() + "\\InstalaQEL.exe", "/silent \"/dir=" + target + "\"", medium.Path());
    DWORD code = 0;
    ASSERT_TRUE(test::WaitForExit(p.process.get(), 120000, &code));
    EXPECT_EQ(code, 3010u) << "installed, the data-access setup ran";

    EXPECT_EQ(medium.Loaded(), std::vector<std::string>{});
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), ReadFile(Payload("QEL.exe"))) << "the medium's program, not theirs";
    EXPECT_FALSE(fs::FileExists(staging) || fs::DirectoryExists(staging));
    EXPECT_FALSE(fs::FileExists(adoStaging) || fs::DirectoryExists(adoStaging));
    // The setup that ran is the staged copy, started by its full path in its own folder.
    const std::string all = ReadFile(ran);
    ASSERT_GT(all.size(), before) << "the setup did not run";
    const std::string record = text::Lower(LastSetupRecord(all));
    const std::string staged = text::Lower(adoStaging + "\\setup.exe");
    EXPECT_NE(record.find("command line: \"" + text::Lower(adoStaging) + "\\setup.exe\" /qnt |"), std::string::npos)
        << record;
    EXPECT_NE(record.find("| program " + staged + " |"), std::string::npos) << record;
    EXPECT_NE(record.find("| folder " + text::Lower(adoStaging)), std::string::npos) << record;
}

// The folder field's browse button, pressed as a click does.
void OpenFolderBrowser(WizardSession& s) {
    HWND button = uidriver::WaitFor(s.Window(), "TDirectoryEditButton", "", 5000);
    PostMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    PostMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

// The shell's folder browser: a dialog of the program with a folder tree.
HWND WaitFolderBrowser(WizardSession& s) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < uidriver::kWait; Sleep(100))
        for (HWND w : s.Program().Windows())
            if (uidriver::ClassName(w) == "#32770" && uidriver::Find(w, "SysTreeView32", "")) return w;
    return nullptr;
}

TEST(PlantedDlls, TheWizardWithItsFolderBrowserOpenedLoadsNoneThroughAnUpdate) {
    MediumWithPlantedDlls medium;
    TempFolder base("e2eplantupd");
    const std::string target = InstalledQel(base);

    WizardSession s(medium.Path());
    s.ChooseType(1);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    s.SetFolder(target);
    OpenFolderBrowser(s);
    HWND browser = WaitFolderBrowser(s);
    ASSERT_NE(browser, nullptr) << "the folder browser did not open";
    WizardSession::Answer(browser, "Cancel");
    EXPECT_EQ(s.Folder(), target) << "cancelled: the field is as it was";
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    s.Press("Instalar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    ExpectFinished(s);

    EXPECT_EQ(medium.Loaded(), std::vector<std::string>{});
    EXPECT_EQ(LinhasDasTabelasLevadas(target + "\\QEL.mdb"), kLinhasDepoisDaAtualizacao);
}

}  // namespace
}  // namespace qel::e2e
