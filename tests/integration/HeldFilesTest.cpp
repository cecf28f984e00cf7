// The run's file operations against files another process holds, as antivirus and
// indexing services do on an office PC: a brief hold is waited out, a file held for good
// is reported after about 5 s, other errors at once; the cleanup's deletions, names still
// pending deletion, the download mark, and the seam every attempt passes.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/FolderCleanup.h"
#include "platform/DurableFile.h"
#include "platform/FileOpSeam.h"
#include "tests/support/FileOpNames.h"
#include "platform/FileSystem.h"
#include "tests/integration/OtherProcess.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using test::ReadFile;
using test::WriteFile;

class HeldFiles : public testing::Test {
protected:
    std::string Result() { return pasta / ("resultado-" + std::to_string(++resultados)); }
    // Milliseconds since `since`.
    static DWORD Since(DWORD since) { return GetTickCount() - since; }

    test::TempFolder pasta{"held"};
    int resultados = 0;
};

TEST_F(HeldFiles, EachOperationWaitsOutABriefHoldOfAnotherProgram) {
    struct Caso {
        const char* nome;
        const char* acao;     // how the other program holds the file
        const char* preso;    // the file it holds
        std::function<bool()> operacao;
        const char* confere;  // a file that must then hold "novo"
    };
    const std::string a = pasta / "a.dat", b = pasta / "b.dat";
    const std::vector<Caso> casos = {
        {"copy over a file held by a reader sharing nothing", "hold-alone", "b.dat",
         [&] { return fs::CopyOver(a, b); }, "b.dat"},
        {"rename over a file a scanner holds", "hold-reader", "b.dat",
         [&] { return fs::MoveWriteThrough(a, b, true); }, "b.dat"},
        {"rename a file a scanner holds", "hold-reader", "a.dat",
         [&] { return fs::MoveWriteThrough(a, b, true); }, "b.dat"},
        {"delete a file a scanner holds", "hold-reader", "a.dat", [&] { return fs::Remove(a); }, nullptr},
        {"open for reading a file another program writes", "hold-handle", "a.dat",
         [&] { return static_cast<bool>(fs::OpenForReading(a, FILE_SHARE_READ)); }, "a.dat"},
        {"hold a file to be replaced that a scanner reads", "hold-reader", "a.dat",
         [&] { return static_cast<bool>(fs::OpenToReplace(a)); }, "a.dat"},
    };
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        WriteFile(a, "novo");
        WriteFile(b, "antigo");
        test::Holder outro(c.acao, pasta / c.preso, Result(), 700);
        ASSERT_EQ(outro.result, "held");
        const DWORD inicio = GetTickCount();
        EXPECT_TRUE(c.operacao());
        const DWORD levou = Since(inicio);
        EXPECT_GE(levou, 300u) << "it did not meet the hold";
        EXPECT_LT(levou, 3000u);
        outro.Release();
        if (c.confere) {
            EXPECT_EQ(ReadFile(pasta / c.confere), "novo");
        }
        fs::Remove(a);
    }
    EXPECT_FALSE(fs::FileExists(a));
}

TEST_F(HeldFiles, AFileHeldForGoodIsReportedAfterAboutFiveSecondsAndOtherErrorsAtOnce) {
    const std::string banco = pasta / "QEL.mdb";
    WriteFile(banco, "dados");
    {
        // The application has it open for writing, the whole time.
        test::Holder aplicacao("hold-handle", banco, Result());
        ASSERT_EQ(aplicacao.result, "held");
        const DWORD inicio = GetTickCount();
        EXPECT_FALSE(fs::OpenForReading(banco, FILE_SHARE_READ));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        const DWORD levou = Since(inicio);
        EXPECT_GE(levou, 4900u);
        EXPECT_LT(levou, 6500u) << "waited longer than the budget";
    }
    const DWORD inicio = GetTickCount();
    EXPECT_FALSE(fs::CopyOver(pasta / "nao-existe", pasta / "copia"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    WriteFile(pasta / "somente-leitura", "x");
    ASSERT_TRUE(SetFileAttributesA((pasta / "somente-leitura").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(fs::Remove(pasta / "somente-leitura")) << "access denied for good";
    EXPECT_FALSE(fs::OpenToReplace(pasta / "somente-leitura")) << "a read-only file cannot be replaced";
    EXPECT_FALSE(fs::CopyOver(banco, pasta.Path())) << "a folder in the way";
    EXPECT_LT(Since(inicio), 500u) << "nothing there to wait for";
    SetFileAttributesA((pasta / "somente-leitura").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(HeldFiles, TheCleanupWaitsForHeldEntriesAndForNamesStillPendingDeletion) {
    const std::string saved = fs::CurrentDir();
    ASSERT_TRUE(fs::ChangeDir(pasta.Path()));
    ASSERT_TRUE(fs::MakeDir(pasta / "InstQEL") && fs::MakeDir(pasta / "InstQEL\\sub"));
    for (const char* n : {"QEL.exe", "QEL.mdb", "sub\\zav2003.chm", "outro.txt"}) WriteFile(pasta / (std::string("InstQEL\\") + n), n);
    {
        // A scanner still reads one file; another program reads one it lets others delete,
        // so its name stays until it lets go, and with it the folder.
        test::Holder scanner("hold-reader", pasta / "InstQEL\\QEL.mdb", Result(), 800);
        test::Holder leitor("hold-deletable", pasta / "InstQEL\\sub\\zav2003.chm", Result(), 1200);
        ASSERT_EQ(scanner.result, "held");
        ASSERT_EQ(leitor.result, "held");
        const DWORD inicio = GetTickCount();
        LimpaPasta("InstQEL");
        EXPECT_LT(Since(inicio), 4000u);
        EXPECT_GE(Since(inicio), 600u) << "it did not meet the holds";
    }
    EXPECT_FALSE(fs::DirectoryExists(pasta / "InstQEL"));
    EXPECT_EQ(fs::CurrentDir(), pasta.Path());

    // A read-only file is refused for good: nothing is waited for.
    ASSERT_TRUE(fs::MakeDir(pasta / "InstQEL"));
    WriteFile(pasta / "InstQEL\\fixo.txt", "x");
    ASSERT_TRUE(SetFileAttributesA((pasta / "InstQEL\\fixo.txt").c_str(), FILE_ATTRIBUTE_READONLY));
    const DWORD inicio = GetTickCount();
    LimpaPasta("InstQEL");
    EXPECT_LT(Since(inicio), 1000u);
    EXPECT_TRUE(fs::FileExists(pasta / "InstQEL\\fixo.txt"));
    SetFileAttributesA((pasta / "InstQEL\\fixo.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::ChangeDir(saved);
}

TEST_F(HeldFiles, TheDownloadMarkGoesAndAMissingOneIsNoFailure) {
    const std::string arquivo = pasta / "zav2003.chm";
    WriteFile(arquivo, "ajuda");
    WriteFile(arquivo + ":Zone.Identifier", "[ZoneTransfer]\r\nZoneId=3\r\n");
    ASSERT_EQ(ReadFile(arquivo + ":Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n");
    EXPECT_TRUE(fs::RemoveZoneMark(arquivo));
    EXPECT_EQ(GetFileAttributesA((arquivo + ":Zone.Identifier").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(ReadFile(arquivo), "ajuda") << "the file itself stays";
    EXPECT_TRUE(fs::RemoveZoneMark(arquivo)) << "no mark";
}

TEST_F(HeldFiles, TwoFilesAreTheSameWhenTheirBytesAre) {
    WriteFile(pasta / "a", "conteudo");
    WriteFile(pasta / "b", "conteudo");
    WriteFile(pasta / "c", "Conteudo");
    WriteFile(pasta / "d", "conteudo mais longo");
    EXPECT_EQ(fs::SameContents(pasta / "a", pasta / "b"), std::optional<bool>(true));
    EXPECT_EQ(fs::SameContents(pasta / "a", pasta / "c"), std::optional<bool>(false));
    EXPECT_EQ(fs::SameContents(pasta / "a", pasta / "d"), std::optional<bool>(false));
    EXPECT_EQ(fs::SameContents(pasta / "a", pasta / "nao-existe"), std::nullopt);
    std::string grande(3 << 20, 'x');
    WriteFile(pasta / "g1", grande);
    grande.back() = 'y';
    WriteFile(pasta / "g2", grande);
    EXPECT_EQ(fs::SameContents(pasta / "g1", pasta / "g2"), std::optional<bool>(false)) << "past the first chunk";
}

// Records every attempt; fails the ones it is told to.
class Gravador : public fs::FileOpSeam {
public:
    DWORD Before(const fs::FileOpCall& c) override {
        vistas.push_back(Nome(c.op) + " " + fs::ExtractFileName(c.path) +
                         (c.target.empty() ? "" : " -> " + fs::ExtractFileName(c.target)));
        return antes ? antes(c) : 0;
    }
    DWORD After(const fs::FileOpCall& c, DWORD erro) override { return depois ? depois(c, erro) : erro; }
    static std::string Nome(fs::FileOp op) { return test::NomeDaOperacao(op); }
    std::vector<std::string> vistas;
    std::function<DWORD(const fs::FileOpCall&)> antes;
    std::function<DWORD(const fs::FileOpCall&, DWORD)> depois;
};

TEST_F(HeldFiles, EveryAttemptPassesTheSeamWhichCanFailItBeforeOrAfter) {
    WriteFile(pasta / "a", "a");
    Gravador seam;
    fs::ScopedFileOpSeam sob(seam);
    int vezes = 0;
    // The first attempt meets a sharing violation: the copy is tried again and done.
    seam.antes = [&](const fs::FileOpCall&) -> DWORD { return ++vezes == 1 ? ERROR_SHARING_VIOLATION : 0; };
    EXPECT_TRUE(fs::CopyOver(pasta / "a", pasta / "b"));
    EXPECT_EQ(seam.vistas, (std::vector<std::string>{"copy a -> b", "copy a -> b"}));
    EXPECT_EQ(ReadFile(pasta / "b"), "a");

    // A rename that happened but is reported as failed with an error nobody waits out.
    seam.vistas.clear();
    seam.antes = nullptr;
    seam.depois = [](const fs::FileOpCall&, DWORD) -> DWORD { return ERROR_UNEXP_NET_ERR; };
    EXPECT_FALSE(fs::MoveWriteThrough(pasta / "b", pasta / "c", false));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_UNEXP_NET_ERR));
    EXPECT_TRUE(fs::FileExists(pasta / "c"));
    EXPECT_EQ(seam.vistas, std::vector<std::string>{"move b -> c"});

    seam.vistas.clear();
    seam.depois = nullptr;
    EXPECT_TRUE(fs::RemoveZoneMark(pasta / "c"));
    EXPECT_TRUE(fs::SetAttributes(pasta / "c", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(fs::Remove(pasta / "c"));
    EXPECT_EQ(seam.vistas, (std::vector<std::string>{"mark c", "attributes c", "delete c"}));
}

}  // namespace
}  // namespace qel
