// The version check and the version stamp against real database files, with other
// processes holding them.
#include <gtest/gtest.h>

#include "dbupgrade/VersionCheck.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/integration/OtherProcess.h"
#include "tests/integration/UpgradeFolders.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using test::FailureOf;
using test::Linhas;

class VersionCheck : public testing::Test, protected test::UpgradeFolders {
protected:
    // An installed database whose TA_SISTEMA holds these rows (DE_VERSAO_BANCO,
    // DE_VERSAO_SISTEMA), in this order; "NULL" stands for an empty value.
    void Instala(const std::vector<std::pair<std::string, std::string>>& linhas) {
        DeleteFileA(instalado.c_str());
        std::vector<std::string> sql = {
            "CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20), DE_VERSAO_SISTEMA TEXT(20), DT_ATUALIZACAO DATETIME)"};
        auto literal = [](const std::string& v) { return v == "NULL" ? v : "'" + v + "'"; };
        for (const auto& [banco, sistema] : linhas)
            sql.push_back("INSERT INTO TA_SISTEMA VALUES (" + literal(banco) + ", " + literal(sistema) +
                          ", '2005-01-01 00:00:00')");
        test::CreateDatabase(instalado, sql);
    }
    std::vector<std::string> Sistema() {
        return Linhas(instalado,
                      "SELECT quote(DE_VERSAO_BANCO) || ' ' || quote(DE_VERSAO_SISTEMA) FROM TA_SISTEMA ORDER BY rowid");
    }
};

TEST_F(VersionCheck, ComparesTheDotlessNumbersOfBothVersions) {
    // VersaoBanco is "3.2.0", 320. (How a text is read is told by the unit tests.)
    const std::vector<std::pair<const char*, int>> casos = {
        {"3.2.0", 0}, {"3.1.9", 1}, {"3.2.1", 2}, {"3.10.0", 2}, {"3.2", 1}, {"320", 0}, {"03.2.0", 0}, {" -3.2.0", 1},
    };
    for (const auto& [versao, esperado] : casos) {
        Instala({{versao, "3.2.1"}});
        EXPECT_EQ(ComparaVersaoBanco(estado), esperado) << versao;
    }
    // The medium's version is read the same way.
    Instala({{"3.2.0", "3.2.1"}});
    estado.VersaoBanco = "3.10.0";
    EXPECT_EQ(ComparaVersaoBanco(estado), 1);
    estado.VersaoBanco = "32";
    EXPECT_EQ(ComparaVersaoBanco(estado), 2);
}

TEST_F(VersionCheck, AVersionThatIsNoWholeNumberFailsWithItsDotlessText) {
    const std::vector<std::pair<const char*, const char*>> casos = {
        {"3.2.0a", "'320a' is not a valid integer value"},
        {"3.2.0 ", "'320 ' is not a valid integer value"},
        {"", "'' is not a valid integer value"},
        {"NULL", "'' is not a valid integer value"},
        {"9.9.9.9.9.9.9.9.9.9", "'9999999999' is not a valid integer value"},
    };
    for (const auto& [versao, mensagem] : casos) {
        Instala({{versao, "3.2.1"}});
        EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), mensagem) << versao;
        EXPECT_TRUE(Livre(instalado)) << "nothing stays open after the failure";
    }
    // The installed version is converted first.
    Instala({{"3.2.x", "3.2.1"}});
    estado.VersaoBanco = "3.2.y";
    EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), "'32x' is not a valid integer value");
    Instala({{"3.2.0", "3.2.1"}});
    EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), "'32y' is not a valid integer value");
}

TEST_F(VersionCheck, AnEmptyTableFailsAsAnEmptyVersion) {
    Instala({});
    EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), "'' is not a valid integer value");
}

TEST_F(VersionCheck, TheFirstRowDecidesAndTheCheckChangesNothing) {
    Instala({{"3.1.0", "3.1.5"}, {"3.2.0", "3.2.1"}, {"3.3.0", "3.3.1"}});
    const std::string antes = test::ReadFile(instalado);
    EXPECT_EQ(ComparaVersaoBanco(estado), 1);
    EXPECT_EQ(test::ReadFile(instalado), antes);
    EXPECT_TRUE(Livre(instalado));
}

TEST_F(VersionCheck, TheCheckSharesTheDatabaseWithOtherPrograms) {
    Instala({{"3.2.0", "3.2.1"}});
    for (const char* acao : {"hold-default", "hold-denynone", "hold-handle"}) {
        test::Holder outro(acao, instalado, Outro("resultado"));
        ASSERT_EQ(outro.result, "held") << acao;
        EXPECT_EQ(ComparaVersaoBanco(estado), 0) << acao;
    }
    {
        test::Holder outro("hold-exclusive", instalado, Outro("resultado"));
        ASSERT_EQ(outro.result, "held");
        EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), EmUso(instalado));
    }
    EXPECT_EQ(ComparaVersaoBanco(estado), 0);
}

TEST_F(VersionCheck, TheCheckFailsWithTheEnginesMessageWithoutTheTableOrColumn) {
    test::CreateDatabase(instalado, {"CREATE TABLE TA_OUTRA (DE_VERSAO_BANCO TEXT(20))"});
    EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }), "The table 'TA_SISTEMA' does not exist in the database.");
    EXPECT_TRUE(Livre(instalado));
    test::RunStatements(instalado, {"CREATE TABLE TA_SISTEMA (DE_VERSAO TEXT(20))", "INSERT INTO TA_SISTEMA VALUES ('3.2.0')"});
    EXPECT_EQ(FailureOf([&] { ComparaVersaoBanco(estado); }),
              "The column 'DE_VERSAO_BANCO' does not exist in the database.");
    EXPECT_TRUE(Livre(instalado));
}

TEST_F(VersionCheck, TheStampWritesTheSystemVersionIntoEveryRowAndNothingElse) {
    Instala({{"3.1.0", "3.1.5"}, {"3.2.0", "NULL"}, {"3.0.0", "3.0.1"}});
    AtualizaVersaoSistema(estado);
    EXPECT_EQ(Sistema(), (std::vector<std::string>{"'3.1.0' '3.2.3'", "'3.2.0' '3.2.3'", "'3.0.0' '3.2.3'"}));
    EXPECT_EQ(test::StoredValues(instalado, "SELECT DT_ATUALIZACAO FROM TA_SISTEMA"),
              std::vector<std::string>(3, "text:2005-01-01 00:00:00"));
    EXPECT_TRUE(Livre(instalado)) << "the exclusive hold ends with the stamp";
}

TEST_F(VersionCheck, TheStampDoublesSingleQuotesAndTakesATableWithoutRows) {
    Instala({{"3.2.0", "3.2.1"}});
    estado.VersaoSistema = "3.2'3 \"beta\"; DROP TABLE TA_SISTEMA";
    AtualizaVersaoSistema(estado);
    EXPECT_EQ(Sistema(), (std::vector<std::string>{"'3.2.0' '3.2''3 \"beta\"; DROP TABLE TA_SISTEMA'"}));

    Instala({});
    AtualizaVersaoSistema(estado);
    EXPECT_TRUE(Sistema().empty());
}

TEST_F(VersionCheck, TheStampIsRefusedWhileAnotherProgramHasTheDatabaseOpen) {
    Instala({{"3.2.0", "3.2.1"}});
    for (const char* acao : {"hold-default", "hold-denynone", "hold-handle", "hold-reader", "hold-exclusive"}) {
        test::Holder outro(acao, instalado, Outro("resultado"));
        ASSERT_EQ(outro.result, "held") << acao;
        EXPECT_EQ(FailureOf([&] { AtualizaVersaoSistema(estado); }), EmUso(instalado)) << acao;
        if (std::string(acao) != "hold-exclusive") {
            EXPECT_EQ(ComparaVersaoBanco(estado), 0) << "the check still may";
        }
    }
    EXPECT_EQ(Sistema(), (std::vector<std::string>{"'3.2.0' '3.2.1'"}));
    AtualizaVersaoSistema(estado);
    EXPECT_EQ(Sistema(), (std::vector<std::string>{"'3.2.0' '3.2.3'"}));
}

TEST_F(VersionCheck, AFailedStampReleasesTheDatabaseAtOnce) {
    test::CreateDatabase(instalado, {"CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20))",
                                     "INSERT INTO TA_SISTEMA VALUES ('3.2.0')"});
    EXPECT_EQ(FailureOf([&] { AtualizaVersaoSistema(estado); }),
              "The column 'DE_VERSAO_SISTEMA' does not exist in the database.");
    EXPECT_TRUE(Livre(instalado)) << "no exclusive hold outlives the failed stamp";
    EXPECT_EQ(ComparaVersaoBanco(estado), 0) << "a second run gets past the check";
}

}  // namespace
}  // namespace qel
