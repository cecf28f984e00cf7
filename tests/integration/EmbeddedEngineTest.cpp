// The embedded engine through the database engine interface, against real files:
// connecting, queries, every column kind read and written, the fixed messages.
#include <gtest/gtest.h>

#include <windows.h>

#include "dbupgrade/ConnectionText.h"
#include "dbupgrade/Database.h"
#include "platform/Failure.h"
#include "platform/FileOpSeam.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "tests/integration/DatabaseFiles.h"
#include "tests/support/TempFolder.h"
#include "tests/support/FailureOf.h"
#include "tests/support/FileOpNames.h"

namespace qel {
namespace {

using test::FailureOf;

using db::Connection;
using db::DateTime;
using db::Query;
using test::StoredValue;
using test::StoredValues;

// A table with a column of every kind, declared with Jet type names.
const char* kAllKinds =
    "CREATE TABLE TB_TUDO (ID COUNTER PRIMARY KEY, NR_BYTE BYTE, NR_SHORT SHORT, NR_LONG LONG, NR_INT INTEGER, "
    "NR_SINGLE SINGLE, NR_DOUBLE DOUBLE, VL_MOEDA CURRENCY, VL_DEC DECIMAL(18,4), DT_INIC_VIGN DATETIME, "
    "DT_DIA DATE, ID_ATIVO YESNO, ID_BIT BIT, DE_NOME TEXT(10), DE_SIGLA VARCHAR(3), DE_PADRAO TEXT, "
    "DE_OBS MEMO, DE_LONGO LONGTEXT, DE_OUTRO GUID)";

class EmbeddedEngine : public testing::Test {
protected:
    void SetUp() override {
        path = folder / "QEL.mdb";
        test::CreateDatabase(path, {kAllKinds,
                                    "CREATE TABLE TA_SISTEMA (DE_VERSAO_BANCO TEXT(20), DE_VERSAO_SISTEMA TEXT(20))",
                                    "INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.2.1')"});
    }
    void Open(Connection& c, db::ShareMode mode = db::ShareMode::Default) {
        c.SetLoginPrompt(false);
        c.SetShareMode(mode);
        c.SetConnectionString(test::FullText(path));
        c.Connect();
    }
    // Appends one row to TB_TUDO with one column assigned and returns what it stored.
    std::string StoreOne(const std::string& column, const std::string& value) {
        Connection c;
        Open(c);
        Query q(c);
        q.SetSql("SELECT * FROM TB_TUDO");
        q.Open();
        q.Append();
        q.SetString(column, value);
        q.Post();
        return StoredValue(path, "SELECT " + column + " FROM TB_TUDO WHERE ID = (SELECT max(ID) FROM TB_TUDO)");
    }

    test::TempFolder folder{"qeldb"};
    std::string path;
};

TEST_F(EmbeddedEngine, ConnectsThroughEitherConnectionTextAndDisconnects) {
    for (const std::string& text : {db::ShortConnectionText(path), db::FullConnectionText(path)}) {
        Connection c;
        c.SetLoginPrompt(false);
        c.SetConnectionString(text::Widen(text));
        EXPECT_FALSE(c.Connected());
        c.Connect();
        EXPECT_TRUE(c.Connected());
        c.Connect();  // again: nothing happens
        Query q(c);
        q.SetSql("SELECT DE_VERSAO_BANCO FROM TA_SISTEMA");
        q.Open();
        EXPECT_EQ(q.AsString("DE_VERSAO_BANCO"), "3.2.0");
        c.Disconnect();
        EXPECT_FALSE(c.Connected());
        EXPECT_FALSE(q.Active()) << "disconnecting closes the connection's queries";
        c.Disconnect();
    }
}

TEST_F(EmbeddedEngine, OpenedQueryStandsOnItsFirstRowAndWalksToTheEnd) {
    test::RunStatements(path, {"INSERT INTO TA_SISTEMA VALUES ('3.3.0', 'b')", "INSERT INTO TA_SISTEMA VALUES ('3.4.0', 'c')"});
    for (bool forwardOnly : {false, true}) {
        SCOPED_TRACE(forwardOnly ? "forward only" : "holding its rows");
        Connection c;
        Open(c);
        Query q(c);
        q.SetSql("SELECT DE_VERSAO_BANCO FROM TA_SISTEMA ORDER BY DE_VERSAO_BANCO");
        q.SetForwardOnly(forwardOnly);
        EXPECT_FALSE(q.Active());
        q.Open();
        EXPECT_TRUE(q.Active());
        q.First();  // on its first row already
        std::vector<std::string> seen;
        for (; !q.Eof(); q.Next()) seen.push_back(q.AsString("de_versao_banco"));
        EXPECT_EQ(seen, (std::vector<std::string>{"3.2.0", "3.3.0", "3.4.0"}));
        q.Next();  // past the end: stays there
        EXPECT_TRUE(q.Eof());
        EXPECT_EQ(q.AsString("DE_VERSAO_BANCO"), "3.4.0") << "the query still stands on its last row";
        q.First();
        EXPECT_FALSE(q.Eof());
        EXPECT_EQ(q.AsString("DE_VERSAO_BANCO"), "3.2.0");
        q.Close();
        EXPECT_FALSE(q.Active());
    }
}

TEST_F(EmbeddedEngine, AForwardOnlyQueryReadsItsRowsAsItMovesAndAddsNone) {
    std::vector<std::string> rows;
    for (int i = 0; i < 600; ++i) rows.push_back("INSERT INTO TA_SISTEMA VALUES ('" + std::to_string(i) + "', 'x')");
    test::RunStatements(path, rows);
    Connection c, other;
    Open(c);
    Open(other);
    for (bool forwardOnly : {false, true}) {
        SCOPED_TRACE(forwardOnly ? "forward only" : "holding its rows");
        Query q(c);
        q.SetForwardOnly(forwardOnly);
        q.SetSql("SELECT * FROM TA_SISTEMA");
        q.Open();
        // Rows read at opening are counted; a forward-only query reads them as it moves, and
        // only a second read of the table could count them.
        EXPECT_EQ(q.RecordCount(), forwardOnly ? -1 : 601);
        int seen = 0;
        for (; !q.Eof(); q.Next()) ++seen;
        EXPECT_EQ(seen, 601 + (forwardOnly ? 1 : 0));
        EXPECT_EQ(q.RecordCount(), forwardOnly ? -1 : 601) << "read to its end, still not counted";
        // At its end the query holds no lock: another connection writes at once.
        other.Execute("INSERT INTO TA_SISTEMA VALUES ('novo', 'y')");
        q.First();
        seen = 0;
        for (; !q.Eof(); q.Next()) ++seen;
        EXPECT_EQ(seen, forwardOnly ? 603 : 601) << "forward only, First reads the rows anew";
        if (forwardOnly) {
            EXPECT_EQ(FailureOf([&] { q.Append(); }), "Cannot modify a read-only dataset");
            EXPECT_FALSE(q.Appending());
        } else {
            EXPECT_EQ(q.RecordCount(), 601) << "the row another connection added is not in the query";
        }
    }
}

// A query that holds its rows counts those it adds with those it read, though it keeps
// none of them; read anew, it counts the table's.
TEST_F(EmbeddedEngine, AQueryHoldingItsRowsCountsThoseItAdds) {
    test::RunStatements(path, {"INSERT INTO TA_SISTEMA VALUES ('3.5.0', 'x')"});
    Connection c, other;
    Open(c);
    Open(other);
    Query q(c);
    q.SetSql("SELECT * FROM TA_SISTEMA");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    for (const char* versao : {"a", "b"}) {
        q.Append();
        q.SetValue("DE_VERSAO_BANCO", std::string(versao));
        q.Post();
    }
    EXPECT_EQ(q.RecordCount(), 4);
    other.Execute("INSERT INTO TA_SISTEMA VALUES ('novo', 'y')");
    EXPECT_EQ(q.RecordCount(), 4) << "another connection's row is not in the query";
    q.First();
    EXPECT_EQ(q.RecordCount(), 5) << "read anew: the other connection's row and the two added";
}

TEST_F(EmbeddedEngine, AQueryWithoutRowsIsAtItsEndAndReadsEmpty) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.AsString("DE_NOME"), "");
    EXPECT_EQ(q.AsString("NR_LONG"), "");
    EXPECT_EQ(q.AsDateTime("DT_INIC_VIGN"), (DateTime{1899, 12, 30, 0, 0, 0}));
    q.First();
    EXPECT_TRUE(q.Eof());
}

TEST_F(EmbeddedEngine, ColumnsComeInDeclaredOrderAndAreFoundIgnoringCase) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    const std::vector<std::string> declared = {"ID", "NR_BYTE", "NR_SHORT", "NR_LONG", "NR_INT", "NR_SINGLE",
                                               "NR_DOUBLE", "VL_MOEDA", "VL_DEC", "DT_INIC_VIGN", "DT_DIA",
                                               "ID_ATIVO", "ID_BIT", "DE_NOME", "DE_SIGLA", "DE_PADRAO", "DE_OBS",
                                               "DE_LONGO", "DE_OUTRO"};
    ASSERT_EQ(q.FieldCount(), static_cast<int>(declared.size()));
    for (int i = 0; i < q.FieldCount(); ++i) {
        EXPECT_EQ(q.FieldName(i), declared[static_cast<size_t>(i)]);
        EXPECT_EQ(q.FieldIndex(declared[static_cast<size_t>(i)]), i);
    }
    EXPECT_EQ(q.FieldIndex("dt_inic_vign"), 9);
    EXPECT_EQ(q.FieldIndex("De_Nome"), 13);
    EXPECT_EQ(FailureOf([&] { q.FieldIndex("DT_INIC_VIG"); }), "Field 'DT_INIC_VIG' not found");
    EXPECT_EQ(FailureOf([&] { q.AsString("NADA"); }), "Field 'NADA' not found");
    EXPECT_EQ(FailureOf([&] { q.AsDateTime("nada"); }), "Field 'nada' not found");
    EXPECT_EQ(FailureOf([&] { q.FieldName(19); }), "List index out of bounds (19)");

    // Two columns named alike but for case: whatever the spelling, the first is found.
    q.SetSql("SELECT DE_NOME AS nome, DE_SIGLA AS NOME, ID AS Nome FROM TB_TUDO");
    q.Open();
    for (const char* spelling : {"nome", "NOME", "Nome", "nOME"}) EXPECT_EQ(q.FieldIndex(spelling), 0) << spelling;
}

TEST_F(EmbeddedEngine, ReadsEveryKindAsTextAndNullsAsEmpty) {
    test::RunStatements(path, {
        "INSERT INTO TB_TUDO VALUES (1, 255, -32768, 2147483647, -2147483648, 0.5, -1234.5678, 12.3456, "
        "12345678.1234, '2006-12-31 23:59:59', '2007-01-01 00:00:00', 1, 0, 'Jo\xE3o', 'SP', "
        "'a', 'Observa\xE7\xE3o longa', 'x', '{guid}')",
        "INSERT INTO TB_TUDO (ID) VALUES (2)"});
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO ORDER BY ID");
    q.Open();
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"ID", "1"}, {"NR_BYTE", "255"}, {"NR_SHORT", "-32768"}, {"NR_LONG", "2147483647"},
        {"NR_INT", "-2147483648"}, {"NR_SINGLE", "0.5"}, {"NR_DOUBLE", "-1234.5678"}, {"VL_MOEDA", "12.3456"},
        {"VL_DEC", "12345678.1234"}, {"DT_INIC_VIGN", "2006-12-31 23:59:59"},
        {"DT_DIA", "2007-01-01 00:00:00"}, {"ID_ATIVO", "True"}, {"ID_BIT", "False"}, {"DE_NOME", "Jo\xE3o"},
        {"DE_SIGLA", "SP"}, {"DE_PADRAO", "a"}, {"DE_OBS", "Observa\xE7\xE3o longa"}, {"DE_LONGO", "x"},
        {"DE_OUTRO", "{guid}"}};
    for (auto [column, text] : expected) EXPECT_EQ(q.AsString(column), text) << column;
    EXPECT_EQ(q.AsDateTime("DT_INIC_VIGN"), (DateTime{2006, 12, 31, 23, 59, 59}));
    q.Next();
    for (auto [column, text] : expected) {
        if (std::string(column) != "ID") {
            EXPECT_EQ(q.AsString(column), "") << column;
        }
    }
    EXPECT_EQ(q.AsDateTime("DT_INIC_VIGN"), DateTime{});
    EXPECT_EQ(q.AsDateTime("DT_DIA"), (DateTime{1899, 12, 30, 0, 0, 0}));
}

TEST_F(EmbeddedEngine, APostedRowIsWrittenAtOnceInItsStoredForms) {
    Connection writer;
    Open(writer);
    Query q(writer);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    q.Append();
    EXPECT_TRUE(q.Appending());
    q.SetString("nr_long", "-42");
    q.SetString("NR_DOUBLE", "0.1");
    q.SetString("VL_MOEDA", "12345678901234567");
    q.SetString("DT_INIC_VIGN", "2006-12-31 23:59:59");
    q.SetString("DT_DIA", "2007-01-01");
    q.SetString("ID_ATIVO", "True");
    q.SetString("ID_BIT", "False");
    q.SetString("DE_NOME", "Concei\xE7\xE3o");
    q.SetString("DE_OBS", "Memo \x80 \xFF");
    q.Post();
    EXPECT_FALSE(q.Appending());

    // Another connection sees the row while the first is still open.
    Connection reader;
    Open(reader);
    Query r(reader);
    r.SetSql("SELECT * FROM TB_TUDO");
    r.Open();
    ASSERT_FALSE(r.Eof());
    EXPECT_EQ(r.AsString("ID"), "1") << "the counter numbered the row";
    EXPECT_EQ(r.AsString("DE_NOME"), "Concei\xE7\xE3o");
    EXPECT_EQ(r.AsString("VL_MOEDA"), "12345678901234567");
    EXPECT_TRUE(writer.Connected());

    const std::string where = " FROM TB_TUDO WHERE ID = 1";
    EXPECT_EQ(StoredValue(path, "SELECT NR_LONG" + where), "integer:-42");
    EXPECT_EQ(StoredValue(path, "SELECT NR_DOUBLE" + where), "real:0.10000000000000001");
    EXPECT_EQ(StoredValue(path, "SELECT DT_INIC_VIGN" + where), "text:2006-12-31 23:59:59");
    EXPECT_EQ(StoredValue(path, "SELECT DT_DIA" + where), "text:2007-01-01 00:00:00");
    EXPECT_EQ(StoredValue(path, "SELECT ID_ATIVO" + where), "integer:1");
    EXPECT_EQ(StoredValue(path, "SELECT ID_BIT" + where), "integer:0");
    EXPECT_EQ(StoredValue(path, "SELECT DE_NOME" + where), "text:Concei\xE7\xE3o");
    EXPECT_EQ(StoredValue(path, "SELECT hex(DE_NOME)" + where), "text:436F6E636569C3A7C3A36F") << "UTF-8";
    EXPECT_EQ(StoredValue(path, "SELECT DE_OBS" + where), "text:Memo \x80 \xFF");
    EXPECT_EQ(StoredValue(path, "SELECT NR_SHORT" + where), "null") << "not assigned";
}

TEST_F(EmbeddedEngine, AfterPostTheQueryStandsOnTheNewRowWithWhatTheDatabaseGaveIt) {
    test::RunStatements(path, {"CREATE TABLE TB_PADRAO (ID COUNTER, DE_NOME TEXT(20), NR_QTD LONG DEFAULT 7)",
                               "INSERT INTO TB_PADRAO VALUES (41, 'velho', 1)"});
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_PADRAO");
    q.Open();
    q.Append();
    EXPECT_EQ(q.AsString("DE_NOME"), "") << "a new row starts empty";
    q.SetString("DE_NOME", "novo");
    EXPECT_EQ(q.AsString("DE_NOME"), "novo");
    q.Post();
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.AsString("ID"), "42") << "counter: next after the highest";
    EXPECT_EQ(q.AsString("NR_QTD"), "7") << "default of the table";
    q.Append();
    q.SetString("DE_NOME", "outro");
    q.Next();  // moving posts the row
    EXPECT_EQ(StoredValues(path, "SELECT ID FROM TB_PADRAO ORDER BY ID"),
              (std::vector<std::string>{"integer:41", "integer:42", "integer:43"}));
    EXPECT_TRUE(q.Eof()) << "the row it added was its last";
    EXPECT_EQ(q.AsString("DE_NOME"), "outro");
    // The query keeps none of the rows it added: going back to the first row reads them.
    std::vector<std::string> seen;
    for (q.First(); !q.Eof(); q.Next()) seen.push_back(q.AsString("ID") + " " + q.AsString("DE_NOME"));
    EXPECT_EQ(seen, (std::vector<std::string>{"41 velho", "42 novo", "43 outro"}));
}

TEST_F(EmbeddedEngine, EmptyTextEmptiesAllButTextColumnsWhichGetAnEmptyText) {
    for (const char* column : {"NR_LONG", "NR_DOUBLE", "VL_MOEDA", "DT_INIC_VIGN", "ID_ATIVO", "DE_OBS", "DE_LONGO"})
        EXPECT_EQ(StoreOne(column, ""), "null") << column;
    for (const char* column : {"DE_NOME", "DE_SIGLA", "DE_PADRAO", "DE_OUTRO"})
        EXPECT_EQ(StoreOne(column, ""), "text:") << column;
}

TEST_F(EmbeddedEngine, TextLongerThanItsColumnIsCutToTheDeclaredSize) {
    EXPECT_EQ(StoreOne("DE_NOME", "Jo\xE3o da Concei\xE7\xE3o"), "text:Jo\xE3o da Co");  // TEXT(10), accents count once
    EXPECT_EQ(StoreOne("DE_NOME", "0123456789"), "text:0123456789");                     // exactly the size
    EXPECT_EQ(StoreOne("DE_SIGLA", "SPX"), "text:SPX");
    EXPECT_EQ(StoreOne("DE_SIGLA", "ABCD"), "text:ABC");
    const std::string longText(300, 'x');
    EXPECT_EQ(StoreOne("DE_PADRAO", longText), "text:" + std::string(255, 'x'));  // TEXT without a size
    EXPECT_EQ(StoreOne("DE_OBS", longText), "text:" + longText);                   // long text: no limit
    EXPECT_EQ(StoreOne("DE_OUTRO", longText), "text:" + longText);                 // other names: no limit
}

TEST_F(EmbeddedEngine, LongTextKeepsNumberLikeTextExactly) {
    EXPECT_EQ(StoreOne("DE_OBS", "0012"), "blob:0012");
    EXPECT_EQ(StoreOne("DE_OBS", "Rua 12"), "text:Rua 12");
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT DE_OBS FROM TB_TUDO ORDER BY ID");
    q.Open();
    EXPECT_EQ(q.AsString("DE_OBS"), "0012");
}

TEST_F(EmbeddedEngine, TextThatDoesNotConvertFailsWithTheKindsMessageAndStoresNothing) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    q.Append();
    EXPECT_EQ(FailureOf([&] { q.SetString("NR_LONG", "12a"); }), "'12a' is not a valid integer value for field 'NR_LONG'");
    EXPECT_EQ(FailureOf([&] { q.SetString("nr_byte", "1.5"); }), "'1.5' is not a valid integer value for field 'NR_BYTE'");
    EXPECT_EQ(FailureOf([&] { q.SetString("NR_INT", "99999999999999999999"); }),
              "'99999999999999999999' is not a valid integer value for field 'NR_INT'");
    EXPECT_EQ(FailureOf([&] { q.SetString("NR_DOUBLE", "1,5"); }),
              "'1,5' is not a valid floating point value for field 'NR_DOUBLE'");
    EXPECT_EQ(FailureOf([&] { q.SetString("VL_MOEDA", "nan"); }),
              "'nan' is not a valid floating point value for field 'VL_MOEDA'");
    EXPECT_EQ(FailureOf([&] { q.SetString("DT_INIC_VIGN", "31/12/2006"); }),
              "'31/12/2006' is not a valid date and time value for field 'DT_INIC_VIGN'");
    EXPECT_EQ(FailureOf([&] { q.SetString("DT_DIA", "2007-02-29"); }),
              "'2007-02-29' is not a valid date and time value for field 'DT_DIA'");
    EXPECT_EQ(FailureOf([&] { q.SetString("ID_ATIVO", "talvez"); }),
              "'talvez' is not a valid boolean value for field 'ID_ATIVO'");
    EXPECT_EQ(FailureOf([&] { q.SetString("ID", "5"); }), "Field 'ID' cannot be modified");
    EXPECT_EQ(FailureOf([&] { q.SetString("id", ""); }), "Field 'ID' cannot be modified");
    EXPECT_EQ(FailureOf([&] { q.SetString("NADA", "1"); }), "Field 'NADA' not found");
    q.Cancel();
    EXPECT_FALSE(q.Appending());
    EXPECT_EQ(StoredValue(path, "SELECT count(*) FROM TB_TUDO"), "integer:0");
}

TEST_F(EmbeddedEngine, AColumnTheQueryComputesCannotBeModified) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT DE_NOME, upper(DE_NOME) AS GRANDE FROM TB_TUDO");
    q.Open();
    q.Append();
    EXPECT_EQ(FailureOf([&] { q.SetString("GRANDE", "X"); }), "Field 'GRANDE' cannot be modified");
    q.SetString("DE_NOME", "x");
    q.Post();
    EXPECT_EQ(q.AsString("GRANDE"), "") << "no such column in the table";
    EXPECT_EQ(StoredValue(path, "SELECT DE_NOME FROM TB_TUDO"), "text:x");
}

TEST_F(EmbeddedEngine, TheEnginesOwnNumberingIsACounterToo) {
    test::RunStatements(path, {"CREATE TABLE TB_AUTO (ID INTEGER PRIMARY KEY AUTOINCREMENT, DE_NOME TEXT(5))"});
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_AUTO");
    q.Open();
    q.Append();
    EXPECT_EQ(FailureOf([&] { q.SetString("ID", "9"); }), "Field 'ID' cannot be modified");
    q.SetString("DE_NOME", "a");
    q.Post();
    EXPECT_EQ(q.AsString("ID"), "1");
}

TEST_F(EmbeddedEngine, ARowTheDatabaseRefusesIsNotWrittenAndCanBeCorrected) {
    test::RunStatements(path, {"CREATE TABLE TB_CHAVE (CD_CHAVE LONG PRIMARY KEY, DE_NOME TEXT(10) NOT NULL)",
                               "INSERT INTO TB_CHAVE VALUES (1, 'um')"});
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_CHAVE");
    q.Open();
    q.Append();
    q.SetString("CD_CHAVE", "1");
    q.SetString("DE_NOME", "dois");
    EXPECT_EQ(FailureOf([&] { q.Post(); }), "The database refused the row: UNIQUE constraint failed: TB_CHAVE.CD_CHAVE.");
    EXPECT_TRUE(q.Appending()) << "the row is still being made";
    q.SetString("CD_CHAVE", "2");
    q.Post();
    q.Append();
    q.SetString("CD_CHAVE", "3");
    EXPECT_EQ(FailureOf([&] { q.Post(); }), "The database refused the row: NOT NULL constraint failed: TB_CHAVE.DE_NOME.");
    q.Close();  // drops the unposted row
    EXPECT_EQ(StoredValues(path, "SELECT CD_CHAVE FROM TB_CHAVE ORDER BY 1"),
              (std::vector<std::string>{"integer:1", "integer:2"}));
}

TEST_F(EmbeddedEngine, QueriesAndStatementsOnMissingTablesOrColumnsFailWithTheEnginesMessage) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_NADA");
    EXPECT_EQ(FailureOf([&] { q.Open(); }), "The table 'TB_NADA' does not exist in the database.");
    EXPECT_FALSE(q.Active());
    q.SetSql("SELECT DE_NADA FROM TA_SISTEMA");
    EXPECT_EQ(FailureOf([&] { q.Open(); }), "The column 'DE_NADA' does not exist in the database.");
    EXPECT_EQ(FailureOf([&] { c.Execute("UPDATE TB_NADA SET X = 1"); }),
              "The table 'TB_NADA' does not exist in the database.");
    EXPECT_EQ(FailureOf([&] { c.Execute("UPDATE TA_SISTEMA SET DE_NADA = 1"); }),
              "The column 'DE_NADA' does not exist in the database.");
    EXPECT_EQ(FailureOf([&] { c.Execute("UPDATTE TA_SISTEMA"); }),
              "The database refused the statement: near \"UPDATTE\": syntax error.");
    q.SetSql("UPDATE TA_SISTEMA SET DE_VERSAO_BANCO = 'x'");
    EXPECT_EQ(FailureOf([&] { q.Open(); }), "The database refused the statement: the query text returns no rows.");
    EXPECT_EQ(StoredValue(path, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"), "text:3.2.0") << "nothing ran";
}

TEST_F(EmbeddedEngine, ExecuteConnectsWhenNeededAndChangesEveryRow) {
    test::RunStatements(path, {"INSERT INTO TA_SISTEMA VALUES ('3.2.0', '3.0.0')"});
    Connection c;
    c.SetLoginPrompt(false);
    c.SetShareMode(db::ShareMode::Exclusive);
    c.SetConnectionString(test::FullText(path));
    c.Execute("UPDATE TA_SISTEMA SET DE_VERSAO_SISTEMA = '3.2.3'");
    EXPECT_TRUE(c.Connected());
    c.Disconnect();
    EXPECT_EQ(StoredValues(path, "SELECT DE_VERSAO_SISTEMA FROM TA_SISTEMA"),
              (std::vector<std::string>{"text:3.2.3", "text:3.2.3"}));
    EXPECT_EQ(StoredValues(path, "SELECT DE_VERSAO_BANCO FROM TA_SISTEMA"),
              (std::vector<std::string>{"text:3.2.0", "text:3.2.0"}));
}

TEST_F(EmbeddedEngine, AQueryOpensItsConnectionAndReplacingItsTextClosesIt) {
    Connection c;
    c.SetLoginPrompt(false);
    c.SetConnectionString(test::FullText(path));
    Query q(c);
    q.SetSql("SELECT * FROM TA_SISTEMA");
    q.Open();
    EXPECT_TRUE(c.Connected());
    q.SetSql("SELECT * FROM TB_TUDO");
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(q.Sql(), "SELECT * FROM TB_TUDO");
    q.Open();
    EXPECT_EQ(q.FieldName(0), "ID");
}

TEST_F(EmbeddedEngine, AClosedQueryOrOneWhoseConnectionIsGoneRefusesWork) {
    auto c = std::make_unique<Connection>();
    Open(*c);
    Query q(*c);
    q.SetSql("SELECT * FROM TA_SISTEMA");
    EXPECT_EQ(FailureOf([&] { q.Next(); }), "Cannot perform this operation on a closed dataset");
    EXPECT_EQ(FailureOf([&] { q.AsString("DE_VERSAO_BANCO"); }), "Cannot perform this operation on a closed dataset");
    EXPECT_EQ(FailureOf([&] { q.Eof(); }), "Cannot perform this operation on a closed dataset");
    q.Open();
    EXPECT_EQ(FailureOf([&] { q.SetString("DE_VERSAO_BANCO", "1"); }), "Dataset not in edit or insert mode");
    q.Post();  // nothing to post
    c.reset();
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(FailureOf([&] { q.Open(); }),
              "Cannot perform this operation: the query's connection has been released");
}

TEST_F(EmbeddedEngine, ReadingADateTimeColumnHoldingNoDateFailsAndChangesNothing) {
    test::RunStatements(path, {"INSERT INTO TB_TUDO (ID, DT_INIC_VIGN, DE_NOME) VALUES (1, 'amanh\xE3', 'a')"});
    const std::string before = test::ReadFile(path);
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    EXPECT_EQ(FailureOf([&] { q.AsDateTime("DT_INIC_VIGN"); }),
              "'amanh\xE3' is not a valid date and time value for field 'DT_INIC_VIGN'");
    EXPECT_EQ(FailureOf([&] { q.AsString("DT_INIC_VIGN"); }),
              "'amanh\xE3' is not a valid date and time value for field 'DT_INIC_VIGN'");
    EXPECT_EQ(q.AsString("DE_NOME"), "a");
    q.Close();
    c.Disconnect();
    EXPECT_EQ(test::ReadFile(path), before);
}

TEST_F(EmbeddedEngine, ATextColumnHoldingADateReadsAsADateTime) {
    test::RunStatements(path, {"INSERT INTO TB_TUDO (ID, DE_NOME, NR_LONG) VALUES (1, '2006-05-04', 7)"});
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT * FROM TB_TUDO");
    q.Open();
    EXPECT_EQ(q.AsDateTime("DE_NOME"), (DateTime{2006, 5, 4, 0, 0, 0}));
    EXPECT_EQ(FailureOf([&] { q.AsDateTime("NR_LONG"); }), "'7' is not a valid date and time value for field 'NR_LONG'");
}

TEST_F(EmbeddedEngine, RowsAreAddedOnlyThroughAQueryOnOneTable) {
    Connection c;
    Open(c);
    Query q(c);
    q.SetSql("SELECT a.DE_VERSAO_BANCO FROM TA_SISTEMA a, TB_TUDO b");
    q.Open();
    EXPECT_EQ(FailureOf([&] { q.Append(); }),
              "Rows cannot be added through the query 'SELECT a.DE_VERSAO_BANCO FROM TA_SISTEMA a, TB_TUDO b': only "
              "a query that reads a single table can add rows.");
    EXPECT_FALSE(q.Appending());
}

TEST_F(EmbeddedEngine, NamesWithAccentsWorkThroughTheWholePath) {
    test::TempFolder accented{"qel\xE7\xE3o"};
    const std::string file = accented / "Cadastro \xC1gil.mdb";
    test::CreateDatabase(file, {"CREATE TABLE TB_A\xC7\xC3O (DE_A\xC7\xC3O TEXT(10))"});
    Connection c;
    c.SetLoginPrompt(false);
    c.SetConnectionString(test::FullText(file));
    Query q(c);
    q.SetSql("SELECT * FROM TB_A\xC7\xC3O");
    q.Open();
    EXPECT_EQ(q.FieldName(0), "DE_A\xC7\xC3O");
    EXPECT_EQ(q.FieldIndex("de_a\xE7\xE3o"), 0) << "case ignored for accented letters too";
    q.Append();
    q.SetString("DE_A\xC7\xC3O", "p\xE3o");
    q.Post();
    EXPECT_EQ(StoredValue(file, "SELECT DE_A\xC7\xC3O FROM TB_A\xC7\xC3O"), "text:p\xE3o");
}

// Records the engine's calls on its files by kind and file; fails the n-th call of one
// kind on one file before it runs.
class FalhaUma : public fs::FileOpSeam {
public:
    FalhaUma(fs::FileOp op, std::string arquivo, int vez, DWORD erro)
        : op_(op), arquivo_(std::move(arquivo)), vez_(vez), erro_(erro) {}
    DWORD Before(const fs::FileOpCall& c) override {
        const std::string arquivo = fs::ExtractFileName(c.path);
        vistas.push_back(std::string(test::NomeDaOperacao(c.op)) + " " + arquivo);
        return c.op == op_ && arquivo == arquivo_ && ++vezes_ == vez_ ? erro_ : 0;
    }
    DWORD After(const fs::FileOpCall&, DWORD erro) override { return erro; }
    bool Falhou() const { return vezes_ >= vez_; }
    std::vector<std::string> vistas;

private:
    fs::FileOp op_;
    std::string arquivo_;
    int vez_, vezes_ = 0;
    DWORD erro_;
};

TEST_F(EmbeddedEngine, TheEnginesFileCallsPassTheSeamAndItsFailuresArriveAsThePlatformsWould) {
    const std::string inicial = test::ReadFile(path);
    const std::string emUso = "The database '" + path + "' is already in use and cannot be opened in the requested mode.";
    const std::string naoAbre =
        "The database '" + path + "' could not be opened: the file is missing or cannot be reached.";
    const std::string disco = "The database '" + path + "' could not be read or written (disk error).";
    const std::string cheio = "The database '" + path + "' cannot grow: the disk is full.";
    using fs::FileOp;
    const db::ShareMode so = db::ShareMode::Exclusive, compartilha = db::ShareMode::Default;
    // The first open and read of QEL.mdb are the look that chooses the engine.
    const struct {
        db::ShareMode modo;
        FileOp op;
        const char* arquivo;
        int vez;
        DWORD erro;
        std::string mensagem;
    } casos[] = {
        {so, FileOp::Open, "QEL.mdb", 2, ERROR_SHARING_VIOLATION, emUso},
        {so, FileOp::Open, "QEL.mdb", 2, ERROR_IO_DEVICE, naoAbre},
        {compartilha, FileOp::Open, "QEL.mdb", 2, ERROR_IO_DEVICE, naoAbre},
        {compartilha, FileOp::Read, "QEL.mdb", 2, ERROR_IO_DEVICE, disco},
        {so, FileOp::Write, "QEL.mdb", 1, ERROR_DISK_FULL, cheio},
        {compartilha, FileOp::Write, "QEL.mdb-journal", 1, ERROR_HANDLE_DISK_FULL, cheio},
        {compartilha, FileOp::Flush, "QEL.mdb", 1, ERROR_IO_DEVICE, disco},
        // A lock held by another program for a moment is waited for.
        {compartilha, FileOp::Lock, "QEL.mdb", 1, ERROR_LOCK_VIOLATION, ""},
        {compartilha, FileOp::Lock, "QEL.mdb", 1, ERROR_IO_DEVICE, disco},
        // The journal's deletion is the commit: failed, the next opener undoes the row.
        {so, FileOp::Delete, "QEL.mdb-journal", 1, ERROR_IO_DEVICE, disco},
        {compartilha, FileOp::Delete, "QEL.mdb-journal", 1, ERROR_IO_DEVICE, disco},
    };
    for (const auto& caso : casos) {
        SCOPED_TRACE(std::string(test::NomeDaOperacao(caso.op)) + " " + caso.arquivo + ", error " +
                     std::to_string(caso.erro) + (caso.modo == so ? ", exclusive" : ", shared"));
        test::WriteFile(path, inicial);
        FalhaUma seam(caso.op, caso.arquivo, caso.vez, caso.erro);
        std::string mensagem;
        {
            fs::ScopedFileOpSeam sob(seam);
            mensagem = FailureOf([&] {
                Connection c;
                Open(c, caso.modo);
                c.Execute("INSERT INTO TA_SISTEMA VALUES ('3.2.1', 'nova')");
                c.Disconnect();
            });
        }
        EXPECT_TRUE(seam.Falhou());
        EXPECT_EQ(mensagem, caso.mensagem.empty() ? "no failure" : caso.mensagem);
        // Whatever failed, the next opener finds the row added whole or not at all, and no journal.
        Connection c;
        Open(c);
        Query q(c);
        q.SetSql("SELECT count(*) AS N FROM TA_SISTEMA");
        q.Open();
        EXPECT_EQ(q.AsString("N"), caso.mensagem.empty() ? "2" : "1");
        EXPECT_FALSE(fs::FileExists(path + "-journal"));
        if (caso.op == FileOp::Delete) {
            for (const char* vista : {"open QEL.mdb", "read QEL.mdb", "lock QEL.mdb", "open QEL.mdb-journal",
                                      "write QEL.mdb-journal", "flush QEL.mdb-journal", "write QEL.mdb",
                                      "flush QEL.mdb", "delete QEL.mdb-journal"})
                EXPECT_NE(std::find(seam.vistas.begin(), seam.vistas.end(), vista), seam.vistas.end()) << vista;
        }
    }
}

}  // namespace
}  // namespace qel
