// The real program on the demo medium, in what an office PC adds around a run: a relative
// install folder, a data-access setup that cannot start, a second Instalar after a failed
// replacement whose database cannot be staged again, a disk without room for the backup,
// a copy of the database Windows kept for the user, and files that a scanner holds for a
// moment. Each ends as the user is told, with the installed database intact.
#include <gtest/gtest.h>

#include <windows.h>

#include "dbupgrade/DatabaseReplacement.h"
#include "engine/DataAccessPrerequisite.h"
#include "engine/InstallationRun.h"
#include "engine/StagingFolder.h"
#include "platform/FileSystem.h"
#include "tests/e2e/DemoMedium.h"
#include "tests/e2e/InstallSteps.h"
#include "tests/integration/OtherProcess.h"
#include "tests/support/WineVolumes.h"

namespace qel::e2e {
namespace {

using test::ReadFile;
using test::TempFolder;
using test::WriteFile;

// After an error that leaves the window open: Cancelar, Yes, and the program ends with
// the exit code of the run that ended.
void CancelAndEnd(DemoSession& s, DWORD code) {
    s.Press("Cancelar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    EXPECT_EQ(s.WaitExit(), code);
}

// An error dialog's text, answered with OK.
std::string ErrorShown(DemoSession& s, const char* title = "Error", DWORD timeoutMs = 60000) {
    HWND dialog = s.WaitDialog(title, timeoutMs);
    const std::string text = WizardSession::Message(dialog);
    WizardSession::Answer(dialog, "OK");
    return text;
}

TEST(OfficePc, ARelativeInstallFolderIsShownAsTheFullPathAndInstalledThere) {
    DemoSession s;
    const std::string name = "QELrel-" + std::to_string(GetCurrentProcessId());
    const std::string full = fs::ExtractFilePath(s.Medium()) + name;
    s.ChooseType(0);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    s.SetFolder("..\\" + name);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    EXPECT_EQ(s.Folder(), full) << "relative to the folder the wizard started in";
    s.Press("Instalar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    ExpectFinished(s);
    ExpectProgramAndHelpInstalled(full);
    EXPECT_EQ(ReadFile(full + "\\QEL.mdb"), ReadFile(Payload("QEL.mdb")));
    test::RemoveTree(full);
}

TEST(OfficePc, ADataAccessSetupThatCannotStartIsReportedAndNothingIsInstalled) {
    TempFolder base("e2eado");
    const std::string target = base.Path() + "\\QEL";
    DemoSession s;
    // The staged database cannot be opened, so the setup must run; it is no program.
    WriteFile(s.Medium() + "\\QEL.md_", "nenhum banco");
    WriteFile(s.Medium() + "\\setup.exe", "nenhum programa");
    WalkToInstall(s, 0, target);
    EXPECT_EQ(ErrorShown(s), MensagemAdoNaoIniciado(ERROR_BAD_EXE_FORMAT));
    EXPECT_EQ(s.WaitExit(), 8u) << "the data-access components could not be installed";
    EXPECT_FALSE(fs::FileExists(target + "\\QEL.exe"));
    EXPECT_FALSE(fs::FileExists(target + "\\QEL.mdb"));
    // Closed as after any failure of the run: its staging folders stay behind.
    test::RemoveTree(TempDir() + "InstADO");
    test::RemoveTree(TempDir() + "InstQEL");
}

TEST(OfficePc, AFailedRestagingAfterAFailedReplacementIsReportedAndNoRowIsCarriedTwice) {
    TempFolder base("e2erestage");
    const std::string target = InstalledQel(base);
    const std::string db = target + "\\QEL.mdb";
    const std::string before = ReadFile(db);
    const std::string staged = TempDir() + "InstQEL\\QEL.mdb";
    // The replacement's name for the new file is taken by a folder: it fails.
    ASSERT_TRUE(fs::MakeDir(target + "\\" + kNovoProvisorio));

    DemoSession s;
    WalkToInstall(s, 1, target);
    EXPECT_EQ(ErrorShown(s), MensagemSubstituicao(ResultadoSubstituicao::NovoNaoColocado));
    ASSERT_TRUE(fs::RemoveDir(target + "\\" + kNovoProvisorio));
    const long long carried = LinhasDasTabelasLevadas(staged);
    {
        // Another program holds the staged database while Instalar is pressed again.
        test::Holder other("hold-alone", staged, base.Path() + "\\holder.txt");
        ASSERT_EQ(other.result, "held");
        s.Press("Instalar");
        WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
        // The earlier staging folder cannot be made anew while its database is held.
        EXPECT_EQ(ErrorShown(s), MensagemPastaNaoRemovida(TempDir() + "InstQEL"));
        EXPECT_TRUE(s.Program().Running());
    }
    EXPECT_EQ(ReadFile(db), before) << "the installed database is intact";
    EXPECT_EQ(LinhasDasTabelasLevadas(staged), carried);
    EXPECT_TRUE(Matching(target, "QEL_*").empty());

    // Free again: the third press carries every row once.
    s.Press("Instalar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    ExpectFinished(s);
    EXPECT_EQ(LinhasDasTabelasLevadas(db), kLinhasDepoisDaAtualizacao);
    ASSERT_EQ(Matching(target, "QEL_*.md_").size(), 1u);
    EXPECT_EQ(ReadFile(target + "\\" + Matching(target, "QEL_*.md_")[0]), before);
}

TEST(OfficePc, ADiskWithoutRoomForTheBackupStopsTheUpdateBeforeAnythingChanges) {
    test::SmallVolume volume(1024);
    if (!volume.Made()) GTEST_SKIP() << volume.Why();
    const std::string target = volume / "QEL";
    ASSERT_TRUE(fs::MakeDir(target));
    uidriver::CopyFolderFiles(DemoFolder("installed-3.1.9"), target);
    const std::string before = ReadFile(target + "\\QEL.mdb");
    const std::string program = ReadFile(target + "\\QEL.exe");
    // Room for less than the backup and the new database together.
    const std::uint64_t needed = before.size() + *fs::FileSize(Payload("QEL.mdb"));
    WriteFile(volume / "enchimento", std::string(*fs::FreeSpace(target) - needed + 4096, '\0'));
    {
        DemoSession s;
        WalkToInstall(s, 1, target);
        const std::string text = ErrorShown(s);
        EXPECT_NE(text.find("Espa\xE7o em disco insuficiente"), std::string::npos) << text;
        EXPECT_NE(text.find(TextoDeTamanho(needed, true) + " livres em " + target), std::string::npos) << text;
        EXPECT_TRUE(s.Program().Running());
        CancelAndEnd(s, 6);
    }
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), before);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), program);
    EXPECT_TRUE(Matching(target, "QEL_*").empty());
    test::RemoveTree(TempDir() + "InstQEL");  // a run that stops with the window open leaves it
}

TEST(OfficePc, ACopyOfTheDatabaseWindowsKeptForTheUserStopsTheUpdate) {
    TempFolder base("e2evstore");
    const std::string target = InstalledQel(base);
    const std::string before = ReadFile(target + "\\QEL.mdb");
    // Where Windows keeps what QEL wrote there without rights: the path without its drive.
    const std::string kept = fs::VirtualStorePath() + base.Path().substr(2);
    ASSERT_TRUE(fs::ForceDirectories(kept + "\\QEL"));
    ASSERT_TRUE(CopyFileA((target + "\\QEL.mdb").c_str(), (kept + "\\QEL\\QEL.mdb").c_str(), FALSE));
    {
        DemoSession s;
        WalkToInstall(s, 1, target);
        HWND warning = s.WaitDialog("Warning");
        EXPECT_EQ(WizardSession::Message(warning), MensagemCopiaVirtual(target + "\\QEL.mdb", kept + "\\QEL\\QEL.mdb"));
        WizardSession::Answer(warning, "OK");
        EXPECT_EQ(s.Page(), 2);
        CancelAndEnd(s, 3);
    }
    test::RemoveTree(kept);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), before);
    EXPECT_EQ(ReadFile(target + "\\QEL.exe"), ReadFile(DemoFolder("installed-3.1.9") + "\\QEL.exe"));
}

TEST(OfficePc, AnUpdateWhoseFilesAScannerHoldsForAMomentGoesThrough) {
    TempFolder base("e2escan");
    const std::string target = InstalledQel(base);
    const std::string before = ReadFile(target + "\\QEL.mdb");
    test::Holder scanner("scan", target + "|" + TempDir() + "InstQEL", base.Path() + "\\scanner.txt", 300);
    ASSERT_EQ(scanner.result, "held");

    DemoSession s;
    s.ChooseType(1);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(1));
    s.SetFolder(target);
    s.Press("Continuar");
    ASSERT_TRUE(s.WaitPage(2));
    s.Press("Instalar");
    HWND confirm = s.WaitDialog("Confirm");
    // The program's file is being read by someone sharing nothing when the run starts.
    test::Holder reader("hold-alone", target + "\\QEL.exe", base.Path() + "\\reader.txt", 1500);
    ASSERT_EQ(reader.result, "held");
    const DWORD start = GetTickCount();
    WizardSession::Answer(confirm, "&Yes");
    ExpectFinished(s);
    EXPECT_GE(GetTickCount() - start, 1000u) << "the copy of the program did not wait for the reader";

    ExpectProgramAndHelpInstalled(target);
    EXPECT_EQ(LinhasDasTabelasLevadas(target + "\\QEL.mdb"), kLinhasDepoisDaAtualizacao);
    ASSERT_EQ(Matching(target, "QEL_*.md_").size(), 1u);
    EXPECT_EQ(ReadFile(target + "\\" + Matching(target, "QEL_*.md_")[0]), before);
    // How many files the scanner caught depends on timing; the program's file above was
    // held for certain.
    RecordProperty("scanner", scanner.Release());
}

}  // namespace
}  // namespace qel::e2e
