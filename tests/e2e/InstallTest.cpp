// The real program on the demo medium carrying out whole installations, driven from
// outside; the installed files and both databases are read afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/FileSystem.h"
#include "tests/e2e/DemoMedium.h"
#include "tests/e2e/InstallSteps.h"
#include "tools/uidriver/DatabaseReader.h"

namespace qel::e2e {
namespace {

using uidriver::CountRows;
using uidriver::Exec;
using uidriver::Rows;
using uidriver::Scalar;

using test::ReadFile;
using test::TempFolder;

TEST(Install, AFreshInstallPutsEveryFileInPlace) {
    TempFolder base("e2efresh");
    const std::string target = base.Path() + "\\Programas\\QEL";
    const std::string midas = fs::SystemPath() + "\\midas.dll";
    const bool midasBefore = fs::FileExists(midas);
    const std::string midasBytes = midasBefore ? ReadFile(midas) : "";

    DemoSession s;
    WalkToInstall(s, 0, target);
    ExpectFinished(s);

    ExpectProgramAndHelpInstalled(target);
    EXPECT_EQ(ReadFile(target + "\\QEL.mdb"), ReadFile(Payload("QEL.mdb")));
    ASSERT_TRUE(fs::FileExists(midas));
    if (midasBefore)
        EXPECT_EQ(ReadFile(midas), midasBytes) << "an existing support library is never replaced";
    else
        EXPECT_EQ(ReadFile(midas), ReadFile(Payload("midas.dll")));
}

TEST(Install, AnUpdateOfAnOlderSchemaCarriesTheDataAndKeepsABackup) {
    TempFolder base("e2eolder");
    const std::string target = InstalledQel(base);
    const std::string oldDatabase = ReadFile(target + "\\QEL.mdb");

    DemoSession s;
    WalkToInstall(s, 1, target);
    ExpectFinished(s);

    ExpectProgramAndHelpInstalled(target);
    const std::string db = target + "\\QEL.mdb";
    EXPECT_EQ(Scalar(db, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "3.2.0");
    // Every operator; the other tables only up to the end of 2006, next to the rows the new
    // database brings.
    EXPECT_EQ(CountRows(db, "TB_OPERADORA"), 3);
    EXPECT_EQ(CountRows(db, "TB_ACOMPANHAMENTO"), 3);
    EXPECT_EQ(CountRows(db, "RL_CARTEIRA_ASSISTENCIAL"), 2);
    EXPECT_EQ(CountRows(db, "RL_ITEM_DESP_ASSISTENCIAL"), 2);
    EXPECT_EQ(CountRows(db, "TB_QEL_ANEXO_II_A"), 3);
    EXPECT_EQ(CountRows(db, "TB_QEL_ANEXO_III"), 2);
    EXPECT_EQ(CountRows(db, "TB_QEL_ANEXO_IV"), 2);
    EXPECT_EQ(Scalar(db, "SELECT DE_RAZAO_SOCIAL FROM TB_OPERADORA WHERE CD_OPERADORA = 1"),
              "Operadora S\xE3o Jo\xE3o Sa\xFA" "de Ltda");
    EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM TB_ACOMPANHAMENTO WHERE DT_INIC_VIGN = '2006-12-31 23:59:59'"), "1");
    EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM TB_ACOMPANHAMENTO WHERE DT_INIC_VIGN >= '2007-01-01 00:00:00'"), "0");
    EXPECT_EQ(Scalar(db, "SELECT COUNT(*) FROM RL_ITEM_DESP_ASSISTENCIAL WHERE DT_INIC_VIGN IS NULL"), "1");
    // Columns go by name, whatever their order; a column the old table lacks stays empty.
    EXPECT_EQ(Rows(db, "SELECT VL_COLUNA_1, VL_COLUNA_2, VL_COLUNA_3 FROM TB_QEL_ANEXO_IV WHERE NR_LINHA = 1"),
              (std::vector<std::vector<std::string>>{{"1.5", "2.5", "<null>"}}));
    EXPECT_EQ(Scalar(db, "SELECT DE_EMAIL FROM TB_OPERADORA WHERE CD_OPERADORA = 1"), "<null>");

    const auto backups = Matching(target, "QEL_*.md_");
    ASSERT_EQ(backups.size(), 1u);
    EXPECT_EQ(backups[0].size(), std::string("QEL_20070315143005.md_").size()) << backups[0];
    EXPECT_EQ(ReadFile(target + "\\" + backups[0]), oldDatabase) << "the backup is the old database";
    EXPECT_TRUE(Matching(target, "QEL_*.mdb").empty());
}

TEST(Install, AnUpdateOfTheSameSchemaOnlyStampsTheApplicationVersion) {
    TempFolder base("e2esame");
    const std::string target = InstalledQel(base);
    const std::string db = target + "\\QEL.mdb";
    ASSERT_TRUE(CopyFileA(Payload("QEL.mdb").c_str(), db.c_str(), FALSE));
    Exec(db, "UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = '3.2.0'");

    DemoSession s;
    WalkToInstall(s, 1, target);
    ExpectFinished(s);

    ExpectProgramAndHelpInstalled(target);
    EXPECT_EQ(Rows(db, "SELECT DE_VERSAO_BANCO, DE_VERSAO_SISTEMA FROM TA_SISTEMA"),
              (std::vector<std::vector<std::string>>{{"3.2.0", "3.2.3"}}));
    EXPECT_TRUE(Matching(target, "QEL_*").empty()) << "no backup";
}

TEST(Install, AnUpdateOfANewerSchemaLeavesTheDatabaseAlone) {
    TempFolder base("e2enewer");
    const std::string target = InstalledQel(base);
    const std::string db = target + "\\QEL.mdb";
    Exec(db, "UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = '3.3.0'");
    const std::string before = ReadFile(db);

    DemoSession s;
    WalkToInstall(s, 1, target);
    ExpectFinished(s);

    ExpectProgramAndHelpInstalled(target);
    EXPECT_EQ(ReadFile(db), before);
    EXPECT_TRUE(Matching(target, "QEL_*").empty());
}

TEST(Install, TheTypeMustMatchTheFolderOrTheWizardReturnsToPageTwo) {
    TempFolder empty("e2eempty");
    {
        DemoSession s;
        WalkToInstall(s, 1, empty.Path());
        HWND warning = s.WaitDialog("Warning");
        EXPECT_EQ(WizardSession::Message(warning),
                  "Banco de dados n\xE3o foi localizado.\rVerifique pasta de instala\xE7\xE3o correta.");
        WizardSession::Answer(warning, "OK");
        EXPECT_TRUE(s.WaitPage(1));
        EXPECT_TRUE(s.Program().Running());
    }
    TempFolder base("e2ehasdb");
    const std::string target = InstalledQel(base);
    DemoSession s;
    WalkToInstall(s, 0, target);
    HWND warning = s.WaitDialog("Warning");
    EXPECT_EQ(WizardSession::Message(warning),
              "Existe um arquivo se dados na pasta de instala\xE7\xE3o.\rUtilize a op\xE7\xE3o de instala\xE7\xE3o "
              "\"Atualiza\xE7\xE3o\".");
    WizardSession::Answer(warning, "OK");
    EXPECT_TRUE(s.WaitPage(1));
    EXPECT_TRUE(fs::FileExists(target + "\\QEL.mdb"));
}

TEST(Install, AnInstalledDatabaseHeldOpenStopsTheCarryOverWithTheWindowOpen) {
    TempFolder base("e2eheld");
    const std::string target = InstalledQel(base);
    const std::string db = target + "\\QEL.mdb";
    const std::string before = ReadFile(db);
    // Another program has the database open (reading and writing allowed to others).
    HANDLE other = CreateFileA(db.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);

    DemoSession s;
    WalkToInstall(s, 1, target);
    HWND simple = s.WaitDialog("Instalaqel", 60000);
    EXPECT_FALSE(WizardSession::Message(simple).empty()) << "the engine's own message";
    WizardSession::Answer(simple, "OK");
    EXPECT_TRUE(s.Program().Running()) << "the window stays open";
    EXPECT_EQ(s.Page(), 2);
    CloseHandle(other);

    EXPECT_EQ(ReadFile(db), before) << "the installed database is unchanged";
    EXPECT_TRUE(Matching(target, "QEL_*").empty());
    s.Press("Cancelar");
    WizardSession::Answer(s.WaitDialog("Confirm"), "&Yes");
    EXPECT_EQ(s.WaitExit(), 4u) << "the last run ended on a database in use";
}

}  // namespace
}  // namespace qel::e2e
