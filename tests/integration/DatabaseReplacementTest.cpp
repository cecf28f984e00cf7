// The replacement of the installed database by the carried-into new one: the end state of
// a good update, the folder between the steps, and a failure forced at each step leaving
// the installed database in place and the failure reported.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/DatabaseReplacement.h"
#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/integration/OtherProcess.h"
#include "tests/integration/UpgradeFolders.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using Resultado = ResultadoSubstituicao;
using Nomes = std::vector<std::string>;

SYSTEMTIME Momento(WORD ano, WORD mes, WORD dia, WORD hora, WORD minuto, WORD segundo) {
    SYSTEMTIME t{};
    t.wYear = ano;
    t.wMonth = mes;
    t.wDay = dia;
    t.wHour = hora;
    t.wMinute = minuto;
    t.wSecond = segundo;
    return t;
}

const SYSTEMTIME kAgora = Momento(2007, 3, 15, 14, 30, 5);
const char* const kBackup = "QEL_20070315143005.md_";

class DatabaseReplacement : public testing::Test, protected test::UpgradeFolders {
protected:
    void SetUp() override {
        test::CreateDatabase(instalado, {"CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20))",
                                         "INSERT INTO TA_SISTEMA VALUES ('3.1.0')"});
        test::CreateDatabase(novo, {"CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20))",
                                    "INSERT INTO TA_SISTEMA VALUES ('3.2.0')", "CREATE TABLE TB_NOVA (X LONG)"});
        test::WriteFile(estado.TargetDir + "\\QEL.exe", "programa");
        antigo = test::ReadFile(instalado);
        novoConteudo = test::ReadFile(novo);
        pastaAntes = Listing(estado.TargetDir);
    }
    std::string NaPasta(const std::string& nome) const { return estado.TargetDir + "\\" + nome; }

    // A failed replacement: the installed database as it was under its own name, the new
    // one still staged, nothing of the replacement's own left in the install folder.
    void NadaMudou() {
        EXPECT_EQ(Listing(estado.TargetDir), pastaAntes);
        EXPECT_EQ(test::ReadFile(instalado), antigo);
        EXPECT_EQ(test::ReadFile(novo), novoConteudo);
    }

    std::string antigo, novoConteudo;
    Nomes pastaAntes;
};

TEST_F(DatabaseReplacement, AGoodReplacementLeavesTheNewDatabaseAndTheDatedBackupOnly) {
    FILETIME escritaAntiga;
    {
        UniqueHandle h(CreateFileA(instalado.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(GetFileTime(h.get(), nullptr, nullptr, &escritaAntiga));
    }
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::Substituido);
    EXPECT_EQ(Listing(estado.TargetDir), (Nomes{"QEL.exe", "QEL.mdb", kBackup}));
    EXPECT_EQ(test::ReadFile(instalado), novoConteudo);
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo);
    EXPECT_EQ(test::ReadFile(NaPasta("QEL.exe")), "programa");
    EXPECT_EQ(test::ReadFile(novo), novoConteudo) << "the staged copy is left for the cleanup";
    EXPECT_EQ(test::StoredValue(instalado, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.2.0");
    EXPECT_EQ(test::StoredValue(NaPasta(kBackup), "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.1.0");
    FILETIME escritaBackup;
    {
        UniqueHandle h(CreateFileA(NaPasta(kBackup).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
        ASSERT_TRUE(GetFileTime(h.get(), nullptr, nullptr, &escritaBackup));
    }
    EXPECT_EQ(CompareFileTime(&escritaBackup, &escritaAntiga), 0) << "the backup keeps the time of the last change";
    EXPECT_TRUE(Livre(instalado));
    EXPECT_TRUE(Livre(novo));
}

TEST_F(DatabaseReplacement, BetweenAnyTwoStepsTheFolderHoldsTheOldDatabaseOrTheNewOneWithTheBackup) {
    int etapas = 0;
    auto confere = [&] {
        ++etapas;
        ASSERT_TRUE(fs::FileExists(instalado)) << "step " << etapas;
        const std::string atual = test::ReadFile(instalado);
        if (atual == antigo) return;
        EXPECT_EQ(atual, novoConteudo) << "step " << etapas;
        ASSERT_TRUE(fs::FileExists(NaPasta(kBackup))) << "step " << etapas;
        EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo) << "step " << etapas;
    };
    EXPECT_EQ(SubstituiBanco(estado, kAgora, confere), Resultado::Substituido);
    EXPECT_EQ(etapas, 3);
    confere();
}

TEST_F(DatabaseReplacement, TheBackupIsNamedAfterOneReadingOfTheClock) {
    SYSTEMTIME antes, depois;
    GetLocalTime(&antes);
    EXPECT_EQ(SubstituiBanco(estado), Resultado::Substituido);
    GetLocalTime(&depois);
    const Nomes pasta = Listing(estado.TargetDir);
    ASSERT_EQ(pasta.size(), 3u);
    const std::string backup = pasta[2];
    EXPECT_GE(backup, NomeBackup("QEL.mdb", antes));
    EXPECT_LE(backup, NomeBackup("QEL.mdb", depois));
    EXPECT_EQ(test::ReadFile(NaPasta(backup)), antigo);
}

TEST_F(DatabaseReplacement, AnInstalledDatabaseInUseIsNeitherBackedUpNorReplaced) {
    for (const char* acao : {"hold-default", "hold-denynone", "hold-exclusive", "hold-handle"}) {
        {
            test::Holder outro(acao, instalado, Outro("resultado"));
            ASSERT_EQ(outro.result, "held") << acao;
            const DWORD inicio = GetTickCount();
            EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::BackupRecusado) << acao;
            // Waited for as a file held for a moment would be, and no longer.
            const DWORD levou = GetTickCount() - inicio;
            EXPECT_GE(levou, 4900u) << acao;
            EXPECT_LT(levou, 6500u) << acao;
        }
        NadaMudou();
    }
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::Substituido) << "once the other program let go";
}

TEST_F(DatabaseReplacement, AnInstalledDatabaseThatCannotBeReplacedIsKeptWithoutABackup) {
    // Another program only reads it: the backup can be made, the name cannot be taken.
    {
        test::Holder outro("hold-reader", instalado, Outro("resultado"));
        ASSERT_EQ(outro.result, "held");
        EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::NovoNaoColocado);
    }
    NadaMudou();
}

TEST_F(DatabaseReplacement, ANewDatabaseThatCannotBeCopiedLeavesTheInstalledOneAlone) {
    {
        test::Holder outro("hold-exclusive", novo, Outro("resultado"));
        ASSERT_EQ(outro.result, "held");
        EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::NovoNaoColocado);
    }
    NadaMudou();

    // The install folder refuses the new file: its name on the way in is taken by a folder.
    ASSERT_TRUE(CreateDirectoryA(NaPasta(kNovoProvisorio).c_str(), nullptr));
    pastaAntes = Listing(estado.TargetDir);
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::NovoNaoColocado);
    NadaMudou();
    RemoveDirectoryA(NaPasta(kNovoProvisorio).c_str());

    ASSERT_TRUE(DeleteFileA(novo.c_str()));
    pastaAntes = Listing(estado.TargetDir);
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::NovoNaoColocado);
    EXPECT_EQ(Listing(estado.TargetDir), pastaAntes);
    EXPECT_EQ(test::ReadFile(instalado), antigo);
}

TEST_F(DatabaseReplacement, ABackupThatCannotBeWrittenStopsTheReplacement) {
    // The backup's name on the way in is taken by a folder.
    ASSERT_TRUE(CreateDirectoryA(NaPasta(kBackupProvisorio).c_str(), nullptr));
    pastaAntes = Listing(estado.TargetDir);
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::BackupRecusado);
    NadaMudou();
    RemoveDirectoryA(NaPasta(kBackupProvisorio).c_str());

    // A file already has the backup's name: it is not overwritten.
    test::WriteFile(NaPasta(kBackup), "outro arquivo");
    pastaAntes = Listing(estado.TargetDir);
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::BackupRecusado);
    NadaMudou();
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), "outro arquivo");
}

TEST_F(DatabaseReplacement, FilesLeftByAnInterruptedReplacementAreReplacedAndGone) {
    test::WriteFile(NaPasta(kNovoProvisorio), "restos de uma cópia interrompida");
    test::WriteFile(NaPasta(kBackupProvisorio), "restos");
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::Substituido);
    EXPECT_EQ(Listing(estado.TargetDir), (Nomes{"QEL.exe", "QEL.mdb", kBackup}));
    EXPECT_EQ(test::ReadFile(instalado), novoConteudo);
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo);
}

TEST_F(DatabaseReplacement, AReadOnlyInstalledDatabaseIsReplacedByAWritableOne) {
    ASSERT_TRUE(SetFileAttributesA(instalado.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::Substituido);
    EXPECT_EQ(test::ReadFile(instalado), novoConteudo);
    EXPECT_EQ(fs::Attributes(instalado) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo);
}

TEST_F(DatabaseReplacement, AnUpdateCarriesTheDataAndPutsItInPlace) {
    // Installed and new databases with the seven tables; rows before and after 2007.
    const std::string colunas = "(CD_REGISTRO LONG, DT_INIC_VIGN DATETIME, DE_NOME TEXT(60))";
    std::vector<std::string> a, b;
    for (const char* tabela : kTabelasMigradas) {
        a.push_back(std::string("CREATE TABLE ") + tabela + " " + colunas);
        a.push_back(std::string("INSERT INTO ") + tabela + " VALUES (1, '2006-12-31 23:59:59', 'Conceição')");
        a.push_back(std::string("INSERT INTO ") + tabela + " VALUES (2, '2007-01-01 00:00:00', 'nova vigência')");
        b.push_back(std::string("CREATE TABLE ") + tabela + " " + colunas);
    }
    DeleteFileA(instalado.c_str());
    DeleteFileA(novo.c_str());
    test::CreateDatabase(instalado, a);
    test::CreateDatabase(novo, b);
    antigo = test::ReadFile(instalado);

    test::ScriptedUi ui;
    ASSERT_TRUE(MigraDados(estado, ui));
    EXPECT_EQ(SubstituiBanco(estado, kAgora), Resultado::Substituido);
    EXPECT_EQ(Listing(estado.TargetDir), (Nomes{"QEL.exe", "QEL.mdb", kBackup}));
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo);
    for (const char* tabela : kTabelasMigradas) {
        const Nomes esperado = std::string(tabela) == "TB_OPERADORA" ? Nomes{"text:Conceição", "text:nova vigência"}
                                                                     : Nomes{"text:Conceição"};
        EXPECT_EQ(test::StoredValues(instalado, std::string("SELECT DE_NOME FROM ") + tabela + " ORDER BY rowid"),
                  esperado)
            << tabela;
    }
    EXPECT_EQ(test::StoredValue(instalado, "PRAGMA journal_mode"), "text:delete")
        << "the database put in place keeps the ordinary journal";
    EXPECT_TRUE(Livre(instalado));
}

// Fails the final rename into "QEL.mdb", before it runs or after it did, as a network
// share may report it.
class RenomeioFinal : public fs::FileOpSeam {
public:
    explicit RenomeioFinal(std::string instalado) : instalado_(std::move(instalado)) {}
    DWORD Before(const fs::FileOpCall& c) override { return Final(c) && antes ? ERROR_UNEXP_NET_ERR : 0; }
    DWORD After(const fs::FileOpCall& c, DWORD erro) override {
        if (!Final(c)) return erro;
        if (depois) depois();
        return ERROR_UNEXP_NET_ERR;
    }
    bool antes = false;
    std::function<void()> depois;

private:
    bool Final(const fs::FileOpCall& c) const { return c.op == fs::FileOp::Move && c.target == instalado_; }
    std::string instalado_;
};

TEST_F(DatabaseReplacement, AFinalRenameReportedAsFailedIsJudgedByWhatIsInPlaceAndInDoubtTheBackupStays) {
    struct Caso {
        const char* nome;
        bool antes;                    // the rename never ran
        std::function<void()> depois;  // what happened to "QEL.mdb" after it ran
        Resultado esperado;
        Nomes pasta;
        const char* instaladoContem;  // "antigo", "novo" or something else
    };
    const std::string lixo = "outro programa escreveu aqui";
    const std::vector<Caso> casos = {
        {"it did not happen", true, nullptr, Resultado::NovoNaoColocado, {"QEL.exe", "QEL.mdb"}, "antigo"},
        {"it happened, the answer was lost", false, nullptr, Resultado::Substituido, {"QEL.exe", "QEL.mdb", kBackup},
         "novo"},
        {"it happened and something else took the name", false, [&] { test::WriteFile(instalado, lixo); },
         Resultado::Incerto, {"QEL.exe", "QEL.mdb", kBackup}, "lixo"},
        {"nothing has the name", false, [&] { DeleteFileA(instalado.c_str()); }, Resultado::Incerto,
         {"QEL.exe", kBackup}, nullptr},
    };
    const std::string antigoOriginal = antigo;
    for (const Caso& c : casos) {
        SCOPED_TRACE(c.nome);
        test::WriteFile(instalado, antigoOriginal);
        RenomeioFinal seam(instalado);
        seam.antes = c.antes;
        seam.depois = c.depois;
        Resultado r;
        {
            fs::ScopedFileOpSeam sob(seam);
            r = SubstituiBanco(estado, kAgora);
        }
        EXPECT_EQ(r, c.esperado);
        EXPECT_EQ(Listing(estado.TargetDir), c.pasta);
        if (c.esperado != Resultado::NovoNaoColocado) {
            EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigoOriginal) << "the old data is kept";
        }
        if (c.instaladoContem) {
            const std::string agora = test::ReadFile(instalado);
            EXPECT_EQ(agora, std::string(c.instaladoContem) == "antigo" ? antigoOriginal
                             : std::string(c.instaladoContem) == "novo" ? novoConteudo
                                                                        : lixo);
        }
        EXPECT_EQ(test::ReadFile(novo), novoConteudo);
        DeleteFileA(NaPasta(kBackup).c_str());
    }
    EXPECT_NE(std::string(MensagemSubstituicao(Resultado::Incerto)).find("foi mantida"), std::string::npos);
}

// A scanner that opens each file the replacement wrote as soon as the replacement has
// closed it (at its next operation), and keeps it for a moment without sharing its
// deletion.
class Scanner : public fs::FileOpSeam {
public:
    explicit Scanner(std::function<std::string()> resultado) : resultado_(std::move(resultado)) {}
    DWORD Before(const fs::FileOpCall&) override {
        if (!escrito_.empty()) {
            holds.push_back(std::make_unique<test::Holder>("hold-reader", escrito_, resultado_(), 400));
            vistos.push_back(fs::ExtractFileName(escrito_) + ": " + holds.back()->result);
            escrito_.clear();
        }
        return 0;
    }
    DWORD After(const fs::FileOpCall& c, DWORD erro) override {
        if (c.op == fs::FileOp::Flush && erro == 0) escrito_ = c.path;
        return erro;
    }
    std::vector<std::unique_ptr<test::Holder>> holds;
    std::vector<std::string> vistos;

private:
    std::function<std::string()> resultado_;
    std::string escrito_;
};

TEST_F(DatabaseReplacement, AScannerHoldingEachNewFileForAMomentDoesNotStopTheReplacement) {
    Scanner scanner([this] { return Outro("resultado"); });
    Resultado r;
    const DWORD inicio = GetTickCount();
    {
        fs::ScopedFileOpSeam sob(scanner);
        r = SubstituiBanco(estado, kAgora);
    }
    const DWORD levou = GetTickCount() - inicio;
    // Both renames met a held file: the backup's on its way to its dated name, the new
    // database's on its way to "QEL.mdb".
    EXPECT_EQ(scanner.vistos, (Nomes{std::string(kNovoProvisorio) + ": held", std::string(kBackupProvisorio) + ": held"}));
    EXPECT_EQ(r, Resultado::Substituido);
    EXPECT_GE(levou, 400u) << "the renames did not wait";
    EXPECT_LT(levou, 4000u);
    EXPECT_EQ(test::ReadFile(instalado), novoConteudo);
    EXPECT_EQ(test::ReadFile(NaPasta(kBackup)), antigo);
    EXPECT_EQ(Listing(estado.TargetDir), (Nomes{"QEL.exe", "QEL.mdb", kBackup}));
}

}  // namespace
}  // namespace qel
