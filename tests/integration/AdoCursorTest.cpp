// The ADO engine's two cursors against the fake ADO: the installed table read forward
// only, a row at a time; the new table written through the client-side cursor, which
// keeps no more than a few rows however many are added.
#include <gtest/gtest.h>

#include <algorithm>

#include "dbupgrade/CarryOver.h"
#include "dbupgrade/ConnectionText.h"
#include "platform/Text.h"
#include "tests/integration/FakeAdo.h"
#include "tests/support/FailureOf.h"
#include "tests/support/ScriptedUi.h"

namespace qel {
namespace {

using namespace test::ado;
using test::FailureOf;

const std::string kInstalado = "X:\\QEL\\QEL.mdb", kNovo = "X:\\TEMP\\InstQEL\\QEL.mdb";

class AdoCursors : public testing::Test {
protected:
    AdoCursors() {
        estado.TargetDir = "X:\\QEL";
        estado.TempDir = "X:\\TEMP\\";
    }
    void TearDown() override {
        EXPECT_EQ(ado.world.live, 0);
        EXPECT_EQ(ado.world.rowsHeld, 0) << "a closed recordset holds no row";
        EXPECT_TRUE(ado.world.open.empty());
    }
    Database& File(const std::string& path) { return ado.world.files[text::Widen(path)]; }
    static std::vector<Var> Row(int n, double date) {
        return {test::Date(date), test::Text(L"linha " + std::to_wstring(n))};
    }
    size_t Count(const std::string& call) const {
        return static_cast<size_t>(std::count(ado.world.calls.begin(), ado.world.calls.end(), call));
    }
    db::Query OnNew(db::Connection& c) {
        c.SetLoginPrompt(false);
        c.SetConnectionString(text::Widen(db::FullConnectionText(kNovo)));
        return db::Query(c);
    }

    FakeAdo ado;
    WizardState estado;
    test::ScriptedUi ui;
};

TEST_F(AdoCursors, TheCarryOverHoldsAFewRowsWhateverTheSizeOfTheTables) {
    const std::vector<Column> columns = {{L"DT_INIC_VIGN", 7}, {L"DE_TEXTO", 203}};
    constexpr int kRows = 2500;
    for (const char* name : kTabelasMigradas) {
        Table installed{columns, {}}, fresh{columns, {}};
        // Before 2007, but one row in ten from 2008 on.
        for (int i = 0; i < kRows; ++i) installed.rows.push_back(Row(i, i % 10 == 9 ? 39448.0 : 36526.0 + i));
        fresh.rows = {Row(-2, 40000.0), Row(-1, 40000.0)};  // what the new database brings
        File(kInstalado)[text::Widen(name)] = installed;
        File(kNovo)[text::Widen(name)] = fresh;
    }
    EXPECT_TRUE(MigraDados(estado, ui));

    for (const char* name : kTabelasMigradas) {
        SCOPED_TRACE(name);
        const bool all = std::string(name) == kTabelaSemCorte;
        const Table& to = File(kNovo)[text::Widen(name)];
        ASSERT_EQ(to.rows.size(), 2u + (all ? kRows : kRows - kRows / 10));
        for (size_t r = 2, i = 0; r < to.rows.size(); ++r, ++i) {
            if (!all && i % 10 == 9) ++i;
            EXPECT_TRUE(test::SameValue(to.rows[r][1].v, test::Text(L"linha " + std::to_wstring(i)).v)) << r;
        }
        // Read forward only and read only, through the server-side cursor.
        const std::string table = "SELECT * FROM " + std::string(name);
        EXPECT_EQ(Count("Recordset.Open(" + table + ", 0, 1, 1)"), 1u);
        // Written through the client-side cursor, opened anew without rows every 1024 rows.
        EXPECT_EQ(Count("Recordset.Open(" + table + ", 3, 3, 1)"), 1u);
        EXPECT_EQ(Count("Recordset.Open(" + table + "\nWHERE 1 = 0, 3, 3, 1)"), (to.rows.size() - 2 - 1) / 1024);
    }
    EXPECT_EQ(Count("Recordset.put_CursorLocation(2)"), 7u);
    EXPECT_EQ(Count("Recordset.put_CursorLocation(3)"), 7u);
    // One row of the installed table; the new table's two and at most 1024 added.
    EXPECT_LE(ado.world.mostRowsHeld, 1 + 2 + 1024);
    const auto& calls = ado.world.calls;
    for (size_t i = 0; i < calls.size(); ++i)
        if (calls[i].rfind("Recordset.Open", 0) == 0) {
            EXPECT_EQ(calls[i - 1], "Errors.Clear") << calls[i];
        }
}

TEST_F(AdoCursors, AQueryThatAddedManyRowsStillGoesBackToItsFirstRowAndAForwardOnlyOneAddsNone) {
    File(kNovo)[L"TB_X"] = {{{L"DT_INIC_VIGN", 7}, {L"DE_TEXTO", 203}}, {Row(0, 1.0), Row(1, 2.0)}};
    db::Connection c;
    db::Query q = OnNew(c);
    q.SetSql("SELECT * FROM TB_X");
    q.Open();
    for (int i = 2; i < 2100; ++i) {
        q.Append();
        q.SetString("DE_TEXTO", "linha " + std::to_string(i));
        q.Post();
        EXPECT_EQ(q.AsString("DE_TEXTO"), "linha " + std::to_string(i)) << "it stands on the row it added";
    }
    EXPECT_LE(ado.world.rowsHeld, 1024);
    q.Next();
    EXPECT_TRUE(q.Eof());
    int n = 0;
    for (q.First(); !q.Eof(); q.Next(), ++n) ASSERT_EQ(q.AsString("DE_TEXTO"), "linha " + std::to_string(n));
    EXPECT_EQ(n, 2100) << "every row of the table, those it added too";

    q.Close();
    q.SetForwardOnly(true);
    q.Open();
    ado.world.mostRowsHeld = 0;
    n = 0;
    for (; !q.Eof(); q.Next(), ++n) {
        // A column read twice, and out of order, reads the same.
        const std::string texto = q.AsString("DE_TEXTO");
        const db::DateTime dated[] = {{1899, 12, 31}, {1900, 1, 1}};
        ASSERT_EQ(q.AsDateTime("DT_INIC_VIGN"), n < 2 ? dated[n] : db::DateTime{}) << "not assigned: empty";
        ASSERT_EQ(q.AsString("DE_TEXTO"), texto);
    }
    EXPECT_EQ(n, 2100);
    EXPECT_EQ(ado.world.mostRowsHeld, 1);
    EXPECT_EQ(q.AsString("DE_TEXTO"), "") << "after its end ADO has no current row";
    q.First();
    EXPECT_EQ(q.AsString("DE_TEXTO"), "linha 0") << "the query runs anew";
    EXPECT_EQ(FailureOf([&] { q.Append(); }), "Cannot modify a read-only dataset");
}

// How many rows a query has, for page 3: the client-side cursor knows the rows it holds;
// the forward-only one is never asked, since a provider may fetch every row to count them.
TEST_F(AdoCursors, OnlyTheQueryThatHoldsItsRowsCountsThem) {
    File(kNovo)[L"TB_X"] = {{{L"DT_INIC_VIGN", 7}, {L"DE_TEXTO", 203}}, {Row(0, 1.0), Row(1, 2.0)}};
    db::Connection c;
    db::Query q = OnNew(c);
    q.SetSql("SELECT * FROM TB_X");
    q.SetForwardOnly(true);
    q.Open();
    EXPECT_EQ(q.RecordCount(), -1);
    for (; !q.Eof(); q.Next()) EXPECT_EQ(q.RecordCount(), -1);
    EXPECT_EQ(Count("Recordset.get_RecordCount"), 0u) << "a forward-only recordset is not asked";
    q.Close();

    q.SetForwardOnly(false);
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2);
    q.Append();
    q.SetString("DE_TEXTO", "linha 2");
    q.Post();
    EXPECT_EQ(q.RecordCount(), 3) << "the row it added counts";
    EXPECT_EQ(Count("Recordset.get_RecordCount"), 2u);
    // Past the rows it keeps while adding, it lets go of them and no longer knows.
    for (int i = 3; i < 1100; ++i) {
        q.Append();
        q.SetString("DE_TEXTO", "linha " + std::to_string(i));
        q.Post();
    }
    EXPECT_EQ(q.RecordCount(), -1);
    q.First();
    EXPECT_EQ(q.RecordCount(), 1100) << "read anew, every row of the table";
}

}  // namespace
}  // namespace qel
