// The carry-over against real database files: what is carried and how, every failure
// with what survives it, and the installed database held by another process.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <utility>

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/Database.h"
#include "platform/FileSystem.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/integration/OtherProcess.h"
#include "tests/integration/UpgradeFolders.h"
#include "tests/support/ScriptedUi.h"
#include "tests/support/TempFolder.h"

namespace qel {
namespace {

using test::FailureOf;
using test::Linhas;

const char* const kDatadas[] = {"TB_ACOMPANHAMENTO",  "RL_CARTEIRA_ASSISTENCIAL", "RL_ITEM_DESP_ASSISTENCIAL",
                                "TB_QEL_ANEXO_II_A", "TB_QEL_ANEXO_III",         "TB_QEL_ANEXO_IV"};

class CarryOver : public testing::Test, protected test::UpgradeFolders {
protected:
    CarryOver() {
        // The installed database: TB_OPERADORA without DT_INIC_VIGN, the six others with it.
        origem["TB_OPERADORA"] = "(CD_OPERADORA LONG, DE_NOME TEXT(60), DT_CADASTRO DATETIME)";
        // The new one: columns in another order, a counter and a column of its own with a
        // default that the installed tables lack.
        destino["TB_OPERADORA"] =
            "(ID COUNTER PRIMARY KEY, DT_CADASTRO DATETIME, DE_NOME TEXT(60), CD_OPERADORA LONG, "
            "DE_NOVA TEXT(10) DEFAULT 'nova')";
        for (const char* t : kDatadas) {
            origem[t] =
                "(CD_REGISTRO LONG, DT_INIC_VIGN DATETIME, DE_NOME TEXT(60), VL_TOTAL DOUBLE, ID_ATIVO YESNO, "
                "DE_OBS MEMO)";
            destino[t] =
                "(ID COUNTER PRIMARY KEY, DE_OBS MEMO, ID_ATIVO YESNO, VL_TOTAL DOUBLE, DE_NOME TEXT(60), "
                "DT_INIC_VIGN DATETIME, CD_REGISTRO LONG, DE_NOVA TEXT(10) DEFAULT 'nova')";
        }
        // The version table is not carried; the new database brings its own.
        origem["TA_SISTEMA"] = destino["TA_SISTEMA"] = "(DE_VERSAO_BANCO TEXT(20), DE_VERSAO_SISTEMA TEXT(20))";
        linhasOrigem["TA_SISTEMA"] = {"('3.1.0', '3.1.5')"};
        linhasOrigem["TB_OPERADORA"] = {"(10, 'Operadora A', '2010-01-01 00:00:00')",
                                        "(11, 'Operadora B', NULL)"};
        // Carried: the last second of 2006, an empty date, 1990. Not: the first second
        // of 2007 and later.
        for (const char* t : kDatadas)
            linhasOrigem[t] = {"(1, '2006-12-31 23:59:59', 'véspera', 1.5, 1, 'obs 1')",
                               "(2, '2007-01-01 00:00:00', 'virada', 2.5, 0, 'obs 2')",
                               "(3, NULL, 'sem data', 3.5, 1, 'obs 3')",
                               "(4, '2010-05-05 10:00:00', 'depois', 4.5, 0, 'obs 4')",
                               "(5, '1990-01-01 00:00:00', 'antiga', 5.5, 0, 'obs 5')"};
    }

    void CriaBancos() {
        std::vector<std::string> a, b;
        for (const auto& [tabela, colunas] : origem) {
            a.push_back("CREATE TABLE " + tabela + " " + colunas);
            for (const std::string& linha : linhasOrigem[tabela]) a.push_back("INSERT INTO " + tabela + " VALUES " + linha);
        }
        for (const auto& [tabela, colunas] : destino) b.push_back("CREATE TABLE " + tabela + " " + colunas);
        b.push_back("INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.2.3')");
        for (const std::string& s : extrasDestino) b.push_back(s);
        test::CreateDatabase(instalado, a);
        test::CreateDatabase(novo, b);
        instaladoAntes = test::ReadFile(instalado);
    }

    // CD_REGISTRO of the new table's rows, in order.
    std::vector<std::string> Registros(const std::string& tabela) {
        return test::StoredValues(novo, "SELECT CD_REGISTRO FROM " + tabela + " ORDER BY ID");
    }
    std::string Contagem(const std::string& tabela) {
        return test::StoredValue(novo, "SELECT count(*) FROM " + tabela);
    }

    // A failure the carry-over leaves to its caller: its message, no dialog, the
    // animation left running for the run, the installed database unchanged and free.
    void FalhaSemTratamento(const std::string& mensagem) {
        ui.MostraAnimacao(true);
        EXPECT_EQ(FailureOf([&] { MigraDados(estado, ui); }), mensagem);
        EXPECT_TRUE(ui.dialogos.empty());
        EXPECT_TRUE(ui.animacaoLigada);
        EXPECT_EQ(test::ReadFile(instalado), instaladoAntes) << "the installed database is only read";
        EXPECT_TRUE(Livre(instalado)) << "no exclusive hold outlives the failed carry-over";
        EXPECT_TRUE(Livre(novo));
    }

    std::map<std::string, std::string> origem, destino;
    std::map<std::string, std::vector<std::string>> linhasOrigem;
    std::vector<std::string> extrasDestino;
    std::string instaladoAntes;
    test::ScriptedUi ui;
};

TEST_F(CarryOver, CarriesTheSevenTablesUpToTheCutOffNextToWhatTheNewDatabaseHolds) {
    extrasDestino = {
        "INSERT INTO TB_OPERADORA (ID, CD_OPERADORA, DE_NOME) VALUES (1, 1, 'Existente')",
        "INSERT INTO TB_ACOMPANHAMENTO (ID, CD_REGISTRO, DE_NOME, DT_INIC_VIGN) "
        "VALUES (1, 99, 'já estava', '2012-01-01 00:00:00')",
    };
    CriaBancos();
    EXPECT_TRUE(MigraDados(estado, ui));
    EXPECT_TRUE(ui.eventos.empty()) << "a good carry-over shows nothing";

    // TB_OPERADORA whole, whatever its dates, after the row that was there.
    EXPECT_EQ(Linhas(novo, "SELECT ID || ' ' || CD_OPERADORA || ' ' || DE_NOME || ' ' || quote(DT_CADASTRO) || ' ' || "
                           "DE_NOVA FROM TB_OPERADORA ORDER BY ID"),
              (std::vector<std::string>{"1 1 Existente NULL nova",
                                        "2 10 Operadora A '2010-01-01 00:00:00' nova",
                                        "3 11 Operadora B NULL nova"}));
    // The six others: 31 Dec 2006 23:59:59, the empty date and 1990, in the source's order.
    for (const char* t : kDatadas) {
        std::vector<std::string> esperado = {"integer:1", "integer:3", "integer:5"};
        if (std::string(t) == "TB_ACOMPANHAMENTO") esperado.insert(esperado.begin(), "integer:99");
        EXPECT_EQ(Registros(t), esperado) << t;
    }
    EXPECT_EQ(Linhas(novo, "SELECT ID || ' ' || DE_NOME || ' ' || DE_NOVA FROM TB_ACOMPANHAMENTO ORDER BY ID"),
              (std::vector<std::string>{"1 já estava nova", "2 véspera nova", "3 sem data nova", "4 antiga nova"}))
        << "the row that was there is untouched; the counter goes on after it";
    EXPECT_EQ(test::ReadFile(instalado), instaladoAntes);
    EXPECT_TRUE(Livre(instalado));
    EXPECT_TRUE(Livre(novo));
}

TEST_F(CarryOver, EveryValueArrivesThroughItsTextFormNullsStayNullAndCutTextsAreTold) {
    linhasOrigem["TB_QEL_ANEXO_IV"] = {
        "(7, '2006-06-30 08:15:00', 'Conceição & Filhos Ltda', -1234.5678, 0, 'Observação ''longa''')",
        "(8, NULL, NULL, NULL, NULL, NULL)",
        "(2147483647, '1899-12-30 00:00:00', '', 0, 1, 'Fim')",
        "(9, NULL, 'Ação Ltda' || char(128512) || '!', NULL, NULL, '')",
    };
    // A shorter text column cuts what does not fit.
    destino["TB_QEL_ANEXO_IV"] =
        "(DE_NOME TEXT(10), CD_REGISTRO LONG, DE_OBS MEMO, ID_ATIVO YESNO, VL_TOTAL DOUBLE, DT_INIC_VIGN DATETIME)";
    CriaBancos();
    std::vector<TextosEncurtados> encurtados;
    EXPECT_TRUE(MigraDados(estado, ui, nullptr, &encurtados));
    EXPECT_EQ(Linhas(novo, "SELECT quote(CD_REGISTRO) || '|' || quote(DT_INIC_VIGN) || '|' || quote(DE_NOME) || '|' || "
                           "quote(VL_TOTAL) || '|' || quote(ID_ATIVO) || '|' || quote(DE_OBS) FROM TB_QEL_ANEXO_IV "
                           "ORDER BY rowid"),
              (std::vector<std::string>{
                  "7|'2006-06-30 08:15:00'|'Conceição '|-1234.5678|0|'Observação ''longa'''",
                  // Null stays null, whatever the column; an empty text stays an empty text.
                  "8|NULL|NULL|NULL|NULL|NULL",
                  "2147483647|'1899-12-30 00:00:00'|''|0.0|1|'Fim'",
                  // Cut where it would split a character beyond the basic plane: before it.
                  "9|NULL|'Ação Ltda'|NULL|NULL|''",
              }));
    // Each column's cut texts are counted, with the longest before the cut, in characters
    // as Jet counts them (a character beyond the basic plane is two).
    ASSERT_EQ(encurtados.size(), 1u);
    EXPECT_EQ(encurtados[0].tabela, "TB_QEL_ANEXO_IV");
    EXPECT_EQ(encurtados[0].coluna, "DE_NOME");
    EXPECT_EQ(encurtados[0].tamanho, 10);
    EXPECT_EQ(encurtados[0].quantidade, 2);
    EXPECT_EQ(encurtados[0].maisLongo, 23u);
    EXPECT_NE(std::find(ui.relatos.begin(), ui.relatos.end(),
                        "Textos encurtados em TB_QEL_ANEXO_IV: DE_NOME: 2 textos cortados para 10 caracteres; o mais "
                        "longo tinha 23"),
              ui.relatos.end());
}

TEST_F(CarryOver, BytesTextBeyondWindows1252AndFractionsOfASecondArriveExactly) {
    origem["TB_QEL_ANEXO_III"] =
        "(CD_REGISTRO LONG, DT_INIC_VIGN DATETIME, DE_NOME TEXT(12), DE_OBS MEMO, DE_FOTO OLEOBJECT, "
        "DE_CHAVE VARBINARY(8), DE_ARQUIVO LONGBINARY)";
    destino["TB_QEL_ANEXO_III"] =
        "(ID COUNTER PRIMARY KEY, DE_ARQUIVO LONGBINARY, DE_CHAVE VARBINARY(8), DE_FOTO OLEOBJECT, DE_OBS MEMO, "
        "DE_NOME TEXT(12), DT_INIC_VIGN DATETIME, CD_REGISTRO LONG)";
    // Ł ó d ź ≤ → μ and a character beyond the basic plane; the first instant of 2007
    // with a fraction is not carried, the last half second of 2006 is.
    linhasOrigem["TB_QEL_ANEXO_III"] = {
        "(1, '2006-12-31 23:59:59.5', char(321, 243, 100, 378, 32, 8804, 8594, 956, 128512), '', X'FFD8FF0001807F', "
        "X'00FEFF80', X'')",
        "(2, '2007-01-01 00:00:00.25', 'depois', NULL, NULL, NULL, NULL)",
        "(3, NULL, 'x', NULL, NULL, NULL, NULL)"};
    CriaBancos();
    EXPECT_TRUE(MigraDados(estado, ui));
    EXPECT_EQ(Linhas(novo, "SELECT CD_REGISTRO || '|' || quote(DT_INIC_VIGN) || '|' || hex(DE_NOME) || '|' || "
                           "quote(DE_OBS) || '|' || quote(DE_FOTO) || '|' || quote(DE_CHAVE) || '|' || "
                           "quote(DE_ARQUIVO) FROM TB_QEL_ANEXO_III ORDER BY ID"),
              (std::vector<std::string>{
                  "1|'2006-12-31 23:59:59.5'|C581C3B364C5BA20E289A4E28692CEBCF09F9880|''|X'FFD8FF0001807F'|"
                  "X'00FEFF80'|X''",
                  "3|NULL|78|NULL|NULL|NULL|NULL"}));
}

TEST_F(CarryOver, AValueTheNewColumnWouldChangeOrRefusesStopsTheCarryOverNamingTableColumnAndRow) {
    struct Caso {
        const char* novaColuna;  // VL_TOTAL in the new table
        const char* valor;       // of the second row
        const char* porque;
    };
    for (const Caso& caso : std::initializer_list<Caso>{
             {"DOUBLE", "'12345678901234567890.5'",
              "cannot be carried without change: '12345678901234567890.5' has more digits than the column holds"},
             {"TEXT(40) NOT NULL", "NULL", "cannot be carried: the column requires a value"},
             {"TEXT(40) CHECK (VL_TOTAL <> '')", "''", "cannot be carried: the column does not take an empty text"},
         }) {
        SCOPED_TRACE(caso.novaColuna);
        DeleteFileA(instalado.c_str());
        DeleteFileA(novo.c_str());
        origem["TB_OPERADORA"] = "(CD_OPERADORA LONG, DE_NOME TEXT(60), VL_TOTAL TEXT(40))";
        destino["TB_OPERADORA"] =
            std::string("(CD_OPERADORA LONG, DE_NOME TEXT(60), VL_TOTAL ") + caso.novaColuna + ")";
        linhasOrigem["TB_OPERADORA"] = {"(10, 'A', '1.25')", std::string("(11, 'B', ") + caso.valor + ")"};
        CriaBancos();
        FalhaSemTratamento(std::string("The value of field 'VL_TOTAL' in row 2 of table 'TB_OPERADORA' ") +
                           caso.porque + ".");
        EXPECT_EQ(Contagem("TB_OPERADORA"), "integer:1");
    }
}

TEST_F(CarryOver, TheExemptTableIsToldByItsUpperCasedNameAndNeverAskedForTheDate) {
    origem["TB_OPERADORA"] = origem["TB_ACOMPANHAMENTO"];
    destino["TB_OPERADORA"] = destino["TB_ACOMPANHAMENTO"];
    linhasOrigem["TB_OPERADORA"] = linhasOrigem["TB_ACOMPANHAMENTO"];
    CriaBancos();
    db::Connection a, b;
    for (db::Connection* c : {&a, &b}) c->SetLoginPrompt(false);
    a.SetConnectionString(test::FullText(instalado));
    b.SetConnectionString(test::FullText(novo));
    db::Query origemQ(a), destinoQ(b);

    CopiaTabela(origemQ, destinoQ, "tb_operadora");
    EXPECT_EQ(Registros("TB_OPERADORA"), (std::vector<std::string>{"integer:1", "integer:2", "integer:3", "integer:4",
                                                                   "integer:5"}))
        << "every row, whatever its date";
    EXPECT_FALSE(origemQ.Active());
    EXPECT_FALSE(destinoQ.Active());

    CopiaTabela(origemQ, destinoQ, "tb_acompanhamento");
    EXPECT_EQ(Registros("TB_ACOMPANHAMENTO"), (std::vector<std::string>{"integer:1", "integer:3", "integer:5"}));
}

// Page 3 shows the rows of a table as they are read, of how many the engine says. The
// installed table is read forward only, which the engine cannot count without reading it
// twice: the size is told once the table has been read to its end.
TEST_F(CarryOver, EveryRowReadIsToldAndTheTablesSizeOnceKnown) {
    const int linhas = 3000;
    linhasOrigem["TB_QEL_ANEXO_III"].clear();
    for (int i = 0; i < linhas; ++i)
        linhasOrigem["TB_QEL_ANEXO_III"].push_back("(" + std::to_string(i) + ", '2008-01-01 00:00:00', 'x', 1, 1, 'o')");
    CriaBancos();
    db::Connection a, b;
    for (db::Connection* c : {&a, &b}) c->SetLoginPrompt(false);
    a.SetConnectionString(test::FullText(instalado));
    b.SetConnectionString(test::FullText(novo));
    db::Query origemQ(a), destinoQ(b);
    std::vector<long> lidas;
    long semTotal = 0;
    EXPECT_EQ(CopiaTabela(origemQ, destinoQ, "TB_QEL_ANEXO_III",
                          [&](long lida, long total) {
                              lidas.push_back(lida);
                              semTotal += total == -1;
                          }),
              0)
        << "all dated 2008, none carried, every one read";
    ASSERT_EQ(lidas.size(), static_cast<size_t>(linhas));
    EXPECT_EQ(lidas.front(), 1);
    EXPECT_EQ(lidas.back(), linhas);
    for (size_t i = 1; i < lidas.size(); ++i) ASSERT_EQ(lidas[i], lidas[i - 1] + 1) << "one call a row, in order";
    EXPECT_EQ(semTotal, linhas) << "read forward only: no size before its end";

    // The whole carry-over tells each table once more, with its size, after its last row.
    std::map<std::size_t, std::vector<std::pair<long, long>>> avancos;
    a.Disconnect();
    b.Disconnect();
    DeleteFileA(instalado.c_str());
    DeleteFileA(novo.c_str());
    CriaBancos();
    EXPECT_TRUE(MigraDados(estado, ui, nullptr, nullptr, [&](std::size_t tabela, long lida, long total) {
        avancos[tabela].emplace_back(lida, total);
    }));
    for (std::size_t t = 0; t < kTabelasMigradas.size(); ++t) {
        SCOPED_TRACE(kTabelasMigradas[t]);
        const auto& vistos = avancos[t];
        const long tamanho = static_cast<long>(vistos.size()) - (vistos.empty() ? 0 : 1);
        if (std::string(kTabelasMigradas[t]) == "TB_QEL_ANEXO_III") {
            EXPECT_EQ(tamanho, linhas);
        }
        if (tamanho == 0) continue;  // a table without rows tells nothing
        for (long i = 0; i < tamanho; ++i) EXPECT_EQ(vistos[static_cast<size_t>(i)], std::make_pair(i + 1, -1L));
        EXPECT_EQ(vistos.back(), std::make_pair(tamanho, tamanho));
    }
}

TEST_F(CarryOver, ATableWithoutRowsAddsNothingAndIsNeverAskedForTheDate) {
    origem["TB_QEL_ANEXO_II_A"] = "(CD_REGISTRO LONG, DE_NOME TEXT(60))";
    linhasOrigem["TB_QEL_ANEXO_II_A"] = {};
    extrasDestino = {"INSERT INTO TB_QEL_ANEXO_II_A (CD_REGISTRO) VALUES (42)"};
    CriaBancos();
    EXPECT_TRUE(MigraDados(estado, ui));
    EXPECT_EQ(Registros("TB_QEL_ANEXO_II_A"), (std::vector<std::string>{"integer:42"}));
    EXPECT_EQ(Registros("TB_QEL_ANEXO_IV"), (std::vector<std::string>{"integer:1", "integer:3", "integer:5"}));
}

TEST_F(CarryOver, AColumnMissingInTheNewTableFailsOnlyOnceARowIsCarried) {
    origem["RL_ITEM_DESP_ASSISTENCIAL"] =
        "(CD_REGISTRO LONG, DT_INIC_VIGN DATETIME, DE_NOME TEXT(60), VL_TOTAL DOUBLE, ID_ATIVO YESNO, DE_OBS MEMO, "
        "DE_EXTRA TEXT(5))";
    linhasOrigem["RL_ITEM_DESP_ASSISTENCIAL"] = {"(2, '2008-01-01 00:00:00', 'depois', 1, 1, 'x', 'e')"};
    CriaBancos();
    EXPECT_TRUE(MigraDados(estado, ui)) << "no row carried, no column looked up";

    DeleteFileA(instalado.c_str());
    DeleteFileA(novo.c_str());
    linhasOrigem["RL_ITEM_DESP_ASSISTENCIAL"].push_back("(1, '2001-01-01 00:00:00', 'antes', 1, 1, 'x', 'e')");
    CriaBancos();
    FalhaSemTratamento("Field 'DE_EXTRA' not found");
    // What was posted before stays in the new database.
    EXPECT_EQ(Contagem("TB_OPERADORA"), "integer:2");
    EXPECT_EQ(Contagem("RL_CARTEIRA_ASSISTENCIAL"), "integer:3");
    EXPECT_EQ(Contagem("RL_ITEM_DESP_ASSISTENCIAL"), "integer:0");
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_II_A"), "integer:0");
}

TEST_F(CarryOver, ADatedTableWithRowsButWithoutTheDateFails) {
    origem["RL_CARTEIRA_ASSISTENCIAL"] = "(CD_REGISTRO LONG, DE_NOME TEXT(60))";
    linhasOrigem["RL_CARTEIRA_ASSISTENCIAL"] = {"(1, 'sem coluna de data')"};
    CriaBancos();
    FalhaSemTratamento("Field 'DT_INIC_VIGN' not found");
    EXPECT_EQ(Contagem("TB_OPERADORA"), "integer:2");
    EXPECT_EQ(Contagem("TB_ACOMPANHAMENTO"), "integer:3");
    EXPECT_EQ(Contagem("RL_CARTEIRA_ASSISTENCIAL"), "integer:0");
}

TEST_F(CarryOver, AMissingTableFailsWithTheEnginesMessage) {
    origem.erase("TB_QEL_ANEXO_III");
    CriaBancos();
    FalhaSemTratamento("The table 'TB_QEL_ANEXO_III' does not exist in the database.");
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_II_A"), "integer:3");
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_III"), "integer:0");

    DeleteFileA(instalado.c_str());
    DeleteFileA(novo.c_str());
    origem["TB_QEL_ANEXO_III"] = origem["TB_QEL_ANEXO_IV"];
    destino.erase("TB_QEL_ANEXO_IV");
    CriaBancos();
    FalhaSemTratamento("The table 'TB_QEL_ANEXO_IV' does not exist in the database.");
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_III"), "integer:3");
}

TEST_F(CarryOver, AValueTheNewColumnCannotTakeFailsAfterTheRowsBeforeIt) {
    origem["TB_ACOMPANHAMENTO"] =
        "(CD_REGISTRO TEXT(10), DT_INIC_VIGN DATETIME, DE_NOME TEXT(60), VL_TOTAL DOUBLE, ID_ATIVO YESNO, DE_OBS MEMO)";
    linhasOrigem["TB_ACOMPANHAMENTO"] = {"('1', '2006-12-31 23:59:59', 'boa', 1, 1, 'x')",
                                         "('A-1', '2006-12-31 23:59:59', 'ruim', 1, 1, 'x')",
                                         "('3', '2006-12-31 23:59:59', 'depois', 1, 1, 'x')"};
    CriaBancos();
    FalhaSemTratamento("'A-1' is not a valid integer value for field 'CD_REGISTRO'");
    EXPECT_EQ(Registros("TB_ACOMPANHAMENTO"), (std::vector<std::string>{"integer:1"}));
}

TEST_F(CarryOver, AColumnTheNewDatabaseNumbersItselfCannotBeAssigned) {
    destino["TB_OPERADORA"] = "(CD_OPERADORA COUNTER PRIMARY KEY, DE_NOME TEXT(60), DT_CADASTRO DATETIME)";
    CriaBancos();
    FalhaSemTratamento("Field 'CD_OPERADORA' cannot be modified");
    EXPECT_EQ(Contagem("TB_OPERADORA"), "integer:0");
}

TEST_F(CarryOver, ARowTheNewDatabaseRefusesEndsTheCarryOverKeepingTheRowsBeforeIt) {
    destino["TB_QEL_ANEXO_II_A"] =
        "(CD_REGISTRO LONG PRIMARY KEY, DE_OBS MEMO, ID_ATIVO YESNO, VL_TOTAL DOUBLE, DE_NOME TEXT(60), "
        "DT_INIC_VIGN DATETIME)";
    extrasDestino = {"INSERT INTO TB_QEL_ANEXO_II_A (CD_REGISTRO, DE_NOME) VALUES (3, 'já existe')"};
    CriaBancos();
    FalhaSemTratamento("Row 3 of table 'TB_QEL_ANEXO_II_A' cannot be carried: The database refused the row: UNIQUE "
                       "constraint failed: TB_QEL_ANEXO_II_A.CD_REGISTRO.");
    EXPECT_EQ(Linhas(novo, "SELECT CD_REGISTRO || ' ' || DE_NOME FROM TB_QEL_ANEXO_II_A ORDER BY rowid"),
              (std::vector<std::string>{"3 já existe", "1 véspera"}))
        << "the refused row left nothing behind; the one before it stays";
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_III"), "integer:0");
}

TEST_F(CarryOver, AMissingNewDatabaseFailsAndReleasesTheInstalledOne) {
    CriaBancos();
    DeleteFileA(novo.c_str());
    ui.MostraAnimacao(true);
    const std::string falha = FailureOf([&] { MigraDados(estado, ui); });
    EXPECT_NE(falha, "no failure");
    EXPECT_NE(falha, "");
    EXPECT_TRUE(ui.dialogos.empty());
    EXPECT_TRUE(Livre(instalado));
    EXPECT_FALSE(fs::FileExists(novo)) << "opening never creates the file";
}

TEST_F(CarryOver, AnInstalledDatabaseHeldByAnotherProgramStopsTheCarryOverWithTheEnginesMessage) {
    CriaBancos();
    const std::string novoAntes = test::ReadFile(novo);
    for (const char* acao : {"hold-default", "hold-handle", "hold-exclusive"}) {
        test::ScriptedUi tela;
        tela.MostraAnimacao(true);
        tela.Responde(RespostaMensagem::Ok);
        {
            test::Holder outro(acao, instalado, Outro("resultado"));
            ASSERT_EQ(outro.result, "held") << acao;
            EXPECT_FALSE(MigraDados(estado, tela)) << acao;
        }
        ASSERT_EQ(tela.dialogos.size(), 1u) << acao;
        EXPECT_EQ(tela.dialogos[0].texto, EmUso(instalado));
        EXPECT_EQ(tela.dialogos[0].tipo, TipoMensagem::Simples);
        EXPECT_EQ(tela.dialogos[0].botoes, BotoesMensagem::Ok);
        // The dialog comes while the animation still runs; it stops and hides after.
        EXPECT_EQ(tela.eventos, (std::vector<std::string>{"animacao:on", "dialogo:" + EmUso(instalado), "animacao:off"}));
        EXPECT_FALSE(tela.animacaoVisivel);
        EXPECT_EQ(test::ReadFile(instalado), instaladoAntes);
        EXPECT_EQ(test::ReadFile(novo), novoAntes) << "the new database is not touched";
        EXPECT_TRUE(Livre(instalado));
        EXPECT_TRUE(Livre(novo));
    }
    // Once the other program let go, a second attempt carries the data.
    EXPECT_TRUE(MigraDados(estado, ui));
    EXPECT_EQ(Contagem("TB_QEL_ANEXO_IV"), "integer:3");
}

TEST_F(CarryOver, AnInstalledDatabaseThatCannotBeOpenedIsReportedWithItsOwnMessage) {
    CriaBancos();
    test::WriteFile(instalado, "isto não é um banco de dados");
    std::string esperada;
    {
        db::Connection direta;
        direta.SetLoginPrompt(false);
        direta.SetShareMode(db::ShareMode::Exclusive);
        direta.SetConnectionString(test::FullText(instalado));
        esperada = FailureOf([&] { direta.Connect(); });
    }
    ASSERT_NE(esperada, "no failure");
    ui.MostraAnimacao(true);
    ui.Responde(RespostaMensagem::Ok);
    EXPECT_FALSE(MigraDados(estado, ui));
    EXPECT_EQ(ui.eventos, (std::vector<std::string>{"animacao:on", "dialogo:" + esperada, "animacao:off"}));
    EXPECT_EQ(test::ReadFile(instalado), "isto não é um banco de dados");
}

}  // namespace
}  // namespace qel
