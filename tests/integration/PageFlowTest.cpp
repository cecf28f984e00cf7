// The page flow's checks against real folders under Wine, through the scripted UI port:
// which page is shown, which dialog with which words, whether the window closes.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "platform/Failure.h"
#include "platform/FileSystem.h"
#include "platform/Handles.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"
#include "engine/RunChecks.h"
#include "wizard/PageFlow.h"

namespace qel {
namespace {

using test::ScriptedUi;
using test::TempFolder;
using test::WriteFile;

const char* const kDisco1 = "Disco nº 1 não foi descompactado corretamente";
const char* const kDisco2 = "Disco nº 2 não foi descompactado corretamente";

// Restores the process's current folder after a test that changes it.
class CurrentFolderGuard {
public:
    CurrentFolderGuard() : saved_(fs::CurrentDir()) {}
    ~CurrentFolderGuard() { fs::ChangeDir(saved_); }

private:
    std::string saved_;
};

class MediumCheck : public testing::Test {
protected:
    void SetUp() override {
        estado.SourceDir = medium.Path() + "\\";
        for (const char* f : {"disk.1", "disk.2", "QEL.md_", "QEL.ex_"}) WriteFile(medium / f, f);
        ASSERT_TRUE(fs::ChangeDir(medium.Path()));
    }

    void ExpectClosedWith(const char* texto) {
        ASSERT_EQ(ui.dialogos.size(), 1u);
        EXPECT_EQ(ui.dialogos[0].texto, texto);
        EXPECT_EQ(ui.dialogos[0].tipo, TipoMensagem::Erro);
        EXPECT_EQ(ui.dialogos[0].botoes, BotoesMensagem::Ok);
        EXPECT_TRUE(ui.fechada);
        // The error is shown over page 2: the page switch comes first.
        ASSERT_GE(ui.eventos.size(), 3u);
        EXPECT_EQ(ui.eventos[0], "pagina:1");
        EXPECT_EQ(ui.eventos.back(), "fecha");
    }

    CurrentFolderGuard cwd;
    TempFolder medium{"medium"};
    WizardState estado;
    ScriptedUi ui;
};

TEST_F(MediumCheck, WithEveryPartPresentShowsPageTwoAndNothingElse) {
    VerificaMidia(estado, ui);
    EXPECT_EQ(ui.pagina, Pagina::Diretorio);
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_FALSE(ui.fechada);
    EXPECT_EQ(ui.eventos, std::vector<std::string>{"pagina:1"});
}

TEST_F(MediumCheck, AMissingFirstMarkerOrDatabaseEndsWithTheFirstDiskMessage) {
    ASSERT_TRUE(fs::Remove(medium / "disk.1"));
    ASSERT_TRUE(fs::Remove(medium / "disk.2"));  // disk 2 is not looked at
    ui.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, ui);
    ExpectClosedWith(kDisco1);
}

TEST_F(MediumCheck, TheDatabaseIsLookedForInTheCurrentFolder) {
    ASSERT_TRUE(fs::Remove(medium / "QEL.md_"));
    ui.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, ui);
    ExpectClosedWith(kDisco1);
}

TEST_F(MediumCheck, AMarkerThatIsAFolderCountsAsMissing) {
    ASSERT_TRUE(fs::Remove(medium / "disk.1"));
    ASSERT_TRUE(fs::MakeDir(medium / "disk.1"));
    ui.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, ui);
    ExpectClosedWith(kDisco1);
}

TEST_F(MediumCheck, AMissingSecondMarkerOrProgramEndsWithTheSecondDiskMessage) {
    ASSERT_TRUE(fs::Remove(medium / "disk.2"));
    ui.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, ui);
    ExpectClosedWith(kDisco2);

    ScriptedUi again;
    WriteFile(medium / "disk.2", "2");
    ASSERT_TRUE(fs::Remove(medium / "QEL.ex_"));
    again.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, again);
    ASSERT_EQ(again.dialogos.size(), 1u);
    EXPECT_EQ(again.dialogos[0].texto, kDisco2);
    EXPECT_TRUE(again.fechada);
}

TEST_F(MediumCheck, StartedFromAnotherFolderMarkersComeFromTheMediumPayloadFromThere) {
    TempFolder elsewhere("elsewhere");
    WriteFile(elsewhere / "QEL.md_", "db");
    WriteFile(elsewhere / "QEL.ex_", "exe");
    ASSERT_TRUE(fs::Remove(medium / "QEL.md_"));
    ASSERT_TRUE(fs::Remove(medium / "QEL.ex_"));
    ASSERT_TRUE(fs::ChangeDir(elsewhere.Path()));
    VerificaMidia(estado, ui);
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_FALSE(ui.fechada);

    // The same medium, complete, but the current folder holds no payload: disk 1 missing.
    WriteFile(medium / "QEL.md_", "db");
    WriteFile(medium / "QEL.ex_", "exe");
    ASSERT_TRUE(fs::Remove(elsewhere / "QEL.md_"));
    ScriptedUi other;
    other.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, other);
    ASSERT_EQ(other.dialogos.size(), 1u);
    EXPECT_EQ(other.dialogos[0].texto, kDisco1);
}

TEST_F(MediumCheck, ASourceDirWithoutItsTrailingBackslashStillFindsTheMarkers) {
    // The join always adds a backslash; the reduction keeps a single one either way.
    estado.SourceDir = medium.Path();
    VerificaMidia(estado, ui);
    EXPECT_TRUE(ui.dialogos.empty());
}

class FolderCheck : public testing::Test {
protected:
    TempFolder base{"target"};
    ScriptedUi ui;
};

TEST_F(FolderCheck, CreatesEveryMissingLevelAndShowsPageThree) {
    ui.pasta = base.Path() + "\\Arquivos de Programas\\ZAV\\QEL";
    VerificaPastaInstalacao(ui);
    EXPECT_TRUE(fs::DirectoryExists(ui.pasta));
    EXPECT_EQ(ui.pagina, Pagina::Instala);
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_FALSE(ui.fechada);

    // A second press finds it and creates nothing.
    ScriptedUi again;
    again.pasta = ui.pasta;
    VerificaPastaInstalacao(again);
    EXPECT_TRUE(again.dialogos.empty());
}

TEST_F(FolderCheck, ATrailingBackslashIsDroppedBeforeCreating) {
    ui.pasta = base.Path() + "\\Nova\\";
    VerificaPastaInstalacao(ui);
    EXPECT_TRUE(fs::DirectoryExists(base / "Nova"));
    EXPECT_TRUE(ui.dialogos.empty());
}

TEST_F(FolderCheck, TextsShorterThanThreeCharactersPassWithoutCreatingAnything) {
    // Made full first: "C:" is the current folder of drive C, "X:" the root of X.
    CurrentFolderGuard cwd;
    ASSERT_TRUE(fs::ChangeDir(base.Path()));
    for (const char* t : {"C:", "X:"}) {
        ScriptedUi one;
        one.pasta = t;
        VerificaPastaInstalacao(one);
        EXPECT_TRUE(one.dialogos.empty()) << t;
        EXPECT_FALSE(one.fechada) << t;
        EXPECT_EQ(one.pagina, Pagina::Instala);
    }
    WIN32_FIND_DATAA d;
    FindHandle any(FindFirstFileA((base / "?*").c_str(), &d));
    while (any && (std::string(d.cFileName) == "." || std::string(d.cFileName) == ".."))
        if (!FindNextFileA(any.get(), &d)) any = FindHandle();
    EXPECT_FALSE(any) << "created: " << d.cFileName;
}

std::string MissingDrive() {
    DWORD drives = GetLogicalDrives();
    for (char d = 'Y'; d >= 'D'; --d)
        if (!(drives & (1u << (d - 'A')))) return std::string(1, d) + ":";
    return {};
}

TEST_F(FolderCheck, AFolderOnAMissingDriveIsReportedAndClosesTheWindow) {
    std::string drive = MissingDrive();
    ASSERT_FALSE(drive.empty());
    ui.pasta = drive + "\\QEL";
    ui.Responde(RespostaMensagem::Ok);
    VerificaPastaInstalacao(ui);
    ASSERT_EQ(ui.dialogos.size(), 1u);
    EXPECT_EQ(ui.dialogos[0].texto, "Diretório não pôde ser criado!");
    EXPECT_EQ(ui.dialogos[0].tipo, TipoMensagem::Erro);
    EXPECT_TRUE(ui.fechada);
    EXPECT_EQ(ui.eventos.front(), "pagina:2");
}

TEST_F(FolderCheck, AFileInTheWayCannotBecomeAFolder) {
    WriteFile(base / "arquivo", "x");
    ui.pasta = base.Path() + "\\arquivo\\QEL";
    ui.Responde(RespostaMensagem::Ok);
    VerificaPastaInstalacao(ui);
    ASSERT_EQ(ui.dialogos.size(), 1u);
    EXPECT_TRUE(ui.fechada);
}

TEST_F(FolderCheck, AnEmptyTextThrowsAndStaysOnPageThree) {
    CurrentFolderGuard cwd;
    ASSERT_TRUE(fs::ChangeDir(base.Path()));
    for (const char* t : {""}) {
        ScriptedUi one;
        one.pasta = t;
        try {
            VerificaPastaInstalacao(one);
            ADD_FAILURE() << "no failure for \"" << t << "\"";
        } catch (const Failure& f) {
            EXPECT_STREQ(f.what(), "Unable to create directory");
        }
        EXPECT_EQ(one.pagina, Pagina::Instala);
        EXPECT_TRUE(one.dialogos.empty());
        EXPECT_FALSE(one.fechada);
        EXPECT_EQ(one.pasta, "") << "nothing to make full";
    }
}

TEST_F(FolderCheck, ARelativeNameBecomesTheFullPathItMeansNowAndTheFieldShowsIt) {
    CurrentFolderGuard cwd;
    ASSERT_TRUE(fs::MakeDir(base / "midia"));
    ASSERT_TRUE(fs::ChangeDir(base / "midia"));
    struct Caso {
        const char* digitado;
        std::string cheio;
    };
    const Caso casos[] = {
        {"..\\QEL", base / "QEL"},
        {"Sistemas\\QEL", base / "midia\\Sistemas\\QEL"},
        {"..", base.Path()},
        {"C:..", base.Path()},
    };
    for (const Caso& c : casos) {
        ScriptedUi one;
        one.pasta = c.digitado;
        VerificaPastaInstalacao(one);
        EXPECT_EQ(one.pasta, c.cheio) << c.digitado;
        EXPECT_EQ(one.eventos, (std::vector<std::string>{"pagina:2", "pasta:" + c.cheio})) << c.digitado;
        EXPECT_TRUE(fs::DirectoryExists(c.cheio)) << c.digitado;
    }
    // A full path is left exactly as typed: nothing to show.
    ScriptedUi cheio;
    cheio.pasta = base / "QEL";
    VerificaPastaInstalacao(cheio);
    EXPECT_EQ(cheio.eventos, std::vector<std::string>{"pagina:2"});
}

// A drive M: that the user mapped to \\srv\dados and this elevated run does not see.
fs::DriveQueries UnidadeMapeada() {
    return {[](char l) { return l != 'M'; }, [] { return true; },
            [](char l) -> std::optional<std::string> {
                if (l == 'M') return std::string("\\\\srv\\dados");
                return std::nullopt;
            }};
}

TEST_F(FolderCheck, AFolderOnAMappedDriveTheInstallationCannotSeeNamesItsNetworkPath) {
    ui.pasta = "M:\\Sistemas\\QEL";
    ui.Responde(RespostaMensagem::Ok);
    VerificaPastaInstalacao(ui, UnidadeMapeada());
    ASSERT_EQ(ui.dialogos.size(), 1u);
    EXPECT_EQ(ui.dialogos[0].texto,
              "Unidade M: n\xE3o est\xE1 vis\xEDvel para a instala\xE7\xE3o, que \xE9 executada como "
              "administrador.\rUtilize o caminho de rede: \\\\srv\\dados\\Sistemas\\QEL");
    EXPECT_EQ(ui.dialogos[0].tipo, TipoMensagem::Erro);
    EXPECT_FALSE(ui.fechada) << "the network path can be typed instead";
    EXPECT_EQ(ui.pagina, Pagina::Diretorio);

    // The share itself is unknown: the form of a network path is shown.
    ScriptedUi semNome;
    semNome.pasta = "M:\\QEL";
    semNome.Responde(RespostaMensagem::Ok);
    fs::DriveQueries q = UnidadeMapeada();
    q.mappedShare = [](char) -> std::optional<std::string> { return std::string(); };
    VerificaPastaInstalacao(semNome, q);
    ASSERT_EQ(semNome.dialogos.size(), 1u);
    EXPECT_NE(semNome.dialogos[0].texto.find("(\\\\servidor\\compartilhamento\\...)."), std::string::npos);
}

TEST_F(MediumCheck, AMediumOnAMappedDriveTheInstallationCannotSeeSaysSo) {
    // Started as M:\\midia\\InstalaQEL.exe: nothing of the medium can be found.
    estado.SourceDir = "M:\\midia\\";
    ASSERT_TRUE(fs::Remove(medium / "QEL.md_"));
    ui.Responde(RespostaMensagem::Ok);
    VerificaMidia(estado, ui, UnidadeMapeada());
    ASSERT_EQ(ui.dialogos.size(), 1u);
    EXPECT_EQ(ui.dialogos[0].texto, MensagemUnidadeInvisivel({"M:", "\\\\srv\\dados\\midia\\"}));
    EXPECT_TRUE(ui.fechada);

    // A medium that is complete is never questioned, wherever it is.
    WriteFile(medium / "QEL.md_", "db");
    estado.SourceDir = medium.Path() + "\\";
    ScriptedUi completo;
    VerificaMidia(estado, completo, UnidadeMapeada());
    EXPECT_TRUE(completo.dialogos.empty());
}

TEST(ConfirmaCancelamento, OnlyYesClosesTheWindow) {
    for (auto resposta : {RespostaMensagem::Sim, RespostaMensagem::Nao, RespostaMensagem::Cancelar}) {
        ScriptedUi ui;
        ui.Responde(resposta);
        ConfirmaCancelamento(ui);
        ASSERT_EQ(ui.dialogos.size(), 1u);
        EXPECT_EQ(ui.dialogos[0].texto, "Cancelar a instala\xE7\xE3o :Quelvara");
        EXPECT_EQ(ui.dialogos[0].tipo, TipoMensagem::Confirmacao);
        EXPECT_EQ(ui.dialogos[0].botoes, BotoesMensagem::SimNao);
        EXPECT_EQ(ui.fechada, resposta == RespostaMensagem::Sim);
        EXPECT_EQ(ui.pagina, Pagina::Inicio) << "the page stays";
    }
}

}  // namespace
}  // namespace qel
