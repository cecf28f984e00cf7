// The data-access prerequisite against real files under Wine: staging of the setup files,
// the probe of the staged database, the medium's data-access markers and the silent setup.
#include <gtest/gtest.h>

#include <windows.h>

#include <sqlite3.h>

#include <functional>
#include <vector>

#include "engine/DataAccessPrerequisite.h"
#include "engine/StagingFolder.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/support/FailingSeam.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "tests/support/Windows.h"
#include "engine/udmInstaladorQel.h"

namespace qel {
namespace {

using test::ReadFile;
using test::ScriptedUi;
using test::TempFolder;
using test::WriteFile;

void MakeDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(10));", nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
}

class InstalaAdo : public testing::Test {
protected:
    void SetUp() override {
        estado.SourceDir = medium.Path() + "\\";
        estado.TempDir = temp.Path() + "\\";
        for (const char* nome : ArquivosADO) WriteFile(medium / nome, std::string("conteudo de ") + nome);
        // The medium's setup program is our recorder: it notes how it was started.
        ASSERT_TRUE(CopyFileA((test::TestProgramDir() + "qel_registra_inicio.exe").c_str(),
                              (medium / "setup.exe").c_str(), FALSE));
        ASSERT_TRUE(fs::MakeDir(temp / "InstQEL"));
        ASSERT_TRUE(fs::ChangeDir(medium.Path()));
    }
    void TearDown() override {
        fs::ChangeDir(saved);
        dm.adoInstalaQel().Disconnect();
    }

    std::string Staged(const char* nome) const { return temp.Path() + "\\InstADO\\" + nome; }
    bool SetupRan() const { return fs::FileExists(Staged("registro-inicio.txt")); }

    void ExpectMarkerFailure(const char* texto) {
        ui.Responde(RespostaMensagem::Ok);
        EXPECT_FALSE(InstalaADO(estado, dm, ui));
        ASSERT_EQ(ui.dialogos.size(), 1u);
        EXPECT_EQ(ui.dialogos[0].texto, texto);
        EXPECT_EQ(ui.dialogos[0].tipo, TipoMensagem::Erro);
        EXPECT_EQ(ui.dialogos[0].botoes, BotoesMensagem::Ok);
        EXPECT_TRUE(ui.fechada);
        EXPECT_FALSE(SetupRan());
        EXPECT_EQ(fs::CurrentDir(), medium.Path()) << "back on the medium after a marker error";
    }

    std::string saved = fs::CurrentDir();
    TempFolder medium{"adomedium"};
    TempFolder temp{"adotemp"};
    WizardState estado;
    TdmInstalaQel dm;
    ScriptedUi ui;
};

TEST_F(InstalaAdo, WhenTheStagedDatabaseOpensStagesEverythingAndRunsNothing) {
    MakeDatabase(temp / "InstQEL\\QEL.mdb");
    // No data-access markers at all: they matter only when the probe fails.
    EXPECT_TRUE(InstalaADO(estado, dm, ui));
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_FALSE(ui.fechada);
    EXPECT_FALSE(SetupRan());
    for (const char* nome : ArquivosADO)
        EXPECT_EQ(ReadFile(Staged(nome)), ReadFile(medium / nome)) << nome;
    EXPECT_EQ(fs::CurrentDir(), temp.Path() + "\\InstADO");
    EXPECT_FALSE(dm.adoInstalaQel().Connected()) << "the probe is closed again";
    EXPECT_EQ(dm.adoInstalaQel().ConnectionString(),
              text::Widen("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + temp.Path() +
                          "\\InstQEL\\qel.mdb;Persist Security Info=False"));
}

TEST_F(InstalaAdo, StagedCopiesLoseTheReadOnlyBitAndKeepTheOthers) {
    MakeDatabase(temp / "InstQEL\\QEL.mdb");
    SetFileAttributesA((medium / "adot.mdb").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA((medium / "oleaut.cab").c_str(), FILE_ATTRIBUTE_READONLY);
    // The folder of an earlier attempt, with a file that is not the medium's, is made anew.
    ASSERT_TRUE(fs::MakeDir(temp / "InstADO"));
    WriteFile(Staged("mdacone.cab"), "tentativa anterior");
    WriteFile(Staged("outro.dll"), "de outro");

    EXPECT_TRUE(InstalaADO(estado, dm, ui));
    DWORD a = GetFileAttributesA(Staged("adot.mdb").c_str());
    EXPECT_FALSE(a & FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(a & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(GetFileAttributesA(Staged("oleaut.cab").c_str()) & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(ReadFile(Staged("mdacone.cab")), "conteudo de mdacone.cab");
    EXPECT_FALSE(fs::FileExists(Staged("outro.dll")));
    for (const char* nome : {"adot.mdb", "oleaut.cab"})
        SetFileAttributesA((medium / nome).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(InstalaAdo, AMissingFirstDataAccessMarkerEndsTheRun) {
    WriteFile(medium / "disk.4", "4");  // the second marker does not save it
    ExpectMarkerFailure("Disco nº 1 do ADO não foi descompactado corretamente");
}

TEST_F(InstalaAdo, AFirstMarkerThatIsAFolderCountsAsMissing) {
    ASSERT_TRUE(fs::MakeDir(medium / "disk.3"));
    WriteFile(medium / "disk.4", "4");
    ExpectMarkerFailure("Disco nº 1 do ADO não foi descompactado corretamente");
}

TEST_F(InstalaAdo, AMissingSecondDataAccessMarkerEndsTheRun) {
    WriteFile(medium / "disk.3", "3");
    ExpectMarkerFailure("Disco nº 2 do ADO não foi descompactado corretamente");
}

TEST_F(InstalaAdo, ADamagedStagedDatabaseRunsTheSetupHiddenAndWaitsForIt) {
    WriteFile(medium / "disk.3", "3");
    WriteFile(medium / "disk.4", "4");
    WriteFile(temp / "InstQEL\\QEL.mdb", "isto nao e um banco de dados");

    EXPECT_TRUE(InstalaADO(estado, dm, ui));
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_FALSE(ui.fechada);
    ASSERT_TRUE(SetupRan());
    // The staged copy by its full path, not the medium's (which would record the same).
    const std::string registro = ReadFile(Staged("registro-inicio.txt"));
    EXPECT_NE(registro.find("linha=\"" + Staged("Setup.Exe") + "\" /qnt\n"), std::string::npos) << registro;
    EXPECT_NE(text::Lower(registro).find("programa=" + text::Lower(Staged("setup.exe")) + "\n"), std::string::npos)
        << registro;
    EXPECT_NE(registro.find("pasta=" + temp.Path() + "\\InstADO\n"), std::string::npos) << registro;
    EXPECT_NE(registro.find("mostra=0\n"), std::string::npos) << registro;
    EXPECT_NE(registro.find("terminou=sim"), std::string::npos) << "returned before the setup ended";
    EXPECT_EQ(fs::CurrentDir(), temp.Path() + "\\InstADO");
}

TEST_F(InstalaAdo, AMissingStagedDatabaseCountsLikeAMissingProvider) {
    WriteFile(medium / "disk.3", "3");
    WriteFile(medium / "disk.4", "4");
    EXPECT_TRUE(InstalaADO(estado, dm, ui));
    EXPECT_TRUE(SetupRan());
    EXPECT_FALSE(fs::FileExists(temp / "InstQEL\\qel.mdb")) << "the probe never creates the file";
}

TEST_F(InstalaAdo, ASetupThatCannotStartIsReportedWithTheSystemsReasonAndEndsTheRun) {
    WriteFile(medium / "disk.3", "3");
    WriteFile(medium / "disk.4", "4");
    struct Caso {
        const char* nome;
        std::function<void()> prepara;
        DWORD erro;
    };
    const std::vector<Caso> casos = {
        {"missing", [&] { ASSERT_TRUE(fs::Remove(medium / "setup.exe")); }, ERROR_FILE_NOT_FOUND},
        {"not a program", [&] { WriteFile(medium / "setup.exe", "isto nao e um programa"); }, ERROR_BAD_EXE_FORMAT},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        c.prepara();
        ScriptedUi one;
        one.Responde(RespostaMensagem::Ok);
        EXPECT_FALSE(InstalaADO(estado, dm, one));
        ASSERT_EQ(one.dialogos.size(), 1u);
        EXPECT_EQ(one.dialogos[0].texto, MensagemAdoNaoIniciado(c.erro));
        EXPECT_EQ(one.dialogos[0].tipo, TipoMensagem::Erro);
        EXPECT_TRUE(one.fechada);
        EXPECT_FALSE(SetupRan());
        EXPECT_EQ(fs::CurrentDir(), medium.Path());
        fs::ChangeDir(medium.Path());
    }
    // The words: what was not installed, the program, the system's reason and its code.
    const std::string texto = MensagemAdoNaoIniciado(ERROR_BAD_EXE_FORMAT);
    EXPECT_EQ(texto.rfind("Componentes de acesso a dados n\xE3o foram instalados.\rO programa Setup.Exe n\xE3o p\xF4"
                          "de ser executado: ", 0), 0u) << texto;
    EXPECT_NE(texto.find("Setup.Exe", 60), std::string::npos) << "the system's text names the program: " << texto;
    EXPECT_EQ(texto.find("%1"), std::string::npos) << texto;
    EXPECT_EQ(texto.substr(texto.size() - 10), "(erro 193)") << texto;
}

// A staging that fails stops the run before anything is probed or run, the window left
// open with the animation stopped, so that Instalar can be pressed again.
TEST_F(InstalaAdo, AStagingThatFailsStopsTheRunWithTheWindowOpen) {
    WriteFile(medium / "disk.3", "3");
    WriteFile(medium / "disk.4", "4");
    const std::string pasta = temp.Path() + "\\InstADO";
    const struct {
        const char* caso;
        fs::FileOp op;
        const char* arquivo;
        std::string texto;
        ResultadoAdo::Fim fim;
    } casos[] = {
        {"a copy", fs::FileOp::Copy, "cabinet.dll", MensagemArquivoNaoPreparado("cabinet.dll", pasta),
         ResultadoAdo::Fim::ArquivoNaoCopiado},
        {"an earlier folder", fs::FileOp::RemoveEntry, "", MensagemPastaNaoRemovida(pasta),
         ResultadoAdo::Fim::PastaNaoRemovida},
    };
    for (const auto& c : casos) {
        SCOPED_TRACE(c.caso);
        ScriptedUi one;
        one.Responde(RespostaMensagem::Ok);
        test::FailingSeam falha(c.op, c.arquivo);
        ResultadoAdo r{};
        {
            fs::ScopedFileOpSeam sob(falha);
            r = InstalaADO(estado, dm, one);
        }
        EXPECT_FALSE(r);
        EXPECT_EQ(r.fim, c.fim);
        ASSERT_EQ(one.dialogos.size(), 1u);
        EXPECT_EQ(one.dialogos[0].texto, c.texto);
        EXPECT_EQ(one.dialogos[0].tipo, TipoMensagem::Erro);
        EXPECT_FALSE(one.fechada);
        EXPECT_EQ(one.eventos.back(), "animacao:off");
        EXPECT_FALSE(SetupRan());
        EXPECT_FALSE(fs::FileExists(Staged("mdacone.cab"))) << "nothing after the failure is staged";
        EXPECT_EQ(fs::CurrentDir(), medium.Path());
    }
}

TEST_F(InstalaAdo, AStagingFolderThatCannotBeCreatedEndsTheRunWhereItStands) {
    WriteFile(temp / "arquivo", "no caminho");
    estado.TempDir = temp.Path() + "\\arquivo\\";
    ui.Responde(RespostaMensagem::Ok);
    EXPECT_FALSE(InstalaADO(estado, dm, ui));
    ASSERT_EQ(ui.dialogos.size(), 1u);
    EXPECT_EQ(ui.dialogos[0].texto, "Diretório temporário de instalação não pôde ser criado!");
    EXPECT_TRUE(ui.fechada);
    EXPECT_EQ(fs::CurrentDir(), medium.Path()) << "the current folder is left as it was";
}

}  // namespace
}  // namespace qel
