// The pure parts of what keeps a run sound on an office PC: which errors are waited out
// and for how long, drive letters the elevated installation does not see, the words of
// the disk-space message and the system's reason for an error.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>

#include "engine/InstallationRun.h"
#include "engine/StagingFolder.h"
#include "platform/ErrorText.h"
#include "platform/MappedDrive.h"
#include "platform/Retry.h"

namespace qel {
namespace {

TEST(Retry, OnlyAHeldFileIsWaitedForAndNeverLongerThanTheBudget) {
    struct Caso {
        DWORD erro;
        int falhasAntes;  // failures before the attempt that succeeds
        bool sucesso;
        int tentativas;
    };
    const Caso casos[] = {
        {ERROR_SHARING_VIOLATION, 3, true, 4},
        {ERROR_LOCK_VIOLATION, 2, true, 3},
        {ERROR_ACCESS_DENIED, 1, true, 2},
        {ERROR_FILE_NOT_FOUND, 3, false, 1},  // other errors: reported at once
        {ERROR_DISK_FULL, 3, false, 1},
        {ERROR_SHARING_VIOLATION, 1000, false, -1},  // held for good: until the budget is spent
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(std::to_string(c.erro) + " x" + std::to_string(c.falhasAntes));
        fs::RetryBudget budget(300, 20);
        int tentativas = 0;
        const DWORD inicio = GetTickCount();
        const bool ok = fs::Retrying(budget, "", [&] {
            if (++tentativas > c.falhasAntes) return true;
            SetLastError(c.erro);
            return false;
        });
        const DWORD levou = GetTickCount() - inicio;
        EXPECT_EQ(ok, c.sucesso);
        if (c.tentativas > 0) {
            EXPECT_EQ(tentativas, c.tentativas);
        }
        if (!ok) {
            EXPECT_EQ(GetLastError(), c.erro) << "the last attempt's error is what the caller sees";
        }
        if (c.tentativas < 0) {
            EXPECT_GE(levou, 280u);
            EXPECT_LT(levou, 600u) << "waited past the budget";
            EXPECT_GE(tentativas, 8);
        }
    }
}

TEST(Retry, ABudgetSharedByOperationsBoundsThemTogether) {
    fs::RetryBudget budget(300, 20);
    int tentativas = 0;
    auto semprePreso = [&] {
        ++tentativas;
        SetLastError(ERROR_SHARING_VIOLATION);
        return false;
    };
    const DWORD inicio = GetTickCount();
    EXPECT_FALSE(fs::Retrying(budget, "", semprePreso));
    EXPECT_FALSE(fs::Retrying(budget, "", semprePreso));
    EXPECT_LT(GetTickCount() - inicio, 600u) << "the second operation found the budget spent";
    EXPECT_GE(tentativas, 8);
    EXPECT_GE(budget.WaitedMs(), 280u);
}

TEST(Retry, AccessDeniedOnAFolderOrAReadOnlyFileIsForGood) {
    char temp[MAX_PATH];
    ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
    EXPECT_TRUE(fs::IsMomentaryHold(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(fs::IsMomentaryHold(ERROR_ACCESS_DENIED, std::string(temp) + "nao-existe.tmp"));
    EXPECT_FALSE(fs::IsMomentaryHold(ERROR_ACCESS_DENIED, temp)) << "a folder";
    EXPECT_TRUE(fs::IsMomentaryHold(ERROR_SHARING_VIOLATION, temp));
    EXPECT_FALSE(fs::IsMomentaryHold(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(fs::IsMomentaryHold(ERROR_DIR_NOT_EMPTY));
}

TEST(MappedDrive, OnlyALetterTheUserMappedAndTheElevatedRunCannotSeeIsReported) {
    struct Caso {
        const char* caminho;
        bool presente, elevado;
        std::optional<std::string> compartilhamento;
        std::optional<std::string> esperado;  // the network path, when reported
    };
    const Caso casos[] = {
        {"M:\\QEL", false, true, "\\\\srv\\dados", "\\\\srv\\dados\\QEL"},
        {"m:\\Programas\\QEL\\", false, true, "\\\\srv\\dados\\", "\\\\srv\\dados\\Programas\\QEL\\"},
        {"M:\\", false, true, "\\\\srv\\dados", "\\\\srv\\dados\\"},
        {"M:\\QEL", false, true, "", ""},                           // remembered, share unknown
        {"M:\\QEL", true, true, "\\\\srv\\dados", std::nullopt},    // the installation sees it
        {"M:\\QEL", false, false, "\\\\srv\\dados", std::nullopt},  // not elevated: really missing
        {"M:\\QEL", false, true, std::nullopt, std::nullopt},       // no connection of the user
        {"\\\\srv\\dados\\QEL", false, true, "\\\\srv\\dados", std::nullopt},
        {"QEL", false, true, "\\\\srv\\dados", std::nullopt},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.caminho);
        char perguntada = 0;
        fs::DriveQueries q{[&](char l) {
                               perguntada = l;
                               return c.presente;
                           },
                           [&] { return c.elevado; }, [&](char) { return c.compartilhamento; }};
        const auto oculta = fs::DriveHiddenByElevation(c.caminho, q);
        ASSERT_EQ(oculta.has_value(), c.esperado.has_value());
        if (oculta) {
            EXPECT_EQ(oculta->drive, "M:");
            EXPECT_EQ(oculta->networkPath, *c.esperado);
            EXPECT_EQ(perguntada, 'M');
        }
    }
}

TEST(MappedDrive, ThePlatformsOwnAnswersLeaveAMissingDriveAlone) {
    // Under any system: a letter nobody has is missing for the user too, and a present
    // drive is seen.
    DWORD drives = GetLogicalDrives();
    char missing = 0;
    for (char d = 'Y'; d >= 'D' && !missing; --d)
        if (!(drives & (1u << (d - 'A')))) missing = d;
    ASSERT_NE(missing, 0);
    EXPECT_FALSE(fs::DriveHiddenByElevation(std::string(1, missing) + ":\\QEL"));
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, MAX_PATH), 0u);
    EXPECT_FALSE(fs::DriveHiddenByElevation(windows));
}

TEST(DiskSpace, TheMessageSaysHowMuchIsNeededAndWhereRoundedInTheUsersFavour) {
    struct Caso {
        std::uint64_t bytes;
        bool paraCima;
        const char* texto;
    };
    const Caso casos[] = {
        {0, true, "0 KB"},          {1, true, "1 KB"},           {1, false, "0 KB"},
        {131072, true, "128 KB"},   {1048576, true, "1,0 MB"},   {1048577, true, "1,1 MB"},
        {1048577, false, "1,0 MB"}, {26214400, true, "25,0 MB"}, {5033164800ULL, false, "4800,0 MB"},
    };
    for (const Caso& c : casos) EXPECT_EQ(TextoDeTamanho(c.bytes, c.paraCima), c.texto) << c.bytes;
    EXPECT_EQ(MensagemEspaco(3 * 1048576 + 1, 1048575, "D:\\Sistemas\\QEL"),
              "Espa\xE7o em disco insuficiente para atualizar o banco de dados.\rS\xE3o necess\xE1rios 3,1 MB livres "
              "em D:\\Sistemas\\QEL (dispon\xEDveis: 1023 KB).");
}

TEST(RunMessages, TheNewMessagesNameTheFilesTheyAreAbout) {
    EXPECT_EQ(MensagemCopiaVirtual("C:\\QEL\\QEL.mdb", "C:\\VS\\QEL\\QEL.mdb"),
              "Existe outra c\xF3pia do banco de dados, gravada pelo Windows para este usu\xE1rio:\rC:\\VS\\QEL\\QEL.mdb"
              "\rBanco de dados da pasta de instala\xE7\xE3o:\rC:\\QEL\\QEL.mdb\rVerifique qual delas cont\xE9m os "
              "dados atuais. A atualiza\xE7\xE3o n\xE3o foi feita.");
    EXPECT_EQ(MensagemArquivoNaoPreparado("QEL.mdb", "C:\\Temp\\InstQEL"),
              "Arquivo QEL.mdb n\xE3o pode ser copiado para C:\\Temp\\InstQEL.\rVerifique se o arquivo est\xE1 em uso.");
    EXPECT_EQ(MensagemPastaNaoRemovida("C:\\Temp\\InstADO"),
              "A pasta tempor\xE1ria C:\\Temp\\InstADO, de uma instala\xE7\xE3o anterior, n\xE3o p\xF4" "de ser "
              "removida.\rFeche os programas que estejam usando arquivos dessa pasta e tente novamente.");
}

TEST(ErrorText, TheSystemsReasonNamesTheProgramAndCarriesTheCode) {
    const std::string naoPrograma = text::SystemErrorText(ERROR_BAD_EXE_FORMAT, "Setup.Exe");
    EXPECT_NE(naoPrograma.find("Setup.Exe"), std::string::npos) << naoPrograma;
    EXPECT_EQ(naoPrograma.find("%1"), std::string::npos) << naoPrograma;
    EXPECT_EQ(naoPrograma.find('\n'), std::string::npos) << naoPrograma;
    EXPECT_EQ(naoPrograma.substr(naoPrograma.size() - 11), " (erro 193)") << naoPrograma;
    EXPECT_GT(text::SystemErrorText(ERROR_FILE_NOT_FOUND, "x").size(), std::string(" (erro 2)").size());
    EXPECT_EQ(text::SystemErrorText(0x2FFFFFFF, "x"), "(erro 805306367)") << "no text: only the code";
}

}  // namespace
}  // namespace qel
